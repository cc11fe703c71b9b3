// Byte-exact item ABI values and leaf value hashes. Expected bytes are written word by word by
// hand from the layout of the Solidity ABI (one dynamic parameter starts with the offset 0x20,
// offsets count from the start of their enclosing tuple); where a record has a worked example of
// the exchange's own, the row says so. Digests: pycryptodome's Keccak-256 of the expected bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "state/item_abi.hpp"
#include "state_test_support.hpp"
#include "values/keccak.hpp"

namespace qzr {
namespace {

using test::amount;
using test::amount_word;
using test::dec;
using test::filled;
using test::from_hex;
using test::left;
using test::symbol;
using test::to_hex;
using test::w;

// The hex digits of the words, concatenated.
std::string words(std::initializer_list<std::string> list) {
  std::string text;
  for (const std::string& word : list) {
    if (word.size() != 64) ADD_FAILURE() << "test word is not 64 digits: " << word;
    text += word;
  }
  return text;
}

const TokenAddress token_t = filled<TokenAddress>(0xb0);
// `digits` written `count` times.
std::string repeat(std::string_view digits, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += digits;
  return text;
}
const std::string token_t_word = std::string(24, '0') + repeat("b0", 20);

Balance one_entry(const TokenAddress& token, std::string_view value) {
  Balance balance;
  balance.assign_or_fault(token, dec(value));
  return balance;
}

struct Case {
  std::string name;
  Item item;
  std::string hex;
};

std::vector<Case> cases() {
  Strategy main_strategy;
  main_strategy.strategy_id = strategy_id_from_text("main").value();
  main_strategy.avail_collateral = one_entry(token_t, "1");

  NextBookOrdinals ethp_only;
  ethp_only.insert_or_assign(symbol("ETHP"), 5);
  // Inserted ETHP first; the encoding sorts by packed bytes: BTCP (82 0E ..) before ETHP (85 22 ..).
  NextBookOrdinals two_symbols;
  two_symbols.insert_or_assign(symbol("ETHP"), 9);
  two_symbols.insert_or_assign(symbol("BTCP"), 4);
  // ZAP (3A 40 ..) before ABP (41 40 ..): packed order, not alphabetical.
  NextBookOrdinals zap_abp;
  zap_abp.insert_or_assign(symbol("ABP"), 1);
  zap_abp.insert_or_assign(symbol("ZAP"), 2);

  const std::string ethp_word = left("0445544850");
  const std::string btcp_word = left("0442544350");

  return {
      {"Signer: kind word and the 32 bytes, 64 bytes in all", Item(Signer{filled<ReleaseHash>(0xab)}),
       words({w(8), repeat("ab", 32)})},
      {"Specs empty: dynamic tuple behind 0x20, string offset 0x40, length 0", Item(Specs{SpecsExpr{""}}),
       words({w(0x20), w(9), w(0x40), w(0)})},
      {"Specs \"A\"", Item(Specs{SpecsExpr{"A"}}), words({w(0x20), w(9), w(0x40), w(1), left("41")})},
      {"Stats default: 96 bytes", Item(Stats{}), words({w(7), w(0), w(0)})},
      {"Stats 1.5 and 0: worked example 1500000 = 16E360", Item(Stats{amount("1.5"), amount("0")}),
       words({w(7), w(1500000), w(0)})},
      {"InsuranceFund empty: 224 bytes", Item(InsuranceFund{}),
       words({w(0x20), w(6), w(0x40), w(0x40), w(0x60), w(0), w(0)})},
      {"InsuranceFund one entry: 288 bytes", Item(InsuranceFund{one_entry(token_t, "1")}),
       words({w(0x20), w(6), w(0x40), w(0x40), w(0x80), w(1), token_t_word, w(1), w(1000000)})},
      {"FeePool one entry differs only in the kind word", Item(FeePool{one_entry(token_t, "1")}),
       words({w(0x20), w(11), w(0x40), w(0x40), w(0x80), w(1), token_t_word, w(1), w(1000000)})},
      {"InsuranceFundContribution default: 416 bytes", Item(InsuranceFundContribution{}),
       words({w(0x20), w(10), w(0x40), w(0x40), w(0xc0), w(0x40), w(0x60), w(0), w(0), w(0x40), w(0x60), w(0),
              w(0)})},
      {"EpochMetadata empty: 256 bytes", Item(EpochMetadata{}),
       words({w(0x20), w(12), w(0x40), w(0x20), w(0x40), w(0x60), w(0), w(0)})},
      {"EpochMetadata ETHP 5: 320 bytes", Item(EpochMetadata{ethp_only}),
       words({w(0x20), w(12), w(0x40), w(0x20), w(0x40), w(0x80), w(1), ethp_word, w(1), w(5)})},
      {"EpochMetadata two symbols, sorted by packed bytes", Item(EpochMetadata{two_symbols}),
       words({w(0x20), w(12), w(0x40), w(0x20), w(0x40), w(0xa0), w(2), btcp_word, ethp_word, w(2), w(4),
              w(9)})},
      {"EpochMetadata ZAP before ABP", Item(EpochMetadata{zap_abp}),
       words({w(0x20), w(12), w(0x40), w(0x20), w(0x40), w(0xa0), w(2), left("035a4150"), left("03414250"),
              w(2), w(2), w(1)})},
      {"BookOrder: the exchange's worked example, 256 bytes",
       Item(BookOrder{OrderSide::Bid, amount("1.5"), amount("2000"),
                      parse_trader_address("0x001111111111111111111111111111111111111111").value(),
                      strategy_id_hash_from_hex("0x01020304").value(), 7, 9}),
       words({w(4), w(0), w(1500000), w(2000000000), left("00" + std::string(40, '1')), left("01020304"),
              w(7), w(9)})},
      {"BookOrder ask with a negative amount",
       Item(BookOrder{OrderSide::Ask, amount("-1"), amount("0"), filled<TraderAddress>(0x22),
                      filled<StrategyIdHash>(0xff), 0, 0}),
       words({w(4), w(1), amount_word(true, 1000000), w(0), left(std::string(42, '2')), left("ffffffff"),
              w(0), w(0)})},
      {"Trader: negative available balance, referral address, flag",
       Item(Trader{amount("-1"), amount("0"), filled<AccountAddress>(0x22), true}),
       words({w(1), amount_word(true, 1000000), w(0), std::string(24, '0') + std::string(40, '2'), w(1)})},
      {"Position long 2 at 100.5", Item(Position{PositionSide::Long, amount("2"), amount("100.5")}),
       words({w(3), w(1), w(2000000), w(100500000)})},
      {"Position short, empty side words",
       Item(Position{PositionSide::Short, amount("-0.000001"), amount("0")}),
       words({w(3), w(2), amount_word(true, 1), w(0)})},
      {"Price with a negative ema", Item(Price{amount("100.25"), amount("-0.5"), 7, 1700}),
       words({w(5), w(100250000), amount_word(true, 500000), w(7), w(1700)})},
      {"Strategy main with one available entry", Item(main_strategy),
       words({w(0x20), w(2), w(0x40), left("046d61696e"), w(0xa0), w(0x160), w(3), w(0), w(0x40), w(0x80),
              w(1), token_t_word, w(1), w(1000000), w(0x40), w(0x60), w(0), w(0)})},
  };
}

TEST(ItemAbiValue, ByteVectors) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    const std::vector<std::uint8_t> bytes = item_abi_encoded_value(c.item);
    EXPECT_EQ(to_hex(bytes), c.hex);
    EXPECT_EQ(item_value_hash(c.item), H256(keccak256(bytes)));
    // The encoder's bytes decode back to the item with the item's own kind.
    const Result<Item> decoded = parse_item_abi_value(c.item.kind(), bytes);
    ASSERT_TRUE(decoded.has_value()) << decoded.error().display();
    EXPECT_EQ(*decoded, c.item);
  }
}

