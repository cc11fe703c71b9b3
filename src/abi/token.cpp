// Token's fixed-bytes check, whether a token is dynamic, and the debug texts of tokens and byte
// lists.
#include "abi/token.hpp"

#include "core/debug_quote.hpp"
#include "core/fault.hpp"

namespace qzr::abi {

namespace {

constexpr char hex_digits[] = "0123456789abcdef";

std::string debug_token_list(const std::vector<Token>& tokens) {
  std::string out = "[";
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    if (i != 0) out += ", ";
    out += tokens[i].debug();
  }
  out += ']';
  return out;
}

std::string debug_signed(const U256& bits) {
  if (bits.is_negative_twos_complement()) return "-" + bits.twos_complement_negated().to_decimal();
  return bits.to_decimal();
}

}  // namespace

Token Token::fixed_bytes(std::span<const std::uint8_t> value) {
  if (value.empty() || value.size() > 32) {
    fault("ABI fixed bytes must hold 1 to 32 bytes, got " + std::to_string(value.size()));
  }
  return {Kind::FixedBytes, Bytes(value.begin(), value.end())};
}

bool Token::is_dynamic() const {
  switch (m_kind) {
    case Kind::Bytes:
    case Kind::String:
    case Kind::Array: return true;
    case Kind::FixedArray:
    case Kind::Tuple:
      for (const Token& element : std::get<Tokens>(m_payload)) {
        if (element.is_dynamic()) return true;
      }
      return false;
    case Kind::Address:
    case Kind::FixedBytes:
    case Kind::Int:
    case Kind::Uint:
    case Kind::Bool: return false;
  }
  return false;
}

std::string Token::debug() const {
  switch (m_kind) {
    case Kind::Address: {
      std::string out = "Address(0x";
      for (std::uint8_t byte : std::get<Address>(m_payload)) {
        out += hex_digits[byte >> 4];
        out += hex_digits[byte & 0x0f];
      }
      out += ')';
      return out;
    }
    case Kind::FixedBytes: return "FixedBytes(" + debug_byte_list(std::get<Bytes>(m_payload)) + ")";
    case Kind::Bytes: return "Bytes(" + debug_byte_list(std::get<Bytes>(m_payload)) + ")";
    case Kind::Int: return "Int(" + debug_signed(std::get<U256>(m_payload)) + ")";
    case Kind::Uint: return "Uint(" + std::get<U256>(m_payload).to_decimal() + ")";
    case Kind::Bool: return std::get<bool>(m_payload) ? "Bool(true)" : "Bool(false)";
    case Kind::String: return "String(" + debug_quote(std::get<std::string>(m_payload)) + ")";
    case Kind::FixedArray: return "FixedArray(" + debug_token_list(std::get<Tokens>(m_payload)) + ")";
    case Kind::Array: return "Array(" + debug_token_list(std::get<Tokens>(m_payload)) + ")";
    case Kind::Tuple: return "Tuple(" + debug_token_list(std::get<Tokens>(m_payload)) + ")";
  }
  return {};
}

std::string debug_byte_list(std::span<const std::uint8_t> bytes) {
  std::string out = "[";
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i != 0) out += ", ";
    out += std::to_string(bytes[i]);
  }
  out += ']';
  return out;
}

}  // namespace qzr::abi
