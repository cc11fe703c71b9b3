// VelmarindSMT's getter, store and listing of kinds 1 to 3 of the list of kinds: Trader, Strategy and
// Position.
#include "python/classes/tree/state_tree_kind_rows.hpp"

namespace qzr::py {

void add_state_tree_kinds_1_to_3(TypeBuilder& builder) {
  state_tree_kinds::KindRows<1, 3>::add_to<tree::StateTree>(builder);
}

}  // namespace qzr::py
