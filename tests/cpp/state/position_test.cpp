// Position: recorded amounts, equality and the debug text.
#include "state/position.hpp"

#include <gtest/gtest.h>

#include <string_view>

#include "../values/decimal_test_support.hpp"
#include "values/debug_form.hpp"

namespace qzr {
namespace {

using testing::parsed;

TEST(Position, DebugText) {
  // Expected texts are the worked examples of the record's text format: the empty side prints
  // "None", amounts print at their own scale and sign.
  struct Case {
    PositionSide side;
    std::string_view balance;
    std::string_view avg_entry_price;
    std::string_view text;
  };
  static constexpr Case cases[] = {
      {PositionSide::Empty, "0", "0",
       "Position { side: None, balance: UnscaledI128(0), avg_entry_price: UnscaledI128(0) }"},
      {PositionSide::Long, "1.5", "2000",
       "Position { side: Long, balance: UnscaledI128(1.5), avg_entry_price: UnscaledI128(2000) }"},
      {PositionSide::Short, "1.50", "-0",
       "Position { side: Short, balance: UnscaledI128(1.50), avg_entry_price: UnscaledI128(-0) }"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Position position{c.side, {parsed(c.balance)}, {parsed(c.avg_entry_price)}};
    EXPECT_EQ(record_debug_text(position), c.text);
  }
}

TEST(Position, RecordedAmounts) {
  // Amounts are rounded toward zero to 6 places and stripped; a tiny negative becomes 0.
  const Position position = Position::recorded(PositionSide::Long, parsed("1.1234567"), parsed("100.00"));
  EXPECT_EQ(record_debug_text(position),
            "Position { side: Long, balance: UnscaledI128(1.123456), avg_entry_price: UnscaledI128(100) }");
  const Position dust = Position::recorded(PositionSide::Long, parsed("-0.0000001"), parsed("1"));
  EXPECT_TRUE(dust.balance.value.same_representation(Decimal()));
  EXPECT_TRUE(dust.is_void());
  EXPECT_FALSE(position.is_void());
}

TEST(Position, EqualityIsNumeric) {
  const Position a{PositionSide::Long, {parsed("1.5")}, {parsed("100")}};
  EXPECT_EQ(a, (Position{PositionSide::Long, {parsed("1.50")}, {parsed("100.000")}}));
  EXPECT_NE(a, (Position{PositionSide::Short, {parsed("1.5")}, {parsed("100")}}));
  EXPECT_NE(a, (Position{PositionSide::Long, {parsed("1.5")}, {parsed("100.000001")}}));
  EXPECT_EQ((Position{PositionSide::Empty, {parsed("0")}, {parsed("-0")}}), Position{});
}

}  // namespace
}  // namespace qzr
