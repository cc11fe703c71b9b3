// The members of the Python class Stats.
#include "python/classes/state/stats_class.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

void ClassDef<Stats>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<Stats>>::add_to<Stats>(builder);
}

}  // namespace qzr::py
