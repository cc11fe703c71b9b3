// The check every list of variant rows states: a record in one row only, and a variant name of
// its own that is not empty.
#include "requests/variant_rows.hpp"

#include <gtest/gtest.h>

#include <string_view>
#include <tuple>

namespace qzr {
namespace {

struct First {};
struct Second {};
struct Third {};

TEST(VariantRows, RefusesABadList) {
  struct Case {
    std::string_view fault;
    bool distinct;
    bool expected;
  };
  // Each value is computed by the compiler, as the lists' static_asserts compute theirs.
  static constexpr Case cases[] = {
      {"none",
       variant_rows_are_distinct(std::tuple{VariantRow<First>{"First"}, VariantRow<Second>{"Second"}}), true},
      {"none: one row", variant_rows_are_distinct(std::tuple{VariantRow<First>{"First"}}), true},
      {"none: names unlike the record names",
       variant_rows_are_distinct(std::tuple{VariantRow<First>{"Second"}, VariantRow<Second>{"First"}}), true},
      {"an empty name", variant_rows_are_distinct(std::tuple{VariantRow<First>{""}}), false},
      {"a missing name after a good row",
       variant_rows_are_distinct(std::tuple{VariantRow<First>{"First"}, VariantRow<Second>{}}), false},
      {"a repeated name",
       variant_rows_are_distinct(
           std::tuple{VariantRow<First>{"Same"}, VariantRow<Second>{"Other"}, VariantRow<Third>{"Same"}}),
       false},
      {"a record in two rows",
       variant_rows_are_distinct(std::tuple{VariantRow<First>{"First"}, VariantRow<First>{"Again"}}), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.fault);
    EXPECT_EQ(c.distinct, c.expected);
  }
}

TEST(VariantRows, NamesInRowOrder) {
  static constexpr std::tuple rows{VariantRow<Second>{"B"}, VariantRow<First>{"A"}, VariantRow<Third>{"C"}};
  static_assert(variant_names(rows) == std::array<std::string_view, 3>{"B", "A", "C"});
  static_assert(std::is_same_v<RowColumnsOf<rows>::records<std::tuple>, std::tuple<Second, First, Third>>);
  EXPECT_EQ(variant_names(rows)[1], "A");
}

}  // namespace
}  // namespace qzr
