// OrderSide: the reading of names (exact match only) and the discriminants.
#include "values/order_side.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string_view>

namespace qzr {
namespace {

using namespace std::string_view_literals;

TEST(OrderSide, ParsesExactNamesOnly) {
  // Expected: the member names "Bid" and "Ask" and the error text "Invalid order side: <name>"
  // under the Parse variant's display prefix.
  struct Case {
    std::string_view name;
    std::optional<OrderSide> side;
  };
  static constexpr Case cases[] = {
      {"Bid", OrderSide::Bid}, {"Ask", OrderSide::Ask},   {"ask", std::nullopt}, {"ASK", std::nullopt},
      {"Ask ", std::nullopt},  {" Bid", std::nullopt},    {"", std::nullopt},    {"Bids", std::nullopt},
      {"B", std::nullopt},     {"Ask\0"sv, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.name));
    const Result<OrderSide> side = parse_order_side(c.name);
    if (c.side) {
      ASSERT_TRUE(side.has_value());
      EXPECT_EQ(*side, *c.side);
      EXPECT_EQ(enum_name(*side), c.name);
    } else {
      ASSERT_FALSE(side.has_value());
      EXPECT_EQ(side.error().kind(), CommonError::Kind::Parse);
      EXPECT_EQ(side.error().display(),
                "Error parsing string into struct: Invalid order side: " + std::string(c.name));
    }
  }
}

TEST(OrderSide, Discriminants) {
  // Bid 0 and Ask 1, as ABI values and int() carry them.
  struct Case {
    std::uint64_t discriminant;
    std::optional<OrderSide> side;
  };
  static constexpr Case cases[] = {
      {0, OrderSide::Bid}, {1, OrderSide::Ask}, {2, std::nullopt}, {UINT64_MAX, std::nullopt}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.discriminant);
    EXPECT_EQ(enum_from_number<OrderSide>(c.discriminant), c.side);
    if (c.side) {
      EXPECT_EQ(enum_number(*c.side), c.discriminant);
    }
  }
}

}  // namespace
}  // namespace qzr
