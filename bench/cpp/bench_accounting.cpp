// Accounting speed: ns per position step (increase, decrease), unrealized profit, mark price and
// trading fee, on amounts of the sizes the exchange handles. Each loop checks its result against
// an expected value recomputed independently (Python's decimal, the same order of operations), so
// a benchmark whose computation stopped working fails instead of reporting a time. BM_IncreaseOps
// times the same decimal operations as increase without the record around them, as a baseline.
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <string_view>

#include "state/position.hpp"
#include "state/price.hpp"
#include "state/trading_fee.hpp"

namespace {

using qzr::Decimal;
using qzr::Position;
using qzr::PositionSide;
using qzr::PositionUpdate;
using qzr::TradeSide;

Decimal parsed(std::string_view text) { return qzr::parse_decimal_text(text).value(); }

// One row: a position, two operands and the expected outcome (new balance, new average entry
// price, returned amount).
struct Row {
  Position position;
  Decimal price, amount;
  Decimal balance, avg_entry_price, result;
};

Row row(PositionSide side, std::string_view balance, std::string_view avg, std::string_view price,
        std::string_view amount, std::string_view new_balance, std::string_view new_avg,
        std::string_view result) {
  return {Position::recorded(side, parsed(balance), parsed(avg)),
          parsed(price),
          parsed(amount),
          parsed(new_balance),
          parsed(new_avg),
          parsed(result)};
}

bool matches(const PositionUpdate& update, const Row& r) {
  return update.position.balance.value.same_representation(r.balance) &&
         update.position.avg_entry_price.value.same_representation(r.avg_entry_price) &&
         update.realized.same_representation(r.result);
}
bool matches(const Decimal& value, const Row& r) { return value.same_representation(r.result); }

// compute(position, price, amount) returns a PositionUpdate (checked against the whole row) or a
// Decimal (checked against `result`).
template <class Compute>
void run(benchmark::State& state, const std::array<Row, 4>& rows, Compute compute) {
  std::size_t i = 0;
  for (auto _ : state) {
    const Row& r = rows[i++ & 3];
    Position position = r.position;
    Decimal price = r.price, amount = r.amount;
    benchmark::DoNotOptimize(position);
    benchmark::DoNotOptimize(price);
    benchmark::DoNotOptimize(amount);
    const auto result = compute(position, price, amount);
    if (!matches(result, r)) {
      state.SkipWithError("wrong result");
      break;
    }
    benchmark::DoNotOptimize(result);
  }
}

// Expected values: rows of the tests' tables, recomputed by tests/cpp/state/accounting_oracle.py.
const std::array<Row, 4>& increase_rows() {
  static const std::array<Row, 4> rows{
      row(PositionSide::Long, "1", "100", "103", "1", "2", "101.5", "0"),
      row(PositionSide::Long, "3", "100", "101", "1", "4", "100.25", "0"),
      row(PositionSide::Short, "0.333333", "99.999999", "100.123457", "0.666666", "0.999999", "100.082304",
          "0"),
      row(PositionSide::Long, "2", "100", "0", "1", "3", "66.666666", "0"),
  };
  return rows;
}

void BM_Increase(benchmark::State& state) {
  run(state, increase_rows(), [](const Position& p, const Decimal& price, const Decimal& amount) {
    return p.increase(price, amount);
  });
}
BENCHMARK(BM_Increase);

// The decimal operations of increase on the same rows, without the record.
void BM_IncreaseOps(benchmark::State& state) {
  run(state, increase_rows(), [](const Position& p, const Decimal& price, const Decimal& amount) {
    const Decimal& balance = p.balance.value;
    const Decimal q = qzr::div_or_fault(qzr::add_or_fault(qzr::mul_or_fault(p.avg_entry_price.value, balance),
                                                          qzr::mul_or_fault(price, amount)),
                                        qzr::add_or_fault(balance, amount));
    return PositionUpdate{{p.side,
                           {qzr::round_recorded_decimal(qzr::add_or_fault(balance, amount))},
                           {qzr::round_recorded_decimal(q)}},
                          Decimal()};
  });
}
BENCHMARK(BM_IncreaseOps);

void BM_Decrease(benchmark::State& state) {
  static const std::array<Row, 4> rows{
      row(PositionSide::Long, "2", "100", "110", "2", "0", "100", "20"),
      row(PositionSide::Long, "2", "100.123456", "99.654321", "0.5", "1.5", "100.123456", "-0.2345675"),
      row(PositionSide::Short, "2", "100.123456", "99.654321", "0.5", "1.5", "100.123456", "0.2345675"),
      row(PositionSide::Short, "1", "100", "90", "3", "-2", "100", "30"),
  };
  run(state, rows, [](const Position& p, const Decimal& price, const Decimal& amount) {
    return p.decrease(price, amount);
  });
}
BENCHMARK(BM_Decrease);

void BM_UnrealizedPnl(benchmark::State& state) {
  static const std::array<Row, 4> rows{
      row(PositionSide::Long, "1.5", "2000", "2100.10", "0", "0", "0", "150.150"),
      row(PositionSide::Short, "1.5", "2000", "2100.10", "0", "0", "0", "-150.150"),
      row(PositionSide::Long, "0.000001", "0.000001", "0.0000019", "0", "0", "0", "0.0000000000009"),
      row(PositionSide::Empty, "3", "100", "250", "0", "0", "0", "0"),
  };
  run(state, rows,
      [](const Position& p, const Decimal& price, const Decimal&) { return p.unrealized_pnl(price); });
}
BENCHMARK(BM_UnrealizedPnl);

// Rows reused as (index price, ema) in price/amount.
void BM_MarkPrice(benchmark::State& state) {
  static const std::array<Row, 4> rows{
      row(PositionSide::Empty, "0", "0", "123.456789", "10", "0", "0", "124.074072"),
      row(PositionSide::Empty, "0", "0", "100", "0.3", "0", "0", "100.3"),
      row(PositionSide::Empty, "0", "0", "-123.456789", "-10", "0", "0", "-122.839505"),
      row(PositionSide::Empty, "0", "0", "2000.123456", "-0.000001", "0", "0", "2000.123455"),
  };
  run(state, rows, [](const Position&, const Decimal& index, const Decimal& ema) {
    return qzr::Price{{index}, {ema}, 0, 0}.mark_price();
  });
}
BENCHMARK(BM_MarkPrice);

// Rows reused as (amount, price) in price/amount; the side is Taker for the first three.
void BM_TradingFee(benchmark::State& state) {
  static const std::array<Row, 4> rows{
      row(PositionSide::Empty, "0", "0", "2", "1500.5", "0", "0", "6.0020"),
      row(PositionSide::Empty, "0", "0", "-2", "1500.5", "0", "0", "-6.0020"),
      row(PositionSide::Empty, "0", "0", "281474976710655", "281474976710655", "0", "0",
          "158456325028527549287181058.05"),
      row(PositionSide::Empty, "0", "0", "2", "1500.5", "0", "0", "0"),
  };
  std::size_t i = 0;
  run(state, rows, [&i](const Position&, const Decimal& amount, const Decimal& price) {
    const TradeSide side = (i++ & 3) == 3 ? TradeSide::Maker : TradeSide::Taker;
    return qzr::trading_fee(side, amount, price);
  });
}
BENCHMARK(BM_TradingFee);

}  // namespace

BENCHMARK_MAIN();
