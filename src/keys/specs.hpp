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
#include "core/enum_table.hpp"

namespace qzr {

// The kind of a market's specs; the number is the byte written into specs keys.
enum class SpecsKind : std::uint8_t {
  SingleNamePerpetual = 0,
  MarketGateway = 1,
};

// The member name is also the debug text; the external name is what parse_specs_kind reads.
template <>
struct EnumTable<SpecsKind> {
  static constexpr std::string_view name = "SpecsKind";
  static constexpr EnumMember<SpecsKind> members[] = {
      {.name = "SingleNamePerpetual",
       .value = SpecsKind::SingleNamePerpetual,
       .external_name = "SINGLENAMEPERP"},
      {.name = "MarketGateway", .value = SpecsKind::MarketGateway, .external_name = "GATEWAY"},
  };
};

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
