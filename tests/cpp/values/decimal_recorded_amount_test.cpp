// Recorded amounts: the recording rule, grains, unscaled 6-place integers and UnscaledI128.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/fault.hpp"
#include "decimal_test_support.hpp"
#include "values/decimal.hpp"
#include "values/recorded_amount.hpp"

namespace qzr {
namespace {

using testing::outcome;
using testing::parsed;

std::string digits(UInt128 value) {
  std::string text;
  do {
    text.insert(text.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  } while (value != 0);
  return text;
}

std::string outcome(const DecimalResult<UInt128>& result) {
  return result ? digits(*result) : std::string(result.error().text());
}

constexpr UInt128 two_96 = UInt128{1} << 96;

TEST(RecordedAmount, MaximumIsTheLargestSixPlaceValue) {
  EXPECT_EQ(RECORDED_MAX.to_string(), "79228162514264337593543.950335");
  EXPECT_EQ(RECORDED_MAX.mantissa(), Decimal::max_mantissa);
  EXPECT_EQ(RECORDED_MAX.scale(), 6u);
}

TEST(RecordedAmount, RecordingClampsTruncatesToSixPlacesAndStrips) {
  struct Case {
    std::string_view value, expected;
  };
  // Worked examples of the system (1.23456789, 2.500000, -1.0000009, -0.0000001, 10^23,
  // 0.1234567, 5.000000, -0, 1.9999999, 1.1234567, 100.00); the negative clamp is symmetric to
  // the positive one. Other values: Python's Decimal.quantize(Decimal("1e-6"), ROUND_DOWN)
  // followed by normalize().
  static constexpr Case cases[] = {
      {"1.23456789", "1.234567"},
      {"2.500000", "2.5"},
      {"-1.0000009", "-1"},
      {"-0.0000001", "0"},
      {"0.1234567", "0.123456"},
      {"-0.1234567", "-0.123456"},
      {"5.000000", "5"},
      {"-0", "0"},
      {"-0.000", "0"},
      {"1.9999999", "1.999999"},
      {"1.1234567", "1.123456"},
      {"100.00", "100"},
      {"124.074072945", "124.074072"},
      {"100000000000000000000000", "79228162514264337593543.950335"},
      {"-100000000000000000000000", "-79228162514264337593543.950335"},
      {"79228162514264337593543.9503351", "79228162514264337593543.950335"},
      {"79228162514264337593543.950335", "79228162514264337593543.950335"},
      {"79228162514264337593543.950334", "79228162514264337593543.950334"},
      {"79228162514264337593543950335", "79228162514264337593543.950335"},
      {"-79228162514264337593543950335", "-79228162514264337593543.950335"},
      {"7.9228162514264337593543950335", "7.922816"},
      {"1000", "1000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(round_recorded_decimal(parsed(c.value)).to_string(), c.expected);
  }
}

TEST(RecordedAmount, MarkPriceExampleRoundsOnlyTheFinalSum) {
  // index 123.456789 and ema 10: bound 0.005 x index = 0.617283945, sum 124.074072945, recorded
  // 124.074072 (worked example).
  const Decimal index = parsed("123.456789");
  const Decimal bound = mul_or_fault(parsed("0.005"), index);
  EXPECT_EQ(bound.to_string(), "0.617283945");
  const Decimal sum = add_or_fault(index, parsed("10").min(bound));
  EXPECT_EQ(sum.to_string(), "124.074072945");
  EXPECT_EQ(round_recorded_decimal(sum).to_string(), "124.074072");
}

TEST(RecordedAmount, GrainsFromAmounts) {
  struct Case {
    std::string_view value;
    std::string_view usdc, qzr;  // grains, or the error's text
  };
  // Worked examples: 1.5 gives 1500000 and 1500000000000000000; 0.0000009 gives 0 USDC grains;
  // -0.0000001 and other negative products fail; -0 gives 0; 1.2345678 truncates to 1234567;
  // 10^11 overflows as QZR. Edges: 79228162514 x 10^18 < 2^96 <= 79228162515 x 10^18 (Python).
  static constexpr Case cases[] = {
      {"1.5", "1500000", "1500000000000000000"},
      {"0.0000009", "0", "900000000000"},
      {"-0.0000001", "Couldn't cast to u128 because overflow", "Couldn't cast to u128 because overflow"},
      {"-1", "Couldn't cast to u128 because overflow", "Couldn't cast to u128 because overflow"},
      {"-0", "0", "0"},
      {"1.2345678", "1234567", "1234567800000000000"},
      {"100000000000", "100000000000000000", "Multiplication overflowed"},
      {"79228162514", "79228162514000000", "79228162514000000000000000000"},
      {"79228162515", "79228162515000000", "Multiplication overflowed"},
      {"79228162514264337593543.950335", "79228162514264337593543950335", "Multiplication overflowed"},
      {"79228162514264337593544", "Multiplication overflowed", "Multiplication overflowed"},
      {"0.0000000000000000001", "0", "0"},
      {"0.000000000000000001", "0", "1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const Decimal value = parsed(c.value);
    EXPECT_EQ(outcome(to_usdc_grains(value)), c.usdc);
    EXPECT_EQ(outcome(to_qzr_grains(value)), c.qzr);
  }
}

TEST(RecordedAmount, AmountsFromGrainsAreExactAndUnnormalised) {
  struct Case {
    UInt128 grains;
    std::string_view usdc, qzr;
  };
  // Worked examples: 1500000 USDC grains print "1.500000", 1 QZR grain "0.000000000000000001",
  // 0 USDC grains "0.000000", 2^127 fails; grains from 2^96 on do not fit the model either.
  static constexpr Case cases[] = {
      {1'500'000, "1.500000", "0.000000000001500000"},
      {1, "0.000001", "0.000000000000000001"},
      {0, "0.000000", "0.000000000000000000"},
      {two_96 - 1, "79228162514264337593543.950335", "79228162514.264337593543950335"},
      {two_96, "out of range integral type conversion attempted",
       "out of range integral type conversion attempted"},
      {UInt128{1} << 127, "out of range integral type conversion attempted",
       "out of range integral type conversion attempted"},
      {~UInt128{0}, "out of range integral type conversion attempted",
       "out of range integral type conversion attempted"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.usdc);
    EXPECT_EQ(outcome(from_usdc_grains(c.grains)), c.usdc);
    EXPECT_EQ(outcome(from_qzr_grains(c.grains)), c.qzr);
  }
}

TEST(RecordedAmount, UnscaledIntegersCountMillionths) {
  struct Case {
    std::string_view amount;
    UInt128 unscaled;
  };
  // Worked examples: 1.5, 0.000001, 7, RECORDED_MAX, and 2.5 at scale 1; zeros of any sign and
  // scale give 0. A scale above 6 (never recorded) truncates.
  static constexpr Case cases[] = {
      {"1.5", 1'500'000},
      {"0.000001", 1},
      {"7", 7'000'000},
      {"2.5", 2'500'000},
      {"79228162514264337593543.950335", two_96 - 1},
      {"0", 0},
      {"-0.00", 0},
      {"1.23456789", 1'234'567},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.amount);
    EXPECT_EQ(digits(decimal_to_unscaled_u128(parsed(c.amount))), digits(c.unscaled));
  }
  try {
    (void)decimal_to_unscaled_u128(parsed("-1.5"));
    ADD_FAILURE() << "no fault";
  } catch (const Fault& fault) {
    EXPECT_EQ(fault.message, "Negatives don't scale into unsigned: -1.5");
  }
}

TEST(RecordedAmount, AmountsFromUnscaledIntegersAreRecorded) {
  struct Case {
    UInt128 unscaled;
    std::string_view amount;
  };
  // Worked examples: 1500000 gives 1.5, 1 gives 0.000001, 0 gives 0, 2^100 gives RECORDED_MAX.
  static constexpr Case cases[] = {
      {1'500'000, "1.5"},
      {1, "0.000001"},
      {0, "0"},
      {2'500'000, "2.5"},
      {two_96 - 1, "79228162514264337593543.950335"},
      {two_96, "79228162514264337593543.950335"},
      {UInt128{1} << 100, "79228162514264337593543.950335"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.amount);
    const Decimal amount = decimal_from_unscaled(c.unscaled);
    EXPECT_EQ(amount.to_string(), c.amount);
    // The two conversions are inverse on non-negative recorded amounts.
    if (c.unscaled < two_96) {
      EXPECT_EQ(digits(decimal_to_unscaled_u128(amount)), digits(c.unscaled));
    }
  }
}

TEST(RecordedAmount, PowersOfTenUpTo38) {
  EXPECT_EQ(digits(pow10_u128(0)), "1");
  EXPECT_EQ(digits(pow10_u128(6)), "1000000");
  EXPECT_EQ(digits(pow10_u128(38)), "1" + std::string(38, '0'));
  EXPECT_THROW((void)pow10_u128(39), Fault);
}

TEST(RecordedAmount, UnscaledI128DebugTextAndEquality) {
  EXPECT_EQ((UnscaledI128{parsed("1.5")}.debug_text()), "UnscaledI128(1.5)");
  EXPECT_EQ((UnscaledI128{parsed("-0.25")}.debug_text()), "UnscaledI128(-0.25)");
  EXPECT_EQ(UnscaledI128{parsed("1.5")}, UnscaledI128{parsed("1.50")});
  EXPECT_NE(UnscaledI128{parsed("1.5")}, UnscaledI128{parsed("1.6")});
}

}  // namespace
}  // namespace qzr
