// Token: one value of the Solidity contract ABI, as the encoder takes it and the decoder yields
// it: a tree whose leaves are addresses, byte strings, integers, bools and strings, and whose
// inner nodes are fixed arrays, arrays and tuples.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "abi/u256.hpp"

namespace qzr::abi {

using Address = std::array<std::uint8_t, 20>;

// A token is immutable once built; copies share nothing. Readers of decoded trees ask for the
// alternative they expect with the `if_` accessors, which return nullptr for any other kind, so
// a reader never assumes a shape the bytes may not have.
class Token {
 public:
  enum class Kind { Address, FixedBytes, Bytes, Int, Uint, Bool, String, FixedArray, Array, Tuple };

  static Token address(const Address& value) { return {Kind::Address, value}; }
  // Faults with "ABI fixed bytes must hold 1 to 32 bytes, got <size>" for any other length than 1
  // to 32 bytes (a bytesN value).
  static Token fixed_bytes(std::span<const std::uint8_t> value);
  static Token bytes(std::vector<std::uint8_t> value) { return {Kind::Bytes, std::move(value)}; }
  // `bits` is the value in two's complement; an intN value of any N is held sign-extended.
  static Token signed_int(const U256& bits) { return {Kind::Int, bits}; }
  static Token unsigned_int(const U256& value) { return {Kind::Uint, value}; }
  static Token boolean(bool value) { return {Kind::Bool, value}; }
  // `value` is UTF-8 text; the codec writes its bytes as they are.
  static Token string(std::string value) { return {Kind::String, std::move(value)}; }
  static Token fixed_array(std::vector<Token> elements) { return {Kind::FixedArray, std::move(elements)}; }
  static Token array(std::vector<Token> elements) { return {Kind::Array, std::move(elements)}; }
  static Token tuple(std::vector<Token> elements) { return {Kind::Tuple, std::move(elements)}; }

  Kind kind() const { return m_kind; }

  // The payload when the token is of the named kind, else nullptr.
  const Address* if_address() const { return payload_if<Address>(Kind::Address); }
  const std::vector<std::uint8_t>* if_fixed_bytes() const { return payload_if<Bytes>(Kind::FixedBytes); }
  const std::vector<std::uint8_t>* if_bytes() const { return payload_if<Bytes>(Kind::Bytes); }
  const U256* if_int() const { return payload_if<U256>(Kind::Int); }
  const U256* if_uint() const { return payload_if<U256>(Kind::Uint); }
  const bool* if_bool() const { return payload_if<bool>(Kind::Bool); }
  const std::string* if_string() const { return payload_if<std::string>(Kind::String); }
  const std::vector<Token>* if_fixed_array() const { return payload_if<Tokens>(Kind::FixedArray); }
  const std::vector<Token>* if_array() const { return payload_if<Tokens>(Kind::Array); }
  const std::vector<Token>* if_tuple() const { return payload_if<Tokens>(Kind::Tuple); }

  // Whether the encoding puts the token behind an offset: bytes, strings and arrays always; fixed
  // arrays and tuples when one of their elements is dynamic (so an empty fixed array is static).
  bool is_dynamic() const;

  // The debug text, stable and meant for error messages:
  //   Address(0x<40 lower-case hex digits>)
  //   FixedBytes([1, 2])        Bytes([104, 105])     the bytes as decimal numbers
  //   Int(-5)                   the value read as two's complement, in decimal
  //   Uint(5)                   in decimal
  //   Bool(true)                Bool(false)
  //   String("text")            quoted and escaped as debug texts quote strings
  //   FixedArray([Uint(1), Uint(2)])   Array([])   Tuple([Uint(7), Bool(true)])
  std::string debug() const;

  friend bool operator==(const Token&, const Token&) = default;

 private:
  using Bytes = std::vector<std::uint8_t>;
  using Tokens = std::vector<Token>;
  using Payload = std::variant<Address, Bytes, U256, bool, std::string, Tokens>;

  Token(Kind kind, Payload payload) : m_kind(kind), m_payload(std::move(payload)) {}

  template <class T>
  const T* payload_if(Kind kind) const {
    return m_kind == kind ? std::get_if<T>(&m_payload) : nullptr;
  }

  Kind m_kind;
  Payload m_payload;
};

// "[1, 2, 3]": bytes as a list of decimal numbers, the form the debug texts use for byte lists.
std::string debug_byte_list(std::span<const std::uint8_t> bytes);

}  // namespace qzr::abi
