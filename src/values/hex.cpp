// Hexadecimal text: encoding and the strip and fixed readings.
#include "values/hex.hpp"

#include <array>
#include <bit>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/utf8.hpp"

namespace qzr {
namespace {

constexpr char hex_digits[] = "0123456789abcdef";

// The two lowercase digits of every byte value, high digit first.
constexpr auto hex_pairs = [] {
  std::array<char, 512> pairs{};
  for (std::size_t byte = 0; byte < 256; ++byte) {
    pairs[2 * byte] = hex_digits[byte >> 4];
    pairs[2 * byte + 1] = hex_digits[byte & 0xF];
  }
  return pairs;
}();

// hex_digit_value of every byte.
constexpr auto digit_values = [] {
  std::array<std::int8_t, 256> values{};
  for (std::size_t byte = 0; byte < 256; ++byte)
    values[byte] = static_cast<std::int8_t>(hex_digit_value(static_cast<char>(byte)));
  return values;
}();

// `byte` in each of the 8 bytes of a word.
constexpr std::uint64_t in_every_byte(std::uint8_t byte) { return std::uint64_t{0x0101010101010101} * byte; }

// Per byte of `word` (each below 0x80, so no sum carries into the next byte): 0x80 where the
// byte is at least `low` and at most `high`, else 0.
constexpr std::uint64_t bytes_within(std::uint64_t word, std::uint8_t low, std::uint8_t high) {
  const std::uint64_t at_least_low = word + in_every_byte(0x80 - low);
  const std::uint64_t above_high = word + in_every_byte(0x7F - high);
  return at_least_low & ~above_high & in_every_byte(0x80);
}

// The 8 digits at `digits` (the first is the high nibble of out[0]) as 4 bytes, all in one word:
// false when one of them is not a hexadecimal digit (`out` is then written with junk).
bool decode_eight_digits(const char* digits, std::uint8_t* out) noexcept {
  std::uint64_t word;
  std::memcpy(&word, digits, sizeof word);
  if constexpr (std::endian::native == std::endian::big) word = std::byteswap(word);
  const std::uint64_t ascii = ~word & in_every_byte(0x80);
  const std::uint64_t decimal = bytes_within(word & ~in_every_byte(0x80), '0', '9');
  const std::uint64_t letter = bytes_within((word | in_every_byte(0x20)) & ~in_every_byte(0x80), 'a', 'f');
  // A digit's value is its low four bits, plus 9 for a letter ('a' and 'A' are 0x61 and 0x41).
  const std::uint64_t nibbles = (word & in_every_byte(0x0F)) + (letter >> 7) * 9;
  // Byte i holds nibble i; join the pairs, then gather the four bytes.
  std::uint64_t bytes = ((nibbles << 4) | (nibbles >> 8)) & 0x00FF00FF00FF00FF;
  bytes = (bytes | bytes >> 8) & 0x0000FFFF0000FFFF;
  auto four = static_cast<std::uint32_t>(bytes | bytes >> 16);
  if constexpr (std::endian::native == std::endian::big) four = std::byteswap(four);
  std::memcpy(out, &four, sizeof four);
  return (ascii & (decimal | letter)) == in_every_byte(0x80);
}

#if defined(__SSE2__)
// The 32 digits at `digits` as 16 bytes, stored in one 16-byte write (so that a 16-byte read of
// the result forwards from it): false when one of them is not a hexadecimal digit.
bool decode_thirty_two_digits(const char* digits, std::uint8_t* out) noexcept {
  const auto nibbles_of = [](__m128i chars, __m128i& valid) {
    // Signed comparisons: a byte from 0x80 up is negative, so neither a digit nor a letter.
    const __m128i letters = _mm_or_si128(chars, _mm_set1_epi8(0x20));
    const __m128i decimal = _mm_and_si128(_mm_cmpgt_epi8(chars, _mm_set1_epi8('0' - 1)),
                                          _mm_cmplt_epi8(chars, _mm_set1_epi8('9' + 1)));
    const __m128i letter = _mm_and_si128(_mm_cmpgt_epi8(letters, _mm_set1_epi8('a' - 1)),
                                         _mm_cmplt_epi8(letters, _mm_set1_epi8('f' + 1)));
    valid = _mm_and_si128(valid, _mm_or_si128(decimal, letter));
    // As in decode_eight_digits: the low four bits, plus 9 for a letter.
    const __m128i nibbles =
        _mm_add_epi8(_mm_and_si128(chars, _mm_set1_epi8(0x0F)), _mm_and_si128(letter, _mm_set1_epi8(9)));
    // Each 16-bit lane holds a pair, the high nibble in its low byte: the byte is the lane's
    // low byte shifted up by four, joined with its high byte.
    return _mm_and_si128(_mm_or_si128(_mm_slli_epi16(nibbles, 4), _mm_srli_epi16(nibbles, 8)),
                         _mm_set1_epi16(0x00FF));
  };
  __m128i valid = _mm_set1_epi8(-1);
  const __m128i low = nibbles_of(_mm_loadu_si128(reinterpret_cast<const __m128i*>(digits)), valid);
  const __m128i high = nibbles_of(_mm_loadu_si128(reinterpret_cast<const __m128i*>(digits + 16)), valid);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(low, high));
  return _mm_movemask_epi8(valid) == 0xFFFF;
}
#endif

// Reads `digits`, exactly two hexadecimal digits per byte of `out` and nothing else, sixteen or
// eight bytes at a time. False when a character is not a digit; `out` may then be partly written.
bool decode_bare_digits(std::string_view digits, std::span<std::uint8_t> out) {
  bool all_digits = true;
  std::size_t i = 0;
#if defined(__SSE2__)
  for (; i + 16 <= out.size(); i += 16)
    all_digits &= decode_thirty_two_digits(digits.data() + 2 * i, out.data() + i);
#endif
  for (; i + 4 <= out.size(); i += 4)
    all_digits &= decode_eight_digits(digits.data() + 2 * i, out.data() + i);
  int any_bad = 0;
  for (; i < out.size(); ++i) {
    // NOLINTBEGIN(bugprone-signed-char-misuse): -1 marks a bad digit; the sign carries into any_bad
    const int high = digit_values[static_cast<unsigned char>(digits[2 * i])];
    const int low = digit_values[static_cast<unsigned char>(digits[2 * i + 1])];
    // NOLINTEND(bugprone-signed-char-misuse)
    any_bad |= high | low;
    out[i] = static_cast<std::uint8_t>(high << 4 | low);
  }
  return all_digits && any_bad >= 0;
}

constexpr bool is_skipped_whitespace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// "Invalid character '<c>' at position <position>", c being the character that starts at `at`.
std::string invalid_character_text(std::string_view at, std::size_t position) {
  std::string text = "Invalid character '";
  const Utf8Sequence sequence = decode_utf8_sequence_unchecked(at);
  if (sequence.status == Utf8Sequence::Status::valid) {
    text.append(at.substr(0, sequence.length));
  } else {
    append_utf8(text, replacement_character);
  }
  text += "' at position ";
  text += std::to_string(position);
  return text;
}

// Runs the strip reading over `text`, storing the first out.size() bytes into `out`; returns the
// number of bytes the text holds.
Result<std::size_t> strip_decode_into(std::string_view text, std::span<std::uint8_t> out) {
  std::size_t byte_count = 0;
  std::size_t stripped_position = 0;  // index in the text with every "0x" removed
  int high_nibble = -1;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '0' && i + 1 < text.size() && text[i + 1] == 'x') {
      i += 2;
      continue;
    }
    const char c = text[i];
    if (!is_skipped_whitespace(c)) {
      const int value = hex_digit_value(c);
      if (value < 0)
        return fail(CommonError::parse(invalid_character_text(text.substr(i), stripped_position)));
      if (high_nibble < 0) {
        high_nibble = value;
      } else {
        if (byte_count < out.size()) out[byte_count] = static_cast<std::uint8_t>(high_nibble << 4 | value);
        ++byte_count;
        high_nibble = -1;
      }
    }
    ++i;
    ++stripped_position;
  }
  if (high_nibble >= 0) return fail(CommonError::parse(std::string(hex_invalid_length_text)));
  return byte_count;
}

}  // namespace

