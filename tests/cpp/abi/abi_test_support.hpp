// Helpers shared by the ABI codec tests: hex text of byte strings, words and token shorthands.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "abi/token.hpp"

namespace qzr::abi::testing {

// Bytes from hex digits; white space, "0x" prefixes and '|' separators are skipped, so vectors can
// be written one word per line.
inline std::vector<std::uint8_t> from_hex(std::string_view text) {
  std::vector<std::uint8_t> out;
  int pending = -1;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == ' ' || c == '\n' || c == '\t' || c == '|') continue;
    if (c == '0' && i + 1 < text.size() && text[i + 1] == 'x' && pending < 0) {
      ++i;
      continue;
    }
    int digit = c >= '0' && c <= '9'   ? c - '0'
                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                       : -1;
    if (digit < 0) throw std::invalid_argument("bad hex digit in test vector");
    if (pending < 0) {
      pending = digit;
    } else {
      out.push_back(static_cast<std::uint8_t>(pending * 16 + digit));
      pending = -1;
    }
  }
  if (pending >= 0) throw std::invalid_argument("odd number of hex digits in test vector");
  return out;
}

inline std::string to_hex(const std::vector<std::uint8_t>& bytes) {
  static constexpr char digits[] = "0123456789abcdef";
  std::string out;
  for (std::uint8_t byte : bytes) {
    out += digits[byte >> 4];
    out += digits[byte & 0x0f];
  }
  return out;
}

// The 64 hex digits of a word holding `value`.
inline std::string word_hex(std::uint64_t value) {
  std::string digits = to_hex({static_cast<std::uint8_t>(value >> 56), static_cast<std::uint8_t>(value >> 48),
                               static_cast<std::uint8_t>(value >> 40), static_cast<std::uint8_t>(value >> 32),
                               static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                               static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)});
  return std::string(48, '0') + digits;
}

inline Token uint_token(std::uint64_t value) { return Token::unsigned_int(U256::from_u64(value)); }
inline Token int_token(std::int64_t value) { return Token::signed_int(U256::from_i64(value)); }
inline Token text_bytes(std::string_view text) { return Token::bytes({text.begin(), text.end()}); }
inline Token text_fixed_bytes(std::string_view text) {
  return Token::fixed_bytes({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

}  // namespace qzr::abi::testing
