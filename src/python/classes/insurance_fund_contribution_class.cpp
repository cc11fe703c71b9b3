// The members of the Python class InsuranceFundContribution.
#include "python/classes/insurance_fund_contribution_class.hpp"

#include "python/classes/record_members.hpp"

namespace qzr::py {

template void add_record_members<InsuranceFundContribution>(TypeBuilder& builder);

}  // namespace qzr::py
