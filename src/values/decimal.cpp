// Decimal: construction, the 16-byte form, hashing, comparison, rounding and integer conversions.
#include "values/decimal.hpp"

#include <bit>
#include <string>

#include "core/fault.hpp"
#include "values/decimal_wide.hpp"

namespace qzr {

using decimal_detail::pow10_u128_table;
using decimal_detail::pow10_u64;
using decimal_detail::Tail;
using decimal_detail::U192;

std::string_view DecimalError::text() const noexcept {
  switch (m_kind) {
    case Kind::InvalidValue: return "Invalid value for decimal";
    case Kind::UnsupportedType: return "invalid value for decimal";
    case Kind::MathOperation: return "Check math operation error";
    case Kind::AdditionOverflow: return "Addition overflowed";
    case Kind::SubtractionOverflow: return "Subtraction overflowed";
    case Kind::MultiplicationOverflow: return "Multiplication overflowed";
    case Kind::DivisionOverflow: return "Division overflowed";
    case Kind::DivisionByZero: return "Division by zero";
    case Kind::NegativeToUnsigned: return "Couldn't cast to u128 because overflow";
    case Kind::IntegerOutOfRange: return "out of range integral type conversion attempted";
  }
  return "Invalid value for decimal";
}

namespace {

std::string u128_to_digits(UInt128 value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
    value /= 10;
  } while (value != 0);
  return digits;
}

UInt128 magnitude_of(Int128 value) noexcept {
  return value < 0 ? UInt128{0} - static_cast<UInt128>(value) : static_cast<UInt128>(value);
}

}  // namespace

void decimal_invalid_parts_fault(UInt128 mantissa, std::uint32_t scale) {
  fault("Decimal parts outside the model: mantissa " + u128_to_digits(mantissa) + ", scale " +
        std::to_string(scale));
}

DecimalResult<Decimal> Decimal::from_parts(UInt128 mantissa, std::uint32_t scale, bool negative) noexcept {
  if (mantissa > max_mantissa || scale > max_scale) return decimal_error(DecimalError::Kind::InvalidValue);
  return from_parts_or_fault(mantissa, scale, negative);
}

DecimalResult<Decimal> Decimal::from_i128(Int128 value) noexcept { return from_i128_with_scale(value, 0); }

DecimalResult<Decimal> Decimal::from_i128_with_scale(Int128 value, std::uint32_t scale) noexcept {
  return from_parts(magnitude_of(value), scale, value < 0);
}

DecimalResult<Decimal> Decimal::from_u128_with_scale(UInt128 value, std::uint32_t scale) noexcept {
  return from_parts(value, scale, false);
}

Decimal::Bytes Decimal::to_bytes() const noexcept {
  Bytes bytes{};
  const std::uint32_t words[4] = {m_flags, static_cast<std::uint32_t>(m_low),
                                  static_cast<std::uint32_t>(m_low >> 32), m_high};
  for (int word = 0; word < 4; ++word) {
    for (int byte = 0; byte < 4; ++byte)
      bytes[word * 4 + byte] = static_cast<std::uint8_t>(words[word] >> (8 * byte));
  }
  return bytes;
}

Decimal Decimal::from_bytes(const Bytes& bytes) noexcept {
  std::uint32_t words[4];
  for (int word = 0; word < 4; ++word) {
    words[word] = 0;
    for (int byte = 0; byte < 4; ++byte) words[word] |= std::uint32_t{bytes[word * 4 + byte]} << (8 * byte);
  }
  UInt128 mantissa = (UInt128{words[3]} << 64) | (UInt128{words[2]} << 32) | words[1];
  std::uint32_t scale = (words[0] >> 16) & 0x1f;
  const bool negative = (words[0] & sign_bit) != 0;
  if (scale > max_scale) {
    const std::uint64_t unit = pow10_u64[scale - max_scale];
    const UInt128 remainder = mantissa % unit;
    mantissa /= unit;
    if (remainder * 2 >= unit) ++mantissa;
    scale = max_scale;
  }
  return from_parts_or_fault(mantissa, scale, negative);
}

