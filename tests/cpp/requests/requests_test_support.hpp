// Shared fixtures of the requests tests: the process-wide application context of this test binary,
// intents built from text, signing with libsecp256k1's own signing API (tests only: the product
// never signs), and a Python-repr-like rendering of dict value trees.
#pragma once

#include <secp256k1.h>
#include <secp256k1_recovery.h>
#include <stdlib.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

#include "context/token_symbol.hpp"
#include "requests/dict_value.hpp"
#include "requests/intents.hpp"
#include "values/decimal.hpp"
#include "values/fixed_bytes.hpp"
#include "values/keccak.hpp"

namespace qzr::test {

// The deployment every test of this binary reads through the application context.
inline constexpr std::uint64_t context_chain_id = 1337;
inline constexpr std::string_view context_contract = "0xabcdef0123456789abcdef0123456789abcdef01";
inline constexpr std::string_view context_usdc = "0xb0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0";

// The value of a reading that the test's own literals make succeed.
template <class T>
T must(Result<T> result) {
  if (!result) throw std::runtime_error("test fixture failed: " + result.error().display());
  return std::move(*result);
}

inline UnscaledI128 amount(std::string_view text) {
  DecimalResult<Decimal> value = parse_decimal_text(text);
  if (!value) throw std::runtime_error("test fixture decimal: " + std::string(text));
  return recorded_amount(*value);
}

inline ProductSymbol symbol(std::string_view text) { return must(product_symbol_from_text(text)); }
inline StrategyId strategy(std::string_view text) { return must(strategy_id_from_text(text)); }
inline Hash nonce(std::string_view text) { return must(bytes32_from_hex(text)); }
inline TokenAddress token(std::string_view text) { return must(parse_token_address(text)); }

// Nonces of the tables: 31 zero bytes and 0x2a; the bytes 0 to 31.
inline constexpr std::string_view nonce_42 =
    "0x000000000000000000000000000000000000000000000000000000000000002a";
inline constexpr std::string_view nonce_counting =
    "0x000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f";

// The bytes 200 to 224.
inline Bytes25 counting_order_hash() {
  Bytes25 value;
  for (std::size_t i = 0; i < value.size; ++i) value.bytes[i] = static_cast<std::uint8_t>(200 + i);
  return value;
}

inline OrderIntent eth_order() {
  return {symbol("ETHP"),    strategy("main"), OrderSide::Bid,
          OrderType::Limit,  nonce(nonce_42),  amount("1.5"),
          amount("1850.25"), amount("0"),      {}};
}

using SecretKey = std::array<std::uint8_t, 32>;

// A secret key whose last byte is `last` and whose other bytes are `fill`.
inline SecretKey secret_key(std::uint8_t fill, std::uint8_t last) {
  SecretKey key;
  key.fill(fill);
  key[31] = last;
  return key;
}

inline secp256k1_context* signing_context() {
  static secp256k1_context* context = secp256k1_context_create(SECP256K1_CONTEXT_NONE);
  return context;
}

// r || s || 27 + recovery id. The library's signatures always have a low s (normalised).
inline Signature sign_digest(const SecretKey& key, const Hash& digest) {
  secp256k1_ecdsa_recoverable_signature signature;
  if (!secp256k1_ecdsa_sign_recoverable(signing_context(), &signature, digest.bytes.data(), key.data(),
                                        nullptr, nullptr)) {
    throw std::runtime_error("signing failed");
  }
  Signature result;
  int recovery_id = 0;
  secp256k1_ecdsa_recoverable_signature_serialize_compact(signing_context(), result.bytes.data(),
                                                          &recovery_id, &signature);
  result.bytes[64] = static_cast<std::uint8_t>(27 + recovery_id);
  return result;
}

// The Ethereum address of a secret key: the last 20 bytes of keccak256 of X || Y.
inline AccountAddress address_of(const SecretKey& key) {
  secp256k1_pubkey public_key;
  if (!secp256k1_ec_pubkey_create(signing_context(), &public_key, key.data()))
    throw std::runtime_error("bad key");
  std::array<std::uint8_t, 65> serialized{};
  std::size_t size = serialized.size();
  secp256k1_ec_pubkey_serialize(signing_context(), serialized.data(), &size, &public_key,
                                SECP256K1_EC_UNCOMPRESSED);
  const Keccak256Digest hash = keccak256(std::span(serialized).subspan<1>());
  AccountAddress address;
  std::copy(hash.begin() + 12, hash.end(), address.bytes.begin());
  return address;
}

// Python's repr of the dict the tree becomes: {'t': 'Order', 'c': {...}}, ints bare, True/False.
inline std::string python_repr(const DictValue& value) {
  struct Render {
    std::string operator()(const std::string& text) const { return "'" + text + "'"; }
    std::string operator()(std::uint64_t number) const { return std::to_string(number); }
    std::string operator()(std::int64_t number) const { return std::to_string(number); }
    std::string operator()(bool flag) const { return flag ? "True" : "False"; }
    std::string operator()(const DictValue::List& list) const {
      std::string text = "[";
      for (std::size_t i = 0; i < list.size(); ++i) text += (i ? ", " : "") + python_repr(list[i]);
      return text + "]";
    }
    std::string operator()(const DictValue::Dict& dict) const {
      std::string text = "{";
      for (std::size_t i = 0; i < dict.size(); ++i) {
        text += (i ? ", '" : "'") + dict[i].key + "': " + python_repr(dict[i].value);
      }
      return text + "}";
    }
  };
  return std::visit(Render{}, value.value());
}

}  // namespace qzr::test
