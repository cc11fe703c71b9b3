// VelmarindSMT's getter, store and listing of kinds 7 to 9 of the list of kinds: Stats, Signer and Specs.
#include "python/classes/tree/state_tree_kind_rows.hpp"

namespace qzr::py {

void add_state_tree_kinds_7_to_9(TypeBuilder& builder) {
  state_tree_kinds::KindRows<7, 9>::add_to<tree::StateTree>(builder);
}

}  // namespace qzr::py
