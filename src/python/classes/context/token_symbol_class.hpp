// The Python class TokenSymbol (qzr_python.common.TokenSymbol): USDC and QZR, a simple enum
// without a constructor, hashable, with the token addresses of the application context.
#pragma once

#include <string>

#include "context/token_symbol.hpp"
#include "python/classes/core/exceptions.hpp"
#include "values/fixed_bytes.hpp"

namespace qzr::py {

namespace token_symbol_class {

// The hash of the discriminant as a Python int (which is the number itself), so that a member
// and the integer it equals hash alike, as dict keys and set members need.
inline std::uint64_t hash(const TokenSymbol& self) { return token_symbol_discriminant(self); }

// "0x" and 40 lower-case digits. Reads the application context (building it on first use).
inline std::string address(const TokenSymbol& self) { return to_hex(token_symbol_address(self)); }

// The text is read before the context, so a malformed address never builds the context.
inline Result<TokenSymbol> from_address(std::string text) {
  Result<TokenAddress> address = parse_token_address(text);
  if (!address) return fail(std::move(address.error()));
  return token_symbol_from_address(*address);
}

}  // namespace token_symbol_class

template <>
struct EnumDef<TokenSymbol> : SimpleEnum {
  static constexpr const char* name = "TokenSymbol";
  static constexpr const char* doc = "Well-known ERC20 tokens used in the underpinning of the protocol";
  static constexpr EnumMember<TokenSymbol> table[] = {{"USDC", TokenSymbol::USDC}, {"QZR", TokenSymbol::QZR}};
  static constexpr auto hash = &token_symbol_class::hash;
  using own_members = Members<Method<"address", &token_symbol_class::address>,
                              ClassMethod<"from_address", &token_symbol_class::from_address, "address">>;
};

}  // namespace qzr::py
