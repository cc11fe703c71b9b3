// Internals of the decimal operations: powers of ten, the 192-bit unsigned integer that holds
// intermediate results (products, aligned sums, scaled dividends), and the rounding of such a
// result back into the 96-bit, scale 0 to 28 model.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>

#include "values/decimal.hpp"

namespace qzr::decimal_detail {

inline constexpr std::array<std::uint64_t, 20> pow10_u64 = [] {
  std::array<std::uint64_t, 20> table{};
  std::uint64_t value = 1;
  for (auto& entry : table) {
    entry = value;
    value *= 10;
  }
  return table;
}();

// 10^n for n <= 38.
inline constexpr std::array<UInt128, 39> pow10_u128_table = [] {
  std::array<UInt128, 39> table{};
  UInt128 value = 1;
  for (auto& entry : table) {
    entry = value;
    value *= 10;
  }
  return table;
}();

// The 256-bit product a x b as its low and high 128 bits.
struct Product256 {
  UInt128 low, high;
};
constexpr Product256 multiply_full(UInt128 a, UInt128 b) noexcept {
  const std::uint64_t a0 = static_cast<std::uint64_t>(a), a1 = static_cast<std::uint64_t>(a >> 64);
  const std::uint64_t b0 = static_cast<std::uint64_t>(b), b1 = static_cast<std::uint64_t>(b >> 64);
  const UInt128 p00 = UInt128{a0} * b0, p01 = UInt128{a0} * b1, p10 = UInt128{a1} * b0;
  const UInt128 p11 = UInt128{a1} * b1;
  const UInt128 middle = (p00 >> 64) + static_cast<std::uint64_t>(p01) + static_cast<std::uint64_t>(p10);
  return {(middle << 64) | static_cast<std::uint64_t>(p00), p11 + (p01 >> 64) + (p10 >> 64) + (middle >> 64)};
}

// The constants of a division by 10^k (1 <= k <= 19) through a multiplication, which takes a few
// cycles where a 128-by-64-bit division instruction takes tens. For v < 2^128, v / 10^k is
// n / 5^k with n = v >> k < 2^(128 - k); with l the bit width of 5^k and
// m = ceil(2^(128 - k + l) / 5^k), m x 5^k exceeds 2^(128 - k + l) by less than 2^l, which by
// Granlund and Montgomery's bound makes n / 5^k exactly floor(n x m / 2^(128 - k + l)); m is below
// 2^(129 - k), so it fits 128 bits.
struct Pow10Divisor {
  UInt128 multiplier;   // m
  std::uint32_t shift;  // l - k: the shift that follows taking the product's high 128 bits
};

inline constexpr auto pow10_divisors = [] {
  std::array<Pow10Divisor, 20> table{};
  for (std::uint32_t k = 1; k < table.size(); ++k) {
    const std::uint64_t five_power = pow10_u64[k] >> k;
    const auto width = static_cast<std::uint32_t>(std::bit_width(five_power));
    // ceil(2^exponent / 5^k) by long division, one quotient bit per dividend bit.
    const std::uint32_t exponent = 128 - k + width;
    UInt128 quotient = 0;
    std::uint64_t remainder = 0;
    for (std::uint32_t bit = exponent + 1; bit-- > 0;) {
      const UInt128 doubled = UInt128{remainder} * 2 + (bit == exponent ? 1 : 0);
      const bool set = doubled >= five_power;
      remainder = static_cast<std::uint64_t>(set ? doubled - five_power : doubled);
      quotient = quotient * 2 + (set ? 1 : 0);
    }
    table[k] = {quotient + (remainder != 0 ? 1 : 0), width - k};
  }
  return table;
}();

// value / 10^count in place for 1 <= count <= 19; returns value % 10^count.
constexpr std::uint64_t divide_by_pow10(UInt128& value, std::uint32_t count) noexcept {
  const Pow10Divisor& divisor = pow10_divisors[count];
  const UInt128 quotient = multiply_full(value >> count, divisor.multiplier).high >> divisor.shift;
  // The remainder is below 10^count < 2^64, so the low words alone give it.
  const std::uint64_t remainder =
      static_cast<std::uint64_t>(value) - static_cast<std::uint64_t>(quotient) * pow10_u64[count];
  value = quotient;
  return remainder;
}

// (high:low) / divisor with high < divisor, so that the quotient fits 64 bits.
inline std::uint64_t divide_2by1(std::uint64_t high, std::uint64_t low, std::uint64_t divisor,
                                 std::uint64_t& remainder) noexcept {
#if defined(__x86_64__)
  std::uint64_t quotient;
  __asm__("divq %[divisor]"
          : "=a"(quotient), "=d"(remainder)
          : [divisor] "r"(divisor), "0"(low), "1"(high)
          : "cc");
  return quotient;
#else
  const UInt128 dividend = (UInt128{high} << 64) | low;
  remainder = static_cast<std::uint64_t>(dividend % divisor);
  return static_cast<std::uint64_t>(dividend / divisor);
#endif
}

// (u2:u1:u0) / divisor for a divisor with bit 127 set and (u2:u1) < divisor, so that the
// quotient fits 64 bits. The estimate from the top divisor word is corrected against the whole
// divisor, which for a two-word divisor makes it exact (no add-back step is needed).
inline std::uint64_t divide_3by2(std::uint64_t u2, std::uint64_t u1, std::uint64_t u0, UInt128 divisor,
                                 UInt128& remainder) noexcept {
  const std::uint64_t d1 = static_cast<std::uint64_t>(divisor >> 64);
  const std::uint64_t d0 = static_cast<std::uint64_t>(divisor);
  std::uint64_t quotient;
  UInt128 partial;  // (u2:u1) - quotient * d1
  if (u2 >= d1) {   // then u2 == d1
    quotient = ~std::uint64_t{0};
    partial = UInt128{u1} + d1;
  } else {
    std::uint64_t r;
    quotient = divide_2by1(u2, u1, d1, r);
    partial = r;
  }
  while ((partial >> 64) == 0 && UInt128{quotient} * d0 > ((partial << 64) | u0)) {
    --quotient;
    partial += d1;
  }
  // The true remainder is below the divisor, so arithmetic modulo 2^128 gives it exactly.
  remainder = ((UInt128{u1} << 64) | u0) - UInt128{quotient} * divisor;
  return quotient;
}

// The number of decimal digits of `value` (0 for 0). The bit width times 1233/4096 (just below
// log10(2)) is the digit count or one less for every width up to 128 (checked where it is
// defined); one comparison with a power of ten decides.
constexpr std::uint32_t digit_count(UInt128 value) noexcept {
  const auto high = static_cast<std::uint64_t>(value >> 64);
  const auto width = static_cast<std::uint32_t>(
      high != 0 ? 64 + std::bit_width(high) : std::bit_width(static_cast<std::uint64_t>(value)));
  const std::uint32_t estimate = (width * 1233) >> 12;
  return estimate + (value >= pow10_u128_table[estimate] ? 1 : 0);
}

struct U192 {
  std::array<std::uint64_t, 3> limbs{};  // least significant first

