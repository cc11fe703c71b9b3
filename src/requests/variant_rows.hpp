// The rows of a tagged family of the request dict form: each names an alternative's record type
// and the variant name it is written under ({"t": "Order"}). A family's list (signed_intents.hpp,
// request.hpp) is a constant tuple of rows in its variant's order; its variant is read off the
// list (core/row_list.hpp), and the list states variant_rows_are_distinct, so the compiler refuses
// a record in two rows and an empty or repeated name.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <tuple>

#include "core/row_list.hpp"

namespace qzr {

template <class Record>
struct VariantRow {
  using record = Record;
  std::string_view variant;
};

// The variant names in row order: the name of the variant's alternative I is entry I.
template <class... Record>
constexpr std::array<std::string_view, sizeof...(Record)> variant_names(
    const std::tuple<VariantRow<Record>...>& rows) {
  return std::apply(
      [](const auto&... row) { return std::array<std::string_view, sizeof...(Record)>{row.variant...}; },
      rows);
}

// Whether every row names a record of its own and a variant name of its own that is not empty.
template <class... Record>
constexpr bool variant_rows_are_distinct(const std::tuple<VariantRow<Record>...>& rows) {
  if (!RowColumns<std::tuple<VariantRow<Record>...>>::records_distinct) return false;
  const std::array<std::string_view, sizeof...(Record)> names = variant_names(rows);
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i].empty()) return false;
    for (std::size_t j = 0; j < i; ++j)
      if (names[j] == names[i]) return false;
  }
  return true;
}

}  // namespace qzr
