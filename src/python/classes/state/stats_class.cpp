// The members of the Python class Stats.
#include "python/classes/state/stats_class.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

template void add_record_members<Stats>(TypeBuilder& builder);

}  // namespace qzr::py
