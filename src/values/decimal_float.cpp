// Conversions between Decimal and binary floating point (double and float).
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "values/decimal.hpp"
#include "values/decimal_wide.hpp"

namespace qzr {

using decimal_detail::pow10_u128_table;
using decimal_detail::Tail;
using decimal_detail::U192;

namespace {

// value >> shift for shift < 192, with the tail of the bits shifted out.
U192 shift_right(const U192& value, unsigned shift, Tail& tail) noexcept {
  const auto bit = [&value](unsigned index) { return (value.limbs[index / 64] >> (index % 64)) & 1; };
  const auto any_below = [&value](unsigned count) {  // any of bits 0 .. count - 1 set
    for (unsigned limb = 0; limb < 3 && count > 0; ++limb) {
      const unsigned take = count < 64 ? count : 64;
      const std::uint64_t mask = take == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << take) - 1;
      if ((value.limbs[limb] & mask) != 0) return true;
      count -= take;
    }
    return false;
  };
  const bool half = shift > 0 && bit(shift - 1) != 0;
  const bool sticky = shift > 1 && any_below(shift - 1);
  tail = half ? (sticky ? Tail::AboveHalf : Tail::Half) : (sticky ? Tail::BelowHalf : Tail::Zero);

  U192 result;
  const unsigned limb_shift = shift / 64, bit_shift = shift % 64;
  for (unsigned i = 0; i < 3; ++i) {
    const unsigned source = i + limb_shift;
    std::uint64_t word = source < 3 ? value.limbs[source] >> bit_shift : 0;
    if (bit_shift != 0 && source + 1 < 3) word |= value.limbs[source + 1] << (64 - bit_shift);
    result.limbs[i] = word;
  }
  return result;
}

// Entry k (1 to 28) is 44...45, k digits: k - 1 fours and a five.
constexpr auto four_digits_then_five = [] {
  std::array<UInt128, Decimal::max_scale + 1> table{};
  UInt128 fours = 0;
  for (std::uint32_t k = 1; k <= Decimal::max_scale; ++k) {
    table[k] = fours * 10 + 5;
    fours = fours * 10 + 4;
  }
  return table;
}();

// significand x 2^exponent as a decimal (see Decimal::from_f64), with `shorten_threshold` (a power
// of two) the mantissa bound of the digit-dropping step.
DecimalResult<Decimal> from_binary(std::uint64_t significand, int exponent, bool negative,
                                   std::uint64_t shorten_threshold) noexcept {
  if (significand == 0) return Decimal::from_parts_or_fault(0, 0, negative);
  const unsigned width = static_cast<unsigned>(std::bit_width(significand));
  if (exponent >= 0) {
    if (width + static_cast<unsigned>(exponent) > 96) return decimal_error(DecimalError::Kind::InvalidValue);
    return Decimal::from_parts_or_fault(UInt128{significand} << exponent, 0, negative);
  }
  const unsigned shift = static_cast<unsigned>(-exponent);
  // The value is at least 2^(width - 1 - shift), so no scale above (97 - width + shift) * log10(2)
  // fits; 78/256 is above log10(2), and the loop walks down from there to the largest that fits.
  std::uint32_t scale = (((97 - width + shift) * 78) >> 8) + 1;
  if (scale > Decimal::max_scale) scale = Decimal::max_scale;
  UInt128 mantissa = 0;
  for (;; --scale) {
    const U192 scaled = decimal_detail::multiply(significand, pow10_u128_table[scale]);
    Tail tail = Tail::BelowHalf;
    U192 quotient;  // zero when everything is shifted out
    if (shift < 192) quotient = shift_right(scaled, shift, tail);
    if (quotient.fits_mantissa()) {
      mantissa = quotient.low_u128();
      if (decimal_detail::rounds_up(tail, (mantissa & 1) != 0, RoundingStrategy::HalfEven)) ++mantissa;
      if (mantissa <= Decimal::max_mantissa) break;
    }
    if (scale == 0) return decimal_error(DecimalError::Kind::InvalidValue);
  }
  // Shorten to the binary value's own precision: while the mantissa is at or above the threshold
  // and the scale above 0, its last digit is dropped, adding one when that digit was 5 or more.
  // After i such steps the mantissa is floor(m / 10^i) plus a carry of 0 or 1, so the steps run on
  // at least until floor(m / 10^i) is below the threshold: `count` steps, the digit count of
  // floor(m / threshold). They are taken at once; their carry is 1 exactly when the `count` digits
  // dropped are at least 44...45 (a step carries when its digit plus the carry it received is 5
  // or more). The loop takes the one step more that a carry up to the threshold calls for.
  const auto threshold_bits = static_cast<unsigned>(std::countr_zero(shorten_threshold));
  std::uint32_t count = decimal_detail::digit_count(mantissa >> threshold_bits);
  if (count > scale) count = scale;
  if (count > 0) {
    UInt128 dropped;
    if (count <= 19) {
      dropped = decimal_detail::divide_by_pow10(mantissa, count);
    } else {
      U192 kept = U192::from(mantissa);
      dropped = decimal_detail::divide_in_place(kept, pow10_u128_table[count]);
      mantissa = kept.low_u128();
    }
    if (dropped >= four_digits_then_five[count]) ++mantissa;
    scale -= count;
  }
  while (mantissa >= shorten_threshold && scale > 0) {
    const bool up = mantissa % 10 >= 5;
    mantissa = mantissa / 10 + (up ? 1 : 0);
    --scale;
  }
  if (mantissa == 0) return Decimal::from_parts_or_fault(0, 0, negative);
  decimal_detail::strip_trailing_zeros(mantissa, scale);
  return Decimal::from_parts_or_fault(mantissa, scale, negative);
}

constexpr double pow10_f64[29] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,
                                  1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19,
                                  1e20, 1e21, 1e22, 1e23, 1e24, 1e25, 1e26, 1e27, 1e28};

}  // namespace

