// The Python class TokenSymbol (qzr_python.common.TokenSymbol): USDC and QZR, a simple enum
// without a constructor, hashable, with the token addresses of the application context.
#pragma once

#include "context/token_symbol.hpp"
#include "python/frame/frame.hpp"

namespace qzr::py {

template <>
struct ClassDef<TokenSymbol> : EnumClassDef<TokenSymbol> {
  static constexpr const char* doc = "Well-known ERC20 tokens used in the underpinning of the protocol";
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
