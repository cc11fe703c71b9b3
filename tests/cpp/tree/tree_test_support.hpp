// Shared pieces of the tree tests: a toy value type, independent oracles (a naive recursive root
// over a plain map of leaves, a store-invariant checker, an interpreter of compiled proofs written
// from the opcode table) and key builders.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "tree/sparse_merkle_tree.hpp"
#include "values/debug_shapes.hpp"
#include "values/keccak.hpp"

namespace qzr::tree {

// A toy value: some bytes; empty bytes are the empty value. Its value hash is Keccak-256 of the
// bytes, zero for the empty value.
struct ToyValue {
  std::vector<std::uint8_t> bytes;
  friend bool operator==(const ToyValue&, const ToyValue&) = default;
};

template <>
struct TreeValueTraits<ToyValue> {
  static H256 value_hash(const ToyValue& value) {
    return value.bytes.empty() ? H256() : H256(keccak256(value.bytes));
  }
  static std::string debug_text(const ToyValue& value) {
    return debug_tuple("ToyValue", debug_byte_list(value.bytes));
  }
  static constexpr std::string_view type_path = "qzr_tests::ToyValue";
};

using ToyTree = SparseMerkleTree<ToyValue>;

// The tests' way to the store's insides: its locks (to poison or hold them) and a tree's store
// for changes that no update would make.
struct StoreTestAccess {
  template <TreeValue V>
  static typename ConcurrentStore<V>::Branches& branches_lock(const ConcurrentStore<V>& store) {
    return *store.m_branches;
  }
  template <TreeValue V>
  static typename ConcurrentStore<V>::Leaves& leaves_lock(const ConcurrentStore<V>& store) {
    return *store.m_leaves;
  }
  template <TreeValue V>
  static ConcurrentStore<V>& store(SparseMerkleTree<V>& tree) {
    return tree.m_store;
  }
};

namespace testing_support {

inline ToyValue toy(std::initializer_list<std::uint8_t> bytes) { return ToyValue{bytes}; }

inline H256 key_with_bits(std::initializer_list<std::uint8_t> bits) {
  H256 key;
  for (const std::uint8_t bit : bits) key.set_bit(bit);
  return key;
}

inline H256 random_key(std::mt19937_64& random) {
  H256::Bytes bytes;
  for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random());
  return H256(bytes);
}

// Keccak-256 of two 32-byte values, computed here from the plain digest function.
inline H256 keccak_pair(const H256& a, const H256& b) {
  const H256::Bytes first = a.bytes(), second = b.bytes();
  std::vector<std::uint8_t> data(first.begin(), first.end());
  data.insert(data.end(), second.begin(), second.end());
  return H256(keccak256(data));
}
inline H256 naive_merge(const H256& left, const H256& right) {
  if (left.is_zero()) return right;
  if (right.is_zero()) return left;
  return keccak_pair(left, right);
}
inline H256 naive_leaf_hash(const H256& key, const H256& value_hash) {
  return value_hash.is_zero() ? H256() : keccak_pair(key, value_hash);
}

// The model: key -> value hash of every stored (non-empty) value.
using Model = std::map<H256, H256>;

// The root of the leaves in [first, last), all agreeing on the bits above `height`, split by bit
// `height` from 255 down; below bit 0 at most one leaf remains.
inline H256 naive_subtree(Model::const_iterator first, Model::const_iterator last, int height) {
  if (first == last) return H256();
  if (height < 0) return naive_leaf_hash(first->first, first->second);
  const auto split = std::find_if(
      first, last, [&](const auto& leaf) { return leaf.first.get_bit(static_cast<std::uint8_t>(height)); });
  return naive_merge(naive_subtree(first, split, height - 1), naive_subtree(split, last, height - 1));
}
inline H256 naive_root(const Model& model) { return naive_subtree(model.begin(), model.end(), 255); }

// Checks every invariant of a consistent store against the model: every record reachable from
// the root, n leaf entries and 2n - 1 records, hashes recompute, no zero child in a Pair, record
// keys agree with their subtrees above the split.
inline void expect_consistent_store(const ToyTree& tree, const Model& model) {
  std::map<H256, BranchNode> branches;
  tree.store().read_branches().value()->for_each(
      [&](const H256& hash, const BranchNode& node) { EXPECT_TRUE(branches.emplace(hash, node).second); });
  std::map<H256, LeafNode<ToyValue>> leaves;
  tree.store().read_leaves().value()->for_each([&](const H256& hash, const LeafNode<ToyValue>& leaf) {
    EXPECT_TRUE(leaves.emplace(hash, leaf).second);
  });
  const std::size_t n = model.size();
  ASSERT_EQ(leaves.size(), n);
  ASSERT_EQ(branches.size(), n == 0 ? 0 : 2 * n - 1);
  if (n == 0) {
    EXPECT_TRUE(tree.root().is_zero());
    return;
  }
  std::set<H256> reached;
  // Returns the keys of the subtree under `hash`, checking each record on the way.
  std::vector<H256> keys_below;
  auto visit = [&](auto&& self, const H256& hash, std::vector<H256>& keys) -> void {
    ASSERT_TRUE(reached.insert(hash).second) << "record reached twice";
    const auto found = branches.find(hash);
    ASSERT_NE(found, branches.end()) << "missing record";
    const BranchNode& node = found->second;
    if (!node.is_pair()) {
      EXPECT_EQ(node.fork_height, 0);
      EXPECT_EQ(node.first(), hash);
      const auto leaf = leaves.find(hash);
      ASSERT_NE(leaf, leaves.end());
      EXPECT_EQ(leaf->second.key, node.key);
      const auto modelled = model.find(node.key);
      ASSERT_NE(modelled, model.end());
      EXPECT_EQ(TreeValueTraits<ToyValue>::value_hash(leaf->second.value), modelled->second);
      EXPECT_EQ(naive_leaf_hash(node.key, modelled->second), hash);
      keys.push_back(node.key);
      return;
    }
    EXPECT_FALSE(node.node_type().first().is_zero());
    EXPECT_FALSE(node.node_type().second().is_zero());
    const Children children = node.children_at(node.fork_height);
    EXPECT_EQ(keccak_pair(children.left, children.right), hash);
    std::vector<H256> left_keys, right_keys;
    self(self, children.left, left_keys);
    self(self, children.right, right_keys);
    for (const H256& key : left_keys) EXPECT_FALSE(key.get_bit(node.fork_height));
    for (const H256& key : right_keys) EXPECT_TRUE(key.get_bit(node.fork_height));
    keys.insert(keys.end(), left_keys.begin(), left_keys.end());
    keys.insert(keys.end(), right_keys.begin(), right_keys.end());
    for (const H256& key : keys) {
      if (node.fork_height < 255) {
        EXPECT_EQ(key.parent_path(node.fork_height), node.key.parent_path(node.fork_height));
      }
    }
  };
  visit(visit, tree.root(), keys_below);
  EXPECT_EQ(reached.size(), branches.size()) << "unreachable records";
  EXPECT_EQ(keys_below.size(), n);
}

// Runs a compiled program over the leaves (key, value hash), sorted by key here, with the meanings
// of the opcode table; returns the root, or nothing when the program is malformed, leaves a leaf
// unused, leaves other than one entry on the stack, has a P with a zero sibling or merges entries
// that are not siblings at the given height.
inline std::optional<H256> run_proof(const std::vector<std::uint8_t>& program,
                                     std::vector<std::pair<H256, H256>> leaves) {
  std::sort(leaves.begin(), leaves.end());
  std::vector<std::pair<H256, H256>> stack;
  std::size_t next_leaf = 0, at = 0;
  while (at < program.size()) {
    const std::uint8_t code = program[at++];
    if (code == 0x4C) {
      if (next_leaf == leaves.size()) return std::nullopt;
      const auto& [key, value_hash] = leaves[next_leaf++];
      stack.emplace_back(key, naive_leaf_hash(key, value_hash));
    } else if (code == 0x50) {
      if (at + 33 > program.size() || stack.empty()) return std::nullopt;
      const std::uint8_t height = program[at];
      H256::Bytes sibling_bytes;
      std::copy_n(program.begin() + static_cast<std::ptrdiff_t>(at) + 1, 32, sibling_bytes.begin());
      at += 33;
      const H256 sibling(sibling_bytes);
      if (sibling.is_zero()) return std::nullopt;
      auto& [key, hash] = stack.back();
      hash = key.get_bit(height) ? naive_merge(sibling, hash) : naive_merge(hash, sibling);
    } else if (code == 0x48) {
      if (at + 1 > program.size() || stack.size() < 2) return std::nullopt;
      const std::uint8_t height = program[at++];
      const auto right = stack.back();
      stack.pop_back();
      auto& left = stack.back();
      const bool siblings = left.first.parent_path(height) == right.first.parent_path(height) &&
                            !left.first.get_bit(height) && right.first.get_bit(height);
      if (!siblings) return std::nullopt;
      left.second = naive_merge(left.second, right.second);
    } else {
      return std::nullopt;
    }
  }
  if (next_leaf != leaves.size() || stack.size() != 1) return std::nullopt;
  return stack.back().second;
}

}  // namespace testing_support
}  // namespace qzr::tree