DecimalResult<Decimal> Decimal::from_f64(double value) noexcept {
  std::uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const bool negative = (bits >> 63) != 0;
  const auto biased = static_cast<int>((bits >> 52) & 0x7ff);
  const std::uint64_t fraction = bits & ((std::uint64_t{1} << 52) - 1);
  if (biased == 0x7ff) return decimal_error(DecimalError::Kind::InvalidValue);
  if (biased == 0) return from_binary(fraction, -1074, negative, std::uint64_t{1} << 52);
  return from_binary(fraction | (std::uint64_t{1} << 52), biased - 1075, negative, std::uint64_t{1} << 52);
}

DecimalResult<Decimal> Decimal::from_f32(float value) noexcept {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  const bool negative = (bits >> 31) != 0;
  const auto biased = static_cast<int>((bits >> 23) & 0xff);
  const std::uint32_t fraction = bits & ((std::uint32_t{1} << 23) - 1);
  if (biased == 0xff) return decimal_error(DecimalError::Kind::InvalidValue);
  if (biased == 0) return from_binary(fraction, -149, negative, std::uint64_t{1} << 24);
  return from_binary(fraction | (std::uint32_t{1} << 23), biased - 150, negative, std::uint64_t{1} << 24);
}

double Decimal::to_f64() const noexcept {
  const UInt128 m = mantissa();
  const std::uint32_t places = scale();
  double result;
  if (places == 0) {
    result = static_cast<double>(m);
  } else {
    const UInt128 unit = pow10_u128_table[places];
    const UInt128 fraction = m % unit;
    // NOLINTNEXTLINE(bugprone-integer-division): the integral part, exact in integers
    result = static_cast<double>(m / unit) + static_cast<double>(fraction) / pow10_f64[places];
    if (fraction != 0) result = std::round(result * pow10_f64[places]) / pow10_f64[places];
  }
  return is_sign_negative() ? -result : result;
}

float Decimal::to_f32() const noexcept { return static_cast<float>(to_f64()); }

}  // namespace qzr
