// The Python class OrderSide (qzr_python.common.enums.OrderSide): Bid and Ask, a simple enum
// with a constructor from the member name.
#pragma once

#include <string>

#include "python/classes/core/exceptions.hpp"
#include "values/order_side.hpp"

namespace qzr::py {

// Exactly a member name; any other text is the common error's Parse variant.
inline Result<OrderSide> order_side_from_name(std::string name) { return parse_order_side(name); }

template <>
struct EnumDef<OrderSide> : SimpleEnum {
  static constexpr const char* name = "OrderSide";
  static constexpr auto table = enum_class_table<OrderSide>();
  using constructor = Constructor<&order_side_from_name, "name">;
};

}  // namespace qzr::py
