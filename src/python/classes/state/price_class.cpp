// The members of the Python class Price.
#include "python/classes/state/price_class.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

namespace {

// Faults as Price::mark_price does, with "Multiplication overflowed" or "Addition overflowed" when a
// step does not fit. Computed on every read.
Decimal mark_price(const Price& self) { return self.mark_price(); }

}  // namespace

void ClassDef<Price>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<Price>, Getter<"mark_price", &mark_price>>::add_to<Price>(builder);
}

}  // namespace qzr::py
