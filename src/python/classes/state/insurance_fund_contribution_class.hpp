// The Python class InsuranceFundContribution (qzr_python.common.state.InsuranceFundContribution):
// one contributor's stake in the insurance fund, a record class (record_protocol.hpp) of two
// balances with a default, and the update methods that return a changed copy of one.
#pragma once

#include "python/classes/state/balance_class.hpp"
#include "python/classes/state/record_protocol.hpp"

namespace qzr::py {

template <>
struct ClassDef<InsuranceFundContribution> : RecordClassDef<InsuranceFundContribution> {
  static constexpr const char* doc = "An insurance fund contribution";
  static constexpr bool has_default = true;
  using field_docs = FieldDocs<"Total contribution to the insurance fund, minus any withdrawals",
                               "Balance locked for withdrawal">;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
