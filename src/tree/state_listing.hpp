// The listings of a state tree: every leaf, the records of one kind, and the records of one
// market. Each scans the whole leaf map once under its read lock and copies what it keeps, so
// the result shares nothing with the tree; the order is the map's and is not specified.
//
// A leaf is selected by its item's kind, not by its key's byte 0, and its key is decoded with the
// kind's key decoder. The tree's stores never write a key that does not decode (check_item_key),
// so a failing decoder is a broken invariant: the fault "key item mismatch: <decoder's debug
// text>" ("invalid price key: ...", "invalid position key: ...", "invalid book order key: ..." in
// the market listings). A poisoned leaf map is a fault too.
#pragma once

#include <string_view>
#include <utility>
#include <vector>

#include "core/fault.hpp"
#include "tree/state_tree.hpp"

namespace qzr::tree {

template <StateRecord R>
using KeyedRecord = std::pair<RecordKey<R>, R>;

// Faults on a poisoned leaf map (above). Every leaf: its 32-byte key and a copy of its item.
std::vector<std::pair<H256, Item>> collect_leaves(const StateTree& tree);

namespace listing_detail {

// Faults with `failure_text`, ": " and the decoder's debug text for a key that does not decode,
// and on a poisoned leaf map. Visits every leaf holding an R with its decoded key.
template <StateRecord R, class Visit>
void for_each_record(const StateTree& tree, std::string_view failure_text, Visit&& visit) {
  auto leaves = tree.store().leaves();
  (*leaves).for_each([&](const H256&, const LeafNode<Item>& leaf) {
    const R* record = leaf.value.template get_if<R>();
    if (!record) return;
    auto key = TreeKeyCodec<RecordKey<R>>::parse(leaf.key);
    if (!key) fault(std::string(failure_text) + ": " + key.error().debug());
    visit(*key, *record);
  });
}

}  // namespace listing_detail

// Faults as the listings do (above; "key item mismatch: ..."). The (key, record) pairs of every
// leaf holding an R.
template <StateRecord R>
std::vector<KeyedRecord<R>> collect_records(const StateTree& tree) {
  std::vector<KeyedRecord<R>> pairs;
  listing_detail::for_each_record<R>(tree, "key item mismatch",
                                     [&](const RecordKey<R>& key, const R& record) {
                                       if (pairs.empty()) pairs.reserve(4);
                                       pairs.emplace_back(key, record);
                                     });
  return pairs;
}

// The records of one market: the kinds whose key begins with a product symbol.
template <class R>
concept MarketRecord = StateRecord<R> && requires(const RecordKey<R>& key) {
  { key.symbol } -> std::convertible_to<ProductSymbol>;
};

template <MarketRecord R>
// NOLINTNEXTLINE(readability-redundant-string-init): keeps data() a C string
inline constexpr std::string_view market_key_failure_text = "";
template <>
inline constexpr std::string_view market_key_failure_text<Price> = "invalid price key";
template <>
inline constexpr std::string_view market_key_failure_text<Position> = "invalid position key";
template <>
inline constexpr std::string_view market_key_failure_text<BookOrder> = "invalid book order key";

// Faults as the listings do (above; "invalid price key: ..." and its sisters). The (key, record)
// pairs of every leaf holding an R whose key's symbol is `symbol` (the packed bytes compared).
// Every R leaf's key is decoded, also those of other markets.
template <MarketRecord R>
std::vector<KeyedRecord<R>> collect_records_for_symbol(const StateTree& tree, const ProductSymbol& symbol) {
  static_assert(!market_key_failure_text<R>.empty());
  std::vector<KeyedRecord<R>> pairs;
  listing_detail::for_each_record<R>(tree, market_key_failure_text<R>,
                                     [&](const RecordKey<R>& key, const R& record) {
                                       if (key.symbol == symbol) pairs.emplace_back(key, record);
                                     });
  return pairs;
}

}  // namespace qzr::tree
