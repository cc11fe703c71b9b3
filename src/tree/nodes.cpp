// Debug texts of the branch records.
#include "tree/nodes.hpp"

namespace qzr::tree {

std::string debug_text(const NodeType& node_type) {
  if (!node_type.is_pair()) return debug_tuple("Single", debug_text(node_type.first()));
  return debug_tuple("Pair", debug_text(node_type.first()) + ", " + debug_text(node_type.second()));
}

std::string debug_text(const BranchNode& node) {
  return debug_struct("BranchNode", {{"fork_height", std::to_string(node.fork_height)},
                                     {"key", debug_text(node.key)},
                                     {"node_type", debug_text(node.node_type())}});
}

}  // namespace qzr::tree
