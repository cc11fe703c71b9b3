// The state tree's operations with the error texts of its Python class.
#include "tree/state_tree.hpp"

namespace qzr::tree {

template class SparseMerkleTree<Item>;

CommonError prefixed_tree_error(std::string_view prefix, const SmtError& error) {
  return CommonError::other(std::string(prefix) + error.display());
}

CommonError invalid_item_error(ItemKind kind) {
  return CommonError::other("invalid " + std::string(item_kind_name(kind)) + " item");
}

Result<Item> get_item(const StateTree& tree, const H256& key) {
  auto item = tree.get(key);
  if (!item) return fail(prefixed_tree_error(smt_get_error_prefix, item.error()));
  return std::move(*item);
}

Result<H256> store_item(StateTree& tree, const H256& key, Item item) {
  auto root = tree.update(key, std::move(item));
  if (!root) return fail(prefixed_tree_error(smt_update_error_prefix, root.error()));
  return *root;
}

Result<void> check_item_key(const H256& key, const Item& item) {
  if (key.bytes()[0] != item_kind_number(item.kind())) {
    return fail(CommonError::other(std::string(discriminant_mismatch_text)));
  }
  if (item.is_empty()) return {};
  if (auto decoded = parse_tree_key(item.kind(), key); !decoded) {
    return fail(CommonError::other("invalid " + std::string(item_kind_name(item.kind())) +
                                   " key: " + decoded.error().display()));
  }
  return {};
}

Result<H256> store_item_by_key(StateTree& tree, const H256& key, std::optional<Item> item) {
  if (!item) return store_item(tree, key, Item());
  if (auto checked = check_item_key(key, *item); !checked) return fail(std::move(checked.error()));
  return store_item(tree, key, std::move(*item));
}

Result<CompiledMerkleProof> prove_keys(const StateTree& tree, std::span<const H256> keys) {
  auto proof = tree.compiled_merkle_proof(keys);
  if (!proof) return fail(prefixed_tree_error(merkle_proof_error_prefix, proof.error()));
  return std::move(*proof);
}

}  // namespace qzr::tree
