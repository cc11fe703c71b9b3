// The members of the Python class Trader.
#include "python/classes/state/trader_class.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

void ClassDef<Trader>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<Trader>>::add_to<Trader>(builder);
}

}  // namespace qzr::py
