// Market specs: the specs kinds, the specs expression (the text that describes a market, which a
// specs record holds) and the reading of both from untrusted input. The specs key itself is one of the
// tree keys (keys/tree_keys.hpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "abi/token.hpp"
#include "core/common_error.hpp"

namespace qzr {

// The kind of a market's specs; the number is the byte written into specs keys.
enum class SpecsKind : std::uint8_t {
  SingleNamePerpetual = 0,
  MarketGateway = 1,
};

inline constexpr std::uint8_t specs_kind_number(SpecsKind kind) noexcept {
  return static_cast<std::uint8_t>(kind);
}

// The kind of a number, nullopt for any number but 0 and 1.
std::optional<SpecsKind> specs_kind_from_number(std::uint8_t number) noexcept;

// "SingleNamePerpetual" or "MarketGateway": the member's name, which is also its debug text.
std::string_view specs_kind_name(SpecsKind kind) noexcept;

// Reads a kind from its external name, untrusted: exactly "SINGLENAMEPERP" or "GATEWAY"
// (case-sensitive); any other text fails with Parse "Unable to parse <text> as SpecsKind".
Result<SpecsKind> parse_specs_kind(std::string_view text);

// The longest specs name a specs key can hold, in UTF-8 bytes: what the 32-byte tree key leaves
// after the kind byte, the chain discriminant, the specs kind and the length byte.
inline constexpr std::size_t specs_name_max_bytes = 28;

// The text that describes the market. It is stored and copied but never interpreted.
struct SpecsExpr {
  std::string text;

  friend bool operator==(const SpecsExpr&, const SpecsExpr&) = default;
};

// Reads a specs expression from a decoded ABI token, untrusted: a string token gives its text
// unchanged; every other token fails with Other "Invalid specs expression".
Result<SpecsExpr> parse_specs_expr(const abi::Token& token);

// SpecsExpr("<text>"), the text quoted as debug texts quote strings.
std::string debug_text(const SpecsExpr& expr);

}  // namespace qzr
