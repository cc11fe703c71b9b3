// The Python class Position (qzr_python.common.state.Position): one strategy's position in one
// product, a record class (record_protocol.hpp) with a default and the position accounting.
#pragma once

#include <utility>

#include "python/classes/state/accounting_enum_classes.hpp"
#include "python/classes/state/record_protocol.hpp"

namespace qzr::py {

namespace position_class {

// The accounting methods take Decimal objects only (no text or number conversion) and never
// change the position they are called on; increase, decrease and cross_over return the new
// position and the step's realized amount. Overflow and division by zero are faults, and so are
// cross_over and bankruptcy_price on an Empty position (position.hpp).
using Update = std::pair<Position, Decimal>;

inline Decimal avg_pnl(const Position& self, const Decimal& price) { return self.avg_pnl(price); }
inline Decimal unrealized_pnl(const Position& self, const Decimal& price) {
  return self.unrealized_pnl(price);
}

inline Update as_pair(PositionUpdate update) { return {update.position, update.realized}; }
inline Update increase(const Position& self, const Decimal& price, const Decimal& amount) {
  return as_pair(self.increase(price, amount));
}
inline Update decrease(const Position& self, const Decimal& price, const Decimal& amount) {
  return as_pair(self.decrease(price, amount));
}
inline Update cross_over(const Position& self, const Decimal& price, const Decimal& amount) {
  return as_pair(self.cross_over_or_fault(price, amount));
}

inline Decimal bankruptcy_price(const Position& self, const Decimal& mark_price,
                                const Decimal& account_total_value) {
  return self.bankruptcy_price(mark_price, account_total_value);
}

}  // namespace position_class

template <>
struct RecordClass<Position> : RecordClassDefaults {
  static constexpr const char* doc = "An individual position held in an strategy";
  static constexpr bool has_default = true;
  using field_docs = FieldDocs<"The position side: Long = 0, Short = 1",
                               "The position size denominated in the same unit as the underlying",
                               "The average entry price (updated when adding to the position)">;
  using own_members = Members<
      Method<"bankruptcy_price", &position_class::bankruptcy_price, "mark_price", "account_total_value">,
      Method<"unrealized_pnl", &position_class::unrealized_pnl, "price">,
      Method<"avg_pnl", &position_class::avg_pnl, "price">,
      Method<"increase", &position_class::increase, "price", "amount">,
      Method<"decrease", &position_class::decrease, "price", "amount">,
      Method<"cross_over", &position_class::cross_over, "price", "amount">>;
};

}  // namespace qzr::py
