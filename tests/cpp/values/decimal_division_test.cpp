// Decimal division against a slow reference: the quotient continued to scale 28 through 192-bit
// long division, then fitted to the model and stripped digit by digit. Random operand pairs with
// weight on the edges (scales 0 and 28, mantissas near powers of two and ten, the largest
// mantissa) must give the same representation or the same error.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>

#include "decimal_test_support.hpp"
#include "values/decimal.hpp"
#include "values/decimal_wide.hpp"

namespace qzr {
namespace {

using decimal_detail::pow10_u128_table;
using decimal_detail::Tail;
using decimal_detail::U192;

// Zeros stripped one digit at a time while the scale is above `min_scale`.
void strip_zeros_naively(UInt128& mantissa, std::uint32_t& scale, std::uint32_t min_scale) {
  while (mantissa != 0 && scale > min_scale && mantissa % 10 == 0) {
    mantissa /= 10;
    --scale;
  }
}

DecimalResult<Decimal> fitted_reference(const U192& value, std::uint32_t scale, Tail tail, bool negative) {
  const auto result = decimal_detail::fit_to_model(value, scale, tail, RoundingStrategy::HalfEven);
  if (!result) return decimal_error(DecimalError::Kind::DivisionOverflow);
  return Decimal::from_parts_or_fault(result->mantissa, result->scale, negative);
}

// The quotient at the preferred scale; when inexact, continued to scale 28 and rounded once.
DecimalResult<Decimal> reference_div(const Decimal& a, const Decimal& b) {
  const UInt128 divisor = b.mantissa();
  if (divisor == 0) return decimal_error(DecimalError::Kind::DivisionByZero);
  const bool negative = a.is_sign_negative() != b.is_sign_negative();
  const std::uint32_t preferred = a.scale() > b.scale() ? a.scale() - b.scale() : 0;
  const std::uint32_t lift = preferred + b.scale() - a.scale();
  const UInt128 dividend = a.mantissa();
  if (dividend == 0) return Decimal::from_parts_or_fault(0, preferred, negative);

  U192 quotient = decimal_detail::multiply(dividend, pow10_u128_table[lift]);
  const UInt128 remainder = decimal_detail::divide_in_place(quotient, divisor);
  if (!quotient.fits_mantissa())
    return fitted_reference(quotient, preferred, decimal_detail::tail_of_remainder(remainder, divisor),
                            negative);
  if (remainder == 0) return Decimal::from_parts_or_fault(quotient.low_u128(), preferred, negative);

  const UInt128 unit = pow10_u128_table[Decimal::max_scale - preferred];
  U192 fraction = decimal_detail::multiply(remainder, unit);
  const UInt128 final_remainder = decimal_detail::divide_in_place(fraction, divisor);
  const U192 total = decimal_detail::add(decimal_detail::multiply(quotient.low_u128(), unit), fraction);
  const auto result = decimal_detail::fit_to_model(
      total, Decimal::max_scale, decimal_detail::tail_of_remainder(final_remainder, divisor),
      RoundingStrategy::HalfEven);
  if (!result) return decimal_error(DecimalError::Kind::DivisionOverflow);
  UInt128 mantissa = result->mantissa;
  std::uint32_t scale = result->scale;
  if (result->exact) strip_zeros_naively(mantissa, scale, preferred);
  return Decimal::from_parts_or_fault(mantissa, scale, negative);
}

// Operands drawn from a fixed seed: mantissas of uniformly chosen bit width, or near an edge
// (0, 1, powers of two and ten and their neighbours, products of small factors, the largest
// mantissa); scales uniform, with extra weight on 0 and 28.
class OperandSource {
 public:
  explicit OperandSource(std::uint64_t seed) : m_random(seed) {}

  Decimal next() {
    const UInt128 mantissa = next_mantissa();
    std::uint32_t scale = static_cast<std::uint32_t>(m_random() % 34);
    if (scale == 29 || scale == 30) scale = 0;
    if (scale > 30) scale = Decimal::max_scale;
    return Decimal::from_parts_or_fault(mantissa, scale, (m_random() & 1) != 0);
  }

 private:
  UInt128 bits(unsigned width) {
    if (width == 0) return 0;
    const UInt128 value = (UInt128{m_random()} << 64) | m_random();
    return value >> (128 - width);
  }

