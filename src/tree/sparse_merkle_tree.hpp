// SparseMerkleTree<V>: the sparse Merkle tree over 2^256 key positions, its root and its node
// store; get, update and Merkle proofs. Only leaves and splits have records, so a walk from the
// root visits one record per split on a key's path.
//
// An update never leaves the store half-changed: it walks without changing anything, computes
// every new hash, then takes the write locks it needs (branches first) and applies all removals,
// then all inserts. Any error (missing record, poisoned lock) comes before the first change.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/fault.hpp"
#include "tree/compiled_proof.hpp"
#include "tree/concurrent_store.hpp"
#include "tree/key_walks.hpp"
#include "tree/merkle_proof.hpp"
#include "tree/smt_hash.hpp"

namespace qzr::tree {

// The type path of the hasher, as the tree's debug text names it.
inline constexpr std::string_view keccak_hasher_type_path = "qzr_common::tree::shared_smt::Keccak256Hasher";

// A walk passing more splits than there are heights can only be a store whose records form a
// cycle; no update or input can produce one.
[[noreturn]] inline void fault_cyclic_store() {
  fault("corrupted tree store: a walk passes more than 256 splits");
}

template <TreeValue V>
class SparseMerkleTree {
 public:
  using Traits = TreeValueTraits<V>;

  // An empty tree: empty maps, zero root.
  SparseMerkleTree() = default;
  SparseMerkleTree(SparseMerkleTree&&) noexcept = default;
  SparseMerkleTree& operator=(SparseMerkleTree&&) noexcept = default;

  const H256& root() const { return m_root; }
  const ConcurrentStore<V>& store() const { return m_store; }

  // Faults on a poisoned map (ConcurrentStore::deep_clone). An independent copy: both maps copied
  // with their seeds and order, the same root.
  SparseMerkleTree deep_clone() const { return SparseMerkleTree(m_store.deep_clone(), m_root); }

  // The value stored under `key` (a copy), or the empty value when the key has no leaf.
  [[nodiscard]] std::expected<V, SmtError> get(const H256& key) const {
    const auto leaf_hash = find_leaf_hash(key);
    if (!leaf_hash) return std::unexpected(leaf_hash.error());
    if (!*leaf_hash) return V();
    return m_store.get_leaf(**leaf_hash);
  }

  // The proof leaf of `key`: the key and the value hash of what it holds (zero when nothing); the
  // value is hashed in place, not copied. Errors as get().
  [[nodiscard]] std::expected<ProofLeaf, SmtError> proof_leaf_of_key(const H256& key) const {
    const auto leaf_hash = find_leaf_hash(key);
    if (!leaf_hash) return std::unexpected(leaf_hash.error());
    if (!*leaf_hash) return ProofLeaf{key, H256()};
    auto guard = m_store.read_leaves();
    if (!guard) return std::unexpected(guard.error());
    const LeafNode<V>* leaf = (**guard).find(**leaf_hash);
    if (!leaf) return std::unexpected(SmtError::missing_leaf(**leaf_hash));
    return ProofLeaf{key, Traits::value_hash(leaf->value)};
  }

  // Stores `value` under `key` (the empty value deletes the key) and returns the new root. The
  // value is moved into the store, or dropped when it is empty or the update fails. A failed
  // update changes nothing.
  [[nodiscard]] std::expected<H256, SmtError> update(const H256& key, V value);

  // The raw proof of `keys` (sorted, repeats removed). EmptyKeys for no keys.
  [[nodiscard]] std::expected<RawMerkleProof, SmtError> merkle_proof(std::vector<H256> keys) const;

  // The compiled proof of `keys` as the Python method builds it: an empty program for no keys;
  // otherwise the proof leaves in the given order, the raw proof and its compilation. A key given
  // twice is proven once. The first error ends the call.
  [[nodiscard]] std::expected<CompiledMerkleProof, SmtError> compiled_merkle_proof(
      std::span<const H256> keys) const {
    if (keys.empty()) return CompiledMerkleProof{};
    if (auto proof = compiled_merkle_proof_of_consistent_store(keys)) return std::move(*proof);
    // Something failed: take the steps one by one, so that the error is the one they meet first.
    std::vector<ProofLeaf> leaves;
    leaves.reserve(keys.size());
    for (const H256& key : keys) {
      auto leaf = proof_leaf_of_key(key);
      if (!leaf) return std::unexpected(leaf.error());
      leaves.push_back(*leaf);
    }
    auto raw = merkle_proof(std::vector<H256>(keys.begin(), keys.end()));
    if (!raw) return std::unexpected(raw.error());
    return compile(*raw, std::move(leaves));
  }