  static constexpr U192 from(UInt128 value) noexcept {
    return {{static_cast<std::uint64_t>(value), static_cast<std::uint64_t>(value >> 64), 0}};
  }
  constexpr bool fits_u128() const noexcept { return limbs[2] == 0; }
  constexpr bool fits_mantissa() const noexcept { return limbs[2] == 0 && (limbs[1] >> 32) == 0; }
  constexpr UInt128 low_u128() const noexcept { return (UInt128{limbs[1]} << 64) | limbs[0]; }
  constexpr bool is_zero() const noexcept { return (limbs[0] | limbs[1] | limbs[2]) == 0; }
  constexpr unsigned bit_width() const noexcept {
    if (limbs[2] != 0) return 128 + std::bit_width(limbs[2]);
    if (limbs[1] != 0) return 64 + std::bit_width(limbs[1]);
    return std::bit_width(limbs[0]);
  }
  friend constexpr bool operator==(const U192&, const U192&) noexcept = default;
};

// a * b. Precondition: the product is below 2^192 (true for a, b < 2^96, and for b < 2^64).
inline U192 multiply(UInt128 a, UInt128 b) noexcept {
  const Product256 product = multiply_full(a, b);
  return {{static_cast<std::uint64_t>(product.low), static_cast<std::uint64_t>(product.low >> 64),
           static_cast<std::uint64_t>(product.high)}};
}

// a + b. Precondition: the sum is below 2^192.
inline U192 add(const U192& a, const U192& b) noexcept {
  U192 sum;
  unsigned carry = 0;
  for (int i = 0; i < 3; ++i) {
    const UInt128 limb = UInt128{a.limbs[i]} + b.limbs[i] + carry;
    sum.limbs[i] = static_cast<std::uint64_t>(limb);
    carry = static_cast<unsigned>(limb >> 64);
  }
  return sum;
}

// a - b. Precondition: a >= b.
inline U192 subtract(const U192& a, const U192& b) noexcept {
  U192 difference;
  std::uint64_t borrow = 0;
  for (int i = 0; i < 3; ++i) {
    const UInt128 limb = UInt128{a.limbs[i]} - b.limbs[i] - borrow;
    difference.limbs[i] = static_cast<std::uint64_t>(limb);
    borrow = static_cast<std::uint64_t>(limb >> 64) & 1;
  }
  return difference;
}

inline bool less(const U192& a, const U192& b) noexcept {
  for (int i = 2; i >= 0; --i) {
    if (a.limbs[i] != b.limbs[i]) return a.limbs[i] < b.limbs[i];
  }
  return false;
}

// Divides `value` in place by a non-zero divisor and returns the remainder. Leading limbs below
// the divisor take no division: their quotient limb is zero and they become the remainder.
inline std::uint64_t divide_in_place(U192& value, std::uint64_t divisor) noexcept {
  std::uint64_t remainder = 0;
  int i = 2;
  while (i >= 0 && remainder == 0 && value.limbs[i] < divisor) {
    remainder = value.limbs[i];
    value.limbs[i] = 0;
    --i;
  }
  for (; i >= 0; --i) value.limbs[i] = divide_2by1(remainder, value.limbs[i], divisor, remainder);
  return remainder;
}

inline UInt128 divide_in_place(U192& value, UInt128 divisor) noexcept {
  const std::uint64_t divisor_high = static_cast<std::uint64_t>(divisor >> 64);
  if (divisor_high == 0) return divide_in_place(value, static_cast<std::uint64_t>(divisor));
  // Normalise so that the divisor's top bit is set; the shifted dividend takes four words.
  const unsigned shift = static_cast<unsigned>(std::countl_zero(divisor_high));
  const UInt128 normalised = divisor << shift;
  const auto& v = value.limbs;
  const auto spill = [shift](std::uint64_t word) { return shift == 0 ? 0 : word >> (64 - shift); };
  const std::uint64_t n3 = spill(v[2]);
  const std::uint64_t n2 = (v[2] << shift) | spill(v[1]);
  const std::uint64_t n1 = (v[1] << shift) | spill(v[0]);
  const std::uint64_t n0 = v[0] << shift;
  UInt128 remainder = 0;
  const std::uint64_t q1 = divide_3by2(n3, n2, n1, normalised, remainder);
  const std::uint64_t q0 = divide_3by2(static_cast<std::uint64_t>(remainder >> 64),
                                       static_cast<std::uint64_t>(remainder), n0, normalised, remainder);
  value = {{q0, q1, 0}};
  return remainder >> shift;
}

// What lies below the last kept digit of a rounded quantity, relative to half a unit of it.
enum class Tail : std::uint8_t { Zero, BelowHalf, Half, AboveHalf };

// The tail of a remainder `remainder` of a division by `divisor` (remainder < divisor < 2^127).
constexpr Tail tail_of_remainder(UInt128 remainder, UInt128 divisor) noexcept {
  if (remainder == 0) return Tail::Zero;
  const UInt128 twice = remainder * 2;
  if (twice < divisor) return Tail::BelowHalf;
  return twice == divisor ? Tail::Half : Tail::AboveHalf;
}

// The tail after dropping a group of digits worth `dropped` out of `unit` (a power of ten of at
// least 10), with `below` the tail under that group.
constexpr Tail tail_after_drop(UInt128 dropped, UInt128 unit, Tail below) noexcept {
  const UInt128 half = unit / 2;
  if (dropped > half) return Tail::AboveHalf;
  if (dropped == half) return below == Tail::Zero ? Tail::Half : Tail::AboveHalf;
  return dropped == 0 && below == Tail::Zero ? Tail::Zero : Tail::BelowHalf;
}

constexpr bool rounds_up(Tail tail, bool last_digit_odd, RoundingStrategy strategy) noexcept {
  switch (strategy) {
    case RoundingStrategy::ToZero: return false;
    case RoundingStrategy::HalfUp: return tail == Tail::Half || tail == Tail::AboveHalf;
    case RoundingStrategy::HalfEven: return tail == Tail::AboveHalf || (tail == Tail::Half && last_digit_odd);
  }
  return false;
}

struct Fitted {
  UInt128 mantissa;
  std::uint32_t scale;
  bool exact;  // no non-zero digit was rounded away
};

// The fewest digits that value x 10^-scale must drop to come into the model: enough to bring the
// scale to 28, and enough that value / 10^count < 2^96, which holds exactly when
// floor(value / 2^96) < 10^count. (Rounding up may call for one more.)
constexpr std::uint32_t digits_to_drop(const U192& value, std::uint32_t scale) noexcept {
  const UInt128 above_mantissa = (UInt128{value.limbs[2]} << 32) | (value.limbs[1] >> 32);
  const std::uint32_t count = digit_count(above_mantissa);
  return scale > Decimal::max_scale && scale - Decimal::max_scale > count ? scale - Decimal::max_scale
                                                                          : count;
}

// The exact magnitude `value` x 10^-scale (any scale; `tail` describes what lies below its last
// digit) brought into the model: scale <= 28 and mantissa < 2^96, dropping as few digits as
// possible and rounding once with `strategy`. nullopt when it does not fit even at scale 0.
std::optional<Fitted> fit_to_model(U192 value, std::uint32_t scale, Tail tail,
                                   RoundingStrategy strategy) noexcept;

// fit_to_model(value, scale, Tail::Zero, RoundingStrategy::HalfEven) for a value below 2^128.
// The usual case, a sum or a product of one-word mantissas that drops 1 to 19 digits and does not
// round up to 2^96, is made inline with one multiplication for the division.
[[gnu::always_inline]] inline std::optional<Fitted> fit_u128_half_even(UInt128 value,
                                                                       std::uint32_t scale) noexcept {
  const std::uint32_t count = digits_to_drop(U192::from(value), scale);
  if (count >= 1 && count <= 19 && count <= scale) {
    UInt128 kept = value;
    const std::uint64_t dropped = divide_by_pow10(kept, count);
    const Tail tail = tail_after_drop(dropped, pow10_u64[count], Tail::Zero);
    if (rounds_up(tail, (kept & 1) != 0, RoundingStrategy::HalfEven)) ++kept;
    if (kept <= Decimal::max_mantissa) return Fitted{kept, scale - count, tail == Tail::Zero};
  }
  return fit_to_model(U192::from(value), scale, Tail::Zero, RoundingStrategy::HalfEven);
}

// Strips trailing zeros of a mantissa while the scale is above `min_scale`. A zero mantissa is
// left alone.
void strip_trailing_zeros(UInt128& mantissa, std::uint32_t& scale, std::uint32_t min_scale = 0) noexcept;

}  // namespace qzr::decimal_detail