std::int64_t Decimal::hash() const noexcept {
  // Byte i of the 16-byte form XORed into byte i mod 8 is, word for word, the little-endian
  // (flags, low) word XOR the (middle, high) word; reading it big-endian is a byte swap.
  const Decimal value = normalized();
  const std::uint64_t first = value.m_flags | (value.m_low << 32);
  const std::uint64_t second = (value.m_low >> 32) | (std::uint64_t{value.m_high} << 32);
  const auto hash = static_cast<std::int64_t>(std::byteswap(first ^ second));
  return hash == -1 ? -2 : hash;
}

namespace {

// |a| <=> |b| for non-zero magnitudes at their scales.
std::weak_ordering compare_magnitudes(UInt128 a, std::uint32_t a_scale, UInt128 b,
                                      std::uint32_t b_scale) noexcept {
  if (a_scale == b_scale) return a <=> b;
  const bool scale_a_up = a_scale < b_scale;
  const std::uint32_t difference = scale_a_up ? b_scale - a_scale : a_scale - b_scale;
  UInt128& smaller_scale = scale_a_up ? a : b;
  if (difference <= 9) {
    smaller_scale *= pow10_u128_table[difference];  // below 2^126
    return a <=> b;
  }
  UInt128 scaled;
  // A scaled value that overflows 128 bits is larger than any 96-bit mantissa.
  if (__builtin_mul_overflow(smaller_scale, pow10_u128_table[difference], &scaled)) {
    return scale_a_up ? std::weak_ordering::greater : std::weak_ordering::less;
  }
  smaller_scale = scaled;
  return a <=> b;
}

}  // namespace

std::weak_ordering Decimal::compare_unlike(const Decimal& a, const Decimal& b) noexcept {
  const bool a_zero = a.is_zero(), b_zero = b.is_zero();
  if (a_zero && b_zero) return std::weak_ordering::equivalent;
  const bool a_negative = !a_zero && a.is_sign_negative();
  const bool b_negative = !b_zero && b.is_sign_negative();
  if (a_negative != b_negative) return a_negative ? std::weak_ordering::less : std::weak_ordering::greater;
  if (a_zero) return b_negative ? std::weak_ordering::greater : std::weak_ordering::less;
  if (b_zero) return a_negative ? std::weak_ordering::less : std::weak_ordering::greater;
  const std::weak_ordering magnitude = compare_magnitudes(a.mantissa(), a.scale(), b.mantissa(), b.scale());
  return a_negative ? 0 <=> magnitude : magnitude;
}

Decimal Decimal::rounded_to_places(std::uint32_t places, RoundingStrategy strategy) const noexcept {
  const std::uint32_t current = scale();
  if (current <= places) return *this;
  const UInt128 m = mantissa();
  if (m == 0) return from_parts_or_fault(0, places, is_sign_negative());
  const UInt128 unit = pow10_u128_table[current - places];
  UInt128 kept = m / unit;
  const Tail tail = decimal_detail::tail_of_remainder(m % unit, unit);
  if (decimal_detail::rounds_up(tail, (kept & 1) != 0, strategy)) ++kept;
  return from_parts_or_fault(kept, places, kept != 0 && is_sign_negative());
}

Decimal Decimal::normalized() const noexcept {
  UInt128 m = mantissa();
  if (m == 0) return Decimal();
  std::uint32_t s = scale();
  decimal_detail::strip_trailing_zeros(m, s);
  return from_parts_or_fault(m, s, is_sign_negative());
}

Int128 Decimal::to_i128_truncated() const noexcept {
  const auto integer = static_cast<Int128>(mantissa() / pow10_u128_table[scale()]);
  return is_sign_negative() ? -integer : integer;
}

DecimalResult<UInt128> Decimal::to_u128_truncated() const noexcept {
  if (is_sign_negative() && !is_zero()) return decimal_error(DecimalError::Kind::NegativeToUnsigned);
  return mantissa() / pow10_u128_table[scale()];
}

