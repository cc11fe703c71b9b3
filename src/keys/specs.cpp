#include "keys/specs.hpp"

#include "core/debug_quote.hpp"
#include "values/debug_shapes.hpp"

namespace qzr {

std::optional<SpecsKind> specs_kind_from_number(std::uint8_t number) noexcept {
  switch (number) {
    case 0: return SpecsKind::SingleNamePerpetual;
    case 1: return SpecsKind::MarketGateway;
    default: return std::nullopt;
  }
}

std::string_view specs_kind_name(SpecsKind kind) noexcept {
  return kind == SpecsKind::MarketGateway ? "MarketGateway" : "SingleNamePerpetual";
}

Result<SpecsKind> parse_specs_kind(std::string_view text) {
  if (text == "SINGLENAMEPERP") return SpecsKind::SingleNamePerpetual;
  if (text == "GATEWAY") return SpecsKind::MarketGateway;
  return fail(CommonError::parse("Unable to parse " + std::string(text) + " as SpecsKind"));
}

Result<SpecsExpr> parse_specs_expr(const abi::Token& token) {
  if (const std::string* text = token.if_string()) return SpecsExpr{*text};
  return fail(CommonError::other("Invalid specs expression"));
}

std::string debug_text(const SpecsExpr& expr) { return debug_tuple("SpecsExpr", debug_quote(expr.text)); }

}  // namespace qzr
