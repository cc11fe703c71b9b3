// VelmarindSMT's getter, store and listing of kinds 10 to 12 of the list of kinds: InsuranceFundContribution,
// FeePool and EpochMetadata.
#include "python/classes/tree/state_tree_kind_rows.hpp"

namespace qzr::py {

void add_state_tree_kinds_10_to_12(TypeBuilder& builder) {
  state_tree_kinds::KindRows<10, 12>::add_to<tree::StateTree>(builder);
}

}  // namespace qzr::py
