// Compilation of raw proofs. The work queue hands out subtrees by (height, path), lowest first and
// left to right within a height, which is the order the raw proof lists its siblings in; each
// subtree either merges with its right neighbour, jumps to the next height where it meets
// something, or takes the next sibling. The queue is a bucket per height while every subtree moves
// up (as in the proofs the tree builds), and an ordered map for the raw proofs where one falls back.
#include "tree/compiled_proof.hpp"

#include <algorithm>
#include <array>
#include <map>
#include <optional>

#include "values/debug_shapes.hpp"

namespace qzr::tree {
namespace {

struct WorkKey {
  std::uint8_t height;
  H256 path;
};

bool same_work_key(const WorkKey& a, const WorkKey& b) { return a.height == b.height && a.path == b.path; }

// By height, then by path in the tree order.
struct WorkKeyLess {
  bool operator()(const WorkKey& a, const WorkKey& b) const {
    return a.height != b.height ? a.height < b.height : a.path < b.path;
  }
};

// The programs of the subtrees being compiled, all in one byte arena. A program is a chain of
// pieces of the arena, so that a merge links the right subtree's chain instead of copying it.
class Programs {
 public:
  struct Chain {
    std::size_t head;
    std::size_t tail;
  };

  // Room for the programs of `leaves` leaves taking `siblings` siblings: a well-formed proof
  // compiles to one code per leaf, one merge per leaf but one and 34 bytes per sibling.
  Programs(std::size_t leaves, std::size_t siblings) {
    m_bytes.reserve(3 * leaves + 34 * siblings);
    m_pieces.reserve(2 * leaves + siblings);
  }

  Chain start(std::uint8_t code) {
    m_pieces.push_back({m_bytes.size(), 1, no_piece});
    m_bytes.push_back(code);
    return {m_pieces.size() - 1, m_pieces.size() - 1};
  }
  void append(Chain& chain, std::span<const std::uint8_t> bytes) {
    if (const Piece& tail = m_pieces[chain.tail]; tail.start + tail.length != m_bytes.size()) {
      m_pieces.push_back({m_bytes.size(), 0, no_piece});
      m_pieces[chain.tail].next = m_pieces.size() - 1;
      chain.tail = m_pieces.size() - 1;
    }
    m_pieces[chain.tail].length += bytes.size();
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
  }
  // Appends `right`'s program to `left`'s; `right` must not be used afterwards.
  void link(Chain& left, const Chain& right) {
    m_pieces[left.tail].next = right.head;
    left.tail = right.tail;
  }
  std::vector<std::uint8_t> bytes_of(const Chain& chain) const {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(m_bytes.size());
    for (std::size_t piece = chain.head; piece != no_piece; piece = m_pieces[piece].next) {
      const auto first = m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pieces[piece].start);
      bytes.insert(bytes.end(), first, first + static_cast<std::ptrdiff_t>(m_pieces[piece].length));
      if (piece == chain.tail) break;
    }
    return bytes;
  }

 private:
  static constexpr std::size_t no_piece = SIZE_MAX;
  struct Piece {
    std::size_t start;
    std::size_t length;
    std::size_t next;
  };
  std::vector<std::uint8_t> m_bytes;
  std::vector<Piece> m_pieces;
};

// The work queue as an ordered map: takes any key. put() replaces the subtree at an occupied key.
class OrderedWorkQueue {
 public:
  [[nodiscard]] bool put(const WorkKey& key, std::size_t subtree) {
    m_work.insert_or_assign(key, subtree);
    return true;
  }
  bool empty() const { return m_work.empty(); }
  bool next_is(const WorkKey& key) const {
    return !m_work.empty() && same_work_key(m_work.begin()->first, key);
  }
  // Precondition: not empty.
  std::pair<WorkKey, std::size_t> pop() {
    const auto node = m_work.extract(m_work.begin());
    return {node.key(), node.mapped()};
  }

 private:
  std::map<WorkKey, std::size_t, WorkKeyLess> m_work;
};

// The same queue as a bucket per height, each sorted when its turn comes; refuses (put() is false)
// a key at or below the height being handed out. Subtrees put at one key before its turn: the
// last one replaces the others, as in the map.
class HeightBucketWorkQueue {
 public:
  [[nodiscard]] bool put(const WorkKey& key, std::size_t subtree) {
    if (m_started && key.height <= m_height) return false;
    m_buckets[key.height].push_back({key.path, subtree});
    ++m_count;
    return true;
  }
  bool empty() const { return m_count == 0; }
  bool next_is(const WorkKey& key) const {
    return m_started && key.height == m_height && m_next < m_buckets[m_height].size() &&
           m_buckets[m_height][m_next].path == key.path;
  }
  // Precondition: not empty.
  std::pair<WorkKey, std::size_t> pop() {
    if (!m_started || m_next == m_buckets[m_height].size()) {
      if (m_started) m_buckets[m_height].clear();
      std::size_t height = m_started ? m_height + 1u : 0u;
      while (m_buckets[height].empty()) ++height;
      m_started = true;
      m_height = static_cast<std::uint8_t>(height);
      m_next = 0;
      sort_current();
    }
    --m_count;
    const Item& item = m_buckets[m_height][m_next++];
    return {WorkKey{m_height, item.path}, item.subtree};
  }

