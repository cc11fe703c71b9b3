// VelmarindSMT's whole-tree members (constructor, root, proofs, deep copy, debug text) and the
// class MerkleProof. The per-kind members are in state_tree_kinds.cpp.
#include "python/classes/tree/state_tree_class.hpp"

#include "python/classes/core/exceptions.hpp"
#include "python/classes/state/item_class.hpp"
#include "python/classes/values/h256_class.hpp"
#include "tree/state_listing.hpp"

namespace qzr::py {
namespace {

using tree::CompiledMerkleProof;
using tree::StateTree;

StateTree make_empty_tree() { return StateTree(); }

H256 root(const StateTree& tree) { return tree.root(); }

// The keys are converted while the tree is borrowed: a key iterator that stores into this tree
// meets the borrow ("Already borrowed").
Result<CompiledMerkleProof> merkle_proof(const StateTree& tree, std::vector<H256> keys) {
  return tree::prove_keys(tree, keys);
}

// None deletes whatever `key` holds; an Item is stored as given (no void rule) when its kind is
// byte 0 of the key and the key decodes as that kind's key.
Result<H256> store_item_by_key(StateTree& tree, H256 key, std::optional<Item> maybe_inner) {
  return tree::store_item_by_key(tree, key, std::move(maybe_inner));
}

// `_memo` must be a dict; it is neither read nor written. The copy shares nothing with the tree.
StateTree deep_copy(const StateTree& tree, Dict) { return tree.deep_clone(); }

Bytes proof_bytes(const CompiledMerkleProof& proof) { return Bytes{proof.bytes}; }

std::string proof_repr(const CompiledMerkleProof& proof) { return tree::merkle_proof_repr(proof); }

}  // namespace

void ClassDef<StateTree>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_empty_tree>,                                          //
          Method<"root", &root>,                                                  //
          Method<"merkle_proof", &merkle_proof, "keys">,                          //
          Method<"store_item_by_key", &store_item_by_key, "key", "maybe_inner">,  //
          Method<"all_leaves", &tree::collect_leaves>,                            //
          Method<"__deepcopy__", &deep_copy, "_memo">,                            //
          Repr<&tree::velmarind_smt_repr<Item>>>::add_to<StateTree>(builder);
  add_state_tree_genesis_member(builder);
  add_state_tree_kind_members(builder);
}

void ClassDef<CompiledMerkleProof>::add_members(TypeBuilder& builder) {
  Members<Method<"as_bytes", &proof_bytes>, Repr<&proof_repr>>::add_to<CompiledMerkleProof>(builder);
}

}  // namespace qzr::py
