// The records of the node store: branch records (a leaf's record or a split) keyed by node hash,
// and leaves keyed by leaf hash; with their debug texts.
#pragma once

#include <cstdint>
#include <string>

#include "tree/tree_value.hpp"
#include "values/debug_shapes.hpp"
#include "values/h256.hpp"

namespace qzr::tree {

// The children of a split as seen at one height.
struct Children {
  H256 left;
  H256 right;
};

// Single(leaf hash) for a leaf's record; Pair(child on the record key's side at the split, the
// other child) for a split. The payloads of a Pair are not ordered left/right: see
// BranchNode::children_at.
class NodeType {
 public:
  static NodeType single(const H256& leaf_hash) { return NodeType(false, leaf_hash, H256()); }
  static NodeType pair(const H256& key_side, const H256& other_side) {
    return NodeType(true, key_side, other_side);
  }

  bool is_pair() const { return m_is_pair; }
  // The leaf hash of a Single; the key-side child of a Pair.
  const H256& first() const { return m_first; }
  // The other child of a Pair; zero for a Single.
  const H256& second() const { return m_second; }

  friend bool operator==(const NodeType&, const NodeType&) = default;

 private:
  NodeType(bool is_pair, const H256& first, const H256& second)
      : m_is_pair(is_pair), m_first(first), m_second(second) {}

  bool m_is_pair;
  H256 m_first;
  H256 m_second;
};

// One branch record. For a leaf's record: fork height 0, the leaf's key, Single(leaf hash). For a
// split at height h: a key that agrees with every key below the split on all bits above h (the key
// of the update that last wrote it), and Pair.
struct BranchNode {
  std::uint8_t fork_height;
  H256 key;
  NodeType node_type;

  // The children of a Pair at `height`: the key-side child is on the right when the record key's
  // bit `height` is 1. Callers descending through the record pass its own fork height.
  Children children_at(std::uint8_t height) const {
    if (key.get_bit(height)) return {node_type.second(), node_type.first()};
    return {node_type.first(), node_type.second()};
  }

  friend bool operator==(const BranchNode&, const BranchNode&) = default;
};

// One stored leaf: its tree key and its (never empty) value.
template <class V>
struct LeafNode {
  H256 key;
  V value;
};

// "Single(H256([...]))" or "Pair(H256([...]), H256([...]))".
std::string debug_text(const NodeType& node_type);
// "BranchNode { fork_height: 3, key: H256([...]), node_type: ... }".
std::string debug_text(const BranchNode& node);

// "LeafNode { key: H256([...]), value: <the value's debug text> }".
template <TreeValue V>
std::string debug_text(const LeafNode<V>& leaf) {
  return debug_struct("LeafNode",
                      {{"key", debug_text(leaf.key)}, {"value", TreeValueTraits<V>::debug_text(leaf.value)}});
}

}  // namespace qzr::tree
