// The members of the Python classes InsuranceFund and FeePool.
#include "python/classes/state/fund_classes.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

void ClassDef<InsuranceFund>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<InsuranceFund>, BalanceMembers<InsuranceFund, "symbol">>::add_to<InsuranceFund>(
      builder);
}

void ClassDef<FeePool>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<FeePool>, BalanceMembers<FeePool, "symbol">>::add_to<FeePool>(builder);
}

}  // namespace qzr::py