namespace decimal_detail {

namespace {

// digit_count is exact at both ends of every bit width: 2^(w - 1) and 2^w - 1.
constexpr bool digit_count_is_exact() {
  const auto naive = [](UInt128 value) {
    std::uint32_t digits = 0;
    for (; value != 0; value /= 10) ++digits;
    return digits;
  };
  for (unsigned width = 1; width <= 128; ++width) {
    const UInt128 low = UInt128{1} << (width - 1);
    const UInt128 high = low + (low - 1);
    if (digit_count(low) != naive(low) || digit_count(high) != naive(high)) return false;
  }
  return digit_count(0) == 0;
}
static_assert(digit_count_is_exact());

// value / 10^count in place (count 1 to 38), with the tail below the kept digits.
Tail drop_digits(U192& value, std::uint32_t count, Tail below) noexcept {
  if (count <= 19 && value.fits_u128()) {
    UInt128 narrow = value.low_u128();
    const std::uint64_t dropped = divide_by_pow10(narrow, count);
    value = U192::from(narrow);
    return tail_after_drop(dropped, pow10_u64[count], below);
  }
  if (count <= 19) {
    const std::uint64_t unit = pow10_u64[count];
    return tail_after_drop(divide_in_place(value, unit), unit, below);
  }
  const UInt128 unit = pow10_u128_table[count];
  return tail_after_drop(divide_in_place(value, unit), unit, below);
}

}  // namespace

std::optional<Fitted> fit_to_model(U192 value, std::uint32_t scale, Tail tail,
                                   RoundingStrategy strategy) noexcept {
  // The fewest digits to drop, in one division (two when more than 38 must go).
  const std::uint32_t count = digits_to_drop(value, scale);
  if (count > scale) return std::nullopt;
  for (std::uint32_t left = count; left > 0;) {
    const std::uint32_t group = left < 38 ? left : 38;
    tail = drop_digits(value, group, tail);
    left -= group;
  }
  scale -= count;
  UInt128 mantissa = value.low_u128();
  if (rounds_up(tail, (mantissa & 1) != 0, strategy)) {
    ++mantissa;
    if (mantissa > Decimal::max_mantissa) {
      // The unrounded value is 2^96 - 1: one more digit has to go, and then no carry can reach
      // 2^96 again.
      if (scale == 0) return std::nullopt;
      tail = drop_digits(value, 1, tail);
      --scale;
      mantissa = value.low_u128();
      if (rounds_up(tail, (mantissa & 1) != 0, strategy)) ++mantissa;
    }
  }
  return Fitted{mantissa, scale, tail == Tail::Zero};
}

void strip_trailing_zeros(UInt128& mantissa, std::uint32_t& scale, std::uint32_t min_scale) noexcept {
  if (mantissa == 0 || scale <= min_scale) return;
  std::uint32_t limit = scale - min_scale;
  // A value wider than 64 bits is split at its low 19 digits, two 64-bit divisions by a constant
  // and one hardware division instead of 128-bit library divisions.
  while ((mantissa >> 64) != 0) {
    const auto high = static_cast<std::uint64_t>(mantissa >> 64);
    const auto low = static_cast<std::uint64_t>(mantissa);
    std::uint64_t low_digits;
    const std::uint64_t quotient_low = divide_2by1(high % pow10_u64[19], low, pow10_u64[19], low_digits);
    if (low_digits == 0 && limit >= 19) {
      mantissa = (UInt128{high / pow10_u64[19]} << 64) | quotient_low;
      scale -= 19;
      limit -= 19;
      continue;
    }
    // Fewer than 19 zeros go: those at the end of the low digits, at most `limit`.
    std::uint32_t zeros = 0;
    for (std::uint64_t digits = low_digits; zeros < limit && digits % 10 == 0; digits /= 10) ++zeros;
    if (zeros == 0) return;
    const std::uint64_t unit = pow10_u64[zeros];
    std::uint64_t rest;
    mantissa = (UInt128{high / unit} << 64) | divide_2by1(high % unit, low, unit, rest);
    scale -= zeros;
    return;
  }
  auto small = static_cast<std::uint64_t>(mantissa);
  while (limit >= 8 && small % pow10_u64[8] == 0) {
    small /= pow10_u64[8];
    scale -= 8;
    limit -= 8;
  }
  // Fewer than 8 zeros go now: 4, 2 and 1 of them, each when that many are left to take.
  const auto strip_group = [&]<std::uint32_t Zeros>() {
    constexpr std::uint64_t unit = pow10_u64[Zeros];
    if (limit >= Zeros && small % unit == 0) {
      small /= unit;
      scale -= Zeros;
      limit -= Zeros;
    }
  };
  strip_group.template operator()<4>();
  strip_group.template operator()<2>();
  strip_group.template operator()<1>();
  mantissa = small;
}

}  // namespace decimal_detail

}  // namespace qzr
