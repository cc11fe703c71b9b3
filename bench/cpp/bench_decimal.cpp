// Decimal speed: ns per addition, multiplication, division, parse and print, on amounts of the
// sizes the exchange handles and on the wide paths (192-bit intermediates, rounding).
#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "values/decimal.hpp"
#include "values/recorded_amount.hpp"

namespace {

using qzr::Decimal;
using qzr::DecimalResult;

Decimal parsed(std::string_view text) { return qzr::parse_decimal_text(text).value(); }

struct Operands {
  std::array<Decimal, 4> left, right, expected;
};

// Operand pairs with the expected result of each; the loop checks every result against it, so a
// benchmark whose operation stopped computing fails instead of reporting a time.
Operands operands(std::array<std::string_view, 4> left, std::array<std::string_view, 4> right,
                  DecimalResult<Decimal> (Decimal::*operation)(const Decimal&) const noexcept) {
  Operands result;
  for (std::size_t i = 0; i < 4; ++i) {
    result.left[i] = parsed(left[i]);
    result.right[i] = parsed(right[i]);
    result.expected[i] = (result.left[i].*operation)(result.right[i]).value();
  }
  return result;
}

void run_binary(benchmark::State& state, const Operands& data,
                DecimalResult<Decimal> (Decimal::*operation)(const Decimal&) const noexcept) {
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 3;
    Decimal left = data.left[k], right = data.right[k];
    benchmark::DoNotOptimize(left);
    benchmark::DoNotOptimize(right);
    const DecimalResult<Decimal> result = (left.*operation)(right);
    if (!result || !result->same_representation(data.expected[k])) {
      state.SkipWithError("wrong result");
      break;
    }
    benchmark::DoNotOptimize(result);
  }
}

void BM_AddAmounts(benchmark::State& state) {
  static const Operands data = operands({"1.5", "123.456789", "-0.000001", "100000.25"},
                                        {"2.25", "0.5", "7", "-99999.999999"}, &Decimal::checked_add);
  run_binary(state, data, &Decimal::checked_add);
}
BENCHMARK(BM_AddAmounts);

// Sums whose aligned terms fit 128 bits but not 96 (scales at most 9 apart), rounded.
void BM_AddRounded(benchmark::State& state) {
  static const Operands data = operands({"812345678.9012345678901234567", "79228162514264337593543950334",
                                         "9.999999999999999999999999999", "-0.5555555555555555555555555555"},
                                        {"0.1234567890123456789012345678", "0.5",
                                         "0.0000000005000000000000000001", "-0.4444444444444444444444444445"},
                                        &Decimal::checked_add);
  run_binary(state, data, &Decimal::checked_add);
}
BENCHMARK(BM_AddRounded);

void BM_AddWideScaleGap(benchmark::State& state) {
  static const Operands data = operands(
      {"79228162514264.337593543950335", "1", "0.0000000000000000000000000001", "123456789012345"},
      {"0.0000000000000000000001", "0.0000000000000000000000000001", "79228162514264337593543950", "0.5"},
      &Decimal::checked_add);
  run_binary(state, data, &Decimal::checked_add);
}
BENCHMARK(BM_AddWideScaleGap);

void BM_MulAmounts(benchmark::State& state) {
  static const Operands data = operands({"2", "1500.5", "123.456789", "0.005"},
                                        {"1500.5", "0.002", "-3.5", "123.456789"}, &Decimal::checked_mul);
  run_binary(state, data, &Decimal::checked_mul);
}
BENCHMARK(BM_MulAmounts);

void BM_MulRounded(benchmark::State& state) {
  static const Operands data = operands(
      {"7.9228162514264337593543950335", "1.2345678901234567890123456789", "0.3333333333333333333333333333",
       "98765432109876.54321"},
      {"7.9228162514264337593543950335", "9.87654321", "3", "12345678901234.56789"}, &Decimal::checked_mul);
  run_binary(state, data, &Decimal::checked_mul);
}
BENCHMARK(BM_MulRounded);

// Products of two one-word mantissas with 18 places each: scale 36, rounded to at most 28.
void BM_MulEighteenPlaces(benchmark::State& state) {
  static const Operands data = operands(
      {"2.718281828459045235", "1.234567890123456789", "0.000000000000000001", "9.999999999999999999"},
      {"3.141592653589793238", "-9.876543210987654321", "0.500000000000000001", "9.999999999999999999"},
      &Decimal::checked_mul);
  run_binary(state, data, &Decimal::checked_mul);
}
BENCHMARK(BM_MulEighteenPlaces);

