// Position accounting: every step against an independent recomputation.
//
// Expected values: tests/cpp/state/accounting_oracle.py holds the rows and prints both tables
// (tests/python/test_accounting_oracle.py checks that they are what it prints). It recomputes
// each step with Python's decimal module in the same order of operations (e.g. increase:
// n = avg x balance, m = price x amount, q = (n + m) / (balance + amount)), imitating the 96-bit
// model only where a result does not fit (rounded half to even to the largest scale <= 28 that
// fits, else the overflow message) and the recording rule R (clamp the magnitude, truncate to 6
// places, strip zeros). The worked examples of the position's accounting are the first rows of
// each table.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "accounting_test_support.hpp"
#include "state/position.hpp"

namespace qzr {
namespace {

using testing::fault_message_of;
using testing::parsed;

enum class Step { Increase, Decrease, CrossOver };

PositionUpdate run(Step step, const Position& position, const Decimal& price, const Decimal& amount) {
  switch (step) {
    case Step::Increase: return position.increase(price, amount);
    case Step::Decrease: return position.decrease(price, amount);
    case Step::CrossOver: return position.cross_over_or_fault(price, amount);
  }
  return {};
}

TEST(PositionAccounting, StepsMatchTheRecomputation) {
  // Inputs: the position is built with recorded amounts (as every constructor stores them).
  // Outputs compare by text, so the scale of every amount is checked too; `fault` is the
  // expected fault message ("" for none).
  struct Case {
    Step step;
    PositionSide side;
    std::string_view balance, avg_entry_price, price, amount;
    PositionSide new_side;
    std::string_view new_balance, new_avg_entry_price, realized;
    std::string_view fault;
  };
  static constexpr std::string_view cross_over_empty =
      R"(called `Result::unwrap()` on an `Err` value: Other("Cannot cross over empty position"))";
  // clang-format off
  static constexpr Case cases[] = {
      // Worked examples.
      {Step::Increase, PositionSide::Empty, "0", "0", "105.1234567", "2", PositionSide::Empty, "2", "105.123456", "0", ""},
      {Step::Increase, PositionSide::Long, "1", "100", "103", "1", PositionSide::Long, "2", "101.5", "0", ""},
      {Step::Increase, PositionSide::Long, "1", "100", "103", "-1", {}, "", "", "", "Division by zero"},
      {Step::Decrease, PositionSide::Long, "2", "100", "110", "2", PositionSide::Empty, "0", "100", "20", ""},
      {Step::Decrease, PositionSide::Long, "1", "100", "110", "0.9999999", PositionSide::Empty, "0", "100", "9.9999990", ""},
      {Step::Decrease, PositionSide::Short, "1", "100", "90", "3", PositionSide::Short, "-2", "100", "30", ""},
      {Step::CrossOver, PositionSide::Long, "1", "100", "90", "3", PositionSide::Short, "2", "90", "-10", ""},
      {Step::CrossOver, PositionSide::Empty, "0", "0", "90", "3", {}, "", "", "", cross_over_empty},
      // increase: repeating quotients recorded toward zero; negative and dust amounts; Empty keeps its side.
      {Step::Increase, PositionSide::Long, "3", "100", "101", "1", PositionSide::Long, "4", "100.25", "0", ""},
      {Step::Increase, PositionSide::Long, "3", "100", "102", "3", PositionSide::Long, "6", "101", "0", ""},
      {Step::Increase, PositionSide::Short, "0.333333", "99.999999", "100.123457", "0.666666", PositionSide::Short, "0.999999", "100.082304", "0", ""},
      {Step::Increase, PositionSide::Short, "7", "1", "2", "-4", PositionSide::Short, "3", "-0.333333", "0", ""},
      {Step::Increase, PositionSide::Long, "2", "100", "0", "1", PositionSide::Long, "3", "66.666666", "0", ""},
      {Step::Increase, PositionSide::Long, "-1", "100", "50", "3", PositionSide::Long, "2", "25", "0", ""},
      {Step::Increase, PositionSide::Empty, "1.5", "7", "0.0000001", "-1.5", PositionSide::Empty, "0", "0", "0", ""},
      {Step::Increase, PositionSide::Empty, "0", "0", "-3.25", "1.0000009", PositionSide::Empty, "1", "-3.25", "0", ""},
      {Step::Increase, PositionSide::Long, "1", "100", "103", "0.0000001", PositionSide::Long, "1", "100", "0", ""},
      // increase: products that only fit rounded, the largest recorded amount, overflow of a product and of the sum.
      {Step::Increase, PositionSide::Long, "79228162514264.337593", "1000000.123456", "1000000.123457", "1", PositionSide::Long, "79228162514265.337593", "1000000.123456", "0", ""},
      {Step::Increase, PositionSide::Long, "79228162514264337593543.950335", "0", "0", "79228162514264337593543.950335", PositionSide::Long, "79228162514264337593543.950335", "0", "0", ""},
      {Step::Increase, PositionSide::Long, "100000000000000000", "1000000000000", "1", "1", {}, "", "", "", "Multiplication overflowed"},
      {Step::Increase, PositionSide::Long, "1", "1", "79228162514264337593543.950335", "1000000", {}, "", "", "", "Addition overflowed"},
      // n overflows before balance + amount does: the products come first.
      {Step::Increase, PositionSide::Long, "10000000000000000000000", "10000000", "1", "79228162514264337593543950335", {}, "", "", "", "Multiplication overflowed"},
      // decrease: partial, on Empty, beyond the balance only below the sixth place, zero and negative amounts.
      {Step::Decrease, PositionSide::Long, "2", "100.123456", "99.654321", "0.5", PositionSide::Long, "1.5", "100.123456", "-0.2345675", ""},
      {Step::Decrease, PositionSide::Short, "2", "100.123456", "99.654321", "0.5", PositionSide::Short, "1.5", "100.123456", "0.2345675", ""},
      {Step::Decrease, PositionSide::Empty, "2", "100", "110", "2", PositionSide::Empty, "0", "100", "0", ""},
      {Step::Decrease, PositionSide::Long, "1", "100", "110", "1.0000001", PositionSide::Empty, "0", "100", "10.0000010", ""},
      {Step::Decrease, PositionSide::Long, "1", "100", "110", "0", PositionSide::Long, "1", "100", "0", ""},
      {Step::Decrease, PositionSide::Short, "1", "100", "110", "-1", PositionSide::Short, "2", "100", "10", ""},
      // A balance pushed below the most negative recorded amount is recorded at it.
      {Step::Decrease, PositionSide::Short, "1", "100", "90", "79228162514264337593545", PositionSide::Short, "-79228162514264337593543.950335", "100", "792281625142643375935450", ""},
      {Step::Decrease, PositionSide::Long, "79228162514264337593543.950335", "79228162514264337593543.950335", "-79228162514264337593543.950335", "2", PositionSide::Long, "79228162514264337593541.950335", "79228162514264337593543.950335", "-316912650057057350374175.80134", ""},
      // cross_over: Short to Long, a price recorded toward zero, an amount below the balance, equal to it.
      {Step::CrossOver, PositionSide::Short, "2", "100", "110", "5", PositionSide::Long, "3", "110", "-20", ""},
      {Step::CrossOver, PositionSide::Long, "2", "100", "110.1234567", "1.5", PositionSide::Short, "-0.5", "110.123456", "20.2469134", ""},
      {Step::CrossOver, PositionSide::Short, "1", "100", "110", "1", PositionSide::Long, "0", "110", "-10", ""},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << static_cast<int>(c.step) << " on " << enum_name(c.side) << " " << c.balance << " @ "
                 << c.avg_entry_price << " with " << c.amount << " @ " << c.price);
    const Position position = Position::recorded(c.side, parsed(c.balance), parsed(c.avg_entry_price));
    const Decimal price = parsed(c.price), amount = parsed(c.amount);
    PositionUpdate update;
    const std::string fault = fault_message_of([&] { update = run(c.step, position, price, amount); });
    EXPECT_EQ(fault, c.fault);
    if (!c.fault.empty()) continue;
    EXPECT_EQ(update.position.side, c.new_side);
    EXPECT_EQ(update.position.balance.value.to_string(), c.new_balance);
    EXPECT_EQ(update.position.avg_entry_price.value.to_string(), c.new_avg_entry_price);
    EXPECT_EQ(update.realized.to_string(), c.realized);
  }
}

enum class Value { AvgPnl, UnrealizedPnl, BankruptcyPrice };

TEST(PositionAccounting, ValuesMatchTheRecomputation) {
  // x is the reference price (the mark price for BankruptcyPrice), y the account total value.
  // Results are not rounded: their texts show every digit the arithmetic produced.
  struct Case {
    Value value;
    PositionSide side;
    std::string_view balance, avg_entry_price, x, y;
    std::string_view result;
    std::string_view fault;
  };
  // clang-format off
  static constexpr Case cases[] = {
      // Worked examples.
      {Value::BankruptcyPrice, PositionSide::Short, "2", "0", "100", "50", "125", ""},
      {Value::BankruptcyPrice, PositionSide::Long, "2", "0", "100", "50", "75", ""},
      {Value::BankruptcyPrice, PositionSide::Empty, "2", "0", "100", "50", "", "Bankruptcy price not applicable to empty position"},
      {Value::AvgPnl, PositionSide::Empty, "3", "100", "250", "0", "0", ""},
      {Value::UnrealizedPnl, PositionSide::Empty, "3", "100", "250", "0", "0", ""},
      // Profit and loss keep the scale the arithmetic gives.
      {Value::AvgPnl, PositionSide::Long, "3", "100.5", "99.25", "0", "-1.25", ""},
      {Value::AvgPnl, PositionSide::Short, "3", "100.5", "99.25", "0", "1.25", ""},
      {Value::AvgPnl, PositionSide::Long, "3", "100", "100.000", "0", "0.000", ""},
      {Value::UnrealizedPnl, PositionSide::Long, "1.5", "2000", "2100.10", "0", "150.150", ""},
      {Value::UnrealizedPnl, PositionSide::Short, "1.5", "2000", "2100.10", "0", "-150.150", ""},
      {Value::UnrealizedPnl, PositionSide::Short, "0", "2000", "2100.10", "0", "0", ""},
      {Value::UnrealizedPnl, PositionSide::Long, "0.000001", "0.000001", "0.0000019", "0", "0.0000000000009", ""},
      // Bankruptcy price: a repeating quotient at full precision, zero value, zero and negative balances.
      {Value::BankruptcyPrice, PositionSide::Long, "3", "0", "100", "10", "96.66666666666666666666666667", ""},
      {Value::BankruptcyPrice, PositionSide::Short, "3", "0", "100.5", "-10", "97.16666666666666666666666667", ""},
      {Value::BankruptcyPrice, PositionSide::Long, "2", "0", "100", "0", "100", ""},
      {Value::BankruptcyPrice, PositionSide::Short, "-2", "0", "100", "50", "75", ""},
      {Value::BankruptcyPrice, PositionSide::Long, "0", "0", "100", "10", "", "Division by zero"},
      {Value::BankruptcyPrice, PositionSide::Long, "0.000001", "0", "1", "79228162514264337593543950335", "", "Division overflowed"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << static_cast<int>(c.value) << " on " << enum_name(c.side) << " " << c.balance << " @ "
                 << c.avg_entry_price << " at " << c.x << ", " << c.y);
    const Position position = Position::recorded(c.side, parsed(c.balance), parsed(c.avg_entry_price));
    const Decimal x = parsed(c.x), y = parsed(c.y);
    Decimal result;
    const std::string fault = fault_message_of([&] {
      switch (c.value) {
        case Value::AvgPnl: result = position.avg_pnl(x); break;
        case Value::UnrealizedPnl: result = position.unrealized_pnl(x); break;
        case Value::BankruptcyPrice: result = position.bankruptcy_price(x, y); break;
      }
    });
    EXPECT_EQ(fault, c.fault);
    if (c.fault.empty()) {
      EXPECT_EQ(result.to_string(), c.result);
    }
  }
}

TEST(PositionAccounting, CrossOverOfAnEmptyPositionIsAnError) {
  // The step itself reports the error value; only the faulting form stops.
  const Result<PositionUpdate> update = Position{}.cross_over(parsed("90"), parsed("3"));
  ASSERT_FALSE(update.has_value());
  EXPECT_EQ(update.error().kind(), CommonError::Kind::Other);
  EXPECT_EQ(update.error().display(), "Cannot cross over empty position");
}

TEST(PositionAccounting, IncreaseNeverSetsASideAndDecreaseToZeroKeepsThePrice) {
  // Opening is the caller's job: increase leaves Empty as Empty even with a non-zero result.
  const PositionUpdate opened = Position{}.increase(parsed("100"), parsed("1"));
  EXPECT_EQ(opened.position, (Position{PositionSide::Empty, {parsed("1")}, {parsed("100")}}));
  EXPECT_TRUE(opened.realized.same_representation(Decimal()));
  // Closing leaves avg_entry_price as it was, so a reopened Long at another price averages against
  // a zero balance: q = (100 x 0 + 120 x 1) / (0 + 1).
  const Position closed = Position::recorded(PositionSide::Long, parsed("1"), parsed("100"))
                              .decrease(parsed("110"), parsed("1"))
                              .position;
  EXPECT_EQ(closed, (Position{PositionSide::Empty, {Decimal()}, {parsed("100")}}));
  Position reopened = closed;
  reopened.side = PositionSide::Long;
  EXPECT_EQ(reopened.increase(parsed("120"), parsed("1")).position,
            (Position{PositionSide::Long, {parsed("1")}, {parsed("120")}}));
}

}  // namespace
}  // namespace qzr
