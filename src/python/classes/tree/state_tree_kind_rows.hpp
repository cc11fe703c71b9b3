// The per-kind members of VelmarindSMT as rows of the list of kinds (state/kinds.hpp): for kind
// number N the getter `trader(key)` (None for an absent key, QzrCommonError "invalid Trader item"
// for another kind), the store `store_trader(key, maybe_inner)` (None or a void record deletes the
// key; returns the new root) and the listing `all_traders()` (a list of (key, record) tuples in no
// particular order), named by its row. The rows are compiled in four files of three kinds each
// (state_tree_kinds_<first>_to_<last>.cpp), so that no file compiles all twelve; the helpers are
// templates in state_tree_kinds.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string_view>
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
namespace state_tree_kinds {

// A name of the list of kinds as a template argument.
template <std::size_t N>
constexpr FixedString<N + 1> fixed_name(std::string_view text) {
  char data[N + 1]{};
  // NOLINTNEXTLINE(bugprone-suspicious-stringview-data-usage): copies N characters; data ends in its own NUL
  std::copy_n(text.data(), N, data);
  return FixedString<N + 1>(data);
}

// The three members of kind `Number`, named by its row.
template <std::size_t Number>
struct KindRow {
  static constexpr const auto& row = record_kind_row<Number>;
  using R = typename std::remove_cvref_t<decltype(row)>::record;
  static constexpr auto getter = fixed_name<row.getter.size()>(row.getter);
  static constexpr auto store = fixed_name<row.store.size()>(row.store);
  static constexpr auto listing = fixed_name<row.listing.size()>(row.listing);
  using members = Members<Method<getter, &tree::get_record<R>, "key">,
                          Method<store, &tree::store_record<R>, "key", "maybe_inner">,
                          Method<listing, &tree::collect_records<R>>>;
};

template <std::size_t First, std::size_t... I>
Members<typename KindRow<First + I>::members...> kind_rows(std::index_sequence<I...>);

// The rows of kinds First to Last, in kind order.
template <std::size_t First, std::size_t Last>
using KindRows = decltype(kind_rows<First>(std::make_index_sequence<Last - First + 1>{}));

}  // namespace state_tree_kinds

// The rows of kinds 1 to 3 (state_tree_kinds_1_to_3.cpp), 4 to 6, 7 to 9 and 10 to 12, each in
// its file; add_state_tree_kind_members adds them in this order.
void add_state_tree_kinds_1_to_3(TypeBuilder& builder);
void add_state_tree_kinds_4_to_6(TypeBuilder& builder);
void add_state_tree_kinds_7_to_9(TypeBuilder& builder);
void add_state_tree_kinds_10_to_12(TypeBuilder& builder);

}  // namespace qzr::py
