// Reading a specs kind from its external name and a specs expression from a decoded token, and
// the expression's debug text.
#include "keys/specs.hpp"

#include "core/debug_quote.hpp"
#include "values/debug_shapes.hpp"

namespace qzr {

Result<SpecsKind> parse_specs_kind(std::string_view text) {
  if (const std::optional<SpecsKind> kind = enum_from_external_name<SpecsKind>(text)) return *kind;
  return fail(CommonError::parse("Unable to parse " + std::string(text) + " as " +
                                 std::string(EnumTable<SpecsKind>::name)));
}

Result<SpecsExpr> parse_specs_expr(const abi::Token& token) {
  if (const std::string* text = token.if_string()) return SpecsExpr{*text};
  return fail(CommonError::other("Invalid specs expression"));
}

std::string debug_text(const SpecsExpr& expr) { return debug_tuple("SpecsExpr", debug_quote(expr.text)); }

}  // namespace qzr
