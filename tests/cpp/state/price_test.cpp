// Price: recorded amounts, the void test, equality and the debug text.
#include "state/price.hpp"

#include <gtest/gtest.h>

#include "../values/decimal_test_support.hpp"

namespace qzr {
namespace {

using testing::parsed;

TEST(Price, DebugText) {
  // The worked examples of the record's text format.
  EXPECT_EQ(
      (Price{{parsed("100.5")}, {parsed("-0.25")}, 7, 12}).debug_text(),
      "Price { index_price: UnscaledI128(100.5), ema: UnscaledI128(-0.25), ordinal: 7, time_value: 12 }");
  EXPECT_EQ(
      (Price{{parsed("100.25")}, {parsed("-0.5")}, 7, 1700}).debug_text(),
      "Price { index_price: UnscaledI128(100.25), ema: UnscaledI128(-0.5), ordinal: 7, time_value: 1700 }");
  EXPECT_EQ((Price{{}, {}, UINT64_MAX, 0}).debug_text(),
            "Price { index_price: UnscaledI128(0), ema: UnscaledI128(0), ordinal: 18446744073709551615, "
            "time_value: 0 }");
}

TEST(Price, VoidTest) {
  // Dust below the sixth place records as zero, whatever its sign.
  EXPECT_TRUE(Price::recorded(parsed("0.0000009"), parsed("-0.0000009"), 0, 0).is_void());
  EXPECT_TRUE(Price::recorded(parsed("0"), parsed("0"), 0, 0).is_void());
  EXPECT_TRUE((Price{{parsed("-0.00")}, {parsed("0.0")}, 0, 0}).is_void());
  EXPECT_FALSE(Price::recorded(parsed("1"), parsed("0"), 5, 0).is_void());
  EXPECT_FALSE(Price::recorded(parsed("0"), parsed("0"), 5, 0).is_void());
  EXPECT_FALSE(Price::recorded(parsed("0"), parsed("0"), 0, 1).is_void());
  EXPECT_FALSE(Price::recorded(parsed("0"), parsed("0.000001"), 0, 0).is_void());
}

TEST(Price, EqualityIsNumeric) {
  const Price a{{parsed("100.5")}, {parsed("-0.25")}, 7, 12};
  EXPECT_EQ(a, (Price{{parsed("100.50")}, {parsed("-0.250")}, 7, 12}));
  EXPECT_NE(a, (Price{{parsed("100.5")}, {parsed("-0.25")}, 8, 12}));
  EXPECT_NE(a, (Price{{parsed("100.5")}, {parsed("-0.25")}, 7, 13}));
  EXPECT_NE(a, (Price{{parsed("100.5")}, {parsed("0.25")}, 7, 12}));
}

}  // namespace
}  // namespace qzr
