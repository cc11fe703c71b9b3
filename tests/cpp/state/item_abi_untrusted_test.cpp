// Item ABI values read from untrusted bytes: crafted inputs that must fail with the one common
// error (never a fault), and the lenient readings that stored values rely on. Inputs are written
// word by word by hand.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "abi/words.hpp"
#include "state/item_abi.hpp"
#include "state/kinds.hpp"
#include "state_test_support.hpp"

namespace qzr {
namespace {

using test::amount;
using test::dec;
using test::filled;
using test::from_hex;
using test::left;
using test::symbol;
using test::w;

const std::string all_ones(64, 'f');
// 2^64: the smallest word that does not fit 64 bits.
const std::string two_to_the_64 = std::string(47, '0') + "1" + std::string(16, '0');
std::string address_word(char digit) { return std::string(24, '0') + std::string(40, digit); }

const std::string stats_1_5 = w(7) + w(1500000) + w(0);
const std::string fee_pool_one_entry =
    w(0x20) + w(11) + w(0x40) + w(0x40) + w(0x80) + w(1) + address_word('b') + w(1) + w(1000000);

Balance balance_of_pairs(std::initializer_list<std::pair<char, std::string_view>> pairs) {
  Balance balance;
  for (const auto& [digit, value] : pairs) {
    TokenAddress token;
    token.bytes.fill(static_cast<std::uint8_t>((digit - 'a' + 10) * 0x11));
    balance.assign_or_fault(token, dec(value));
  }
  return balance;
}

struct Case {
  std::string name;
  ItemKind kind;
  std::string hex;
  // The decoded item, or nothing when the bytes must fail.
  std::optional<Item> expected;
  std::string_view error = all_schemas_failed_text;
};

std::vector<Case> cases() {
  NextBookOrdinals ethp_later;
  ethp_later.insert_or_assign(symbol("ETHP"), 6);
  Strategy odd_id;
  odd_id.strategy_id = filled<StrategyId>(0xff);
  odd_id.max_leverage = 5;

  return {
      // --- Failures -----------------------------------------------------------------------------
      {"empty bytes", item_kind_of<Stats>, "", std::nullopt},
      {"empty bytes, dynamic schema", item_kind_of<Strategy>, "", std::nullopt},
      {"one byte short", item_kind_of<Stats>, stats_1_5.substr(0, stats_1_5.size() - 2), std::nullopt},
      {"book order one byte short", item_kind_of<BookOrder>,
       (w(4) + w(0) + w(0) + w(0) + w(0) + w(0) + w(0) + w(0)).substr(2), std::nullopt},
      {"the first kind past the list", item_kind_of<Stats>, w(record_kind_count + 1) + w(0) + w(0),
       std::nullopt},
      {"kind 2^64", item_kind_of<Stats>, two_to_the_64 + w(0) + w(0), std::nullopt},
      {"kind of all ones", item_kind_of<Stats>, all_ones + w(0) + w(0), std::nullopt},
      {"stats bytes read with the signer schema: kind 7 finds no tuple", item_kind_of<Signer>, stats_1_5,
       std::nullopt},
      {"stats bytes read with the fee pool schema", item_kind_of<FeePool>, stats_1_5, std::nullopt},
      {"fee pool bytes read with the stats schema: kind 11 finds no map tuple", item_kind_of<Stats>,
       fee_pool_one_entry, std::nullopt},
      {"third distinct address", item_kind_of<InsuranceFund>,
       w(0x20) + w(6) + w(0x40) + w(0x40) + w(0xa0) + w(3) + address_word('a') + address_word('b') +
           address_word('c') + w(3) + w(1) + w(2) + w(3),
       std::nullopt},
      {"third distinct address in a strategy's locked collateral", item_kind_of<Strategy>,
       w(0x20) + w(2) + w(0x40) + left("00") + w(0xa0) + w(0x120) + w(3) + w(0) + w(0x40) + w(0x60) + w(0) +
           w(0) + w(0x40) + w(0xa0) + w(3) + address_word('a') + address_word('b') + address_word('c') +
           w(3) + w(1) + w(2) + w(3),
       std::nullopt},
      {"position side 2^64", item_kind_of<Position>, w(3) + two_to_the_64 + w(0) + w(0), std::nullopt},
      {"position side 3", item_kind_of<Position>, w(3) + w(3) + w(0) + w(0), std::nullopt},
      {"book order side 2^64", item_kind_of<BookOrder>,
       w(4) + two_to_the_64 + w(0) + w(0) + w(0) + w(0) + w(0) + w(0), std::nullopt},
      {"book order side 2", item_kind_of<BookOrder>, w(4) + w(2) + w(0) + w(0) + w(0) + w(0) + w(0) + w(0),
       std::nullopt},
      {"trader flag word 2", item_kind_of<Trader>, w(1) + w(0) + w(0) + w(0) + w(2), std::nullopt},
      {"outer offset beyond the input", item_kind_of<Specs>, all_ones + w(9) + w(0x40) + w(0), std::nullopt},
      {"outer offset 2^64", item_kind_of<Specs>, two_to_the_64 + w(9) + w(0x40) + w(0), std::nullopt},
      {"string length of all ones", item_kind_of<Specs>, w(0x20) + w(9) + w(0x40) + all_ones, std::nullopt},
      {"string longer than the input", item_kind_of<Specs>, w(0x20) + w(9) + w(0x40) + w(33) + left("41"),
       std::nullopt},
      {"array count of all ones", item_kind_of<FeePool>,
       w(0x20) + w(11) + w(0x40) + w(0x40) + w(0x60) + all_ones + w(0), std::nullopt},
      {"array count 2^32 with little input", item_kind_of<FeePool>,
       w(0x20) + w(11) + w(0x40) + w(0x40) + w(0x60) + w(0x100000000) + w(0), std::nullopt},
      {"array offset pointing at itself forever", item_kind_of<EpochMetadata>,
       w(0x20) + w(12) + w(0x40) + w(0x20) + w(0x40) + w(0x40) + w(1), std::nullopt},
      {"symbol word that is no product symbol", item_kind_of<EpochMetadata>,
       w(0x20) + w(12) + w(0x40) + w(0x20) + w(0x40) + w(0x80) + w(1) + left("0445544858") + w(1) + w(5),
       std::nullopt},
      {"empty kind with bytes", ItemKind::Empty, "00", std::nullopt, empty_schema_text},
      {"empty kind with a whole stats value", ItemKind::Empty, stats_1_5, std::nullopt, empty_schema_text},

      // --- Lenient readings ---------------------------------------------------------------------
      {"trailing bytes are ignored", item_kind_of<Stats>, stats_1_5 + w(99) + "ab",
       Item(Stats{amount("1.5"), amount("0")})},
      {"kind word 0 gives the empty item whatever follows", item_kind_of<Stats>, w(0) + all_ones + all_ones,
       Item()},
      {"the kind word decides: fee pool bytes read as an insurance fund", item_kind_of<InsuranceFund>,
       fee_pool_one_entry, Item(FeePool{balance_of_pairs({{'b', "1"}})})},
      {"empty kind, empty bytes", ItemKind::Empty, "", Item()},
      {"u64 words keep their low 64 bits", item_kind_of<Price>,
       w(5) + w(0) + w(0) + "01" + w(7).substr(2) + all_ones,
       Item(Price{amount("0"), amount("0"), 7, 0xffffffffffffffffu})},
      {"surplus amounts are dropped", item_kind_of<FeePool>,
       w(0x20) + w(11) + w(0x40) + w(0x40) + w(0x80) + w(1) + address_word('a') + w(2) + w(1000000) +
           w(2000000),
       Item(FeePool{balance_of_pairs({{'a', "1"}})})},
      {"surplus addresses are dropped", item_kind_of<FeePool>,
       w(0x20) + w(11) + w(0x40) + w(0x40) + w(0xc0) + w(3) + address_word('a') + address_word('b') +
           address_word('c') + w(1) + w(1000000),
       Item(FeePool{balance_of_pairs({{'a', "1"}})})},
      {"a repeated address keeps its last amount", item_kind_of<FeePool>,
       w(0x20) + w(11) + w(0x40) + w(0x40) + w(0xa0) + w(2) + address_word('a') + address_word('a') + w(2) +
           w(1000000) + w(0),
       Item(FeePool{balance_of_pairs({{'a', "0"}})})},
      {"a repeated symbol keeps its later ordinal", item_kind_of<EpochMetadata>,
       w(0x20) + w(12) + w(0x40) + w(0x20) + w(0x40) + w(0xa0) + w(2) + left("0445544850") +
           left("0445544850") + w(2) + w(5) + w(6),
       Item(EpochMetadata{ethp_later})},
      {"the strategy id length byte is not checked", item_kind_of<Strategy>,
       w(0x20) + w(2) + w(0x40) + all_ones + w(0xa0) + w(0x120) + w(5) + w(0) + w(0x40) + w(0x60) + w(0) +
           w(0) + w(0x40) + w(0x60) + w(0) + w(0),
       Item(odd_id)},
      {"the strategy id hash's 28 trailing bytes are not checked", item_kind_of<BookOrder>,
       w(4) + w(1) + w(0) + w(0) + w(0) + "01020304" + std::string(56, 'e') + w(0) + w(0),
       Item(BookOrder{OrderSide::Ask, amount("0"), amount("0"), TraderAddress{},
                      strategy_id_hash_from_hex("01020304").value(), 0, 0})},
      {"an amount's bytes 0 to 14 are ignored and byte 15 other than 1 is positive", item_kind_of<Stats>,
       w(7) + std::string(30, 'f') + "02" + std::string(31, '0') + "1" + w(0),
       Item(Stats{amount("0.000001"), amount("0")})},
      {"a magnitude above the recorded maximum is clamped", item_kind_of<Stats>,
       w(7) + std::string(32, '0') + std::string(32, 'f') + w(0),
       Item(Stats{UnscaledI128{RECORDED_MAX}, amount("0")})},
  };
}

TEST(ItemAbiUntrusted, CraftedBytes) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    const std::vector<std::uint8_t> bytes = from_hex(c.hex);
    std::optional<Result<Item>> result;
    const std::optional<std::string> stop =
        test::fault_message_of([&] { result = parse_item_abi_value(c.kind, bytes); });
    ASSERT_EQ(stop, std::nullopt);
    ASSERT_TRUE(result.has_value());
    if (c.expected) {
      ASSERT_TRUE(result->has_value()) << result->error().display();
      EXPECT_EQ(**result, *c.expected) << (*result)->debug_text();
      EXPECT_EQ((*result)->kind(), c.expected->kind());
    } else {
      ASSERT_FALSE(result->has_value()) << (*result)->debug_text();
      EXPECT_EQ(result->error().kind(), CommonError::Kind::Other);
      EXPECT_EQ(result->error().display(), c.error);
    }
  }
}