TEST(ItemAbiValue, AmountsAreRecordedIntoTheirWords) {
  // The sign comes from the amount as it stands, the magnitude from its recorded absolute value:
  // -0.0000001 has flag 1 and magnitude 0; 1.0000009 is written as 1000000; -2.5 as 2500000
  // (26 25 A0). Amounts above the recorded maximum are clamped on both sides.
  struct Row {
    std::string_view value;
    std::string word;
  };
  const Row rows[] = {
      {"-0.0000001", amount_word(true, 0)},
      {"1.0000009", amount_word(false, 1000000)},
      {"-2.5", amount_word(true, 2500000)},
      {"-79228162514264337593543.950335",
       "00000000000000000000000000000001"
       "00000000ffffffffffffffffffffffff"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value);
    const Item item(Stats{UnscaledI128{dec(row.value)}, amount("0")});
    EXPECT_EQ(to_hex(item_abi_encoded_value(item)), words({w(7), row.word, w(0)}));
  }
}

TEST(ItemAbiValue, LeafValueHashes) {
  // Digests computed with pycryptodome over the bytes of the rows above.
  EXPECT_EQ(item_value_hash(Item()), H256::zero());
  EXPECT_TRUE(item_abi_encoded_value(Item()).empty());
  struct Row {
    std::string_view name;
    Item item;
    std::string_view digest;
  };
  const Row rows[] = {
      {"signer 0xab..", Item(Signer{filled<ReleaseHash>(0xab)}),
       "edde813486744f46c3355bbca6db0ad6a80acf69490ce3ad914d2fbe5145cfce"},
      {"stats 1.5, 0", Item(Stats{amount("1.5"), amount("0")}),
       "a1482dfadfc8f330a04440bf5e4491cce4e980213d758314e601514a3ff7c737"},
      {"book order example",
       Item(BookOrder{OrderSide::Bid, amount("1.5"), amount("2000"),
                      parse_trader_address("0x001111111111111111111111111111111111111111").value(),
                      strategy_id_hash_from_hex("0x01020304").value(), 7, 9}),
       "ebd87b8b5d12bba2d23056b60f78f9894f61b57917b823635016a58968c5a774"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const H256 digest = item_value_hash(row.item);
    const H256::Bytes bytes = digest.bytes();
    EXPECT_EQ(to_hex({bytes.begin(), bytes.end()}), row.digest);
  }
}

TEST(ItemAbiValue, EqualBalancesInAnotherOrderEncodeApart) {
  // Entries are never re-sorted: the same map in two entry orders is equal but has other bytes
  // and so another leaf value hash.
  const TokenAddress a = filled<TokenAddress>(0x0a);
  const TokenAddress b = filled<TokenAddress>(0x0b);
  Balance ab;
  ab.assign_or_fault(a, dec("1"));
  ab.assign_or_fault(b, dec("2"));
  Balance ba;
  ba.assign_or_fault(b, dec("2"));
  ba.assign_or_fault(a, dec("1"));
  EXPECT_EQ(Item(FeePool{ab}), Item(FeePool{ba}));
  EXPECT_NE(item_abi_encoded_value(Item(FeePool{ab})), item_abi_encoded_value(Item(FeePool{ba})));
  EXPECT_NE(item_value_hash(Item(FeePool{ab})), item_value_hash(Item(FeePool{ba})));
}

TEST(ItemAbiValue, SchemaTable) {
  // The Solidity types of the value schemas, one per kind, as the item ABI value's format states
  // them (the schemas are derived from the records' field lists).
  const std::pair<ItemKind, std::string_view> rows[] = {
      {item_kind_of<Trader>, "(uint128,uint128,address,bool)"},
      {item_kind_of<Strategy>, "(bytes32,(address[],uint128[]),(address[],uint128[]),uint64,bool)"},
      {item_kind_of<Position>, "((uint8),uint128,uint128)"},
      {item_kind_of<BookOrder>, "((uint8),uint128,uint128,bytes21,bytes32,uint64,uint64)"},
      {item_kind_of<Price>, "(uint128,uint256,uint64,uint64)"},
      {item_kind_of<InsuranceFund>, "(address[],uint128[])"},
      {item_kind_of<Stats>, "(uint128,uint128)"},
      {item_kind_of<Signer>, "bytes32"},
      {item_kind_of<Specs>, "string"},
      {item_kind_of<InsuranceFundContribution>, "((address[],uint128[]),(address[],uint128[]))"},
      {item_kind_of<FeePool>, "(address[],uint128[])"},
      {item_kind_of<EpochMetadata>, "((bytes32[],uint64[]))"},
  };
  for (const auto& [kind, signature] : rows) {
    SCOPED_TRACE(item_kind_name(kind));
    EXPECT_EQ(item_abi_schema(kind).signature(), signature);
  }
  EXPECT_EQ(test::fault_message_of([] { (void)item_abi_schema(ItemKind::Empty); }), "no entry found for key");
}

}  // namespace
}  // namespace qzr
