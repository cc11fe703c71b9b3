// The uncompiled Merkle proof of a set of keys: per key the heights at which its subtree meets
// something, and the sibling hashes a verifier needs, in the order the compiler consumes them.
#pragma once

#include <array>
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

// The sibling map the walks of a proof fill: (height, sibling path) -> subtree hash. The sorted
// keys are walked one after another, and each walk writes at the sibling path of its own key, so
// a place is written only by a run of adjacent keys. A write either replaces the hash held or
// only fills an empty place.
class SiblingMap {
 public:
  // For `sorted_keys` (ascending, distinct), which must outlive the map.
  explicit SiblingMap(std::span<const H256> sorted_keys);

  std::span<const H256> keys() const { return m_keys; }

  // Writes `hash` at (height, sibling_path(key, height)) for sorted key `key_index`. Precondition:
  // key indexes never decrease from one write to the next.
  void write(std::size_t key_index, std::uint8_t height, const H256& hash, bool replace);

  // One place of the map: its height, its hash, and the first key whose walk wrote it (the place
  // is the sibling path of that key at that height). Places in the order of their first writes.
  struct Place {
    H256 hash;
    std::size_t first_writer;
    std::uint8_t height;
  };
  const std::vector<Place>& places() const { return m_places; }

 private:
  std::span<const H256> m_keys;
  std::vector<Place> m_places;
  // Per height, the index in m_places of the place last written at that height, or no_place.
  static constexpr std::size_t no_place = SIZE_MAX;
  std::array<std::size_t, 256> m_last_at_height;
};

// Assembles the raw proof of the map's keys (non-empty) from the map the walks filled.
RawMerkleProof assemble_raw_proof(const SiblingMap& siblings);

}  // namespace qzr::tree
