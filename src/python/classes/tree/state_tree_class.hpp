// The Python classes VelmarindSMT (the state tree, qzr_python.common.state.VelmarindSMT) and
// MerkleProof (a compiled proof, frozen, made only by VelmarindSMT.merkle_proof).
#pragma once

#include "python/frame/frame.hpp"
#include "tree/state_tree.hpp"

namespace qzr::py {

template <>
struct ClassDef<tree::StateTree> {
  static constexpr const char* name = "VelmarindSMT";
  static constexpr const char* doc = "Wrapped Velmarind Sparse Merkle Tree.";
  static constexpr bool frozen = false;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<tree::CompiledMerkleProof> {
  static constexpr const char* name = "MerkleProof";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

// The per-kind members of VelmarindSMT: for each record class a getter, a store applying the
// record's void rule and a listing, and the listings of one market (state_tree_kinds.cpp).
void add_state_tree_kind_members(TypeBuilder& builder);
// VelmarindSMT.from_genesis (state_tree_genesis.cpp).
void add_state_tree_genesis_member(TypeBuilder& builder);

}  // namespace qzr::py
