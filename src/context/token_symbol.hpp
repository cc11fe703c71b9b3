// TokenSymbol: the exchange's two well-known ERC-20 tokens, and their contract addresses, which
// only the application context knows (USDC in its token map, QZR in its own field).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "context/app_context.hpp"
#include "core/common_error.hpp"
#include "core/enum_table.hpp"
#include "values/fixed_bytes.hpp"

namespace qzr {

enum class TokenSymbol : std::uint8_t { USDC = 0, QZR = 1 };

template <>
struct EnumTable<TokenSymbol> {
  static constexpr std::string_view name = "TokenSymbol";
  static constexpr EnumMember<TokenSymbol> members[] = {{"USDC", TokenSymbol::USDC},
                                                        {"QZR", TokenSymbol::QZR}};
};

// The token address of `symbol` in a given context record.
TokenAddress token_address_in(const OperatorContext& context, TokenSymbol symbol);

// The member whose token address is `address` in a given context record: USDC is looked at
// first, then QZR (so USDC wins should a deployment give both tokens one address); nullopt when
// neither matches.
std::optional<TokenSymbol> token_symbol_in(const OperatorContext& context,
                                           const TokenAddress& address) noexcept;

// Faults as get_app_context does (the first read of the process builds the context).
// token_address_in the process-wide context, read under its lock (released before returning).
TokenAddress token_symbol_address(TokenSymbol symbol);

// Faults as token_symbol_address does. token_symbol_in the process-wide context. An address that
// is neither token's fails with Other "Unknown token address: " and the address's "0x" text.
Result<TokenSymbol> token_symbol_from_address(const TokenAddress& address);

// Reads an address text, untrusted, with the fixed reading of 20 bytes (values/hex.hpp): one
// optional leading "0x", then 40 hex digits in either case. Its errors are Other errors whose
// display text is the bare hexadecimal error text ("Invalid input length", ...).
Result<TokenAddress> parse_token_address(std::string_view text);

}  // namespace qzr
