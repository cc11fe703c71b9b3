// Decimal division. The integer quotient at the preferred scale decides up front how many
// fraction digits the result can hold; those come from the remainder in at most two 64-bit
// quotient steps, and the result is rounded once from the exact remainder.
#include <array>
#include <bit>
#include <cstdint>
#include <optional>

#include "values/decimal.hpp"
#include "values/decimal_wide.hpp"

namespace qzr {

using decimal_detail::divide_2by1;
using decimal_detail::pow10_u128_table;
using decimal_detail::pow10_u64;
using decimal_detail::Tail;
using decimal_detail::U192;
using Kind = DecimalError::Kind;

namespace {

// floor(max_mantissa / 10^k): q x 10^k fits the model exactly when q is at most entry k.
constexpr auto fits_after_digits = [] {
  std::array<UInt128, Decimal::max_scale + 1> table{};
  for (std::uint32_t k = 0; k <= Decimal::max_scale; ++k)
    table[k] = Decimal::max_mantissa / pow10_u128_table[k];
  return table;
}();

struct QuotientRemainder {
  UInt128 quotient;
  UInt128 remainder;
};

// numerator / divisor for a non-zero divisor below 2^96.
QuotientRemainder divide_u128(UInt128 numerator, UInt128 divisor) noexcept {
  if ((divisor >> 64) == 0) {
    const auto d = static_cast<std::uint64_t>(divisor);
    const auto high = static_cast<std::uint64_t>(numerator >> 64);
    const auto low = static_cast<std::uint64_t>(numerator);
    std::uint64_t remainder;
    if (high < d) return {divide_2by1(high, low, d, remainder), remainder};
    const std::uint64_t quotient_low = divide_2by1(high % d, low, d, remainder);
    return {(UInt128{high / d} << 64) | quotient_low, remainder};
  }
  U192 quotient = U192::from(numerator);
  const UInt128 remainder = decimal_detail::divide_in_place(quotient, divisor);
  return {quotient.low_u128(), remainder};
}

// The next `count` (at most 19) digits of remainder / divisor for a divisor below 2^64 (so
// remainder < divisor fits one word); `remainder` becomes the remainder after them. The scaled
// remainder's high word is below the divisor, so one quotient step gives the digits.
std::uint64_t next_digits(std::uint64_t& remainder, std::uint64_t divisor, std::uint32_t count) noexcept {
  const UInt128 scaled = UInt128{remainder} * pow10_u64[count];
  return divide_2by1(static_cast<std::uint64_t>(scaled >> 64), static_cast<std::uint64_t>(scaled), divisor,
                     remainder);
}

// The same for remainder < divisor < 2^96 with a divisor of two words: scaled < divisor x 2^64,
// so after normalising its top two words are below the divisor's.
std::uint64_t next_digits(UInt128& remainder, UInt128 divisor, std::uint32_t count) noexcept {
  const U192 scaled = decimal_detail::multiply(remainder, pow10_u64[count]);
  const unsigned shift = static_cast<unsigned>(std::countl_zero(static_cast<std::uint64_t>(divisor >> 64)));
  const auto spill = [shift](std::uint64_t word) { return shift == 0 ? 0 : word >> (64 - shift); };
  const auto& v = scaled.limbs;
  UInt128 rest;
  const std::uint64_t digits = decimal_detail::divide_3by2(
      (v[2] << shift) | spill(v[1]), (v[1] << shift) | spill(v[0]), v[0] << shift, divisor << shift, rest);
  remainder = rest >> shift;
  return digits;
}

// Appends to `mantissa` up to `extra` fraction digits of remainder / divisor (in groups of at
// most 19, the short group first), stopping after a group that leaves no remainder: the digits
// not taken are then zeros, which the caller's stripping would remove anyway. Returns how many
// digits were taken. Remainder and divisor are both one word or both two.
template <class Word>
std::uint32_t append_fraction_digits(UInt128& mantissa, Word& remainder, Word divisor,
                                     std::uint32_t extra) noexcept {
  std::uint32_t taken = 0;
  while (taken < extra && (taken == 0 || remainder != 0)) {
    const std::uint32_t left = extra - taken;
    const std::uint32_t count = left % 19 == 0 ? 19 : left % 19;
    mantissa = mantissa * pow10_u64[count] + next_digits(remainder, divisor, count);
    taken += count;
  }
  return taken;
}

// The exact magnitude `value` x 10^-scale with `tail` below its last digit, brought into the
// model (rounded half to even); when nothing was rounded away and `strip` is set, trailing zeros
// are stripped down to `min_scale`.
[[gnu::noinline]] DecimalResult<Decimal> fitted_quotient(const U192& value, std::uint32_t scale, Tail tail,
                                                         bool strip, std::uint32_t min_scale,
                                                         bool negative) noexcept {
  const std::optional<decimal_detail::Fitted> result =
      decimal_detail::fit_to_model(value, scale, tail, RoundingStrategy::HalfEven);
  if (!result) return decimal_error(Kind::DivisionOverflow);
  UInt128 mantissa = result->mantissa;
  std::uint32_t result_scale = result->scale;
  if (strip && result->exact) decimal_detail::strip_trailing_zeros(mantissa, result_scale, min_scale);
  return Decimal::from_parts_or_fault(mantissa, result_scale, negative);
}

}  // namespace

DecimalResult<Decimal> Decimal::checked_div(const Decimal& other) const noexcept {
  const UInt128 divisor = other.mantissa();
  if (divisor == 0) return decimal_error(Kind::DivisionByZero);
  const bool negative = is_sign_negative() != other.is_sign_negative();
  // The preferred scale of an exact quotient, and the digits the dividend needs to reach it.
  const std::uint32_t dividend_scale = scale(), divisor_scale = other.scale();
  const std::uint32_t preferred = dividend_scale > divisor_scale ? dividend_scale - divisor_scale : 0;
  const std::uint32_t lift = preferred + divisor_scale - dividend_scale;
  const UInt128 dividend = mantissa();
  if (dividend == 0) return from_parts_or_fault(0, preferred, negative);

  // The integer quotient at the preferred scale.
  U192 quotient_wide;
  UInt128 remainder;
  if (UInt128 lifted; !__builtin_mul_overflow(dividend, pow10_u128_table[lift], &lifted)) {
    const QuotientRemainder division = divide_u128(lifted, divisor);
    quotient_wide = U192::from(division.quotient);
    remainder = division.remainder;
  } else {
    quotient_wide = decimal_detail::multiply(dividend, pow10_u128_table[lift]);
    remainder = decimal_detail::divide_in_place(quotient_wide, divisor);
  }
  if (!quotient_wide.fits_mantissa()) {
    // Digits of the integer part are rounded away: no zeros are stripped.
    return fitted_quotient(quotient_wide, preferred, decimal_detail::tail_of_remainder(remainder, divisor),
                           false, preferred, negative);
  }
  const UInt128 quotient = quotient_wide.low_u128();
  if (remainder == 0) return from_parts_or_fault(quotient, preferred, negative);

  // Not exact at the preferred scale: the most fraction digits `extra` for which the integer
  // quotient followed by that many zeros still fits (one more digit never fits).
  std::uint32_t extra = max_scale - preferred;
  if (quotient != 0) {
    // quotient >= 2^(width - 1), so more than (97 - width) x log10(2) digits never fit (77/256 is
    // just below log10(2), hence the + 1).
    const std::uint32_t bound = ((97 - U192::from(quotient).bit_width()) * 77 >> 8) + 1;
    if (bound < extra) extra = bound;
    while (quotient > fits_after_digits[extra]) --extra;
  }
  UInt128 mantissa = quotient;
  std::uint32_t taken;
  Tail tail;
  if ((divisor >> 64) == 0) {
    // The usual divisor: remainder and divisor stay in single registers.
    std::uint64_t short_remainder = static_cast<std::uint64_t>(remainder);
    taken = append_fraction_digits(mantissa, short_remainder, static_cast<std::uint64_t>(divisor), extra);
    tail = decimal_detail::tail_of_remainder(short_remainder, divisor);
  } else {
    taken = append_fraction_digits(mantissa, remainder, divisor, extra);
    tail = decimal_detail::tail_of_remainder(remainder, divisor);
  }
  const std::uint32_t result_scale = preferred + taken;
  // The digits may exceed the model by less than one more digit; rounding may carry past it.
  if (mantissa > max_mantissa)
    return fitted_quotient(U192::from(mantissa), result_scale, tail, true, preferred, negative);
  if (tail == Tail::Zero) {
    std::uint32_t stripped_scale = result_scale;
    decimal_detail::strip_trailing_zeros(mantissa, stripped_scale, preferred);
    return from_parts_or_fault(mantissa, stripped_scale, negative);
  }
  if (decimal_detail::rounds_up(tail, (mantissa & 1) != 0, RoundingStrategy::HalfEven)) {
    if (mantissa == max_mantissa)
      return fitted_quotient(U192::from(mantissa), result_scale, tail, true, preferred, negative);
    ++mantissa;
  }
  return from_parts_or_fault(mantissa, result_scale, negative);
}

}  // namespace qzr
