// OrderSide names and their reading.
#include "values/order_side.hpp"

#include <string>

#include "core/fault.hpp"

namespace qzr {

std::string_view order_side_name(OrderSide side) {
  switch (side) {
    case OrderSide::Bid: return "Bid";
    case OrderSide::Ask: return "Ask";
  }
  fault("OrderSide holds an undeclared discriminant " + std::to_string(static_cast<int>(side)));
}

Result<OrderSide> parse_order_side(std::string_view name) {
  for (const OrderSide side : {OrderSide::Bid, OrderSide::Ask}) {
    if (name == order_side_name(side)) return side;
  }
  return fail(CommonError::parse("Invalid order side: " + std::string(name)));
}

std::optional<OrderSide> order_side_from_discriminant(std::uint64_t discriminant) noexcept {
  switch (discriminant) {
    case 0: return OrderSide::Bid;
    case 1: return OrderSide::Ask;
    default: return std::nullopt;
  }
}

}  // namespace qzr
