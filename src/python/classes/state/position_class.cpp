// The members of the Python class Position.
#include "python/classes/state/position_class.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

template void add_record_members<Position>(TypeBuilder& builder);

}  // namespace qzr::py
