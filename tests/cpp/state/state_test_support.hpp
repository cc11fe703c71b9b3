// Shared helpers of the state tests: decimals, addresses and symbols from short literals, and the
// hex helpers of the ABI tests and fault_message_of of the context tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "../abi/abi_test_support.hpp"
#include "../context/context_test_support.hpp"
#include "values/decimal.hpp"
#include "values/fixed_bytes.hpp"
#include "values/recorded_amount.hpp"
#include "values/symbols.hpp"

namespace qzr::test {

using abi::testing::from_hex;
using abi::testing::to_hex;

inline Decimal dec(std::string_view text) {
  const DecimalResult<Decimal> value = parse_decimal_text(text);
  if (!value) ADD_FAILURE() << "test decimal does not parse: " << text;
  return value.value_or(Decimal::zero());
}

inline UnscaledI128 amount(std::string_view text) { return UnscaledI128{dec(text)}; }

// N bytes all equal to `fill`.
template <class Fixed>
Fixed filled(std::uint8_t fill) {
  Fixed value;
  value.bytes.fill(fill);
  return value;
}

inline ProductSymbol symbol(std::string_view text) {
  const Result<ProductSymbol> value = product_symbol_from_text(text);
  if (!value) ADD_FAILURE() << "test symbol does not parse: " << text;
  return value.value_or(ProductSymbol{});
}

// --- Words as hex digits, for byte vectors written word by word ---------------------------------

// The 64 digits of a word holding `value`.
inline std::string w(std::uint64_t value) { return abi::testing::word_hex(value); }
// A word of left-aligned bytes, zero-padded.
inline std::string left(std::string_view digits) {
  return std::string(digits) + std::string(64 - digits.size(), '0');
}
// A signed decimal word: flag byte 15, magnitude in millionths.
inline std::string amount_word(bool negative, std::uint64_t millionths) {
  std::string word = w(millionths);
  if (negative) word[31] = '1';
  return word;
}

}  // namespace qzr::test
