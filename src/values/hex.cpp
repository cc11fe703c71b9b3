// Hexadecimal text: encoding and the strip and fixed readings.
#include "values/hex.hpp"

#include "core/utf8.hpp"

namespace qzr {
namespace {

constexpr char hex_digits[] = "0123456789abcdef";

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
  for (const std::uint8_t byte : bytes) {
    out += hex_digits[byte >> 4];
    out += hex_digits[byte & 0xF];
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
