// VelmarindSMT's per-kind members: one row per record class (the getter, store and listing of
// state_tree_kind_rows.hpp, compiled three kinds to a file), then the listings of one market.
//
// The rows and their names are those of the list of kinds (state/kinds.hpp): a new kind there
// is a new row here, in the last file of kinds or a new one.
#include <vector>

#include "python/classes/tree/state_tree_kind_rows.hpp"

namespace qzr::py {
namespace {

using tree::StateTree;

// The records of one market; `symbol` is a ProductSymbol or its text.
template <tree::MarketRecord R>
std::vector<tree::KeyedRecord<R>> records_for_symbol(const StateTree& tree, ProductSymbolArgument symbol) {
  return tree::collect_records_for_symbol<R>(tree, symbol.value);
}

template <tree::MarketRecord R, FixedString Listing>
using MarketRow = Method<Listing, &records_for_symbol<R>, "symbol">;

using MarketMembers =
    Members<MarketRow<Price, "all_prices_for_symbol">, MarketRow<Position, "all_positions_for_symbol">,
            MarketRow<BookOrder, "all_book_orders_for_symbol">>;

}  // namespace

static_assert(record_kind_count == 12,
              "every kind has its row in one of the files of kinds: a new kind needs a file");

// One row per kind of the list, in kind order, then the listings of one market.
void add_state_tree_kind_members(TypeBuilder& builder) {
  add_state_tree_kinds_1_to_3(builder);
  add_state_tree_kinds_4_to_6(builder);
  add_state_tree_kinds_7_to_9(builder);
  add_state_tree_kinds_10_to_12(builder);
  MarketMembers::add_to<StateTree>(builder);
}

}  // namespace qzr::py
