// The uncompiled Merkle proof of a set of keys: per key the heights at which its subtree meets
// something, and the sibling hashes a verifier needs, in the order the compiler consumes them.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "values/h256.hpp"

namespace qzr::tree {

struct RawMerkleProof {
  // One ascending list of heights per distinct key, in ascending key order: where the key's
  // subtree met a non-empty sibling or merged with another key's subtree; [255] when neither.
  std::vector<std::vector<std::uint8_t>> leaves_path;
  // (sibling hash, height), ordered by height and, within a height, left to right.
  std::vector<std::pair<H256, std::uint8_t>> proof;

  friend bool operator==(const RawMerkleProof&, const RawMerkleProof&) = default;
};

// The subtree on the other side of `path` at `height`: the bits above `height`, bit `height`
// flipped, the bits below cleared.
inline H256 sibling_path(const H256& path, std::uint8_t height) {
  H256 sibling = path.parent_path(height);
  if (!path.get_bit(height)) sibling.set_bit(height);
  return sibling;
}

// Sorts keys ascending in tree order (byte 31 first) and removes repeats: a key given twice is
// proven once.
void sort_distinct(std::vector<H256>& keys);

// One write of a key's walk into the sibling map: (height, sibling path) -> subtree hash, either
// replacing an earlier write or only when there is none yet.
struct SiblingWrite {
  std::uint8_t height;
  H256 path;
  H256 hash;
  bool replace;
};

// Assembles the raw proof of `sorted_keys` (ascending, distinct, non-empty) from the sibling map
// that their walks wrote, given as the writes in walk order.
RawMerkleProof assemble_raw_proof(std::span<const H256> sorted_keys, std::vector<SiblingWrite> writes);

}  // namespace qzr::tree
