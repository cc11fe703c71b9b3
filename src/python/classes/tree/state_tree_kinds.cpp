// VelmarindSMT's per-kind members, one row per record class: the getter `trader(key)` (None for
// an absent key, QzrCommonError "invalid Trader item" for another kind), the store
// `store_trader(key, maybe_inner)` (None or a void record deletes the key; returns the new root)
// and the listing `all_traders()` (a list of (key, record) tuples in no particular order).
//
// The rows are generated from the list of kinds (state/kinds.hpp), one per kind, named by its row:
// a new kind there is a new row here without an edit.
#include <cstddef>
#include <type_traits>
#include <utility>

#include "python/classes/core/exceptions.hpp"
#include "python/classes/state/record_classes.hpp"
#include "python/classes/tree/state_tree_class.hpp"
#include "python/classes/values/h256_class.hpp"
#include "python/classes/values/product_symbol_class.hpp"
#include "state/kinds.hpp"
#include "tree/state_listing.hpp"

namespace qzr::py {
namespace {

using tree::StateTree;

// The three members of kind `Number`, named by its row.
template <std::size_t Number>
struct KindRow {
  static constexpr const auto& row = record_kind_row<Number>;
  using R = typename std::remove_cvref_t<decltype(row)>::record;
  static constexpr auto getter = fixed_string<row.getter.size()>(row.getter);
  static constexpr auto store = fixed_string<row.store.size()>(row.store);
  static constexpr auto listing = fixed_string<row.listing.size()>(row.listing);
  using members = Members<Method<getter, &tree::get_record<R>, "key">,
                          Method<store, &tree::store_record<R>, "key", "maybe_inner">,
                          Method<listing, &tree::collect_records<R>>>;
};

template <std::size_t... I>
Members<typename KindRow<I + 1>::members...> kind_rows(std::index_sequence<I...>);

// The records of one market; `symbol` is a ProductSymbol or its text.
template <tree::MarketRecord R>
std::vector<tree::KeyedRecord<R>> records_for_symbol(const StateTree& tree, ProductSymbolArgument symbol) {
  return tree::collect_records_for_symbol<R>(tree, symbol.value);
}

template <tree::MarketRecord R, FixedString Listing>
using MarketRow = Method<Listing, &records_for_symbol<R>, "symbol">;

// One row per kind of the list, then the listings of one market.
using KindMembers =
    Members<decltype(kind_rows(std::make_index_sequence<record_kind_count>{})),
            MarketRow<Price, "all_prices_for_symbol">, MarketRow<Position, "all_positions_for_symbol">,
            MarketRow<BookOrder, "all_book_orders_for_symbol">>;

}  // namespace

void add_state_tree_kind_members(TypeBuilder& builder) { KindMembers::add_to<StateTree>(builder); }

}  // namespace qzr::py
