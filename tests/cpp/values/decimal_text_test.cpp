// Decimal text: parsing of plain and scientific text, the text form, and their round trip.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "decimal_test_support.hpp"
#include "values/decimal.hpp"

namespace qzr {
namespace {

using testing::outcome;
using testing::parsed;

TEST(DecimalText, ParsesPlainAndScientificText) {
  struct Case {
    std::string_view text;
    std::string_view expected;  // the parsed value's text, or the error's text
  };
  // Expected values: Python's decimal.Decimal(text) for texts both accept; for digits beyond the
  // model (more than 28 places or 96 bits), the drop-and-round-half-up rule recomputed with Python
  // integers; the rows "1_000.5", "+7", "1e-28", "1e-29", "1.5e-3", "1.50e1", "1.5e3", "", " 1"
  // and "1,5" are the system's worked examples.
  static constexpr Case cases[] = {
      {"0", "0"},
      {"1.50", "1.50"},
      {"-0.0015", "-0.0015"},
      {"+7", "7"},
      {"-7", "-7"},
      {"1_000.5", "1000.5"},
      {"1_", "1"},
      {"1__2._5_", "12.5"},
      {"-0", "-0"},
      {"-0.00", "-0.00"},
      {"1.", "1"},
      {".5", "0.5"},
      {"-.5", "-0.5"},
      {"000123.4500", "123.4500"},
      {"79228162514264337593543950335", "79228162514264337593543950335"},
      {"79228162514264337593543950336", "Invalid value for decimal"},
      {"-79228162514264337593543950335", "-79228162514264337593543950335"},
      {"7.9228162514264337593543950335", "7.9228162514264337593543950335"},
      {"7.92281625142643375935439503354", "7.9228162514264337593543950335"},
      {"7.92281625142643375935439503355", "7.922816251426433759354395034"},
      {"9.2345678901234567890123456789", "9.234567890123456789012345679"},
      {"0.00000000000000000000000000001", "0.0000000000000000000000000000"},
      {"0.00000000000000000000000000005", "0.0000000000000000000000000001"},
      {"0.00000000000000000000000000004999", "0.0000000000000000000000000000"},
      {"0.12345678901234567890123456784999", "0.1234567890123456789012345678"},
      {"79228162514264337593543950335.4", "79228162514264337593543950335"},
      {"79228162514264337593543950335.5", "Invalid value for decimal"},
      {"79228162514264337593543950334.5", "79228162514264337593543950335"},
      {"", "Invalid value for decimal"},
      {" 1", "Invalid value for decimal"},
      {"1 ", "Invalid value for decimal"},
      {"1,5", "Invalid value for decimal"},
      {".", "Invalid value for decimal"},
      {"-", "Invalid value for decimal"},
      {"+", "Invalid value for decimal"},
      {"_1", "Invalid value for decimal"},
      {"-_1", "Invalid value for decimal"},
      {"1.2.3", "Invalid value for decimal"},
      {"0x10", "Invalid value for decimal"},
      {"nan", "Invalid value for decimal"},
      {"inf", "Invalid value for decimal"},
      {"1e", "Invalid value for decimal"},
      {"e5", "Invalid value for decimal"},
      {"١", "Invalid value for decimal"},
      {"1e-28", "0.0000000000000000000000000001"},
      {"1e-29", "Invalid value for decimal"},
      {"1.5e-3", "0.0015"},
      {"1.50e1", "15.0"},
      {"1.50e2", "150"},
      {"1.5e3", "1500"},
      {"1e+5", "100000"},
      {"1E5", "100000"},
      {"-2.5E-1", "-0.25"},
      {"1e5.0", "Invalid value for decimal"},
      {"1e29", "Invalid value for decimal"},
      {"1e28", "10000000000000000000000000000"},
      {"9e28", "Invalid value for decimal"},
      {"1.5e28", "15000000000000000000000000000"},
      {"-0e5", "0"},
      {"1e-0", "1"},
      {"1.23e-27", "Invalid value for decimal"},
      {"5e-28", "0.0000000000000000000000000005"},
      {"1e99999999999999999999", "Invalid value for decimal"},
      {"1e-99999999999999999999", "Invalid value for decimal"},
      {"1e 5", "Invalid value for decimal"},
      {"1e--5", "Invalid value for decimal"},
      {"1_0e1_0", "Invalid value for decimal"},
      {"12.3456e4", "123456"},
      {"0.000e2", "0.0"},
      {"1e5e3", "Invalid value for decimal"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(outcome(parse_decimal_text(c.text)), c.expected);
  }
}

TEST(DecimalText, PlainParserRejectsExponentsAndScientificParserNeedsOne) {
  EXPECT_FALSE(parse_decimal_plain("1e5").has_value());
  EXPECT_EQ(outcome(parse_decimal_scientific("1e5")), "100000");
  EXPECT_FALSE(parse_decimal_scientific("15").has_value());
  EXPECT_EQ(parse_decimal_text("x").error().kind(), DecimalError::Kind::InvalidValue);
}

TEST(DecimalText, PrintsMantissaAtItsScale) {
  constexpr UInt128 max = Decimal::max_mantissa;
  constexpr UInt128 two_64 = UInt128{1} << 64;
  struct Case {
    UInt128 mantissa;
    std::uint32_t scale;
    bool negative;
    std::string_view expected;
  };
  // Expected texts: Python's str(decimal.Decimal(sign, digits, -scale)), which writes these
  // values without an exponent; "-0", "1.50" and "-0.0015" are the system's worked examples.
  static constexpr Case cases[] = {
      {0, 0, false, "0"},
      {0, 0, true, "-0"},
      {0, 2, true, "-0.00"},
      {15, 1, false, "1.5"},
      {150, 2, false, "1.50"},
      {15, 4, true, "-0.0015"},
      {1, 28, false, "0.0000000000000000000000000001"},
      {1, 28, true, "-0.0000000000000000000000000001"},
      {max, 0, false, "79228162514264337593543950335"},
      {max, 28, true, "-7.9228162514264337593543950335"},
      {max, 6, false, "79228162514264337593543.950335"},
      {10'000'000'000'000'000'000u, 0, false, "10000000000000000000"},
      {9'999'999'999'999'999'999u, 19, false, "0.9999999999999999999"},
      {two_64, 3, false, "18446744073709551.616"},
      {UInt128{10'000'000'000'000'000'000u} * 10 + 7, 20, false, "1.00000000000000000007"},
      {UInt128{10'000'000'000'000'000'000u} * 100'000'000, 0, false, "1000000000000000000000000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    const Decimal value = Decimal::from_parts_or_fault(c.mantissa, c.scale, c.negative);
    EXPECT_EQ(value.text().view(), c.expected);
    EXPECT_EQ(value.to_string(), c.expected);
    // The text reads back as the same representation, sign, trailing zeros and all.
    const DecimalResult<Decimal> parsed = parse_decimal_text(c.expected);
    ASSERT_TRUE(parsed.has_value());
    EXPECT_TRUE(parsed->same_representation(value));
  }
}

}  // namespace
}  // namespace qzr
