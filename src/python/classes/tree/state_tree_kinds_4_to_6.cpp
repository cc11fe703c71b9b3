// VelmarindSMT's getter, store and listing of kinds 4 to 6 of the list of kinds: BookOrder, Price and
// InsuranceFund.
#include "python/classes/tree/state_tree_kind_rows.hpp"

namespace qzr::py {

void add_state_tree_kinds_4_to_6(TypeBuilder& builder) {
  state_tree_kinds::KindRows<4, 6>::add_to<tree::StateTree>(builder);
}

}  // namespace qzr::py
