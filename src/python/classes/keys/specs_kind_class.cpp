// The members of SpecsKind: its table's, and the constructor from the external kind name.
#include "python/classes/keys/specs_kind_class.hpp"

#include <string>

#include "python/classes/core/exceptions.hpp"

namespace qzr::py {
namespace {

// Exactly an external kind name; any other text is the common error's Parse variant.
// NOLINTNEXTLINE(performance-unnecessary-value-param): a binding body, the frame converts into it
Result<SpecsKind> specs_kind_from_text(std::string kind) { return parse_specs_kind(kind); }

}  // namespace

void ClassDef<SpecsKind>::add_members(TypeBuilder& builder) {
  Members<Constructor<&specs_kind_from_text, "kind">, EnumMembers<SpecsKind>>::add_to<SpecsKind>(builder);
}

}  // namespace qzr::py
