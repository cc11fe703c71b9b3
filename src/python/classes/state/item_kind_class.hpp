// The Python class ItemKind (qzr_python.common.state.ItemKind): the kinds of state value of the
// list of kinds (state/kinds.hpp), a frozen enum read as an unsigned byte, with the dict
// `discriminants` of its members.
#pragma once

#include <cstdint>

#include "python/frame/frame.hpp"
#include "state/item_kind.hpp"

namespace qzr::py {

// ItemKind(value): `value` an integer 0 to 255 (else the integer conversion's OverflowError or
// TypeError); 13 to 255 are ValueError "<value> is not a valid ItemKind". Operands of == and !=
// are compared as unsigned bytes first, so ItemKind.Trader == 1 and ItemKind.Trader != 257.
template <>
struct EnumDef<ItemKind> : SimpleEnum {
  static constexpr const char* name = "ItemKind";
  static constexpr bool frozen = true;
  using compared_as = std::uint8_t;
  using constructor = NumberConstructor<"value">;
  using own_members = Members<NumbersByName<"discriminants">>;
  static constexpr auto table = enum_class_table<ItemKind>();
};

}  // namespace qzr::py
