// The Python class ItemKind (qzr_python.common.state.ItemKind): the kinds of state value of the
// list of kinds (state/kinds.hpp), an enum read as an unsigned byte, with the dict
// `discriminants` of its members.
#pragma once

#include "python/frame/frame.hpp"
#include "state/item_kind.hpp"

namespace qzr::py {

// ItemKind(value): `value` an integer 0 to 255 (else the integer conversion's OverflowError or
// TypeError); a number above the last kind of the list (item_kind_count and above) is ValueError
// "<value> is not a valid ItemKind". Operands of == and != are compared as unsigned bytes first,
// so ItemKind.Trader == 1 and ItemKind.Trader != 257.
template <>
struct ClassDef<ItemKind> : EnumClassDef<ItemKind> {
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
