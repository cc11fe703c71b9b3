// The members of ItemKind.
#include "python/classes/state/item_kind_class.hpp"

namespace qzr::py {

void ClassDef<ItemKind>::add_members(TypeBuilder& builder) {
  Members<NumberConstructor<"value">, EnumMembers<ItemKind, std::uint8_t>,
          NumbersByName<"discriminants">>::add_to<ItemKind>(builder);
}

}  // namespace qzr::py
