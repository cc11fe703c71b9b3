// The members of the Python classes InsuranceFund and FeePool.
#include "python/classes/state/fund_classes.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

template void add_record_members<InsuranceFund>(TypeBuilder& builder);
template void add_record_members<FeePool>(TypeBuilder& builder);

}  // namespace qzr::py
