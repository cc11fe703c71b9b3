// The Python class OrderSide (qzr_python.common.enums.OrderSide): Bid and Ask, a simple enum
// with a constructor from the member name.
#pragma once

#include "python/frame/frame.hpp"
#include "values/order_side.hpp"

namespace qzr::py {

template <>
struct ClassDef<OrderSide> : EnumClassDef<OrderSide> {
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
