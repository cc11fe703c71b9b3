// TokenSymbol names and the address lookups through the application context.
#include "context/token_symbol.hpp"

#include <string>

#include "values/hex.hpp"

namespace qzr {

TokenAddress token_address_in(const OperatorContext& context, TokenSymbol symbol) {
  switch (symbol) {
    case TokenSymbol::USDC: return context.usdc_token_address;
    case TokenSymbol::QZR: return context.qzr_token_address;
  }
  fault_undeclared(symbol);
}

std::optional<TokenSymbol> token_symbol_in(const OperatorContext& context,
                                           const TokenAddress& address) noexcept {
  if (address == context.usdc_token_address) return TokenSymbol::USDC;
  if (address == context.qzr_token_address) return TokenSymbol::QZR;
  return std::nullopt;
}

TokenAddress token_symbol_address(TokenSymbol symbol) {
  const AppContextReadGuard context = get_app_context();
  return token_address_in(*context, symbol);
}

Result<TokenSymbol> token_symbol_from_address(const TokenAddress& address) {
  std::optional<TokenSymbol> symbol;
  {
    const AppContextReadGuard context = get_app_context();
    symbol = token_symbol_in(*context, address);
  }
  if (!symbol) return fail(CommonError::other("Unknown token address: " + to_hex(address)));
  return *symbol;
}

Result<TokenAddress> parse_token_address(std::string_view text) {
  TokenAddress address;
  if (auto read = hex_fixed_decode(text, address.bytes); !read) return fail(std::move(read.error()));
  return address;
}

}  // namespace qzr
