// Lists of rows: a constant std::tuple of row objects, each of which names a type as `record`
// (the kinds of state, the signed intents, the sequencer's commands). RowColumns reads type lists
// off a list, so that a variant or a module's classes follow its rows, and counts its records
// for the checks the list states.
#pragma once

#include <cstddef>
#include <tuple>
#include <type_traits>

namespace qzr {

template <class Rows>
struct RowColumns;

template <class... Row>
struct RowColumns<std::tuple<Row...>> {
  // List<Before..., each row's record type in row order>: `records<std::variant>`.
  template <template <class...> class List, class... Before>
  using records = List<Before..., typename Row::record...>;

  // List<Column<Row>... in row order>: another column of the rows, read by an alias such as
  // `template <class Row> using KeyOf = typename Row::key;`.
  template <template <class...> class List, template <class> class Column>
  using column = List<Column<Row>...>;

  // How many rows name T as their record.
  template <class T>
  static constexpr std::size_t count = (std::size_t{std::is_same_v<T, typename Row::record>} + ... + 0);

  // Whether no record stands in two rows.
  static constexpr bool records_distinct = ((count<typename Row::record> == 1) && ...);
};

// The columns of the row list `rows` (a constant std::tuple): `RowColumnsOf<rows>::records<List>`.
template <const auto& rows>
using RowColumnsOf = RowColumns<std::remove_cvref_t<decltype(rows)>>;

}  // namespace qzr
