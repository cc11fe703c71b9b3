// The reading of OrderSide names.
#include "values/order_side.hpp"

#include <string>

namespace qzr {

Result<OrderSide> parse_order_side(std::string_view name) {
  if (const std::optional<OrderSide> side = enum_from_name<OrderSide>(name)) return *side;
  return fail(CommonError::parse("Invalid order side: " + std::string(name)));
}

}  // namespace qzr
