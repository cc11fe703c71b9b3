// The members of the Python class Price.
#include "python/classes/state/price_class.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

template void add_record_members<Price>(TypeBuilder& builder);

}  // namespace qzr::py
