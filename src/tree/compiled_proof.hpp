// The compiled Merkle proof: a stack program that, run over the proven leaves in ascending key
// order, rebuilds the root. This is the byte form verifiers check, so it is a contract:
// clang-format off
//   0x4C L                      push the next leaf: (key, leaf hash)
//   0x50 P height sibling[32]   pop (k, x); push (k, merge(s, x)) if bit height of k is 1, else (k, merge(x, s))
//   0x48 H height               pop right (k2, x2), pop left (k1, x1); push (k1, merge(x1, x2))
// clang-format on
// No header, count or terminator. For n distinct keys: n codes L, n - 1 codes H, and never a P
// with a zero sibling.
#pragma once

#include <cstdint>
#include <expected>
#include <string>
#include <utility>
#include <vector>

#include "tree/merkle_proof.hpp"
#include "tree/smt_error.hpp"

namespace qzr::tree {

inline constexpr std::uint8_t proof_code_leaf = 0x4C;
inline constexpr std::uint8_t proof_code_proof = 0x50;
inline constexpr std::uint8_t proof_code_merge = 0x48;

struct CompiledMerkleProof {
  std::vector<std::uint8_t> bytes;

  friend bool operator==(const CompiledMerkleProof&, const CompiledMerkleProof&) = default;
};

// A proven leaf: the key and its value hash (zero for an absent key).
using ProofLeaf = std::pair<H256, H256>;

// Compiles a raw proof with its leaves (any order; a key given twice counts once). Errors:
// EmptyKeys (no leaves), IncorrectNumberOfLeaves (the distinct leaves and the raw proof's lists
// differ in number), NonMergableRange, CorruptedProof (siblings run short or are left over).
[[nodiscard]] std::expected<CompiledMerkleProof, SmtError> compile(const RawMerkleProof& raw,
                                                                   std::vector<ProofLeaf> leaves);

// "CompiledMerkleProof([76, ...])".
std::string debug_text(const CompiledMerkleProof& proof);
// The Python class's repr: "MerkleProof { inner: CompiledMerkleProof([...]) }".
std::string merkle_proof_repr(const CompiledMerkleProof& proof);

}  // namespace qzr::tree