void BM_DivExact(benchmark::State& state) {
  static const Operands data =
      operands({"10", "1.50", "123.456", "3001.0"}, {"4", "1", "0.001", "2"}, &Decimal::checked_div);
  run_binary(state, data, &Decimal::checked_div);
}
BENCHMARK(BM_DivExact);

void BM_DivInexact(benchmark::State& state) {
  static const Operands data =
      operands({"1", "2", "100", "10.123456"}, {"3", "3", "7", "-0.7"}, &Decimal::checked_div);
  run_binary(state, data, &Decimal::checked_div);
}
BENCHMARK(BM_DivInexact);

void BM_DivWideDivisor(benchmark::State& state) {
  static const Operands data = operands({"79228162514264337593543950335", "1", "123456789.123456789", "5"},
                                        {"18446744073709551617", "79228162514264337593543950335",
                                         "98765432109876543210.5", "3.00000000000000000001"},
                                        &Decimal::checked_div);
  run_binary(state, data, &Decimal::checked_div);
}
BENCHMARK(BM_DivWideDivisor);

void BM_Parse(benchmark::State& state) {
  static constexpr std::array<std::string_view, 4> texts = {"123.456789", "-0.0015", "1500000",
                                                            "79228162514264.337593543950335"};
  std::size_t i = 0;
  for (auto _ : state) {
    std::string_view text = texts[i++ & 3];
    benchmark::DoNotOptimize(text);
    const DecimalResult<Decimal> value = qzr::parse_decimal_text(text);
    if (!value) {
      state.SkipWithError("parse failed");
      break;
    }
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_Parse);

// Doubles whose binary value is exact in decimal (2.5 shortens from 28 places to 1) and doubles
// that are not (0.1 keeps its 17 digits).
void BM_FromDouble(benchmark::State& state) {
  static constexpr std::array<double, 4> values = {2.5, 0.1, 1500.25, -123.456789};
  static const std::array<Decimal, 4> expected = {parsed("2.5"), parsed("0.1"), parsed("1500.25"),
                                                  parsed("-123.456789")};
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 3;
    double value = values[k];
    benchmark::DoNotOptimize(value);
    const DecimalResult<Decimal> result = Decimal::from_f64(value);
    if (!result || !result->same_representation(expected[k])) {
      state.SkipWithError("wrong result");
      break;
    }
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_FromDouble);

void BM_Print(benchmark::State& state) {
  static const std::array<Decimal, 4> values = {parsed("123.456789"), parsed("-0.0015"), parsed("1500000"),
                                                parsed("79228162514264.337593543950335")};
  static const std::array<std::size_t, 4> lengths = {10, 7, 7, 30};
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 3;
    Decimal value = values[k];
    benchmark::DoNotOptimize(value);
    const qzr::DecimalText text = value.text();
    if (text.view().size() != lengths[k]) {
      state.SkipWithError("wrong text");
      break;
    }
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_Print);

void BM_RoundRecorded(benchmark::State& state) {
  static const std::array<Decimal, 4> values = {parsed("1.23456789"), parsed("2.500000"),
                                                parsed("-1.0000009"), parsed("124.074072945")};
  static const std::array<Decimal, 4> expected = {parsed("1.234567"), parsed("2.5"), parsed("-1"),
                                                  parsed("124.074072")};
  std::size_t i = 0;
  for (auto _ : state) {
    const std::size_t k = i++ & 3;
    Decimal value = values[k];
    benchmark::DoNotOptimize(value);
    const Decimal recorded = qzr::round_recorded_decimal(value);
    if (!recorded.same_representation(expected[k])) {
      state.SkipWithError("wrong result");
      break;
    }
    benchmark::DoNotOptimize(recorded);
  }
}
BENCHMARK(BM_RoundRecorded);

void BM_PowFractional(benchmark::State& state) {
  static const Operands data =
      operands({"4", "2", "1.0001", "100"}, {"0.5", "0.5", "10000.5", "1.5"}, &Decimal::checked_pow);
  run_binary(state, data, &Decimal::checked_pow);
}
BENCHMARK(BM_PowFractional);

}  // namespace

BENCHMARK_MAIN();
