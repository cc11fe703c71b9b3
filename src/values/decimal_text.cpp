// Decimal text: the plain and scientific parsers and the plain text form.
#include <cstdint>
#include <string_view>

#include "values/decimal.hpp"
#include "values/decimal_wide.hpp"

namespace qzr {

using Kind = DecimalError::Kind;

namespace {

// Writes the decimal digits of `value` ending just before `end`; returns the first digit's position.
char* write_digits_backwards(std::uint64_t value, char* end) noexcept {
  do {
    *--end = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  return end;
}

}  // namespace

DecimalText Decimal::text() const noexcept {
  // Mantissa digits: at most 29, written into the tail of a scratch buffer.
  char digits[40];
  char* const end = digits + sizeof digits;
  char* first;
  const UInt128 m = mantissa();
  if ((m >> 64) == 0) {
    first = write_digits_backwards(static_cast<std::uint64_t>(m), end);
  } else {
    constexpr std::uint64_t chunk = decimal_detail::pow10_u64[19];
    const auto low = static_cast<std::uint64_t>(m % chunk);
    char* low_start = write_digits_backwards(low, end);
    while (low_start > end - 19) *--low_start = '0';
    first = write_digits_backwards(static_cast<std::uint64_t>(m / chunk), low_start);
  }
  const std::uint32_t places = scale();
  // At least one digit before the point.
  while (static_cast<std::uint32_t>(end - first) <= places) *--first = '0';

  DecimalText text;
  char* out = text.m_chars.data();
  if (is_sign_negative()) *out++ = '-';
  const char* point = end - places;
  for (const char* digit = first; digit < point; ++digit) *out++ = *digit;
  if (places > 0) {
    *out++ = '.';
    for (const char* digit = point; digit < end; ++digit) *out++ = *digit;
  }
  text.m_size = static_cast<std::uint8_t>(out - text.m_chars.data());
  return text;
}

DecimalResult<Decimal> parse_decimal_plain(std::string_view text) noexcept {
  constexpr UInt128 limit = Decimal::max_mantissa / 10;         // mantissa * 10 + d fits while
  constexpr unsigned limit_digit = Decimal::max_mantissa % 10;  // below limit, or at it with d <= this
  const auto invalid = decimal_error(Kind::InvalidValue);

  std::size_t i = 0;
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    i = 1;
  }
  std::uint32_t scale = 0;
  bool seen_digit = false, seen_point = false;
  // "_" after the first digit and one "." are the only characters besides digits.
  const auto accept_separator = [&](char c) {
    if (c == '_') return seen_digit;
    if (c != '.' || seen_point) return false;
    seen_point = true;
    return true;
  };
  // Up to 19 significant digits accumulate in 64 bits, below the mantissa limit; the general loop
  // takes over before the 20th or before a fraction digit beyond 28 places.
  std::uint64_t small = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      if (small >= decimal_detail::pow10_u64[18] || scale == Decimal::max_scale) break;
      small = small * 10 + static_cast<unsigned>(c - '0');
      seen_digit = true;
      if (seen_point) ++scale;
    } else if (!accept_separator(c)) {
      return invalid;
    }
  }
  UInt128 mantissa = small;
  int first_dropped = -1;  // the first fraction digit that did not fit, once one did not
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c < '0' || c > '9') {
      if (!accept_separator(c)) return invalid;
      continue;
    }
    const unsigned digit = static_cast<unsigned>(c - '0');
    const bool fits = mantissa < limit || (mantissa == limit && digit <= limit_digit);
    if (!seen_point) {
      if (!fits) return invalid;
      mantissa = mantissa * 10 + digit;
    } else if (first_dropped < 0) {
      if (fits && scale < Decimal::max_scale) {
        mantissa = mantissa * 10 + digit;
        ++scale;
      } else {
        first_dropped = static_cast<int>(digit);
      }
    }
  }
  if (!seen_digit) return invalid;
  if (first_dropped >= 5) {
    if (mantissa == Decimal::max_mantissa) {
      // Rounding up would leave the model: keep one digit less, rounding on that digit instead
      // (the mantissa 2^96 - 1 ends in 5, so this rounds up too).
      if (scale == 0) return invalid;
      mantissa = mantissa / 10 + 1;
      --scale;
    } else {
      ++mantissa;
    }
  }
  return Decimal::from_parts_or_fault(mantissa, scale, negative);
}

DecimalResult<Decimal> parse_decimal_scientific(std::string_view text) noexcept {
  const auto invalid = decimal_error(Kind::InvalidValue);
  const std::size_t marker = text.find_first_of("eE");
  if (marker == std::string_view::npos) return invalid;
  const DecimalResult<Decimal> base = parse_decimal_plain(text.substr(0, marker));
  if (!base) return invalid;

  std::string_view exponent_text = text.substr(marker + 1);
  bool negative_exponent = false;
  if (!exponent_text.empty() && (exponent_text[0] == '-' || exponent_text[0] == '+')) {
    negative_exponent = exponent_text[0] == '-';
    exponent_text.remove_prefix(1);
  }
  if (exponent_text.empty()) return invalid;
  // Exponents beyond 28 all fail, so saturating at a bound above that keeps the arithmetic small.
  std::uint32_t exponent = 0;
  for (const char c : exponent_text) {
    if (c < '0' || c > '9') return invalid;
    exponent = exponent * 10 + static_cast<std::uint32_t>(c - '0');
    if (exponent > 1000) exponent = 1000;
  }

  const std::uint32_t scale = base->scale();
  if (negative_exponent) {
    if (scale + exponent > Decimal::max_scale) return invalid;
    return Decimal::from_parts_or_fault(base->mantissa(), scale + exponent, base->is_sign_negative());
  }
  if (exponent <= scale) {
    return Decimal::from_parts_or_fault(base->mantissa(), scale - exponent, base->is_sign_negative());
  }
  if (exponent > Decimal::max_scale) return invalid;
  const Decimal power = Decimal::from_parts_or_fault(decimal_detail::pow10_u128_table[exponent], 0, false);
  const DecimalResult<Decimal> product = base->checked_mul(power);
  if (!product) return invalid;
  return product->normalized();
}

DecimalResult<Decimal> parse_decimal_text(std::string_view text) noexcept {
  if (DecimalResult<Decimal> plain = parse_decimal_plain(text)) return plain;
  return parse_decimal_scientific(text);
}

}  // namespace qzr
