// StateTree: the engine instantiated on the state layer's Item, and the operations the exchange's
// Python class performs on it, with the error texts Python callers see: "smt get error: ",
// "smt update error: " and "merkle proof error: " before the tree error's display text.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "core/common_error.hpp"
#include "keys/tree_key_codec.hpp"
#include "state/item.hpp"
#include "state/item_abi.hpp"
#include "state/item_key.hpp"
#include "tree/sparse_merkle_tree.hpp"

namespace qzr::tree {

template <>
struct TreeValueTraits<Item> {
  static H256 value_hash(const Item& item) { return item_value_hash(item); }
  static std::string debug_text(const Item& item) { return item.debug_text(); }
  static constexpr std::string_view type_path = "qzr_common::types::state::Item";
};

// Compiled once, in state_tree.cpp.
extern template class SparseMerkleTree<Item>;
using StateTree = SparseMerkleTree<Item>;

// The key type of record type R: TraderKey for Trader, and so on.
template <StateRecord R>
using RecordKey = std::variant_alternative_t<item_kind_number(item_kind_of<R>) - 1, TreeKey>;

inline constexpr std::string_view smt_get_error_prefix = "smt get error: ";
inline constexpr std::string_view smt_update_error_prefix = "smt update error: ";
inline constexpr std::string_view merkle_proof_error_prefix = "merkle proof error: ";
inline constexpr std::string_view discriminant_mismatch_text = "key and item discriminant mismatch";

// The tree error as the Other error "<prefix><display text>".
CommonError prefixed_tree_error(std::string_view prefix, const SmtError& error);

// "invalid Trader item" and its sisters: a getter found an item of another kind.
CommonError invalid_item_error(ItemKind kind);

// The item under `key`: the empty item when the key has no leaf.
Result<Item> get_item(const StateTree& tree, const H256& key);

// Stores `item` as given (the empty item deletes the key) and returns the new root.
Result<H256> store_item(StateTree& tree, const H256& key, Item item);

// What a key must be to hold an item of another kind than the empty one: byte 0 is the item's
// kind number (else discriminant_mismatch_text) and the whole key decodes with that kind's key
// decoder (else "invalid Trader key: <decoder's text>" and its sisters), so that every stored leaf
// can be listed. Keys that a lenient decoder accepts (the insurance fund's reads byte 0 only) pass.
// The empty item goes under any key.
Result<void> check_item_key(const H256& key, const Item& item);

// Stores an item as given: nothing deletes whatever `key` holds, whatever its byte 0; an item
// must pass check_item_key first, and a refused key leaves the tree as it was.
Result<H256> store_item_by_key(StateTree& tree, const H256& key, std::optional<Item> item);

// The compiled proof of `keys` (any order, repeats proven once); an empty program for no keys.
Result<CompiledMerkleProof> prove_keys(const StateTree& tree, std::span<const H256> keys);

// The record of kind R under `key`: nothing when the key has no leaf, invalid_item_error when it
// holds another kind.
template <StateRecord R>
Result<std::optional<R>> get_record(const StateTree& tree, const RecordKey<R>& key) {
  Result<Item> item = get_item(tree, TreeKeyCodec<RecordKey<R>>::encode(key));
  if (!item) return fail(std::move(item.error()));
  if (const R* record = item->template get_if<R>()) return std::optional<R>(*record);
  if (item->is_empty()) return std::optional<R>();
  return fail(invalid_item_error(item_kind_of<R>));
}

// Stores `record` under `key`, or deletes the key for nothing or a void record (R::is_void()).
template <StateRecord R>
Result<H256> store_record(StateTree& tree, const RecordKey<R>& key, std::optional<R> record) {
  Item item = record && !record->is_void() ? Item(std::move(*record)) : Item();
  return store_item(tree, TreeKeyCodec<RecordKey<R>>::encode(key), std::move(item));
}

}  // namespace qzr::tree
