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
//
// A Pair also carries, for each child, the branch map's entry index of the child's record as it
// was when this record was written (unknown_entry when not known): a hint that lets a walk take
// the child's record without a slot lookup. The hints are no part of the record's value: equality
// and the debug text ignore them, and the map checks every hint before it trusts it.
//
// The node type is stored flat (no padded NodeType inside), which keeps a map entry at 144 bytes.
struct BranchNode {
  static constexpr std::uint32_t unknown_entry = UINT32_MAX;

  // The entry hints of a Pair's children as seen at one height (like Children).
  struct ChildEntries {
    std::uint32_t left;
    std::uint32_t right;
  };

  BranchNode(std::uint8_t fork_height, const H256& key, const NodeType& node_type,
             std::uint32_t key_side_entry = unknown_entry, std::uint32_t other_side_entry = unknown_entry)
      : key(key),
        m_first(node_type.first()),
        m_second(node_type.second()),
        m_first_entry(key_side_entry),
        m_second_entry(other_side_entry),
        fork_height(fork_height),
        m_is_pair(node_type.is_pair()) {}

  NodeType node_type() const {
    return m_is_pair ? NodeType::pair(m_first, m_second) : NodeType::single(m_first);
  }
  // Replaces the node type; the child hints become unknown.
  void set_node_type(const NodeType& node_type) { *this = BranchNode(fork_height, key, node_type); }
  bool is_pair() const { return m_is_pair; }
  // node_type().first(): the leaf hash of a Single, the key-side child of a Pair.
  const H256& first() const { return m_first; }

  // The children of a Pair at `height`: the key-side child is on the right when the record key's
  // bit `height` is 1. Callers descending through the record pass its own fork height.
  Children children_at(std::uint8_t height) const {
    if (key.get_bit(height)) return {m_second, m_first};
    return {m_first, m_second};
  }
  // The entry hints of the children that children_at(height) returns, in the same places.
  ChildEntries child_entries_at(std::uint8_t height) const {
    if (key.get_bit(height)) return {m_second_entry, m_first_entry};
    return {m_first_entry, m_second_entry};
  }

  friend bool operator==(const BranchNode& a, const BranchNode& b) {
    return a.fork_height == b.fork_height && a.key == b.key && a.m_is_pair == b.m_is_pair &&
           a.m_first == b.m_first && a.m_second == b.m_second;
  }

  // The members in this order (public and private interleaved) leave 6 bytes of padding, no more.
  H256 key;

 private:
  H256 m_first;
  H256 m_second;
  std::uint32_t m_first_entry;
  std::uint32_t m_second_entry;

 public:
  std::uint8_t fork_height;

 private:
  bool m_is_pair;
};
static_assert(sizeof(BranchNode) == 112, "a branch map entry is its 32-byte key and this record");

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
