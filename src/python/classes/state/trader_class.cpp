// The members of the Python class Trader.
#include "python/classes/state/trader_class.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

template void add_record_members<Trader>(TypeBuilder& builder);

}  // namespace qzr::py
