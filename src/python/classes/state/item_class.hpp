// The Python class Item (qzr_python.common.state.Item): the tagged state value, frozen and
// without a constructor.
#pragma once

#include "python/classes/state/item_kind_class.hpp"
#include "python/frame/frame.hpp"
#include "state/item.hpp"

namespace qzr::py {

template <>
struct ClassDef<Item> {
  static constexpr const char* name = "Item";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
