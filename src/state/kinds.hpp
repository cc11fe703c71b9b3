// The list of kinds of state record: one row per kind, from which ItemKind's members, Item's
// variant, the tree key variant and its decoders, the tree's per-kind members and the module's
// record and key classes follow. A new record kind is one row here, its record with its field
// list (core/field_list.hpp), its key with its codec (keys/), and their Python classes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "core/row_list.hpp"
#include "keys/tree_keys.hpp"
#include "state/position.hpp"
#include "state/price.hpp"
#include "state/records.hpp"

namespace qzr {

// One kind: its number (byte 0 of its tree keys and the first word of its item ABI value, part
// of the stored formats), its record and key types, and the names under which the state tree
// offers its getter, its store and its listing (the binding makes them Python names).
template <std::uint8_t Number, class Record, class Key>
struct RecordKind {
  static constexpr std::uint8_t number = Number;
  using record = Record;
  using key = Key;
  std::string_view getter;
  std::string_view store;
  std::string_view listing;
};

// The rows in kind-number order; kind 0 is the empty item, which has no row.
inline constexpr std::tuple record_kinds{
    RecordKind<1, Trader, TraderKey>{"trader", "store_trader", "all_traders"},
    RecordKind<2, Strategy, StrategyKey>{"strategy", "store_strategy", "all_strategies"},
    RecordKind<3, Position, PositionKey>{"position", "store_position", "all_positions"},
    RecordKind<4, BookOrder, BookOrderKey>{"book_order", "store_book_order", "all_book_orders"},
    RecordKind<5, Price, PriceKey>{"price", "store_price", "all_prices"},
    RecordKind<6, InsuranceFund, InsuranceFundKey>{"insurance_fund", "store_insurance_fund",
                                                   "all_insurance_funds"},
    RecordKind<7, Stats, StatsKey>{"stats", "store_stats", "all_stats"},
    RecordKind<8, Signer, SignerKey>{"signer", "store_signer", "all_signers"},
    RecordKind<9, Specs, SpecsKey>{"specs", "store_specs", "all_specs"},
    RecordKind<10, InsuranceFundContribution, InsuranceFundContributionKey>{
        "insurance_fund_contribution", "store_insurance_fund_contribution",
        "all_insurance_fund_contributions"},
    RecordKind<11, FeePool, FeePoolKey>{"fee_pool", "store_fee_pool", "all_fee_pools"},
    RecordKind<12, EpochMetadata, EpochMetadataKey>{"epoch_metadata", "store_epoch_metadata",
                                                    "all_epoch_metadatas"},
};

inline constexpr std::size_t record_kind_count =
    std::tuple_size_v<std::remove_const_t<decltype(record_kinds)>>;

namespace kinds_detail {
using KindColumns = RowColumnsOf<record_kinds>;
template <class Row>
using KeyOf = typename Row::key;

// Row I has number I + 1, and its key names that number as its own kind byte.
template <std::size_t... I>
constexpr bool rows_in_kind_order(std::index_sequence<I...>) {
  using Rows = std::remove_const_t<decltype(record_kinds)>;
  return ((std::tuple_element_t<I, Rows>::number == I + 1 &&
           std::tuple_element_t<I, Rows>::key::kind_byte == I + 1) &&
          ...);
}
static_assert(rows_in_kind_order(std::make_index_sequence<record_kind_count>{}));
}  // namespace kinds_detail

// List<Before..., each kind's record type in kind order>: `RecordTypes<std::variant, EmptyItem>`.
template <template <class...> class List, class... Before>
using RecordTypes = kinds_detail::KindColumns::records<List, Before...>;

// List<each kind's key type in kind order>.
template <template <class...> class List>
using KeyTypes = kinds_detail::KindColumns::column<List, kinds_detail::KeyOf>;

// The row of kind number `Number` (1 to record_kind_count).
template <std::size_t Number>
inline constexpr const auto& record_kind_row = std::get<Number - 1>(record_kinds);

}  // namespace qzr
