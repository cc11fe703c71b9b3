// Price: recorded amounts, the void test, equality, the debug text and the mark price.
//
// Expected mark prices: tests/cpp/state/accounting_oracle.py (mark_price), which prints the
// table (checked by tests/python/test_accounting_oracle.py): Python's decimal computes
// bound = 0.005 x index (-0.005 x index for a negative ema), t = the smaller (larger) of ema and
// bound, then R(index + t) with R the recording rule (clamp, truncate to 6 places, strip zeros).
// The first rows are the worked examples of the mark price.
#include "state/price.hpp"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "accounting_test_support.hpp"
#include "values/debug_form.hpp"

namespace qzr {
namespace {

using testing::fault_message_of;
using testing::parsed;

TEST(Price, DebugText) {
  // The worked examples of the record's text format.
  EXPECT_EQ(
      record_debug_text(Price{{parsed("100.5")}, {parsed("-0.25")}, 7, 12}),
      "Price { index_price: UnscaledI128(100.5), ema: UnscaledI128(-0.25), ordinal: 7, time_value: 12 }");
  EXPECT_EQ(
      record_debug_text(Price{{parsed("100.25")}, {parsed("-0.5")}, 7, 1700}),
      "Price { index_price: UnscaledI128(100.25), ema: UnscaledI128(-0.5), ordinal: 7, time_value: 1700 }");
  EXPECT_EQ(record_debug_text(Price{{}, {}, UINT64_MAX, 0}),
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

TEST(Price, MarkPriceMatchesTheRecomputation) {
  // Inputs are recorded (as every constructor stores them).
  struct Case {
    std::string_view index_price, ema;
    std::string_view mark_price;
  };
  static constexpr Case cases[] = {
      // Worked examples: the cap on both sides, a result rounded toward zero (not 124.074073), a
      // bound below the sixth place, the caps swapped by a negative index price.
      {"100", "1", "100.5"},
      {"100", "0.3", "100.3"},
      {"100", "-1", "99.5"},
      {"100", "-0.2", "99.8"},
      {"100", "0", "100"},
      {"123.456789", "10", "124.074072"},
      {"0.000001", "1", "0.000001"},
      {"-100", "1", "-100.5"},
      {"-100", "-1", "-99.5"},
      // ema exactly at the bound; negative sums rounded toward zero; a zero index caps every ema.
      {"100", "0.5", "100.5"},
      {"100", "-0.5", "99.5"},
      {"-123.456789", "-10", "-122.839505"},
      {"-123.456789", "0.1", "-124.074072"},
      {"0", "5", "0"},
      {"0", "-5", "0"},
      {"2000.123456", "-0.000001", "2000.123455"},
      {"99999.999999", "1000", "100499.999998"},
      // The largest recorded index price: the sum is clamped back by the recording rule.
      {"79228162514264337593543.950335", "1000000000000000000000", "79228162514264337593543.950335"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.index_price << " with ema " << c.ema);
    const Price price = Price::recorded(parsed(c.index_price), parsed(c.ema), 0, 0);
    EXPECT_EQ(price.mark_price().to_string(), c.mark_price);
  }
}

TEST(Price, MarkPriceOfAmountsBuiltFieldByField) {
  // Recorded amounts cannot overflow the mark price; amounts set directly on the record can.
  // Expected: accounting_oracle.py's mark_price of the unrecorded amounts.
  const Decimal largest = parsed("79228162514264337593543950335");
  const Price overflowing{{largest}, {parsed("1000000000000000000000000000")}, 0, 0};
  EXPECT_EQ(fault_message_of([&] { (void)overflowing.mark_price(); }), "Addition overflowed");
  const Price clamped{{largest}, {parsed("-1")}, 0, 0};
  EXPECT_EQ(clamped.mark_price().to_string(), "79228162514264337593543.950335");
  // A negative zero ema takes the negative branch: bound -0.5, t = max(-0, -0.5) = -0.
  const Price negative_zero{{parsed("100")}, {-Decimal()}, 0, 0};
  EXPECT_EQ(negative_zero.mark_price().to_string(), "100");
}

}  // namespace
}  // namespace qzr
