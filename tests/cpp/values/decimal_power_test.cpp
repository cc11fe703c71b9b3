// Decimal powers: the special bases and exponents, integral exponents by repeated
// multiplication, fractional exponents through exp and ln.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "decimal_test_support.hpp"
#include "values/decimal.hpp"

namespace qzr {
namespace {

using testing::outcome;
using testing::parsed;

TEST(DecimalPower, SpecialBasesAndExponentsComeFirst) {
  struct Case {
    std::string_view base, exponent, expected;
  };
  // The rules of the decimal power: exponent 0 gives 1 (also for base 0), base 0 gives 0 and
  // fails for a negative exponent (a division by zero), base 1 gives 1 whatever the exponent,
  // exponent 1 gives the base unchanged; integral exponents need a magnitude below 2^32, and a
  // negative base has no fractional power.
  static constexpr Case cases[] = {
      {"0", "0", "1"},
      {"5", "0", "1"},
      {"5", "-0.00", "1"},
      {"0", "5", "0"},
      {"-0.00", "0.5", "0"},
      {"0", "-1", "Division by zero"},
      {"-0", "-2.5", "Division by zero"},
      {"1", "1000000000000", "1"},
      {"1.00", "0.5", "1"},
      {"2.50", "1", "2.50"},
      {"2.50", "1.000", "2.50"},
      {"2", "4294967296", "Check math operation error"},
      {"2", "-4294967296", "Check math operation error"},
      {"-4", "0.5", "Check math operation error"},
      {"2", "-96", "Multiplication overflowed"},
      {"0.5", "-100", "Division by zero"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.base) + " ** " + std::string(c.exponent));
    EXPECT_EQ(outcome(parsed(c.base).checked_pow(parsed(c.exponent))), c.expected);
  }
}

TEST(DecimalPower, IntegralAndFractionalExponents) {
  struct Case {
    std::string_view base, exponent, expected;
  };
  // Integral exponents: left-to-right binary powering with the checked multiplication (each
  // product rounded half to even where it needs more than 96 bits or 28 places), recomputed with
  // Python's decimal module; a negative exponent is 1 divided by that power. Fractional exponents:
  // Python's decimal power at 80 digits, rounded half to even to the largest scale that fits 96
  // bits. "2 ** 3 is 8" is the system's worked example.
  static constexpr Case cases[] = {
      {"2", "3", "8"},
      {"2", "10", "1024"},
      {"1.5", "2", "2.25"},
      {"1.50", "2", "2.2500"},
      {"-2", "3", "-8"},
      {"-2", "2", "4"},
      {"2", "-2", "0.25"},
      {"1.5", "-1", "0.6666666666666666666666666667"},
      {"3", "-5", "0.0041152263374485596707818930"},
      {"10", "28", "10000000000000000000000000000"},
      {"10", "29", "Multiplication overflowed"},
      {"0.1", "28", "0.0000000000000000000000000001"},
      {"0.1", "29", "0.0000000000000000000000000000"},
      {"2", "2.0", "4"},
      {"2", "95", "39614081257132168796771975168"},
      {"2", "96", "Multiplication overflowed"},
      {"-1", "4294967295", "-1"},
      {"0.5", "4294967295", "0"},
      {"1.0000000001", "1000", "1.0000001000000049950001661634"},
      {"4", "0.5", "2.0000000000000000000000000000"},
      {"2.25", "0.5", "1.5000000000000000000000000000"},
      {"100", "1.5", "1000.0000000000000000000000000"},
      {"16", "0.25", "2.0000000000000000000000000000"},
      {"4", "-0.5", "0.5000000000000000000000000000"},
      {"0.25", "0.5", "0.5000000000000000000000000000"},
      {"1000000", "0.5", "1000.0000000000000000000000000"},
      {"10", "0.5", "3.1622776601683793319988935444"},
      {"2", "0.5", "1.4142135623730950488016887242"},
      {"1.0001", "10000.5", "2.7182818307240535902527477153"},
      {"10", "28.5", "31622776601683793319988935444"},
      {"0.1", "30.5", "0.0000000000000000000000000000"},
      {"79228162514264337593543950335", "0.5", "281474976710656.00000000000000"},
      {"0.0000000000000000000000000001", "0.5", "0.0000000000000100000000000000"},
      {"7", "1.1", "8.503698308273468575791231670"},
      {"1.21", "0.5", "1.1000000000000000000000000000"},
      {"0.81", "-0.5", "1.1111111111111111111111111111"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.base) + " ** " + std::string(c.exponent));
    EXPECT_EQ(outcome(parsed(c.base).checked_pow(parsed(c.exponent))), c.expected);
  }
}

TEST(DecimalPower, UnsignedIntegerPower) {
  // The factors of the grain conversions, and the overflow edge of 10^n (Python: 10**28 < 2**96 <
  // 10**29).
  EXPECT_EQ(outcome(parsed("10").checked_powu(6)), "1000000");
  EXPECT_EQ(outcome(parsed("10").checked_powu(18)), "1000000000000000000");
  EXPECT_EQ(outcome(parsed("10").checked_powu(28)), "10000000000000000000000000000");
  EXPECT_EQ(outcome(parsed("10").checked_powu(29)), "Multiplication overflowed");
  EXPECT_EQ(outcome(parsed("-1.5").checked_powu(0)), "1");
  EXPECT_EQ(outcome(parsed("-1.5").checked_powu(3)), "-3.375");
}

}  // namespace
}  // namespace qzr
