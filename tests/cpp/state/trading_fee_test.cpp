// Trading fees against an independent recomputation, and the two rates.
//
// Expected values: tests/cpp/state/accounting_oracle.py (trading_fee), which prints the table
// (checked by tests/python/test_accounting_oracle.py): Python's decimal computes
// (amount x price) x rate in that order, a zero factor giving 0 of scale 0 and a product that does
// not fit the 96-bit model rounded half to even to the largest scale <= 28 that fits (else
// "Multiplication overflowed"). The first rows are the worked examples of the fee.
#include "state/trading_fee.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "accounting_test_support.hpp"

namespace qzr {
namespace {

using testing::fault_message_of;
using testing::parsed;

TEST(TradingFee, MatchesTheRecomputation) {
  // Results compare by text: the fee is neither rounded nor stripped, so its scale is checked.
  struct Case {
    TradeSide side;
    std::string_view amount, price;
    std::string_view fee;
    std::string_view fault;
  };
  static constexpr Case cases[] = {
      // Worked examples.
      {TradeSide::Maker, "2", "1500.5", "0", ""},
      {TradeSide::Taker, "2", "1500.5", "6.0020", ""},
      {TradeSide::Taker, "0", "100", "0", ""},
      {TradeSide::Taker, "-2", "1500.5", "-6.0020", ""},
      {TradeSide::Taker, "1", "1", "0.002", ""},
      {TradeSide::Taker, "1000000000000000", "100000000000000", "", "Multiplication overflowed"},
      {TradeSide::Maker, "1000000000000000", "100000000000000", "", "Multiplication overflowed"},
      // Scales add up; the maker's zero has scale 0 whatever the notional.
      {TradeSide::Taker, "1.000", "3", "0.006000", ""},
      {TradeSide::Maker, "-2", "1500.5", "0", ""},
      // Beyond scale 28: the fee rounds to a zero of scale 28; a notional that rounds to zero
      // makes the fee a zero of scale 0.
      {TradeSide::Taker, "0.0000000000001", "0.00000000000001", "0.0000000000000000000000000000", ""},
      {TradeSide::Taker, "0.5", "0.000000000000000000000000003", "0.0000000000000000000000000000", ""},
      {TradeSide::Taker, "0.00000000000001", "0.000000000000001", "0", ""},
      // Beyond 96 bits of mantissa: the scale is lowered with rounding instead.
      {TradeSide::Taker, "79228162514264337593543.950335", "1", "158456325028528675187.08790067", ""},
      {TradeSide::Taker, "281474976710655", "281474976710655", "158456325028527549287181058.05", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << enum_name(c.side) << " " << c.amount << " x " << c.price);
    Decimal fee;
    const std::string fault =
        fault_message_of([&] { fee = trading_fee(c.side, parsed(c.amount), parsed(c.price)); });
    EXPECT_EQ(fault, c.fault);
    if (c.fault.empty()) {
      EXPECT_EQ(fee.to_string(), c.fee);
    }
  }
}

TEST(TradingFee, RatesAreTheFloatConversions) {
  // The rates are defined as the single-precision floats 0.0 and 0.002 taken into the decimal
  // model with their excess binary digits dropped: exactly 0 (scale 0) and 2 at scale 3.
  EXPECT_TRUE(MAKER_FEE_RATE.same_representation(Decimal::from_f32(0.0f).value()));
  EXPECT_TRUE(TAKER_FEE_RATE.same_representation(Decimal::from_f32(0.002f).value()));
  EXPECT_TRUE(TAKER_FEE_RATE.same_representation(parsed("0.002")));
  EXPECT_TRUE(trading_fee_rate(TradeSide::Maker).same_representation(MAKER_FEE_RATE));
  EXPECT_TRUE(trading_fee_rate(TradeSide::Taker).same_representation(TAKER_FEE_RATE));
}

}  // namespace
}  // namespace qzr
