// Hexadecimal text of byte strings: the "0x" lower-case form every byte type prints, and the two
// readings of hexadecimal text (the strip reading and the fixed reading) with their error texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/common_error.hpp"

namespace qzr {

// "0x" followed by two lower-case digits per byte, high nibble first, in byte order.
std::string to_hex_text(std::span<const std::uint8_t> bytes);
// The digits alone, appended to `out`.
void append_hex_digits(std::string& out, std::span<const std::uint8_t> bytes);
// The digits alone, written to out[0] to out[2 x bytes.size() - 1].
void write_hex_digits(std::span<const std::uint8_t> bytes, char* out) noexcept;

// The value of one hexadecimal digit ('0'-'9', 'a'-'f', 'A'-'F'), or -1 for any other character.
constexpr int hex_digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Text of the hexadecimal errors, shared by both readings.
inline constexpr std::string_view hex_invalid_length_text = "Invalid input length";

// The strip reading, for untrusted text:
// 1. every "0x" is removed, scanning from the left without overlap ("0x0x12" -> "12", "00x1" -> "01");
// 2. '0'-'9', 'a'-'f', 'A'-'F' are digits, two per byte; space, tab, line feed and carriage
//    return are skipped wherever they stand; there is no length limit;
// 3. any other character fails with Parse "Invalid character '<c>' at position <i>" (i: its byte
//    index in the text after step 1; c: the character itself, U+FFFD for invalid UTF-8); an odd
//    digit count fails with Parse "Invalid input length". The first bad character wins.
Result<std::vector<std::uint8_t>> hex_strip_decode(std::string_view text);

// The strip reading of exactly N bytes into `out`: a wrong byte count (after the reading itself
// succeeded) fails with Other "Expected exactly <N> bytes". Allocates nothing.
Result<void> hex_strip_decode_exact(std::string_view text, std::span<std::uint8_t> out);

// The fixed reading of exactly out.size() bytes, for untrusted text: one leading "0x" is dropped;
// digits and skipped whitespace as in the strip reading; too few digits, an odd count, or any
// non-whitespace after the last byte fails with Other "Invalid input length"; another character
// before the last byte is complete fails with Other "Invalid character '<c>' at position <i>"
// (i counted after the dropped "0x"). The errors are Other so that their display text is the
// bare hexadecimal error text.
Result<void> hex_fixed_decode(std::string_view text, std::span<std::uint8_t> out);

}  // namespace qzr
