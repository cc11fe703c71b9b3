// Assembly of the raw proof. Conceptually every key's subtree climbs from height 0 to 255 one
// height at a time; at each height it either merges with the neighbouring requested subtree, or
// takes the sibling hash the walks found there, or passes an empty sibling. Only the first two
// leave a trace, so instead of climbing, this computes those events directly:
//   - a merge for each pair of neighbouring keys, at their fork height, recorded for the right
//     subtree's first key and for the left subtree's first key (under which the merged subtree
//     continues);
//   - a sibling taken for each sibling-map entry whose side holds no requested key, by the
//     subtree on the other side, recorded under that subtree's first key.
// Sorting the events by height and key position gives exactly the order of the climb.
#include "tree/merkle_proof.hpp"

#include <algorithm>
#include <tuple>

#include "tree/hash_words.hpp"

namespace qzr::tree {
namespace {

// The index of the first key in the subtree with path `path` at `height`, if any.
std::optional<std::size_t> first_key_under(std::span<const H256> sorted_keys, const H256& path,
                                           std::uint8_t height) {
  const auto found = std::lower_bound(sorted_keys.begin(), sorted_keys.end(), path, HashLess());
  // The key is under the path when it agrees with it on every bit from `height` up.
  if (found == sorted_keys.end() || (fork_height_of(*found, path) >= height && !same_hash(*found, path))) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(found - sorted_keys.begin());
}

// Resolves the writes into the final map: per (height, path), the writes apply in walk order.
std::vector<SiblingWrite> resolve_sibling_map(std::vector<SiblingWrite> writes) {
  std::stable_sort(writes.begin(), writes.end(), [](const SiblingWrite& a, const SiblingWrite& b) {
    return a.height != b.height ? a.height < b.height : hash_less(a.path, b.path);
  });
  std::vector<SiblingWrite> entries;
  for (const SiblingWrite& write : writes) {
    if (!entries.empty() && entries.back().height == write.height &&
        same_hash(entries.back().path, write.path)) {
      if (write.replace) entries.back().hash = write.hash;
    } else {
      entries.push_back(write);
    }
  }
  return entries;
}

}  // namespace

void sort_distinct(std::vector<H256>& keys) {
  std::sort(keys.begin(), keys.end(), HashLess());
  keys.erase(std::unique(keys.begin(), keys.end(), same_hash), keys.end());
}

RawMerkleProof assemble_raw_proof(std::span<const H256> sorted_keys, std::vector<SiblingWrite> writes) {
  struct PathEvent {
    std::size_t index;
    std::uint8_t height;
  };
  struct ProofEvent {
    std::uint8_t height;
    std::size_t index;
    H256 hash;
  };
  std::vector<PathEvent> path_events;
  std::vector<ProofEvent> proof_events;

  for (std::size_t right = 1; right < sorted_keys.size(); ++right) {
    const std::uint8_t height = sorted_keys[right - 1].fork_height(sorted_keys[right]);
    const std::size_t left = *first_key_under(sorted_keys, sorted_keys[right - 1].copy_bits(height), height);
    path_events.push_back({right, height});
    path_events.push_back({left, height});
  }
  for (const SiblingWrite& entry : resolve_sibling_map(std::move(writes))) {
    if (first_key_under(sorted_keys, entry.path, entry.height)) continue;  // a merge happens there
    H256 taker_path = entry.path;
    if (entry.path.get_bit(entry.height)) {
      taker_path.clear_bit(entry.height);
    } else {
      taker_path.set_bit(entry.height);
    }
    const std::optional<std::size_t> taker = first_key_under(sorted_keys, taker_path, entry.height);
    if (!taker) continue;
    path_events.push_back({*taker, entry.height});
    proof_events.push_back({entry.height, *taker, entry.hash});
  }

  std::sort(path_events.begin(), path_events.end(), [](const PathEvent& a, const PathEvent& b) {
    return std::tie(a.index, a.height) < std::tie(b.index, b.height);
  });
  std::sort(proof_events.begin(), proof_events.end(), [](const ProofEvent& a, const ProofEvent& b) {
    return std::tie(a.height, a.index) < std::tie(b.height, b.index);
  });

  RawMerkleProof raw;
  raw.leaves_path.resize(sorted_keys.size());
  for (const PathEvent& event : path_events) raw.leaves_path[event.index].push_back(event.height);
  if (!raw.leaves_path.empty() && raw.leaves_path[0].empty()) raw.leaves_path[0].push_back(255);
  raw.proof.reserve(proof_events.size());
  for (const ProofEvent& event : proof_events) raw.proof.emplace_back(event.hash, event.height);
  return raw;
}

}  // namespace qzr::tree
