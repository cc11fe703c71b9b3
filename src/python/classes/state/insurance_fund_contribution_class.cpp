// The members of the Python class InsuranceFundContribution.
#include "python/classes/state/insurance_fund_contribution_class.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

template void add_record_members<InsuranceFundContribution>(TypeBuilder& builder);

}  // namespace qzr::py