TEST(ItemAbiUntrusted, TokenReaderErrors) {
  // The reader's own texts, which the byte decoder folds into the one error; a kind word that does
  // not fit 64 bits is an error like the others.
  using abi::Token;
  using abi::U256;
  const Token uint7 = Token::unsigned_int(U256::from_u64(7));
  const Token big = Token::unsigned_int(U256::from_u128(static_cast<abi::Uint128>(1) << 64));
  struct Row {
    std::string_view name;
    Token token;
    std::string_view error;
  };
  const Row rows[] = {
      {"not a tuple", uint7, "Not a tuple"},
      {"empty tuple", Token::tuple({}), "Empty token stream"},
      {"kind not an integer", Token::tuple({Token::boolean(true)}), "Expected `U256`, got Bool(true)"},
      {"kind 2^64", Token::tuple({big}), "Integer overflow when casting to u64"},
      {"the first kind past the list",
       Token::tuple({Token::unsigned_int(U256::from_u64(record_kind_count + 1))}),
       "Discriminant out of bounds"},
      {"no value", Token::tuple({uint7}), "No token left at this position"},
      {"stats of one element", Token::tuple({uint7, Token::tuple({uint7})}),
       "No token left at this position"},
      {"stats amount not a uint", Token::tuple({uint7, Token::tuple({Token::boolean(true), uint7})}),
       "Token must convert into U256"},
      {"specs not a string", Token::tuple({Token::unsigned_int(U256::from_u64(9)), uint7}),
       "Invalid specs expression"},
      {"epoch metadata map of three",
       Token::tuple(
           {Token::unsigned_int(U256::from_u64(12)), Token::tuple({Token::tuple({uint7, uint7, uint7})})}),
       "Map in tuple of two"},
      {"balance arrays as fixed arrays",
       Token::tuple({Token::unsigned_int(U256::from_u64(6)),
                     Token::tuple({Token::fixed_array({uint7}), Token::fixed_array({uint7})})}),
       "Token array"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Result<Item> item = parse_item_from_token(row.token);
    ASSERT_FALSE(item.has_value());
    EXPECT_EQ(item.error().display(), row.error);
  }
  const Result<Item> empty =
      parse_item_from_token(Token::tuple({Token::unsigned_int(U256()), Token::boolean(false)}));
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->is_empty());
}

TEST(ItemAbiUntrusted, ThirdAddressErrorNamesThePair) {
  using abi::Token;
  const Token three = Token::tuple(
      {Token::unsigned_int(abi::U256::from_u64(6)),
       Token::tuple({Token::array({Token::address(filled<TokenAddress>(0xaa).bytes),
                                   Token::address(filled<TokenAddress>(0xbb).bytes),
                                   Token::address(filled<TokenAddress>(0xcc).bytes)}),
                     Token::array({abi::decimal_into_token(dec("1")), abi::decimal_into_token(dec("2")),
                                   abi::decimal_into_token(dec("-3.5"))})})});
  const Result<Item> item = parse_item_from_token(three);
  ASSERT_FALSE(item.has_value());
  EXPECT_EQ(item.error().display(),
            "collaterals limit exceeded: (TokenAddress(0x" + std::string(40, 'c') + "), UnscaledI128(-3.5))");
}

}  // namespace
}  // namespace qzr