  // "SparseMerkleTree { store: ConcurrentStore { ... }, root: H256([...]), phantom: PhantomData<...> }".
  std::string debug_text() const {
    const std::string phantom =
        "PhantomData<(" + std::string(keccak_hasher_type_path) + ", " + std::string(Traits::type_path) + ")>";
    return debug_struct(
        "SparseMerkleTree",
        {{"store", m_store.debug_text()}, {"root", qzr::debug_text(m_root)}, {"phantom", phantom}});
  }

 private:
  // The compiled proof in one pass over the keys (their walks grouped, each key walked once for
  // its leaf and its siblings); nothing when any step fails.
  std::optional<CompiledMerkleProof> compiled_merkle_proof_of_consistent_store(
      std::span<const H256> keys) const;

  friend struct StoreTestAccess;

  SparseMerkleTree(ConcurrentStore<V> store, const H256& root) : m_store(std::move(store)), m_root(root) {}

  // The leaf hash of `key`'s leaf record, nothing when the key has no leaf.
  std::expected<std::optional<H256>, SmtError> find_leaf_hash(const H256& key) const {
    if (m_root.is_zero()) return std::optional<H256>();
    auto guard = m_store.read_branches();
    if (!guard) return std::unexpected(guard.error());
    const BranchMap& branches = **guard;
    H256 node = m_root;
    std::uint32_t hint = BranchNode::unknown_entry;
    for (int splits = 0; splits <= 256; ++splits) {
      const auto position = branches.locate_hinted(node, hint);
      if (!position) return std::unexpected(SmtError::missing_branch(node));
      const BranchNode& record = branches.at(*position);
      if (!record.is_pair()) {
        if (record.key != key) return std::optional<H256>();
        return std::optional<H256>(record.first());
      }
      const bool right = key.get_bit(record.fork_height);
      const Children children = record.children_at(record.fork_height);
      const BranchNode::ChildEntries entries = record.child_entries_at(record.fork_height);
      node = right ? children.right : children.left;
      hint = right ? entries.right : entries.left;
    }
    fault_cyclic_store();
  }

