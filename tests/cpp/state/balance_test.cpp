// Balance: the insertion, assignment, addition, split and sum rules, the third-token fault (raised
// before anything changes), equality as a map and the debug text. Expected decimals were worked
// out by hand and checked with Python's decimal module (28 significant places for 1/3).
#include "state/balance.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "state_test_support.hpp"

namespace qzr {
namespace {

using test::dec;

// Tokens named by one letter: the 20 bytes are the letter's hex digit twice ('a' is 0xaa...).
TokenAddress token(char letter) {
  TokenAddress address;
  address.bytes.fill(static_cast<std::uint8_t>((letter - 'a' + 10) * 0x11));
  return address;
}

char letter_of(const TokenAddress& address) { return static_cast<char>('a' + address.bytes[0] / 0x11 - 10); }

Balance balance(std::initializer_list<std::pair<char, std::string_view>> entries) {
  Balance result;
  for (const auto& [letter, amount] : entries) result.assign_or_fault(token(letter), dec(amount));
  return result;
}

// "a:1 b:2.5" in entry order; amounts at their stored scale.
std::string show(const Balance& balance) {
  std::string text;
  for (const BalanceEntry& entry : balance.entries()) {
    if (!text.empty()) text += ' ';
    text += letter_of(entry.token);
    text += ':';
    text += entry.amount.value.to_string();
  }
  return text;
}

std::string show(const std::optional<Decimal>& value) { return value ? value->to_string() : "nothing"; }

std::string show(const std::optional<std::vector<Decimal>>& parts) {
  if (!parts) return "nothing";
  std::string text = "[";
  for (const Decimal& part : *parts) text += (text.size() > 1 ? " " : "") + part.to_string();
  return text + "]";
}

std::string limit_fault(char letter, std::string_view amount) {
  return "collaterals limit exceeded: (TokenAddress(0x" + std::string(40, letter) + "), UnscaledI128(" +
         std::string(amount) + "))";
}

struct Case {
  std::string name;
  Balance start;
  // Runs the operation on the balance and shows its result.
  std::function<std::string(Balance&)> operation;
  std::string result;
  // The balance afterwards (unchanged when the operation faults).
  std::string after;
  std::optional<std::string> fault = std::nullopt;
};

std::function<std::string(Balance&)> insert(char letter, std::string_view amount) {
  return [=](Balance& b) { return show(b.insert(token(letter), dec(amount))); };
}
std::function<std::string(Balance&)> add(Balance right) {
  return [=](Balance& b) { return show(add_balances(b, right)); };
}
std::function<std::string(Balance&)> split(char letter, std::vector<std::string_view> weights) {
  return [=](Balance& b) {
    std::vector<Decimal> values;
    for (std::string_view weight : weights) values.push_back(dec(weight));
    return show(b.split(token(letter), values));
  };
}

TEST(Balance, Operations) {
  const Case cases[] = {
      // insert
      {"insert appends", balance({{'a', "1"}}), insert('b', "2.5"), "nothing", "a:1 b:2.5"},
      {"insert replaces in place and returns the old amount", balance({{'a', "1"}, {'b', "2"}}),
       insert('a', "7"), "1", "a:7 b:2"},
      {"insert records the amount", balance({}), insert('a', "1.2345678"), "nothing", "a:1.234567"},
      {"insert records a negative amount toward zero", balance({}), insert('a', "-1.2345678"), "nothing",
       "a:-1.234567"},
      {"insert strips trailing zeros", balance({}), insert('a', "1.500000"), "nothing", "a:1.5"},
      {"insert clamps to the recorded maximum", balance({}), insert('a', "1e25"), "nothing",
       "a:79228162514264337593543.950335"},
      {"insert clamps symmetrically", balance({}), insert('a', "-1e25"), "nothing",
       "a:-79228162514264337593543.950335"},
      {"zero removes the entry, the last taking its place", balance({{'a', "1"}, {'b', "2"}}),
       insert('a', "0"), "1", "b:2"},
      {"zero of another scale and sign removes too", balance({{'a', "1"}, {'b', "2"}}), insert('b', "-0.000"),
       "2", "a:1"},
      {"zero for a token without entry changes nothing", balance({{'a', "1"}}), insert('b', "0"), "nothing",
       "a:1"},
      {"zero is tested before recording: 0.0000004 stores a zero entry", balance({}),
       insert('a', "0.0000004"), "nothing", "a:0"},
      {"0.0000004 replaces an entry with zero rather than removing it", balance({{'a', "3"}}),
       insert('a', "0.0000004"), "3", "a:0"},
      {"a third token faults before anything changes", balance({{'a', "1"}, {'b', "2"}}), insert('c', "3.00"),
       "", "a:1 b:2", limit_fault('c', "3")},
      {"a third token with an amount that records to zero faults too", balance({{'a', "1"}, {'b', "2"}}),
       insert('c', "0.0000001"), "", "a:1 b:2", limit_fault('c', "0")},
      {"a third token with a zero amount is nothing to remove", balance({{'a', "1"}, {'b', "2"}}),
       insert('c', "0"), "nothing", "a:1 b:2"},

      // add
      {"add: left's tokens first, then right's new ones", balance({{'a', "1"}}), add(balance({{'b', "2"}})),
       "a:1 b:2", "a:1"},
      {"add keeps a zero sum as an entry", balance({{'a', "1"}}), add(balance({{'a', "-1"}})), "a:0", "a:1"},
      {"add sums per token in right's order", balance({{'a', "1"}, {'b', "2"}}),
       add(balance({{'b', "0.5"}, {'a', "-3"}})), "a:-2 b:2.5", "a:1 b:2"},
      {"add records the sum", balance({{'a', "79228162514264337593543"}}),
       add(balance({{'a', "79228162514264337593543"}})), "a:79228162514264337593543.950335",
       "a:79228162514264337593543"},
      {"add to an empty balance", balance({}), add(balance({{'b', "2"}, {'a', "1"}})), "b:2 a:1", ""},
      {"add never drops a third token: it faults", balance({{'a', "1"}, {'b', "2"}}),
       add(balance({{'c', "4"}})), "", "a:1 b:2", limit_fault('c', "4")},
      {"add faults on the third token after summing the others", balance({{'a', "1"}, {'b', "2"}}),
       add(balance({{'b', "1"}, {'c', "1.0000009"}})), "", "a:1 b:2", limit_fault('c', "1")},

      // split
      {"split by weights", balance({{'a', "10"}}), split('a', {"1", "1", "2"}), "[2.5 2.5 5.0]", "a:10"},
      {"split 10 by 1 and 3", balance({{'a', "10"}}), split('a', {"1", "3"}), "[2.5 7.5]", "a:10"},
      {"split is not rounded: thirds of 1", balance({{'a', "1"}}), split('a', {"1", "1", "1"}),
       "[0.3333333333333333333333333333 0.3333333333333333333333333333 0.3333333333333333333333333333]",
       "a:1"},
      {"split allows a negative weight when the sum is positive", balance({{'a', "10"}}),
       split('a', {"-1", "2"}), "[-10 20]", "a:10"},
      {"split with weights summing to zero gives nothing", balance({{'a', "10"}}), split('a', {"1", "-1"}),
       "nothing", "a:10"},
      {"split with a negative weight sum gives nothing", balance({{'a', "10"}}), split('a', {"-1"}),
       "nothing", "a:10"},
      {"split with no weights gives nothing", balance({{'a', "10"}}), split('a', {}), "nothing", "a:10"},
      {"split of a zero amount gives nothing", balance({{'a', "0"}}), split('a', {"1"}), "nothing", "a:0"},
      {"split of a token without entry gives nothing", balance({{'a', "10"}}), split('b', {"1"}), "nothing",
       "a:10"},
      {"split of a token without entry gives nothing before adding the weights", balance({{'a', "10"}}),
       split('b', {"79228162514264337593543950335", "79228162514264337593543950335"}), "nothing", "a:10"},
      {"split: overflowing weights fault", balance({{'a', "10"}}),
       split('a', {"79228162514264337593543950335", "79228162514264337593543950335"}), "", "a:10",
       "Addition overflowed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Balance subject = c.start;
    std::string result;
    const std::optional<std::string> stop = test::fault_message_of([&] { result = c.operation(subject); });
    EXPECT_EQ(stop, c.fault);
    if (!c.fault) {
      EXPECT_EQ(result, c.result);
    }
    EXPECT_EQ(show(subject), c.after);
  }
}

TEST(Balance, FromPairsAndTotals) {
  const std::pair<TokenAddress, Decimal> none[1] = {};
  const Result<Balance> empty = balance_from_pairs(std::span(none, 0));
  ASSERT_FALSE(empty.has_value());
  EXPECT_EQ(empty.error().display(), "Cannot create balance with no collateral addresses");

  const std::pair<TokenAddress, Decimal> pairs[] = {
      {token('a'), dec("0")}, {token('b'), dec("2.0000009")}, {token('a'), dec("1.000001")}};
  const Result<Balance> built = balance_from_pairs(pairs);
  ASSERT_TRUE(built.has_value());
  EXPECT_EQ(show(*built), "a:1.000001 b:2");
  EXPECT_EQ(built->total_value().to_string(), "3.000001");
  EXPECT_EQ(Balance().total_value().to_string(), "0");
  EXPECT_EQ(built->amount_of(token('c')).to_string(), "0");

  const std::pair<TokenAddress, Decimal> three[] = {
      {token('a'), dec("1")}, {token('b'), dec("2")}, {token('c'), dec("3")}};
  EXPECT_EQ(test::fault_message_of([&] { (void)balance_from_pairs(three); }), limit_fault('c', "3"));
}

TEST(Balance, VoidEqualityAndText) {
  EXPECT_TRUE(Balance().all_amounts_zero());
  EXPECT_TRUE(balance({{'a', "0"}, {'b', "-0.0000001"}}).all_amounts_zero());
  EXPECT_FALSE(balance({{'a', "0"}, {'b', "0.000001"}}).all_amounts_zero());

  EXPECT_EQ(balance({{'a', "1"}, {'b', "2"}}), balance({{'b', "2"}, {'a', "1"}}));
  EXPECT_EQ(balance({{'a', "1.5"}}), balance({{'a', "1.50"}}));
  EXPECT_NE(balance({{'a', "1"}}), balance({{'a', "1"}, {'b', "0"}}));
  EXPECT_NE(balance({{'a', "1"}}), balance({{'b', "1"}}));
  EXPECT_NE(balance({{'a', "1"}}), balance({{'a', "2"}}));

  EXPECT_EQ(Balance().debug_text(), "Balance({})");
  EXPECT_EQ(balance({{'a', "1"}, {'b', "2.5"}}).debug_text(),
            "Balance({TokenAddress(0x" + std::string(40, 'a') + "): UnscaledI128(1), TokenAddress(0x" +
                std::string(40, 'b') + "): UnscaledI128(2.5)})");
  EXPECT_EQ(balance({{'a', "-2"}}).debug_text(),
            "Balance({TokenAddress(0x" + std::string(40, 'a') + "): UnscaledI128(-2)})");
}

}  // namespace
}  // namespace qzr
