// Compilation of raw proofs. The work map hands out subtrees by (height, path), lowest first and
// left to right within a height, which is the order the raw proof lists its siblings in; each
// subtree either merges with its right neighbour, jumps to the next height where it meets
// something, or takes the next sibling.
#include "tree/compiled_proof.hpp"

#include <algorithm>
#include <map>
#include <tuple>

#include "tree/hash_words.hpp"
#include "values/debug_shapes.hpp"

namespace qzr::tree {
namespace {

struct WorkKey {
  std::uint8_t height;
  H256 path;
  friend bool operator==(const WorkKey&, const WorkKey&) = default;
};

// By height, then by path in the tree order.
struct WorkKeyLess {
  bool operator()(const WorkKey& a, const WorkKey& b) const {
    return a.height != b.height ? a.height < b.height : hash_less(a.path, b.path);
  }
};

struct WorkEntry {
  std::size_t leaf_index;
  std::vector<std::uint8_t> program;
  std::size_t range_start;
  std::size_t range_end;
};

using WorkMap = std::map<WorkKey, WorkEntry, WorkKeyLess>;

// Puts the entry of `node` under `key`, replacing any entry there, reusing the node's memory.
void put(WorkMap& work, WorkMap::node_type node, const WorkKey& key) {
  node.key() = key;
  auto result = work.insert(std::move(node));
  if (!result.inserted) result.position->second = std::move(result.node.mapped());
}

}  // namespace

std::expected<CompiledMerkleProof, SmtError> compile(RawMerkleProof raw, std::vector<ProofLeaf> leaves) {
  if (leaves.empty()) return std::unexpected(SmtError::empty_keys());
  std::stable_sort(leaves.begin(), leaves.end(),
                   [](const ProofLeaf& a, const ProofLeaf& b) { return hash_less(a.first, b.first); });
  leaves.erase(
      std::unique(leaves.begin(), leaves.end(),
                  [](const ProofLeaf& a, const ProofLeaf& b) { return same_hash(a.first, b.first); }),
      leaves.end());
  if (leaves.size() != raw.leaves_path.size()) {
    return std::unexpected(SmtError::incorrect_number_of_leaves(raw.leaves_path.size(), leaves.size()));
  }

  WorkMap work;
  for (std::size_t index = 0; index < leaves.size(); ++index) {
    work.insert_or_assign(WorkKey{0, leaves[index].first},
                          WorkEntry{index, {proof_code_leaf}, index, index + 1});
  }
  std::vector<std::size_t> path_fronts(leaves.size(), 0);
  std::size_t next_sibling = 0;
  const auto has_front = [&](std::size_t index) {
    return path_fronts[index] < raw.leaves_path[index].size();
  };

  while (!work.empty()) {
    WorkMap::node_type node = work.extract(work.begin());
    const auto [height, path] = node.key();
    WorkEntry& entry = node.mapped();
    if (next_sibling == raw.proof.size() && work.empty())
      return CompiledMerkleProof{std::move(entry.program)};

    std::uint8_t merged_height;
    const H256 sibling = sibling_path(path, height);
    if (!work.empty() && work.begin()->first == WorkKey{height, sibling}) {
      const WorkMap::node_type right = work.extract(work.begin());
      if (entry.range_end != right.mapped().range_start)
        return std::unexpected(SmtError::non_mergable_range());
      entry.program.insert(entry.program.end(), right.mapped().program.begin(), right.mapped().program.end());
      entry.program.push_back(proof_code_merge);
      entry.program.push_back(height);
      entry.range_end = right.mapped().range_end;
      merged_height = height;
    } else if (has_front(entry.leaf_index) &&
               raw.leaves_path[entry.leaf_index][path_fronts[entry.leaf_index]] != height) {
      // Empty siblings up to the next height where this subtree meets something: nothing to emit.
      const std::uint8_t front = raw.leaves_path[entry.leaf_index][path_fronts[entry.leaf_index]];
      put(work, std::move(node), WorkKey{front, path.copy_bits(front)});
      continue;
    } else {
      if (next_sibling == raw.proof.size()) return std::unexpected(SmtError::corrupted_proof());
      const auto& [sibling_hash, sibling_height] = raw.proof[next_sibling++];
      merged_height = std::max(height, sibling_height);
      entry.program.push_back(proof_code_proof);
      entry.program.push_back(merged_height);
      entry.program.insert(entry.program.end(), sibling_hash.bytes().begin(), sibling_hash.bytes().end());
    }

    if (merged_height == 255) {
      if (next_sibling != raw.proof.size()) return std::unexpected(SmtError::corrupted_proof());
      return CompiledMerkleProof{std::move(entry.program)};
    }
    if (has_front(entry.leaf_index)) ++path_fronts[entry.leaf_index];
    put(work, std::move(node),
        WorkKey{static_cast<std::uint8_t>(merged_height + 1), path.parent_path(merged_height)});
  }
  return std::unexpected(SmtError::corrupted_proof());
}

std::string debug_text(const CompiledMerkleProof& proof) {
  return debug_tuple("CompiledMerkleProof", debug_byte_list(proof.bytes));
}

std::string merkle_proof_repr(const CompiledMerkleProof& proof) {
  return debug_struct("MerkleProof", {{"inner", debug_text(proof)}});
}

}  // namespace qzr::tree