 private:
  struct Item {
    H256 path;
    std::size_t subtree;
  };
  // Sorts the current bucket by path and keeps the last put of each path.
  void sort_current() {
    std::vector<Item>& bucket = m_buckets[m_height];
    const auto path_less = [](const Item& a, const Item& b) { return a.path < b.path; };
    if (!std::is_sorted(bucket.begin(), bucket.end(), path_less))
      std::stable_sort(bucket.begin(), bucket.end(), path_less);
    std::size_t kept = 0;
    for (std::size_t i = 0; i < bucket.size(); ++i) {
      if (i + 1 < bucket.size() && bucket[i].path == bucket[i + 1].path) continue;
      bucket[kept++] = bucket[i];
    }
    m_count -= bucket.size() - kept;
    bucket.resize(kept);
  }

  std::array<std::vector<Item>, 256> m_buckets;
  std::size_t m_count = 0;
  bool m_started = false;
  std::uint8_t m_height = 0;
  std::size_t m_next = 0;
};

struct Subtree {
  std::size_t leaf_index;
  Programs::Chain program;
  std::size_t range_start;
  std::size_t range_end;
};

// Compiles with the given queue; nothing when the queue refuses a key. `leaves` sorted and distinct,
// as many as the raw proof's lists.
template <class Queue>
std::optional<std::expected<CompiledMerkleProof, SmtError>> compile_with(
    const RawMerkleProof& raw, const std::vector<ProofLeaf>& leaves) {
  Queue work;
  Programs programs(leaves.size(), raw.proof.size());
  std::vector<Subtree> subtrees;
  subtrees.reserve(leaves.size());
  for (std::size_t index = 0; index < leaves.size(); ++index) {
    subtrees.push_back(Subtree{index, programs.start(proof_code_leaf), index, index + 1});
    if (!work.put(WorkKey{0, leaves[index].first}, index)) return std::nullopt;
  }
  std::vector<std::size_t> path_fronts(leaves.size(), 0);
  std::size_t next_sibling = 0;
  const auto has_front = [&](std::size_t index) {
    return path_fronts[index] < raw.leaves_path[index].size();
  };
  const auto done = [&](const Subtree& subtree) {
    return CompiledMerkleProof{programs.bytes_of(subtree.program)};
  };

  while (!work.empty()) {
    const auto [key, id] = work.pop();
    const auto [height, path] = key;
    Subtree& subtree = subtrees[id];
    if (next_sibling == raw.proof.size() && work.empty()) return done(subtree);

    std::uint8_t merged_height;
    if (work.next_is(WorkKey{height, sibling_path(path, height)})) {
      const Subtree& right = subtrees[work.pop().second];
      if (subtree.range_end != right.range_start) return std::unexpected(SmtError::non_mergable_range());
      programs.link(subtree.program, right.program);
      const std::array<std::uint8_t, 2> merge = {proof_code_merge, height};
      programs.append(subtree.program, merge);
      subtree.range_end = right.range_end;
      merged_height = height;
    } else if (has_front(subtree.leaf_index) &&
               raw.leaves_path[subtree.leaf_index][path_fronts[subtree.leaf_index]] != height) {
      // Empty siblings up to the next height where this subtree meets something: nothing to emit.
      const std::uint8_t front = raw.leaves_path[subtree.leaf_index][path_fronts[subtree.leaf_index]];
      if (!work.put(WorkKey{front, path.copy_bits(front)}, id)) return std::nullopt;
      continue;
    } else {
      if (next_sibling == raw.proof.size()) return std::unexpected(SmtError::corrupted_proof());
      const auto& [sibling_hash, sibling_height] = raw.proof[next_sibling++];
      merged_height = std::max(height, sibling_height);
      const std::array<std::uint8_t, 2> code = {proof_code_proof, merged_height};
      programs.append(subtree.program, code);
      programs.append(subtree.program, sibling_hash.bytes());
    }

    if (merged_height == 255) {
      if (next_sibling != raw.proof.size()) return std::unexpected(SmtError::corrupted_proof());
      return done(subtree);
    }
    if (has_front(subtree.leaf_index)) ++path_fronts[subtree.leaf_index];
    if (!work.put(WorkKey{static_cast<std::uint8_t>(merged_height + 1), path.parent_path(merged_height)}, id))
      return std::nullopt;
  }
  return std::unexpected(SmtError::corrupted_proof());
}

}  // namespace

std::expected<CompiledMerkleProof, SmtError> compile(const RawMerkleProof& raw,
                                                     std::vector<ProofLeaf> leaves) {
  if (leaves.empty()) return std::unexpected(SmtError::empty_keys());
  std::stable_sort(leaves.begin(), leaves.end(),
                   [](const ProofLeaf& a, const ProofLeaf& b) { return a.first < b.first; });
  leaves.erase(std::unique(leaves.begin(), leaves.end(),
                           [](const ProofLeaf& a, const ProofLeaf& b) { return a.first == b.first; }),
               leaves.end());
  if (leaves.size() != raw.leaves_path.size()) {
    return std::unexpected(SmtError::incorrect_number_of_leaves(raw.leaves_path.size(), leaves.size()));
  }
  if (auto compiled = compile_with<HeightBucketWorkQueue>(raw, leaves)) return std::move(*compiled);
  return *compile_with<OrderedWorkQueue>(raw, leaves);
}

std::string debug_text(const CompiledMerkleProof& proof) {
  return debug_tuple("CompiledMerkleProof", debug_byte_list(proof.bytes));
}

std::string merkle_proof_repr(const CompiledMerkleProof& proof) {
  return debug_struct("MerkleProof", {{"inner", debug_text(proof)}});
}

}  // namespace qzr::tree
