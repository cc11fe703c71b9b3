// The members of the Python class Position.
#include "python/classes/state/position_class.hpp"

#include <utility>

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

namespace {

// The accounting methods take Decimal objects only (no text or number conversion) and never
// change the position they are called on; increase, decrease and cross_over return the new
// position and the step's realized amount. Overflow and division by zero are faults, and so are
// cross_over and bankruptcy_price on an Empty position (position.hpp).
using Update = std::pair<Position, Decimal>;

Decimal avg_pnl(const Position& self, const Decimal& price) { return self.avg_pnl(price); }
Decimal unrealized_pnl(const Position& self, const Decimal& price) { return self.unrealized_pnl(price); }

Update as_pair(PositionUpdate update) { return {update.position, update.realized}; }
Update increase(const Position& self, const Decimal& price, const Decimal& amount) {
  return as_pair(self.increase(price, amount));
}
Update decrease(const Position& self, const Decimal& price, const Decimal& amount) {
  return as_pair(self.decrease(price, amount));
}
Update cross_over(const Position& self, const Decimal& price, const Decimal& amount) {
  return as_pair(self.cross_over_or_fault(price, amount));
}

Decimal bankruptcy_price(const Position& self, const Decimal& mark_price,
                         const Decimal& account_total_value) {
  return self.bankruptcy_price(mark_price, account_total_value);
}

}  // namespace

void ClassDef<Position>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<Position>,
          Method<"bankruptcy_price", &bankruptcy_price, "mark_price", "account_total_value">,
          Method<"unrealized_pnl", &unrealized_pnl, "price">, Method<"avg_pnl", &avg_pnl, "price">,
          Method<"increase", &increase, "price", "amount">, Method<"decrease", &decrease, "price", "amount">,
          Method<"cross_over", &cross_over, "price", "amount">>::add_to<Position>(builder);
}

}  // namespace qzr::py
