// Assembly of the raw proof. Conceptually every key's subtree climbs from height 0 to 255 one
// height at a time; at each height it either merges with the neighbouring requested subtree, or
// takes the sibling hash the walks found there, or passes an empty sibling. Only the first two
// leave a trace, so instead of climbing, this computes those events directly in one sweep over the
// sorted keys. At height h the keys form runs: adjacent keys that agree on every bit from h up (the
// requested keys of one subtree at h). The events are
//   - a merge for each pair of neighbouring keys, at their fork height f: the run at f that ends
//     with the left key meets the run at f that starts with the right key; recorded for the first
//     key of each;
//   - a sibling taken for each place of the sibling map whose side holds no requested key, by the
//     run of the keys that wrote it, recorded under that run's first key. Requested keys on the
//     place's side would form the run next to the writers' run, at a fork height of exactly h.
// The climb meets the events by height and, within a height, left to right.
#include "tree/merkle_proof.hpp"

#include <algorithm>

namespace qzr::tree {

void sort_distinct(std::vector<H256>& keys) {
  std::sort(keys.begin(), keys.end());
  keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
}

SiblingMap::SiblingMap(std::span<const H256> sorted_keys) : m_keys(sorted_keys) {
  m_last_at_height.fill(no_place);
  m_places.reserve(sorted_keys.size() * 16);
}

void SiblingMap::write(std::size_t key_index, std::uint8_t height, const H256& hash, bool replace) {
  // Between two writes at one place, every write at that height comes from a key between theirs,
  // which agrees with both on every bit from the height up: the same place. So only the place last
  // written at this height can be the place of this write.
  const std::size_t last = m_last_at_height[height];
  if (last != no_place) {
    Place& place = m_places[last];
    if (place.first_writer == key_index ||
        m_keys[place.first_writer].fork_height(m_keys[key_index]) < height) {
      if (replace) place.hash = hash;
      return;
    }
  }
  m_last_at_height[height] = m_places.size();
  m_places.push_back({hash, key_index, height});
}

RawMerkleProof assemble_raw_proof(const SiblingMap& siblings) {
  const std::span<const H256> keys = siblings.keys();
  const std::vector<SiblingMap::Place>& places = siblings.places();
  // fork[j]: the fork height of keys j - 1 and j, the lowest height at which their runs differ.
  std::vector<std::uint8_t> fork(keys.size());
  for (std::size_t j = 1; j < keys.size(); ++j) fork[j] = keys[j - 1].fork_height(keys[j]);

  RawMerkleProof raw;
  raw.leaves_path.resize(keys.size());
  // Per place, the first key of the run that takes it; no_taker where a merge happens instead.
  constexpr std::size_t no_taker = SIZE_MAX;
  std::vector<std::size_t> takers(places.size(), no_taker);
  // Per height, the first key of the current key's run.
  std::array<std::size_t, 256> run_start{};
  // Per height, the latest place lying right of its run: a merge that ends that run cancels it.
  std::array<std::size_t, 256> open_right;
  open_right.fill(no_taker);
  std::size_t next_place = 0;
  for (std::size_t key = 0; key < keys.size(); ++key) {
    if (key > 0) {
      const std::uint8_t height = fork[key];
      const std::size_t left = run_start[height];
      raw.leaves_path[key].push_back(height);
      raw.leaves_path[left].push_back(height);
      const std::size_t right_of_left = open_right[height];
      if (right_of_left != no_taker && takers[right_of_left] == left) takers[right_of_left] = no_taker;
      std::fill_n(run_start.begin(), std::size_t{height} + 1, key);
    }
    for (; next_place < places.size() && places[next_place].first_writer == key; ++next_place) {
      const std::uint8_t height = places[next_place].height;
      const std::size_t first = run_start[height];
      if (!keys[key].get_bit(height)) {
        takers[next_place] = first;
        open_right[height] = next_place;
      } else if (first == 0 || fork[first] != height) {
        takers[next_place] = first;
      }
    }
  }

  // The taken places by height; within a height their first writes, and so their takers, ascend.
  std::array<std::size_t, 257> height_starts{};
  for (std::size_t place = 0; place < places.size(); ++place) {
    if (takers[place] == no_taker) continue;
    ++height_starts[places[place].height + 1];
    raw.leaves_path[takers[place]].push_back(places[place].height);
  }
  for (std::size_t height = 1; height < height_starts.size(); ++height)
    height_starts[height] += height_starts[height - 1];
  raw.proof.resize(height_starts.back());
  for (std::size_t place = 0; place < places.size(); ++place) {
    if (takers[place] == no_taker) continue;
    raw.proof[height_starts[places[place].height]++] = {places[place].hash, places[place].height};
  }
  for (std::vector<std::uint8_t>& heights : raw.leaves_path) std::sort(heights.begin(), heights.end());
  if (!raw.leaves_path.empty() && raw.leaves_path[0].empty()) raw.leaves_path[0].push_back(255);
  return raw;
}

}  // namespace qzr::tree
