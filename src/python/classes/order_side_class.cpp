#include "python/classes/order_side_class.hpp"

#include <string>

#include "python/classes/enum_comparison.hpp"
#include "python/classes/exceptions.hpp"

namespace qzr::py {
namespace {

Result<OrderSide> construct(std::string name) { return parse_order_side(name); }
OrderSide bid() { return OrderSide::Bid; }
OrderSide ask() { return OrderSide::Ask; }
std::string repr(const OrderSide& self) { return "OrderSide." + std::string(order_side_name(self)); }
std::int64_t to_int(const OrderSide& self) { return enum_discriminant(self); }

}  // namespace

// No __hash__: with equality defined, instances are unhashable.
void ClassDef<OrderSide>::add_members(TypeBuilder& builder) {
  Members<Constructor<&construct, "name">, ClassAttribute<"Bid", &bid>, ClassAttribute<"Ask", &ask>,
          Repr<&repr>, Int<&to_int>,
          RichCompare<&compare_enum_member<OrderSide>>>::add_to<OrderSide>(builder);
}

}  // namespace qzr::py
