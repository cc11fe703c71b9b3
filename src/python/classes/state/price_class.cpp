// The members of the Python class Price.
#include "python/classes/state/price_class.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

namespace {

// Computed on every read; overflow is a fault ("Multiplication overflowed", "Addition overflowed").
Decimal mark_price(const Price& self) { return self.mark_price(); }

}  // namespace

void ClassDef<Price>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<Price>, Getter<"mark_price", &mark_price>>::add_to<Price>(builder);
}

}  // namespace qzr::py