std::string to_hex_text(std::span<const std::uint8_t> bytes) {
  std::string text;
  text.reserve(2 + 2 * bytes.size());
  text += "0x";
  append_hex_digits(text, bytes);
  return text;
}

void append_hex_digits(std::string& out, std::span<const std::uint8_t> bytes) {
  const std::size_t start = out.size();
  out.resize(start + 2 * bytes.size());
  write_hex_digits(bytes, out.data() + start);
}

void write_hex_digits(std::span<const std::uint8_t> bytes, char* out) noexcept {
  for (const std::uint8_t byte : bytes) {
    std::memcpy(out, &hex_pairs[2 * byte], 2);
    out += 2;
  }
}

Result<std::vector<std::uint8_t>> hex_strip_decode(std::string_view text) {
  // The byte count is at most half the text's length, so this allocation is bounded by the input.
  std::vector<std::uint8_t> bytes(text.size() / 2);
  const Result<std::size_t> count = strip_decode_into(text, bytes);
  if (!count) return fail(count.error());
  bytes.resize(*count);
  return bytes;
}

Result<void> hex_strip_decode_exact(std::string_view text, std::span<std::uint8_t> out) {
  // The usual text, an optional "0x" and exactly the digits wanted, reads the same directly.
  const std::string_view digits = text.starts_with("0x") ? text.substr(2) : text;
  if (digits.size() == 2 * out.size() && decode_bare_digits(digits, out)) return {};
  const Result<std::size_t> count = strip_decode_into(text, out);
  if (!count) return fail(count.error());
  if (*count != out.size())
    return fail(CommonError::other("Expected exactly " + std::to_string(out.size()) + " bytes"));
  return {};
}

Result<void> hex_fixed_decode(std::string_view text, std::span<std::uint8_t> out) {
  if (text.starts_with("0x")) text.remove_prefix(2);
  const std::size_t digits_wanted = 2 * out.size();
  std::size_t digit_count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (is_skipped_whitespace(c)) continue;
    if (digit_count == digits_wanted) return fail(CommonError::other(std::string(hex_invalid_length_text)));
    const int value = hex_digit_value(c);
    if (value < 0) return fail(CommonError::other(invalid_character_text(text.substr(i), i)));
    std::uint8_t& byte = out[digit_count / 2];
    byte = digit_count % 2 == 0 ? static_cast<std::uint8_t>(value << 4)
                                : static_cast<std::uint8_t>(byte | value);
    ++digit_count;
  }
  if (digit_count != digits_wanted) return fail(CommonError::other(std::string(hex_invalid_length_text)));
  return {};
}

}  // namespace qzr
