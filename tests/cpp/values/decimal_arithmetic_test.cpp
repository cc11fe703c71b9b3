// Decimal arithmetic: checked and faulting operations, the operator entry of the Python class,
// numeric comparison, min and max, negation and absolute value.
#include <gtest/gtest.h>

#include <compare>
#include <string>
#include <string_view>

#include "core/fault.hpp"
#include "decimal_test_support.hpp"
#include "values/decimal.hpp"

namespace qzr {
namespace {

using testing::outcome;
using testing::parsed;

DecimalResult<Decimal> checked(char op, const Decimal& a, const Decimal& b) {
  switch (op) {
    case '+': return a.checked_add(b);
    case '-': return a.checked_sub(b);
    case '*': return a.checked_mul(b);
    case '/': return a.checked_div(b);
    case '%': return a.checked_rem(b);
  }
  ADD_FAILURE() << "unknown operator " << op;
  return decimal_error(DecimalError::Kind::MathOperation);
}

TEST(DecimalArithmetic, CheckedOperationsGiveExactOrRoundedResultsAtTheirScales) {
  struct Case {
    char op;
    std::string_view a, b;
    std::string_view expected;  // the result's text (which shows its scale), or the error's text
  };
  // Expected values: the exact result from Python's decimal module (precision 400) and
  // fractions.Fraction, at the result scale of each operation (sum: max(s1, s2); product:
  // s1 + s2; exact quotient: the smallest scale of at least max(0, s1 - s2); remainder:
  // max(s1, s2)), and where that needs more than 96 bits or 28 places, rounded half to even to
  // the largest scale that fits. Zero signs follow Python's decimal (the sign of an exact zero sum
  // is positive unless both terms are negative). Worked examples of the system: 2 x 1500.5 =
  // 3001.0, 3001.0 x 0.002 = 6.0020, 0.005 x 123.456789 = 0.617283945, -7 % 2 = -1, 7 % -2 = 1,
  // 7.5 % 2 = 1.5, 1 / 0 and 1 % 0 fail.
  static constexpr Case cases[] = {
      {'+', "1.5", "2.25", "3.75"},
      {'+', "0.1", "0.2", "0.3"},
      {'+', "1.0", "1.00", "2.00"},
      {'+', "-0", "-0", "-0"},
      {'+', "-0", "0", "0"},
      {'+', "1", "-1", "0"},
      {'+', "-1.50", "1.5", "0.00"},
      {'+', "0.0000000000000000000000000001", "1", "1.0000000000000000000000000001"},
      {'+', "79228162514264337593543950335", "1", "Addition overflowed"},
      {'+', "79228162514264337593543950335", "0.5", "Addition overflowed"},
      {'+', "79228162514264337593543950334", "0.5", "79228162514264337593543950334"},
      {'+', "79228162514264337593543950333", "0.5", "79228162514264337593543950334"},
      {'+', "79228162514264337593543950335", "-0.0000000000000000000000000001",
       "79228162514264337593543950335"},
      {'+', "7.9228162514264337593543950335", "0.0000000000000000000000000001",
       "7.922816251426433759354395034"},
      {'+', "7.9228162514264337593543950335", "1", "8.922816251426433759354395034"},
      {'+', "-79228162514264337593543950335", "-1", "Addition overflowed"},
      {'-', "1", "3", "-2"},
      {'-', "-1", "-1", "0"},
      {'-', "-0", "0", "-0"},
      {'-', "5.25", "0.250", "5.000"},
      {'-', "-79228162514264337593543950335", "1", "Subtraction overflowed"},
      {'-', "79228162514264337593543950335", "-0.49", "79228162514264337593543950335"},
      {'-', "0.0000000000000000000000000001", "1000000", "-1000000.0000000000000000000000"},
      {'*', "2", "1500.5", "3001.0"},
      {'*', "3001.0", "0.002", "6.0020"},
      {'*', "0", "100", "0"},
      {'*', "0.00", "-5", "0"},
      {'*', "-0", "-5.5", "0"},
      {'*', "-1.5", "1.5", "-2.25"},
      {'*', "0.0000000000000000000000000001", "0.0000000000000000000000000001",
       "0.0000000000000000000000000000"},
      {'*', "-0.0000000000000000000000000001", "0.0000000000000000000000000001",
       "-0.0000000000000000000000000000"},
      {'*', "0.00000000000001", "0.00000000000005", "0.0000000000000000000000000005"},
      {'*', "0.00000000000001", "0.000000000000015", "0.0000000000000000000000000002"},
      {'*', "0.00000000000001", "0.000000000000025", "0.0000000000000000000000000002"},
      {'*', "79228162514264337593543950335", "79228162514264337593543950335", "Multiplication overflowed"},
      {'*', "7.9228162514264337593543950335", "7.9228162514264337593543950335",
       "62.771017353866807638357894230"},
      {'*', "79228162514264337593543950335", "1", "79228162514264337593543950335"},
      {'*', "79228162514264337593543950335", "1.0000000000000000000000000000",
       "79228162514264337593543950335"},
      {'*', "39614081257132168796771975168", "2", "Multiplication overflowed"},
      {'*', "39614081257132168796771975168", "1.99999999999", "79228162513868196780972628648"},
      {'*', "0.005", "123.456789", "0.617283945"},
      {'*', "18446744073709551616", "18446744073709551616", "Multiplication overflowed"},
      {'/', "10", "4", "2.5"},
      {'/', "1.50", "1", "1.50"},
      {'/', "1", "3", "0.3333333333333333333333333333"},
      {'/', "2", "3", "0.6666666666666666666666666667"},
      {'/', "10", "3", "3.3333333333333333333333333333"},
      {'/', "100", "3", "33.333333333333333333333333333"},
      {'/', "1", "7", "0.1428571428571428571428571429"},
      {'/', "1", "4", "0.25"},
      {'/', "1.000", "4", "0.250"},
      {'/', "1.0", "0.10", "10"},
      {'/', "6", "-0.5", "-12"},
      {'/', "-6", "2", "-3"},
      {'/', "0", "5", "0"},
      {'/', "0.00", "5", "0.00"},
      {'/', "0", "-5", "-0"},
      {'/', "1", "0", "Division by zero"},
      {'/', "0", "0.00", "Division by zero"},
      {'/', "1", "0.0000000000000000000000000001", "10000000000000000000000000000"},
      {'/', "10", "0.0000000000000000000000000001", "Division overflowed"},
      {'/', "79228162514264337593543950335", "0.1", "Division overflowed"},
      {'/', "79228162514264337593543950335", "0.5", "Division overflowed"},
      {'/', "79228162514264337593543950335", "2", "39614081257132168796771975168"},
      {'/', "79228162514264337593543950335", "79228162514264337593543950335", "1"},
      {'/', "7.9228162514264337593543950335", "3", "2.6409387504754779197847983445"},
      {'/', "0.0000000000000000000000000001", "2", "0.0000000000000000000000000000"},
      {'/', "0.0000000000000000000000000003", "2", "0.0000000000000000000000000002"},
      {'/', "0.0000000000000000000000000001", "3", "0.0000000000000000000000000000"},
      {'/', "1", "79228162514264337593543950335", "0.0000000000000000000000000000"},
      {'/', "10", "2", "5"},
      {'/', "123.456", "0.001", "123456"},
      {'/', "18446744073709551616", "3", "6148914691236517205.3333333333"},
      {'/', "100000000000000000000", "18446744073709551617", "5.4210108624275221697433904166"},
      {'%', "-7", "2", "-1"},
      {'%', "7", "-2", "1"},
      {'%', "7.5", "2", "1.5"},
      {'%', "7.50", "2", "1.50"},
      {'%', "-4", "2", "-0"},
      {'%', "1", "0", "Division by zero"},
      {'%', "10", "0.3", "0.1"},
      {'%', "1", "0.0000000000000000000000000003", "0.0000000000000000000000000001"},
      {'%', "5.5", "79228162514264337593543950335", "5.5"},
      {'%', "1.0000000000000000000000000000", "79228162514264337593543950335",
       "1.0000000000000000000000000000"},
      {'%', "79228162514264337593543950335", "0.0000000000000000000000000007",
       "0.0000000000000000000000000000"},
      {'%', "-0", "3", "-0"},
      {'%', "0.000", "0.07", "0.000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " " + c.op + " " + std::string(c.b));
    EXPECT_EQ(outcome(checked(c.op, parsed(c.a), parsed(c.b))), c.expected);
  }
}

TEST(DecimalArithmetic, FaultingFormsStopWithTheOperationsMessage) {
  struct Case {
    char op;
    std::string_view a, b;
    std::string_view message;
  };
  // Messages as the system defines them for decimal overflow and division by zero.
  static constexpr Case cases[] = {
      {'+', "79228162514264337593543950335", "1", "Addition overflowed"},
      {'-', "-79228162514264337593543950335", "1", "Subtraction overflowed"},
      {'*', "79228162514264337593543950335", "1.5", "Multiplication overflowed"},
      {'/', "79228162514264337593543950335", "0.1", "Division overflowed"},
      {'/', "1", "0.000", "Division by zero"},
      {'%', "1", "0", "Division by zero"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const Decimal a = parsed(c.a), b = parsed(c.b);
    try {
      switch (c.op) {
        case '+': (void)add_or_fault(a, b); break;
        case '-': (void)sub_or_fault(a, b); break;
        case '*': (void)mul_or_fault(a, b); break;
        case '/': (void)div_or_fault(a, b); break;
        case '%': (void)rem_or_fault(a, b); break;
      }
      ADD_FAILURE() << "no fault";
    } catch (const Fault& fault) {
      EXPECT_EQ(fault.message, c.message);
    }
  }
  EXPECT_EQ(mul_or_fault(parsed("2"), parsed("1500.5")).to_string(), "3001.0");
  EXPECT_EQ(div_or_fault(parsed("1"), parsed("4")).to_string(), "0.25");
}

TEST(DecimalArithmetic, OperatorEntryReportsEveryFailureAsMathOperation) {
  using Op = DecimalOperator;
  struct Case {
    Op op;
    std::string_view left, right;
    std::string_view expected;
  };
  // The Python class's operators: left op right in the written order; "1 - Decimal(3)" is -2 and
  // "2 ** Decimal(3)" is 8 (worked examples); every failure shows as "Check math operation error".
  static constexpr Case cases[] = {
      {Op::Add, "1.5", "2.25", "3.75"},
      {Op::Subtract, "1", "3", "-2"},
      {Op::Multiply, "2", "1500.5", "3001.0"},
      {Op::Divide, "10", "4", "2.5"},
      {Op::Remainder, "-7", "2", "-1"},
      {Op::Power, "2", "3", "8"},
      {Op::Add, "79228162514264337593543950335", "1", "Check math operation error"},
      {Op::Subtract, "-79228162514264337593543950335", "1", "Check math operation error"},
      {Op::Multiply, "79228162514264337593543950335", "2", "Check math operation error"},
      {Op::Divide, "1", "0", "Check math operation error"},
      {Op::Remainder, "1", "0", "Check math operation error"},
      {Op::Power, "0", "-1", "Check math operation error"},
      {Op::Power, "-8", "0.5", "Check math operation error"},
      {Op::Power, "2", "4294967296", "Check math operation error"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.left) + " op " + std::string(c.right));
    const DecimalResult<Decimal> result = apply_decimal_operator(c.op, parsed(c.left), parsed(c.right));
    EXPECT_EQ(outcome(result), c.expected);
    if (!result) {
      EXPECT_EQ(result.error().kind(), DecimalError::Kind::MathOperation);
    }
  }
}

TEST(DecimalArithmetic, ComparesNumerically) {
  struct Case {
    std::string_view a, b;
    int expected;  // sign of a <=> b
  };
  // Expected: Python's decimal.Decimal(a).compare(Decimal(b)).
  static constexpr Case cases[] = {
      {"1.5", "1.50", 0},
      {"0", "-0", 0},
      {"0.00", "-0", 0},
      {"-0.000", "0.0", 0},
      {"-1", "0", -1},
      {"0", "0.0000000000000000000000000001", -1},
      {"1", "0.9999999999999999999999999999", 1},
      {"79228162514264337593543950335", "7.9228162514264337593543950335", 1},
      {"7.9228162514264337593543950335", "8", -1},
      {"1", "0.0000000000000000000000000001", 1},
      {"-2", "-1", -1},
      {"-1.5", "-1.50", 0},
      {"10000000000000000000000000000", "1.0000000000000000000000000000", 1},
      {"0.0000000000000000000000000001", "79228162514264337593543950335", -1},
      {"-79228162514264337593543950335", "-0.0000000000000000000000000001", -1},
      {"100", "99.99", 1},
      {"18446744073709551616", "18446744073709551615.999999999", 1},
      // One scale and one sign: compared by mantissa, zeros of either sign included.
      {"-0.5", "-0.0", -1},
      {"-0.0", "-0.5", 1},
      {"0.0", "0.5", -1},
      {"-0.00", "-0.00", 0},
      {"-3.25", "-3.24", -1},
      {"3.25", "3.24", 1},
      {"-18446744073709551616", "-18446744073709551615", -1},
      {"79228162514264337593543950335", "79228162514264337593543950334", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " <=> " + std::string(c.b));
    const Decimal a = parsed(c.a), b = parsed(c.b);
    const std::weak_ordering forward = a <=> b, backward = b <=> a;
    EXPECT_EQ(forward < 0 ? -1 : forward > 0 ? 1 : 0, c.expected);
    EXPECT_EQ(backward < 0 ? -1 : backward > 0 ? 1 : 0, -c.expected);
    EXPECT_EQ(a == b, c.expected == 0);
  }
}

TEST(DecimalArithmetic, MinAndMaxKeepTheReceiverOnTies) {
  const Decimal one_five = parsed("1.5"), one_fifty = parsed("1.50"), two = parsed("2");
  EXPECT_TRUE(one_five.min(one_fifty).same_representation(one_five));
  EXPECT_TRUE(one_fifty.max(one_five).same_representation(one_fifty));
  EXPECT_TRUE(one_five.min(two).same_representation(one_five));
  EXPECT_TRUE(two.min(one_five).same_representation(one_five));
  EXPECT_TRUE(one_five.max(two).same_representation(two));
  EXPECT_TRUE(parsed("-0.5").max(parsed("-0.25")).same_representation(parsed("-0.25")));
}

TEST(DecimalArithmetic, NegationAndAbsoluteValueKeepMantissaAndScale) {
  struct Case {
    std::string_view value, negated, absolute;
  };
  // Worked examples: -Decimal(0) prints "-0"; both operations keep mantissa and scale.
  static constexpr Case cases[] = {
      {"0", "-0", "0"},
      {"-0.00", "0.00", "0.00"},
      {"1.50", "-1.50", "1.50"},
      {"-2.5", "2.5", "2.5"},
      {"79228162514264337593543950335", "-79228162514264337593543950335", "79228162514264337593543950335"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ((-parsed(c.value)).to_string(), c.negated);
    EXPECT_EQ(parsed(c.value).abs().to_string(), c.absolute);
  }
}

}  // namespace
}  // namespace qzr
