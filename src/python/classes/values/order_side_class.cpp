// The members of OrderSide: its table's, and the constructor from a member name.
#include "python/classes/values/order_side_class.hpp"

#include <string>

#include "python/classes/core/exceptions.hpp"

namespace qzr::py {
namespace {

// Exactly a member name; any other text is the common error's Parse variant.
// NOLINTNEXTLINE(performance-unnecessary-value-param): a binding body, the frame converts into it
Result<OrderSide> order_side_from_name(std::string name) { return parse_order_side(name); }

}  // namespace

void ClassDef<OrderSide>::add_members(TypeBuilder& builder) {
  Members<Constructor<&order_side_from_name, "name">, EnumMembers<OrderSide>>::add_to<OrderSide>(builder);
}

}  // namespace qzr::py
