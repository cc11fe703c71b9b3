// Decimal addition, subtraction, multiplication, division and remainder: exact on 96-bit
// mantissas where the result fits, with a 192-bit intermediate and one rounding (half to even)
// where it does not.
#include <optional>
#include <string>

#include "core/fault.hpp"
#include "values/decimal.hpp"
#include "values/decimal_wide.hpp"

namespace qzr {

using decimal_detail::fit_to_model;
using decimal_detail::Fitted;
using decimal_detail::pow10_u128_table;
using decimal_detail::Tail;
using decimal_detail::U192;
using Kind = DecimalError::Kind;

namespace {

// The rounding paths are kept out of line so that the common exact paths stay small.
[[gnu::noinline]] DecimalResult<Decimal> fitted(const U192& magnitude, std::uint32_t scale, Tail tail,
                                                bool negative, Kind overflow) noexcept {
  const std::optional<Fitted> result = fit_to_model(magnitude, scale, tail, RoundingStrategy::HalfEven);
  if (!result) return decimal_error(overflow);
  return Decimal::from_parts_unchecked(result->mantissa, result->scale, negative);
}

// a + b for scales more than 9 apart, through 192-bit aligned terms.
[[gnu::noinline]] DecimalResult<Decimal> add_far_scales(const Decimal& a, const Decimal& b, bool b_negative,
                                                        Kind overflow) noexcept {
  const bool a_negative = a.is_sign_negative();
  const std::uint32_t scale = a.scale() > b.scale() ? a.scale() : b.scale();
  const auto align = [scale](const Decimal& value) {
    return value.scale() == scale
               ? U192::from(value.mantissa())
               : decimal_detail::multiply(value.mantissa(), pow10_u128_table[scale - value.scale()]);
  };
  const U192 a_aligned = align(a), b_aligned = align(b);
  U192 magnitude;
  bool negative;
  if (a_negative == b_negative) {
    magnitude = decimal_detail::add(a_aligned, b_aligned);
    negative = a_negative;
  } else if (!decimal_detail::less(a_aligned, b_aligned)) {
    magnitude = decimal_detail::subtract(a_aligned, b_aligned);
    negative = !magnitude.is_zero() && a_negative;
  } else {
    magnitude = decimal_detail::subtract(b_aligned, a_aligned);
    negative = b_negative;
  }
  if (magnitude.fits_mantissa()) return Decimal::from_parts_unchecked(magnitude.low_u128(), scale, negative);
  return fitted(magnitude, scale, Tail::Zero, negative, overflow);
}

// a + b where b's sign is taken as `b_negative`; `overflow` on overflow.
DecimalResult<Decimal> add_signed(const Decimal& a, const Decimal& b, bool b_negative,
                                  Kind overflow) noexcept {
  const std::uint32_t a_scale = a.scale(), b_scale = b.scale();
  if ((a_scale > b_scale ? a_scale - b_scale : b_scale - a_scale) > 9)
    return add_far_scales(a, b, b_negative, overflow);
  // Both aligned terms stay below 2^126, so 128-bit arithmetic holds the sum.
  const bool a_negative = a.is_sign_negative();
  const std::uint32_t scale = a_scale > b_scale ? a_scale : b_scale;
  UInt128 a_mantissa = a.mantissa(), b_mantissa = b.mantissa();
  if (a_scale < b_scale) a_mantissa *= pow10_u128_table[b_scale - a_scale];
  if (b_scale < a_scale) b_mantissa *= pow10_u128_table[a_scale - b_scale];
  UInt128 magnitude;
  bool negative;
  if (a_negative == b_negative) {
    magnitude = a_mantissa + b_mantissa;
    negative = a_negative;
  } else if (a_mantissa >= b_mantissa) {
    magnitude = a_mantissa - b_mantissa;
    negative = magnitude != 0 && a_negative;
  } else {
    magnitude = b_mantissa - a_mantissa;
    negative = b_negative;
  }
  if (magnitude <= Decimal::max_mantissa) return Decimal::from_parts_unchecked(magnitude, scale, negative);
  return fitted(U192::from(magnitude), scale, Tail::Zero, negative, overflow);
}

}  // namespace

DecimalResult<Decimal> Decimal::checked_add(const Decimal& other) const noexcept {
  return add_signed(*this, other, other.is_sign_negative(), Kind::AdditionOverflow);
}

DecimalResult<Decimal> Decimal::checked_sub(const Decimal& other) const noexcept {
  return add_signed(*this, other, !other.is_sign_negative(), Kind::SubtractionOverflow);
}

DecimalResult<Decimal> Decimal::checked_mul(const Decimal& other) const noexcept {
  const UInt128 a = mantissa(), b = other.mantissa();
  if (a == 0 || b == 0) return Decimal();
  const bool negative = is_sign_negative() != other.is_sign_negative();
  const std::uint32_t scale = this->scale() + other.scale();
  U192 product;
  if ((a >> 64) == 0 && (b >> 64) == 0) {
    const UInt128 small = UInt128{static_cast<std::uint64_t>(a)} * static_cast<std::uint64_t>(b);
    if (small <= max_mantissa && scale <= max_scale) return from_parts_unchecked(small, scale, negative);
    product = U192::from(small);
  } else {
    product = decimal_detail::multiply(a, b);
  }
  return fitted(product, scale, Tail::Zero, negative, Kind::MultiplicationOverflow);
}

DecimalResult<Decimal> Decimal::checked_div(const Decimal& other) const noexcept {
  const UInt128 divisor = other.mantissa();
  if (divisor == 0) return decimal_error(Kind::DivisionByZero);
  const bool negative = is_sign_negative() != other.is_sign_negative();
  // The preferred scale of an exact quotient, and the digits the dividend needs to reach it.
  const std::uint32_t dividend_scale = scale(), divisor_scale = other.scale();
  const std::uint32_t preferred = dividend_scale > divisor_scale ? dividend_scale - divisor_scale : 0;
  const std::uint32_t lift = preferred + divisor_scale - dividend_scale;
  const UInt128 dividend = mantissa();
  if (dividend == 0) return from_parts_unchecked(0, preferred, negative);

  U192 quotient =
      lift == 0 ? U192::from(dividend) : decimal_detail::multiply(dividend, pow10_u128_table[lift]);
  const UInt128 remainder = decimal_detail::divide_in_place(quotient, divisor);
  if (!quotient.fits_mantissa()) {
    return fitted(quotient, preferred, decimal_detail::tail_of_remainder(remainder, divisor), negative,
                  Kind::DivisionOverflow);
  }
  if (remainder == 0) return from_parts_unchecked(quotient.low_u128(), preferred, negative);

  // Not exact at the preferred scale: continue the division down to scale 28 and round once.
  const std::uint32_t extra = max_scale - preferred;
  const UInt128 unit = pow10_u128_table[extra];
  U192 fraction = decimal_detail::multiply(remainder, unit);
  const UInt128 final_remainder = decimal_detail::divide_in_place(fraction, divisor);
  const U192 total = decimal_detail::add(decimal_detail::multiply(quotient.low_u128(), unit), fraction);
  const std::optional<Fitted> result =
      fit_to_model(total, max_scale, decimal_detail::tail_of_remainder(final_remainder, divisor),
                   RoundingStrategy::HalfEven);
  if (!result) return decimal_error(Kind::DivisionOverflow);
  UInt128 result_mantissa = result->mantissa;
  std::uint32_t result_scale = result->scale;
  if (result->exact) decimal_detail::strip_trailing_zeros(result_mantissa, result_scale, preferred);
  return from_parts_unchecked(result_mantissa, result_scale, negative);
}

DecimalResult<Decimal> Decimal::checked_rem(const Decimal& other) const noexcept {
  const UInt128 b = other.mantissa();
  if (b == 0) return decimal_error(Kind::DivisionByZero);
  const std::uint32_t a_scale = scale(), b_scale = other.scale();
  const std::uint32_t result_scale = a_scale > b_scale ? a_scale : b_scale;
  const UInt128 a = mantissa();
  const bool negative = is_sign_negative();
  if (a_scale >= b_scale) {
    // |a| < 2^96, so a divisor scaled beyond 128 bits exceeds it and the remainder is a itself.
    UInt128 divisor;
    if (__builtin_mul_overflow(b, pow10_u128_table[a_scale - b_scale], &divisor)) return *this;
    return from_parts_unchecked(a % divisor, result_scale, negative);
  }
  U192 dividend = decimal_detail::multiply(a, pow10_u128_table[b_scale - a_scale]);
  return from_parts_unchecked(decimal_detail::divide_in_place(dividend, b), result_scale, negative);
}

DecimalResult<Decimal> Decimal::checked_powu(std::uint64_t exponent) const noexcept {
  if (exponent == 0) return one();
  // Left to right over the exponent's bits: every intermediate is a power not above the result.
  Decimal result = *this;
  for (int bit = std::bit_width(exponent) - 2; bit >= 0; --bit) {
    DecimalResult<Decimal> squared = result.checked_mul(result);
    if (!squared) return squared;
    result = *squared;
    if (((exponent >> bit) & 1) != 0) {
      DecimalResult<Decimal> product = result.checked_mul(*this);
      if (!product) return product;
      result = *product;
    }
  }
  return result;
}

namespace {

Decimal value_or_fault(DecimalResult<Decimal> result) {
  if (!result) fault(std::string(result.error().text()));
  return *result;
}

}  // namespace

Decimal operator+(const Decimal& a, const Decimal& b) { return value_or_fault(a.checked_add(b)); }
Decimal operator-(const Decimal& a, const Decimal& b) { return value_or_fault(a.checked_sub(b)); }
Decimal operator*(const Decimal& a, const Decimal& b) { return value_or_fault(a.checked_mul(b)); }
Decimal operator/(const Decimal& a, const Decimal& b) { return value_or_fault(a.checked_div(b)); }
Decimal operator%(const Decimal& a, const Decimal& b) { return value_or_fault(a.checked_rem(b)); }

DecimalResult<Decimal> apply_decimal_operator(DecimalOperator op, const Decimal& left,
                                              const Decimal& right) noexcept {
  DecimalResult<Decimal> result = [&] {
    switch (op) {
      case DecimalOperator::Add: return left.checked_add(right);
      case DecimalOperator::Subtract: return left.checked_sub(right);
      case DecimalOperator::Multiply: return left.checked_mul(right);
      case DecimalOperator::Divide: return left.checked_div(right);
      case DecimalOperator::Remainder: return left.checked_rem(right);
      case DecimalOperator::Power: return left.checked_pow(right);
    }
    return DecimalResult<Decimal>(decimal_error(Kind::MathOperation));
  }();
  if (!result) return decimal_error(Kind::MathOperation);
  return result;
}

}  // namespace qzr
