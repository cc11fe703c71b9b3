// The Python class InsuranceFundContribution (qzr_python.common.state.InsuranceFundContribution):
// one contributor's stake in the insurance fund, a record class (record_protocol.hpp) of two
// balances with a default, and the update methods that return a changed copy of one.
#pragma once

#include "python/classes/state/balance_class.hpp"
#include "python/classes/state/record_protocol.hpp"

namespace qzr::py {

template <>
struct RecordClass<InsuranceFundContribution> : RecordClassDefaults {
  static constexpr const char* doc = "An insurance fund contribution";
  static constexpr bool has_default = true;
  using field_docs = FieldDocs<"Total contribution to the insurance fund, minus any withdrawals",
                               "Balance locked for withdrawal">;
  using own_members =
      Members<Method<"update_avail_balance",
                     &balance_members::updated_copy<InsuranceFundContribution,
                                                    &InsuranceFundContribution::avail_balance>,
                     "symbol", "amount">,
              Method<"update_locked_balance",
                     &balance_members::updated_copy<InsuranceFundContribution,
                                                    &InsuranceFundContribution::locked_balance>,
                     "symbol", "amount">>;
};

}  // namespace qzr::py