  ConcurrentStore<V> m_store;
  H256 m_root;
};

template <TreeValue V>
std::expected<H256, SmtError> SparseMerkleTree<V>::update(const H256& key, V value) {
  // The path from the root down as (height, sibling, the sibling record's entry hint) triples, and
  // the records the walk passes and removes. Uninitialised on purpose: only the first path_length
  // / removed_count are used.
  struct PathEntry {
    std::uint8_t height;
    H256 sibling;
    std::uint32_t sibling_entry;
  };
  struct Removal {
    H256 hash;
    BranchMap::Position position;
  };
  std::array<PathEntry, 256> path;
  std::array<Removal, 256> removed_splits;
  std::size_t path_length = 0;
  std::size_t removed_count = 0;
  std::optional<std::pair<H256, BranchMap::Position>> removed_leaf;

  struct Rebuilt {
    H256 merged;
    std::uint32_t tag;
  };
  std::array<Rebuilt, 256> rebuilt;
  H256 leaf_hash, new_root;
  std::uint32_t leaf_record_tag = 0;

  // Walk and hash under read locks (both held: branches first, then leaves).
  {
    auto branches_guard = m_store.read_branches();
    if (!branches_guard) return std::unexpected(branches_guard.error());
    const BranchMap& branches = **branches_guard;
    // Walk: read only. Below the root each record is taken through its parent's entry hint, so a
    // level costs one memory access, not a slot's and then an entry's.
    if (!m_root.is_zero()) {
      H256 node = m_root;
      std::uint32_t hint = BranchNode::unknown_entry;
      for (;;) {
        const auto position = branches.locate_hinted(node, hint);
        if (!position) return std::unexpected(SmtError::missing_branch(node));
        const BranchNode& record = branches.at(*position);
        const std::uint8_t height = std::max(key.fork_height(record.key), record.fork_height);
        if (path_length == path.size()) fault_cyclic_store();
        if (!record.is_pair()) {
          if (record.key != key) {
            // The other leaf's record becomes the sibling; it is this very entry when it is stored
            // under its leaf hash, as a consistent store's leaf records are.
            const std::uint32_t entry = record.first() == node ? position->entry : BranchNode::unknown_entry;
            path[path_length++] = {height, record.first(), entry};
          } else {
            removed_leaf.emplace(node, *position);
          }
          break;
        }
        if (height > record.fork_height) {
          // The key leaves this subtree above its split: the whole subtree becomes the sibling.
          path[path_length++] = {height, node, position->entry};
          break;
        }
        removed_splits[removed_count++] = {node, *position};
        const Children children = record.children_at(height);
        const BranchNode::ChildEntries entries = record.child_entries_at(height);
        const bool right = key.get_bit(height);
        path[path_length++] = {height, right ? children.left : children.right,
                               right ? entries.left : entries.right};
        const H256 next = right ? children.right : children.left;
        // A record naming itself would be gone by the time it is fetched again.
        if (next == node) return std::unexpected(SmtError::missing_branch(node));
        node = next;
        hint = right ? entries.right : entries.left;
      }
    }

    // Hash: the new leaf and every split on the path, bottom up. The slots (and the old leaf's
    // entry) that the changes will touch are fetched into the cache meanwhile, about two per hash
    // so that they do not queue up behind each other: the removed records' slots (the hinted walk
    // did not read them) and the new records' home slots. A poisoned leaf map only loses its
    // prefetches here; whether the update needs it is decided below.
    auto leaves_guard = m_store.read_leaves();
    const LeafMap<V>* leaves = leaves_guard ? &**leaves_guard : nullptr;
    if (leaves && removed_leaf) leaves->prefetch(leaves->tag_of(removed_leaf->first));
    if (removed_leaf) branches.prefetch(removed_leaf->second.tag);
    const H256 value_hash = Traits::value_hash(value);
    if (leaves && removed_leaf) leaves->prefetch_entry(leaves->tag_of(removed_leaf->first));
    leaf_hash = smt_hash_leaf(key, value_hash);
    leaf_record_tag = branches.tag_of(leaf_hash);
    branches.prefetch(leaf_record_tag);
    if (leaves) leaves->prefetch(leaves->tag_of(leaf_hash));
    H256 node = leaf_hash;
    for (std::size_t i = path_length; i-- > 0;) {
      const H256& sibling = path[i].sibling;
      const H256 merged = key.get_bit(path[i].height) ? smt_merge(sibling, node) : smt_merge(node, sibling);
      rebuilt[i] = {merged, branches.tag_of(merged)};
      if (!node.is_zero()) branches.prefetch(rebuilt[i].tag);
      if (i < removed_count) branches.prefetch(removed_splits[i].position.tag);
      node = merged;
    }
    new_root = node;
  }

  // Apply: take every lock needed before changing anything.
  auto branches_guard = m_store.write_branches();
  if (!branches_guard) return std::unexpected(branches_guard.error());
  BranchMap& branches = **branches_guard;
  std::optional<typename ConcurrentStore<V>::Leaves::WriteGuard> leaves_guard;
  if (removed_leaf || !leaf_hash.is_zero()) {
    auto guard = m_store.write_leaves();
    if (!guard) return std::unexpected(guard.error());
    leaves_guard.emplace(std::move(*guard));
  }

  for (std::size_t i = 0; i < removed_count; ++i) {
    branches.erase(removed_splits[i].hash, removed_splits[i].position);
  }
  if (removed_leaf) {
    (**leaves_guard).erase(removed_leaf->first);
    branches.erase(removed_leaf->first, removed_leaf->second);
  }
  // Bottom up, each new record names the entries of its children: the one just inserted on the
  // key's side, the sibling's from the walk.
  H256 node = leaf_hash;
  std::uint32_t node_entry = BranchNode::unknown_entry;
  if (!leaf_hash.is_zero()) {
    (**leaves_guard).insert_or_assign(leaf_hash, LeafNode<V>{key, std::move(value)});
    node_entry = branches.insert_or_assign(leaf_hash, leaf_record_tag,
                                           BranchNode{0, key, NodeType::single(leaf_hash)});
  }
  for (std::size_t i = path_length; i-- > 0;) {
    const PathEntry& level = path[i];
    if (node.is_zero()) {
      // Below a deleted leaf the key side stays empty: the split dissolves into its other child.
      node = level.sibling;
      node_entry = level.sibling_entry;
      continue;
    }
    node_entry = branches.insert_or_assign(
        rebuilt[i].merged, rebuilt[i].tag,
        BranchNode{level.height, key, NodeType::pair(node, level.sibling), node_entry, level.sibling_entry});
    node = rebuilt[i].merged;
  }
  m_root = new_root;
  return m_root;
}

template <TreeValue V>
std::expected<RawMerkleProof, SmtError> SparseMerkleTree<V>::merkle_proof(std::vector<H256> keys) const {
  if (keys.empty()) return std::unexpected(SmtError::empty_keys());
  sort_distinct(keys);
  SiblingMap siblings(keys);
  if (!m_root.is_zero()) {
    auto guard = m_store.read_branches();
    if (!guard) return std::unexpected(guard.error());
    const auto walked = walk_keys(**guard, m_root, siblings, nullptr);
    if (!walked) {
      if (!walked.error().error) fault_cyclic_store();
      return std::unexpected(*walked.error().error);
    }
  }
  return assemble_raw_proof(siblings);
}

template <TreeValue V>
std::optional<CompiledMerkleProof> SparseMerkleTree<V>::compiled_merkle_proof_of_consistent_store(
    std::span<const H256> keys) const {
  std::vector<H256> sorted(keys.begin(), keys.end());
  sort_distinct(sorted);
  std::vector<ProofLeaf> leaves;
  leaves.reserve(sorted.size());
  for (const H256& key : sorted) leaves.emplace_back(key, H256());
  SiblingMap siblings(sorted);
  if (!m_root.is_zero()) {
    std::vector<std::optional<H256>> leaf_hashes;
    {
      auto guard = m_store.read_branches();
      if (!guard || !walk_keys(**guard, m_root, siblings, &leaf_hashes)) return std::nullopt;
    }
    auto guard = m_store.read_leaves();
    if (!guard) return std::nullopt;
    const LeafMap<V>& leaf_map = **guard;
    // Leaves in groups: fetch the slots, then the entries, then hash the values in place.
    constexpr std::size_t group = 16;
    std::array<std::uint32_t, group> tags;
    for (std::size_t first = 0; first < sorted.size(); first += group) {
      const std::size_t count = std::min(group, sorted.size() - first);
      for (std::size_t i = 0; i < count; ++i) {
        if (leaf_hashes[first + i]) leaf_map.prefetch(tags[i] = leaf_map.tag_of(*leaf_hashes[first + i]));
      }
      for (std::size_t i = 0; i < count; ++i) {
        if (leaf_hashes[first + i]) leaf_map.prefetch_entry(tags[i]);
      }
      for (std::size_t i = 0; i < count; ++i) {
        if (!leaf_hashes[first + i]) continue;
        const auto position = leaf_map.locate(*leaf_hashes[first + i], tags[i]);
        if (!position) return std::nullopt;
        leaves[first + i].second = Traits::value_hash(leaf_map.at(*position).value);
      }
    }
  }
  auto compiled = compile(assemble_raw_proof(siblings), std::move(leaves));
  if (!compiled) return std::nullopt;
  return std::move(*compiled);
}

// The Python class's repr: "VelmarindSMT { inner: <the tree's debug text> }".
template <TreeValue V>
std::string velmarind_smt_repr(const SparseMerkleTree<V>& tree) {
  return debug_struct("VelmarindSMT", {{"inner", tree.debug_text()}});
}

}  // namespace qzr::tree
