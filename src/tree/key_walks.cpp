// Grouped key walks with their records prefetched level by level.
#include "tree/key_walks.hpp"

#include <algorithm>
#include <array>

namespace qzr::tree {
namespace {

constexpr std::size_t group_size = 32;

enum class WalkState { Walking, Done, Failed, Cyclic };

// A write of one walk into the sibling map, at its key's sibling path at `height`.
struct WalkWrite {
  std::uint8_t height;
  bool replace;
  H256 hash;
};

struct KeyWalk {
  H256 node;
  std::uint32_t hint = BranchNode::unknown_entry;  // the entry hint of node's record
  bool proof_done = false;
  WalkState state = WalkState::Walking;
  int splits = 0;
  std::optional<SmtError> error;
  std::vector<WalkWrite> writes;
};

// One record of one key's walk: the proof walk's step while it goes on, then get()'s descent.
void step(const BranchNode& record, const H256& key, KeyWalk& walk, std::optional<H256>* leaf_hash) {
  const H256 node = walk.node;
  if (!walk.proof_done) {
    const std::uint8_t height = std::max(key.fork_height(record.key), record.fork_height);
    if (!record.is_pair()) {
      if (record.key != key) walk.writes.push_back({height, true, record.first()});
      walk.proof_done = true;
    } else if (height > record.fork_height) {
      walk.writes.push_back({height, false, node});
      walk.proof_done = true;
    } else {
      const Children children = record.children_at(height);
      const bool right = key.get_bit(height);
      const H256& next = right ? children.right : children.left;
      if (next == node) {
        walk.proof_done = true;  // a record naming itself
      } else {
        walk.writes.push_back({height, true, right ? children.left : children.right});
      }
    }
  }
  if (!leaf_hash) {
    if (walk.proof_done) {
      walk.state = WalkState::Done;
      return;
    }
  } else if (!record.is_pair()) {
    if (record.key == key) *leaf_hash = record.first();
    walk.state = WalkState::Done;
    return;
  }
  const Children children = record.children_at(record.fork_height);
  const BranchNode::ChildEntries entries = record.child_entries_at(record.fork_height);
  const bool right = key.get_bit(record.fork_height);
  walk.node = right ? children.right : children.left;
  walk.hint = right ? entries.right : entries.left;
  if (++walk.splits > 256) walk.state = WalkState::Cyclic;
}

}  // namespace

std::expected<void, KeyWalkFailure> walk_keys(const BranchMap& branches, const H256& root,
                                              SiblingMap& siblings,
                                              std::vector<std::optional<H256>>* leaf_hashes) {
  const std::span<const H256> sorted_keys = siblings.keys();
  if (leaf_hashes) leaf_hashes->assign(sorted_keys.size(), std::nullopt);
  std::array<KeyWalk, group_size> walks;
  std::array<std::uint32_t, group_size> tags;
  // Per walk, the record found at the current level (null when missing), and whether the walk
  // stands at the same node as the one before it, whose record it then takes without a lookup.
  std::array<const BranchNode*, group_size> records;
  std::array<bool, group_size> at_previous_node;
  for (std::size_t first = 0; first < sorted_keys.size(); first += group_size) {
    const std::size_t count = std::min(group_size, sorted_keys.size() - first);
    for (std::size_t i = 0; i < count; ++i) {
      walks[i].node = root;
      walks[i].hint = BranchNode::unknown_entry;
      walks[i].proof_done = false;
      walks[i].state = WalkState::Walking;
      walks[i].splits = 0;
      walks[i].writes.clear();
    }
    for (std::size_t walking = count; walking > 0;) {
      for (std::size_t i = 0; i < count; ++i) {
        if (walks[i].state != WalkState::Walking) continue;
        at_previous_node[i] =
            i > 0 && walks[i - 1].state == WalkState::Walking && walks[i - 1].node == walks[i].node;
        if (at_previous_node[i]) continue;
        // A walk with its record's entry hint fetches the entry at once; one without, the slot
        // first and then (in the next pass) the entry it names.
        if (walks[i].hint != BranchNode::unknown_entry) {
          branches.prefetch_entry_at(walks[i].hint);
        } else {
          tags[i] = branches.tag_of(walks[i].node);
          branches.prefetch(tags[i]);
        }
      }
      for (std::size_t i = 0; i < count; ++i) {
        if (walks[i].state == WalkState::Walking && !at_previous_node[i] &&
            walks[i].hint == BranchNode::unknown_entry)
          branches.prefetch_entry(tags[i]);
      }
      for (std::size_t i = 0; i < count; ++i) {
        KeyWalk& walk = walks[i];
        if (walk.state != WalkState::Walking) continue;
        if (at_previous_node[i]) {
          records[i] = records[i - 1];
        } else {
          const auto position = branches.locate_hinted(walk.node, walk.hint);
          records[i] = position ? &branches.at(*position) : nullptr;
        }
        if (!records[i]) {
          walk.error = SmtError::missing_branch(walk.node);
          walk.state = WalkState::Failed;
        } else {
          step(*records[i], sorted_keys[first + i], walk, leaf_hashes ? &(*leaf_hashes)[first + i] : nullptr);
        }
        if (walk.state != WalkState::Walking) --walking;
      }
    }
    for (std::size_t i = 0; i < count; ++i) {
      if (walks[i].state == WalkState::Failed) return std::unexpected(KeyWalkFailure{walks[i].error});
      if (walks[i].state == WalkState::Cyclic) return std::unexpected(KeyWalkFailure{});
      for (const WalkWrite& write : walks[i].writes)
        siblings.write(first + i, write.height, write.hash, write.replace);
    }
  }
  return {};
}

}  // namespace qzr::tree
