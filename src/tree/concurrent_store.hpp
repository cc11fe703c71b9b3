// ConcurrentStore<V>: the tree's node store, two maps each behind its own poisonable reader-writer
// lock: branches_map (node hash -> BranchNode; a leaf's record under its leaf hash) and leaves_map
// (leaf hash -> LeafNode). Const operations only read; the changing ones take the store by
// non-const reference. A poisoned lock makes every operation fail with SmtError::Store, except
// deep_clone() and leaves(), for which it is a fault.
//
// Lock order: an operation that holds both locks takes branches_map first, then leaves_map.
#pragma once

#include <expected>
#include <memory>
#include <optional>
#include <string>

#include "core/poisonable_rw_lock.hpp"
#include "tree/flat_hash_map.hpp"
#include "tree/nodes.hpp"
#include "tree/smt_error.hpp"
#include "tree/tree_value.hpp"

namespace qzr::tree {

using BranchMap = FlatHashMap<BranchNode>;
template <class V>
using LeafMap = FlatHashMap<LeafNode<V>>;

// The Store error of a poisoned lock.
inline SmtError poisoned_store_error(const PoisonError& error) { return SmtError::store(error.debug()); }

// The lock text of a map: "RwLock { data: {k: v, ...}, poisoned: false, .. }", or data "<locked>"
// while a writer holds the lock. The map's entries print in its iteration order.
template <class Map>
std::string lock_debug_text(PoisonableRwLock<Map>& lock) {
  std::string data;
  if (auto guard = lock.try_read_ignoring_poison()) {
    data = "{";
    bool first = true;
    (*guard)->for_each([&](const H256& key, const auto& value) {
      if (!first) data += ", ";
      first = false;
      data += debug_text(key);
      data += ": ";
      data += debug_text(value);
    });
    data += "}";
  } else {
    data = "<locked>";
  }
  return "RwLock { data: " + data + ", poisoned: " + (lock.is_poisoned() ? "true" : "false") + ", .. }";
}

// Defined by the tests, which reach the locks themselves (to poison them or hold them).
struct StoreTestAccess;

template <TreeValue V>
class ConcurrentStore {
 public:
  using Branches = PoisonableRwLock<BranchMap>;
  using Leaves = PoisonableRwLock<LeafMap<V>>;

  // Two empty maps, each with its own seed (branches first).
  ConcurrentStore() : m_branches(std::make_unique<Branches>()), m_leaves(std::make_unique<Leaves>()) {}

  // A copy of the branch record under `node_hash`, or nothing when there is none.
  [[nodiscard]] std::expected<std::optional<BranchNode>, SmtError> get_branch(const H256& node_hash) const {
    auto guard = m_branches->read_unless_poisoned();
    if (!guard) return std::unexpected(poisoned_store_error(guard.error()));
    const BranchNode* node = (**guard).find(node_hash);
    if (!node) return std::optional<BranchNode>();
    return std::optional<BranchNode>(*node);
  }
  // Stores `node` under `node_hash`, replacing any record there.
  [[nodiscard]] std::expected<void, SmtError> insert_branch(const H256& node_hash, const BranchNode& node) {
    return change(*m_branches, [&](BranchMap& map) { map.insert_or_assign(node_hash, node); });
  }
  // Removes the record under `node_hash`; an absent record is no error.
  [[nodiscard]] std::expected<void, SmtError> remove_branch(const H256& node_hash) {
    return change(*m_branches, [&](BranchMap& map) { map.erase(node_hash); });
  }

  // A copy of the value stored under `leaf_hash`; MissingLeaf when there is no entry.
  [[nodiscard]] std::expected<V, SmtError> get_leaf(const H256& leaf_hash) const {
    auto guard = m_leaves->read_unless_poisoned();
    if (!guard) return std::unexpected(poisoned_store_error(guard.error()));
    const LeafNode<V>* leaf = (**guard).find(leaf_hash);
    if (!leaf) return std::unexpected(SmtError::missing_leaf(leaf_hash));
    return leaf->value;
  }
  // Stores `leaf` under `leaf_hash`, replacing any entry there.
  [[nodiscard]] std::expected<void, SmtError> insert_leaf(const H256& leaf_hash, LeafNode<V> leaf) {
    return change(*m_leaves, [&](LeafMap<V>& map) { map.insert_or_assign(leaf_hash, std::move(leaf)); });
  }
  // Removes the entry under `leaf_hash`; an absent entry is no error.
  [[nodiscard]] std::expected<void, SmtError> remove_leaf(const H256& leaf_hash) {
    return change(*m_leaves, [&](LeafMap<V>& map) { map.erase(leaf_hash); });
  }

  // Faults on a poisoned lock (as PoisonableRwLock::read does). A new store with copies of both
  // maps (same seeds, slots and order), made under both read locks.
  ConcurrentStore deep_clone() const {
    auto branches = m_branches->read();
    auto leaves = m_leaves->read();
    return ConcurrentStore(std::make_unique<Branches>(*branches), std::make_unique<Leaves>(*leaves));
  }

  // Faults on a poisoned lock (as PoisonableRwLock::read does). The leaf map under its read lock,
  // for enumerations that read every entry in place; held until the guard is dropped.
  typename Leaves::ReadGuard leaves() const { return m_leaves->read(); }

  // A map under its read lock; Store error when the lock is poisoned.
  [[nodiscard]] std::expected<typename Branches::ReadGuard, SmtError> read_branches() const {
    return unless_poisoned(m_branches->read_unless_poisoned());
  }
  [[nodiscard]] std::expected<typename Leaves::ReadGuard, SmtError> read_leaves() const {
    return unless_poisoned(m_leaves->read_unless_poisoned());
  }
  // A map under its write lock; Store error when the lock is poisoned.
  [[nodiscard]] std::expected<typename Branches::WriteGuard, SmtError> write_branches() {
    return unless_poisoned(m_branches->write_unless_poisoned());
  }
  [[nodiscard]] std::expected<typename Leaves::WriteGuard, SmtError> write_leaves() {
    return unless_poisoned(m_leaves->write_unless_poisoned());
  }

  // "ConcurrentStore { branches_map: <lock text>, leaves_map: <lock text> }".
  std::string debug_text() const {
    return debug_struct("ConcurrentStore", {{"branches_map", lock_debug_text(*m_branches)},
                                            {"leaves_map", lock_debug_text(*m_leaves)}});
  }

 private:
  friend struct StoreTestAccess;

  // A guard, or the Store error of a poisoned lock.
  template <class Guard>
  static std::expected<Guard, SmtError> unless_poisoned(std::expected<Guard, PoisonError>&& guard) {
    if (!guard) return std::unexpected(poisoned_store_error(guard.error()));
    return std::move(*guard);
  }

  // One change of one map under its write lock; Store error when the lock is poisoned.
  template <class Map, class Change>
  static std::expected<void, SmtError> change(PoisonableRwLock<Map>& lock, Change&& change) {
    auto guard = unless_poisoned(lock.write_unless_poisoned());
    if (!guard) return std::unexpected(guard.error());
    change(**guard);
    return {};
  }

  ConcurrentStore(std::unique_ptr<Branches> branches, std::unique_ptr<Leaves> leaves)
      : m_branches(std::move(branches)), m_leaves(std::move(leaves)) {}

  std::unique_ptr<Branches> m_branches;
  std::unique_ptr<Leaves> m_leaves;
};

}  // namespace qzr::tree
