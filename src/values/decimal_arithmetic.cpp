// Decimal addition, subtraction, multiplication and remainder (division has its own file): exact
// on 96-bit mantissas where the result fits, with a 192-bit intermediate and one rounding (half to
// even) where it does not.
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

DecimalResult<Decimal> signed_result(const std::optional<Fitted>& magnitude, bool negative,
                                     Kind overflow) noexcept {
  if (!magnitude) return decimal_error(overflow);
  return Decimal::from_parts_or_fault(magnitude->mantissa, magnitude->scale, negative);
}

// The rounding paths are kept out of line so that the common exact paths stay small: the exact
// magnitude x 10^-scale brought into the model, or `overflow`.
[[gnu::noinline]] DecimalResult<Decimal> fitted(const U192& magnitude, std::uint32_t scale, bool negative,
                                                Kind overflow) noexcept {
  return signed_result(fit_to_model(magnitude, scale, Tail::Zero, RoundingStrategy::HalfEven), negative,
                       overflow);
}
[[gnu::noinline]] DecimalResult<Decimal> fitted(UInt128 magnitude, std::uint32_t scale, bool negative,
                                                Kind overflow) noexcept {
  return signed_result(decimal_detail::fit_u128_half_even(magnitude, scale), negative, overflow);
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
  if (magnitude.fits_mantissa()) return Decimal::from_parts_or_fault(magnitude.low_u128(), scale, negative);
  return fitted(magnitude, scale, negative, overflow);
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
  if (a_scale < b_scale) a_mantissa *= decimal_detail::pow10_u64[b_scale - a_scale];
  if (b_scale < a_scale) b_mantissa *= decimal_detail::pow10_u64[a_scale - b_scale];
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
  if (magnitude <= Decimal::max_mantissa) return Decimal::from_parts_or_fault(magnitude, scale, negative);
  return fitted(magnitude, scale, negative, overflow);
}

}  // namespace

DecimalResult<Decimal> Decimal::checked_add(const Decimal& other) const noexcept {
  return add_signed(*this, other, other.is_sign_negative(), Kind::AdditionOverflow);
}

DecimalResult<Decimal> Decimal::checked_sub(const Decimal& other) const noexcept {
  return add_signed(*this, other, !other.is_sign_negative(), Kind::SubtractionOverflow);
}

DecimalResult<Decimal> Decimal::rounded_product(UInt128 product, std::uint32_t scale,
                                                bool negative) noexcept {
  return fitted(product, scale, negative, Kind::MultiplicationOverflow);
}

DecimalResult<Decimal> Decimal::checked_mul_out_of_line(const Decimal& other) const noexcept {
  const UInt128 a = mantissa(), b = other.mantissa();
  if (a == 0 || b == 0) return Decimal();
  // The inline part took every product of two non-zero one-word mantissas.
  const bool negative = is_sign_negative() != other.is_sign_negative();
  return fitted(decimal_detail::multiply(a, b), scale() + other.scale(), negative,
                Kind::MultiplicationOverflow);
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
    return from_parts_or_fault(a % divisor, result_scale, negative);
  }
  U192 dividend = decimal_detail::multiply(a, pow10_u128_table[b_scale - a_scale]);
  return from_parts_or_fault(decimal_detail::divide_in_place(dividend, b), result_scale, negative);
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

[[noreturn, gnu::cold, gnu::noinline]] void operation_fault(const DecimalError& error) {
  fault(std::string(error.text()));
}

// The result is read where the operation built it: copying the whole result object would read
// back, in one wide load, fields just stored one by one (a store-forwarding stall).
[[gnu::always_inline]] inline Decimal value_or_fault(const DecimalResult<Decimal>& result) {
  if (!result) [[unlikely]]
    operation_fault(result.error());
  return *result;
}

}  // namespace

Decimal add_or_fault(const Decimal& a, const Decimal& b) { return value_or_fault(a.checked_add(b)); }
Decimal sub_or_fault(const Decimal& a, const Decimal& b) { return value_or_fault(a.checked_sub(b)); }
Decimal mul_or_fault(const Decimal& a, const Decimal& b) { return value_or_fault(a.checked_mul(b)); }
Decimal div_or_fault(const Decimal& a, const Decimal& b) { return value_or_fault(a.checked_div(b)); }
Decimal rem_or_fault(const Decimal& a, const Decimal& b) { return value_or_fault(a.checked_rem(b)); }

}  // namespace qzr
