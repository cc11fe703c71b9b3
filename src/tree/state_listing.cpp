// The listing of every leaf.
#include "tree/state_listing.hpp"

namespace qzr::tree {

std::vector<std::pair<H256, Item>> collect_leaves(const StateTree& tree) {
  std::vector<std::pair<H256, Item>> pairs;
  auto leaves = tree.store().leaves();
  pairs.reserve((*leaves).size());
  (*leaves).for_each(
      [&](const H256&, const LeafNode<Item>& leaf) { pairs.emplace_back(leaf.key, leaf.value); });
  return pairs;
}

}  // namespace qzr::tree