  UInt128 next_mantissa() {
    const UInt128 value = [&]() -> UInt128 {
      switch (m_random() % 8) {
        case 0: {
          const UInt128 base = pow10_u128_table[m_random() % 29];
          return base + static_cast<int>(m_random() % 3) - 1;
        }
        case 1: {
          const UInt128 base = UInt128{1} << (m_random() % 96);
          return base + static_cast<int>(m_random() % 3) - 1;
        }
        case 2: return Decimal::max_mantissa - m_random() % 3;
        case 3: {  // a product of small factors, so that exact quotients are common
          UInt128 value = 1;
          for (int i = static_cast<int>(m_random() % 12); i > 0; --i) value *= 2 + m_random() % 9;
          return value * pow10_u128_table[m_random() % 10];
        }
        default: return bits(static_cast<unsigned>(m_random() % 97));
      }
    }();
    return value > Decimal::max_mantissa ? Decimal::max_mantissa : value;
  }

  std::mt19937_64 m_random;
};

// Whether a / b gives the reference's representation or error; reports a mismatch.
bool matches_reference(const Decimal& a, const Decimal& b) {
  const DecimalResult<Decimal> expected = reference_div(a, b), actual = a.checked_div(b);
  const bool same = expected.has_value() == actual.has_value() &&
                    (expected ? actual->same_representation(*expected) : actual.error() == expected.error());
  if (!same) {
    ADD_FAILURE() << a.to_string() << " / " << b.to_string() << ": " << testing::outcome(actual)
                  << ", reference " << testing::outcome(expected);
  }
  return same;
}

TEST(DecimalDivision, MatchesTheLongDivisionReferenceOnRandomOperands) {
  OperandSource source(20261210);
  int mismatches = 0;
  for (int i = 0; i < 1'200'000 && mismatches < 10; ++i) {
    const Decimal a = source.next(), b = source.next();
    if (!matches_reference(a, b)) ++mismatches;
  }
}

// Quotients whose digits run into the largest mantissa: an integer quotient of
// floor(max / 10^e) followed by e fraction digits that exceed the model's last digits, or equal
// them and round up (a carry past 2^96 - 1), so that a digit fewer is kept.
TEST(DecimalDivision, MatchesTheReferenceWhereTheDigitsReachTheLargestMantissa) {
  int mismatches = 0;
  for (std::uint32_t e = 1; e <= Decimal::max_scale; ++e) {
    const UInt128 quotient = Decimal::max_mantissa / pow10_u128_table[e];
    for (UInt128 divisor = 2; divisor < 100; ++divisor) {
      if (quotient > (Decimal::max_mantissa - divisor) / divisor) break;
      for (UInt128 remainder = 1; remainder < divisor && mismatches < 10; ++remainder) {
        for (const std::uint32_t divisor_scale : {0u, Decimal::max_scale - e}) {
          for (const std::uint32_t preferred : {0u, Decimal::max_scale - e - divisor_scale}) {
            const Decimal a = Decimal::from_parts_or_fault(quotient * divisor + remainder,
                                                           divisor_scale + preferred, false);
            const Decimal b = Decimal::from_parts_or_fault(divisor, divisor_scale, true);
            if (!matches_reference(a, b)) ++mismatches;
          }
        }
      }
    }
  }
}

// The division's exact results and hash() rely on stripping; compare it with the digit loop on
// values with many zeros, wide and narrow, and every floor.
TEST(DecimalDivision, StrippingZerosMatchesTheDigitLoop) {
  std::mt19937_64 random(7);
  for (int i = 0; i < 200'000; ++i) {
    const UInt128 digits = (UInt128{random()} << 64 | random()) >> (random() % 128);
    UInt128 mantissa = digits % pow10_u128_table[random() % 29] * pow10_u128_table[random() % 29];
    if (mantissa > Decimal::max_mantissa) mantissa = digits % pow10_u128_table[19] * pow10_u128_table[9];
    const auto scale = static_cast<std::uint32_t>(random() % 29);
    const auto min_scale = static_cast<std::uint32_t>(random() % 29);
    UInt128 expected = mantissa, actual = mantissa;
    std::uint32_t expected_scale = scale, actual_scale = scale;
    strip_zeros_naively(expected, expected_scale, min_scale);
    decimal_detail::strip_trailing_zeros(actual, actual_scale, min_scale);
    if (actual != expected || actual_scale != expected_scale) {
      FAIL() << Decimal::from_parts_or_fault(mantissa, scale, false).to_string() << " down to scale "
             << min_scale << ": scale " << actual_scale << ", the digit loop " << expected_scale;
    }
  }
}

}  // namespace
}  // namespace qzr
