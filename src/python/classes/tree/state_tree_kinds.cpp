// VelmarindSMT's per-kind members, one row per record class: the getter `trader(key)` (None for
// an absent key, QzrCommonError "invalid Trader item" for another kind), the store
// `store_trader(key, maybe_inner)` (None or a void record deletes the key; returns the new root)
// and the listing `all_traders()` (a list of (key, record) tuples in no particular order).
//
// A new record class is one KindRow: its C++ record type (whose ClassDef is the Python class)
// and the three names. The key class follows from the record's kind.
#include "python/classes/core/exceptions.hpp"
#include "python/classes/keys/keys_classes.hpp"
#include "python/classes/state/book_order_class.hpp"
#include "python/classes/state/epoch_metadata_class.hpp"
#include "python/classes/state/fund_classes.hpp"
#include "python/classes/state/insurance_fund_contribution_class.hpp"
#include "python/classes/state/position_class.hpp"
#include "python/classes/state/price_class.hpp"
#include "python/classes/state/signer_specs_classes.hpp"
#include "python/classes/state/stats_class.hpp"
#include "python/classes/state/strategy_class.hpp"
#include "python/classes/state/trader_class.hpp"
#include "python/classes/tree/state_tree_class.hpp"
#include "python/classes/values/h256_class.hpp"
#include "python/classes/values/product_symbol_class.hpp"
#include "tree/state_listing.hpp"

namespace qzr::py {
namespace {

using tree::StateTree;

template <StateRecord R, FixedString Getter, FixedString Store, FixedString Listing>
using KindRow = Members<Method<Getter, &tree::get_record<R>, "key">,
                        Method<Store, &tree::store_record<R>, "key", "maybe_inner">,
                        Method<Listing, &tree::collect_records<R>>>;

// The records of one market; `symbol` is a ProductSymbol or its text.
template <tree::MarketRecord R>
std::vector<tree::KeyedRecord<R>> records_for_symbol(const StateTree& tree, ProductSymbolArgument symbol) {
  return tree::collect_records_for_symbol<R>(tree, symbol.value);
}

template <tree::MarketRecord R, FixedString Listing>
using MarketRow = Method<Listing, &records_for_symbol<R>, "symbol">;

// The table: one row per record class, then the listings of one market.
using KindMembers =
    Members<KindRow<Trader, "trader", "store_trader", "all_traders">,
            KindRow<Strategy, "strategy", "store_strategy", "all_strategies">,
            KindRow<Position, "position", "store_position", "all_positions">,
            KindRow<BookOrder, "book_order", "store_book_order", "all_book_orders">,
            KindRow<Price, "price", "store_price", "all_prices">,
            KindRow<InsuranceFund, "insurance_fund", "store_insurance_fund", "all_insurance_funds">,
            KindRow<Stats, "stats", "store_stats", "all_stats">,
            KindRow<Signer, "signer", "store_signer", "all_signers">,
            KindRow<Specs, "specs", "store_specs", "all_specs">,
            KindRow<InsuranceFundContribution, "insurance_fund_contribution",
                    "store_insurance_fund_contribution", "all_insurance_fund_contributions">,
            KindRow<FeePool, "fee_pool", "store_fee_pool", "all_fee_pools">,
            KindRow<EpochMetadata, "epoch_metadata", "store_epoch_metadata", "all_epoch_metadatas">,
            MarketRow<Price, "all_prices_for_symbol">, MarketRow<Position, "all_positions_for_symbol">,
            MarketRow<BookOrder, "all_book_orders_for_symbol">>;

}  // namespace

void add_state_tree_kind_members(TypeBuilder& builder) { KindMembers::add_to<StateTree>(builder); }

}  // namespace qzr::py
