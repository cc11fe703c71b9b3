// The walks of a proof: every requested key from the root down through the branch records,
// recording the siblings a proof needs and, when asked, the key's leaf hash as get() finds it.
// Keys are walked in groups whose records are fetched into the cache together, so the memory
// latency of one key's walk overlaps the others'; a walk at the same node as the key before it
// (sorted keys share their upper paths) takes that key's record without a lookup.
#pragma once

#include <expected>
#include <optional>
#include <span>
#include <vector>

#include "tree/concurrent_store.hpp"
#include "tree/merkle_proof.hpp"

namespace qzr::tree {

// Why the walks stopped: the error the walks meet first in key order, or nothing when that first
// failure is a walk passing more than 256 splits (records forming a cycle).
struct KeyWalkFailure {
  std::optional<SmtError> error;
};

// Walks the map's keys from `root` (non-zero) and writes what the walks find into `siblings`, key
// after key. With `leaf_hashes`, each walk continues as get() does down to a leaf record, and
// leaf_hashes[i] is set to the leaf hash of key i, or nothing when the key has no leaf.
[[nodiscard]] std::expected<void, KeyWalkFailure> walk_keys(const BranchMap& branches, const H256& root,
                                                            SiblingMap& siblings,
                                                            std::vector<std::optional<H256>>* leaf_hashes);

}  // namespace qzr::tree
