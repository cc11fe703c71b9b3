// The members of the Python class InsuranceFundContribution.
#include "python/classes/state/insurance_fund_contribution_class.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

void ClassDef<InsuranceFundContribution>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<InsuranceFundContribution>,
          Method<"update_avail_balance",
                 &balance_members::updated_copy<InsuranceFundContribution,
                                                &InsuranceFundContribution::avail_balance>,
                 "symbol", "amount">,
          Method<"update_locked_balance",
                 &balance_members::updated_copy<InsuranceFundContribution,
                                                &InsuranceFundContribution::locked_balance>,
                 "symbol", "amount">>::add_to<InsuranceFundContribution>(builder);
}

}  // namespace qzr::py
