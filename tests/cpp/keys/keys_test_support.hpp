// Shared values of the key tests: a few fields in several layouts, and H256 values written as
// spaced hexadecimal text.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "keys/tree_keys.hpp"
#include "values/h256.hpp"
#include "values/hex.hpp"

namespace qzr::keys_test {

// Spaced hexadecimal text of 32 bytes, byte 0 first.
inline H256 key_from_hex(std::string_view text) {
  H256::Bytes bytes{};
  auto read = hex_strip_decode_exact(text, bytes);
  if (!read) ADD_FAILURE() << "bad test key text: " << text;
  return H256(bytes);
}

inline std::string spaced_hex(const H256& key) {
  std::string text;
  for (std::uint8_t byte : key.bytes()) {
    if (!text.empty()) text += ' ';
    append_hex_digits(text, std::span(&byte, 1));
  }
  return text;
}

// Chain byte 0, twenty bytes 0x11.
inline TraderAddress address_a() {
  TraderAddress address;
  for (std::size_t i = 1; i < address.bytes.size(); ++i) address.bytes[i] = 0x11;
  return address;
}

// Chain byte 1, then the bytes 0x01 to 0x14.
inline TraderAddress address_b() {
  TraderAddress address;
  address.bytes[0] = 1;
  for (std::size_t i = 1; i < address.bytes.size(); ++i) address.bytes[i] = static_cast<std::uint8_t>(i);
  return address;
}

inline StrategyIdHash hash_deadbeef() { return StrategyIdHash{{0xde, 0xad, 0xbe, 0xef}}; }

// The bytes 0x01 to 0x19.
inline Bytes25 counting_hash() {
  Bytes25 hash;
  for (std::size_t i = 0; i < hash.bytes.size(); ++i) hash.bytes[i] = static_cast<std::uint8_t>(i + 1);
  return hash;
}

// ETHP packed: codes 5, 20, 8, 16 in 5-bit groups from the lowest bit.
inline ProductSymbol ethp() { return ProductSymbol{{0x85, 0x22, 0x08, 0x00, 0x00, 0x00}}; }
// BTCP packed.
inline ProductSymbol btcp() { return ProductSymbol{{0x82, 0x0E, 0x08, 0x00, 0x00, 0x00}}; }

inline SpecsKey specs_key(SpecsKind kind, std::string name) {
  auto key = SpecsKey::make(kind, std::move(name));
  if (!key) ADD_FAILURE() << key.error().display();
  return key ? *key : *SpecsKey::make(kind, "");
}

}  // namespace qzr::keys_test
