// Item and the records' own behaviour: kinds (each row of the list of kinds), debug texts (the
// exchange's worked examples), void tests, equality, and tree keys decoded by kind.
#include "state/item.hpp"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

#include "core/field_list.hpp"
#include "keys/tree_key_codec.hpp"
#include "state/item_key.hpp"
#include "state/kinds.hpp"
#include "state_test_support.hpp"
#include "values/debug_form.hpp"

namespace qzr {
namespace {

using test::amount;
using test::dec;
using test::filled;
using test::symbol;

Strategy strategy_named(std::string_view name) {
  Strategy strategy;
  strategy.strategy_id = strategy_id_from_text(name).value();
  return strategy;
}

// Row Number of the list of kinds: the record's kind (its place in Item's variant) has the row's
// number, the key names it as its kind byte, and the key is the tree key variant's alternative
// of that kind.
template <std::size_t Number>
void expect_row_agrees() {
  using Row = std::remove_cvref_t<decltype(record_kind_row<Number>)>;
  using Record = typename Row::record;
  using Key = typename Row::key;
  SCOPED_TRACE(std::string(FieldList<Record>::name));
  EXPECT_EQ(Row::number, Number);
  EXPECT_EQ(item_kind_number(item_kind_of<Record>), Number);
  EXPECT_EQ(Key::kind_byte, Number);
  EXPECT_EQ(item_kind_name(item_kind_of<Record>), FieldList<Record>::name);
  EXPECT_TRUE((std::is_same_v<std::variant_alternative_t<Number, ItemValue>, Record>));
  EXPECT_TRUE((std::is_same_v<std::variant_alternative_t<Number - 1, TreeKey>, Key>));
}

template <std::size_t... I>
void expect_rows_agree(std::index_sequence<I...>) {
  (expect_row_agrees<I + 1>(), ...);
}

TEST(ItemKind, EachRowOfTheListOfKindsAgrees) {
  expect_rows_agree(std::make_index_sequence<record_kind_count>{});
}

TEST(ItemKind, NumbersAndNames) {
  for (std::uint8_t number = 0; number < item_kind_count; ++number) {
    const std::optional<ItemKind> kind = item_kind_from_number(number);
    ASSERT_TRUE(kind.has_value());
    EXPECT_EQ(item_kind_number(*kind), number);
  }
  // Empty and one kind per row: the last row's number is the last kind.
  EXPECT_NE(item_kind_from_number(record_kind_count), std::nullopt);
  EXPECT_EQ(item_kind_from_number(record_kind_count + 1), std::nullopt);
  EXPECT_EQ(item_kind_from_number(std::uint64_t{1} << 63), std::nullopt);
  EXPECT_EQ(item_kind_name(ItemKind::Empty), "Empty");
  EXPECT_EQ(item_kind_name(item_kind_of<InsuranceFundContribution>), "InsuranceFundContribution");
  EXPECT_EQ(item_kind_name(item_kind_of<EpochMetadata>), "EpochMetadata");
  EXPECT_EQ(Item(Stats{}).kind(), item_kind_of<Stats>);
  EXPECT_EQ(Item().kind(), ItemKind::Empty);
  EXPECT_NE(Item(FeePool{}).get_if<FeePool>(), nullptr);
  EXPECT_EQ(Item(FeePool{}).get_if<InsuranceFund>(), nullptr);
}

TEST(Item, DebugTexts) {
  NextBookOrdinals ethp;
  ethp.insert_or_assign(symbol("ETHP"), 5);
  std::string hash_ab = "0x";
  for (int i = 0; i < 32; ++i) hash_ab += "ab";
  // Each row: a record's own debug text and what it should be, then an item and its text.
  struct Case {
    std::string name;
    std::string record_text;
    std::string expected_record_text;
    Item item;
    std::string item_text;
  };
  const Case cases[] = {
      {"empty", "", "", Item(), "Empty"},
      {"default trader: the referral address is bare hex", record_debug_text(Trader{}),
       "Trader { avail_qzr_balance: UnscaledI128(0), locked_qzr_balance: UnscaledI128(0), referral_address: "
       "0x0000000000000000000000000000000000000000, pay_fees_in_qzr: false }",
       Item(Trader{}),
       "Trader(Trader { avail_qzr_balance: UnscaledI128(0), locked_qzr_balance: UnscaledI128(0), "
       "referral_address: "
       "0x0000000000000000000000000000000000000000, pay_fees_in_qzr: false })"},
      {"new strategy", record_debug_text(strategy_named("main")),
       "Strategy { strategy_id: StrategyId(\"main\"), avail_collateral: Balance({}), locked_collateral: "
       "Balance({}), "
       "max_leverage: 3, frozen: false }",
       Item(strategy_named("main")),
       "Strategy(Strategy { strategy_id: StrategyId(\"main\"), avail_collateral: Balance({}), "
       "locked_collateral: "
       "Balance({}), max_leverage: 3, frozen: false })"},
      {"position", record_debug_text(Position{PositionSide::Long, amount("2"), amount("100.5")}),
       "Position { side: Long, balance: UnscaledI128(2), avg_entry_price: UnscaledI128(100.5) }",
       Item(Position{PositionSide::Long, amount("2"), amount("100.5")}),
       "Position(Position { side: Long, balance: UnscaledI128(2), avg_entry_price: UnscaledI128(100.5) })"},
      {"book order: the exchange's worked example",
       record_debug_text(
           BookOrder{OrderSide::Bid, amount("1.5"), amount("2000"),
                     parse_trader_address("0x001111111111111111111111111111111111111111").value(),
                     strategy_id_hash_from_hex("0x01020304").value(), 7, 9}),
       "BookOrder { side: Bid, amount: UnscaledI128(1.5), price: UnscaledI128(2000), trader_address: "
       "TraderAddress(\"0x001111111111111111111111111111111111111111\"), strategy_id_hash: "
       "StrategyIdHash(\"0x01020304\"), book_ordinal: 7, time_value: 9 }",
       Item(BookOrder{}),
       "BookOrder(BookOrder { side: Bid, amount: UnscaledI128(0), price: UnscaledI128(0), "
       "trader_address: TraderAddress(\"0x000000000000000000000000000000000000000000\"), "
       "strategy_id_hash: StrategyIdHash(\"0x00000000\"), book_ordinal: 0, time_value: 0 })"},
      {"price", record_debug_text(Price{amount("100.25"), amount("-0.5"), 7, 1700}),
       "Price { index_price: UnscaledI128(100.25), ema: UnscaledI128(-0.5), ordinal: 7, time_value: 1700 }",
       Item(Price{amount("100.25"), amount("-0.5"), 7, 1700}),
       "Price(Price { index_price: UnscaledI128(100.25), ema: UnscaledI128(-0.5), ordinal: 7, time_value: "
       "1700 })"},
      {"empty insurance fund", record_debug_text(InsuranceFund{}), "InsuranceFund { inner: Balance({}) }",
       Item(InsuranceFund{}), "InsuranceFund(Balance({}))"},
      {"default stats", record_debug_text(Stats{}),
       "Stats { maker_volume: UnscaledI128(0), taker_volume: UnscaledI128(0) }", Item(Stats{}),
       "Stats(Stats { maker_volume: UnscaledI128(0), taker_volume: UnscaledI128(0) })"},
      {"signer", record_debug_text(Signer{filled<ReleaseHash>(0xab)}),
       "Signer { inner: ReleaseHash(Hash(" + hash_ab + ")) }", Item(Signer{filled<ReleaseHash>(0xab)}),
       "Signer(ReleaseHash(Hash(" + hash_ab + ")))"},
      {"specs with a quote, a backslash and a line feed", record_debug_text(Specs{SpecsExpr{"a\"b\\c\n"}}),
       "Specs { inner: SpecsExpr(\"a\\\"b\\\\c\\n\") }", Item(Specs{SpecsExpr{""}}),
       "Specs(SpecsExpr(\"\"))"},
      {"default contribution", record_debug_text(InsuranceFundContribution{}),
       "InsuranceFundContribution { avail_balance: Balance({}), locked_balance: Balance({}) }",
       Item(InsuranceFundContribution{}),
       "InsuranceFundContribution(InsuranceFundContribution { avail_balance: Balance({}), locked_balance: "
       "Balance({}) })"},
      {"empty fee pool", record_debug_text(FeePool{}), "FeePool { inner: Balance({}) }", Item(FeePool{}),
       "FeePool(Balance({}))"},
      {"epoch metadata", record_debug_text(EpochMetadata{ethp}),
       "EpochMetadata { next_book_ordinals: {ProductSymbol(\"ETHP\"): 5} }", Item(EpochMetadata{}),
       "EpochMetadata(EpochMetadata { next_book_ordinals: {} })"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.record_text, c.expected_record_text);
    EXPECT_EQ(c.item.debug_text(), c.item_text);
  }
}

TEST(Item, VoidTests) {
  Strategy frozen_zero = strategy_named("s");
  frozen_zero.frozen = true;
  frozen_zero.max_leverage = 10;
  frozen_zero.avail_collateral.assign_or_fault(filled<TokenAddress>(1), dec("0"));
  Strategy funded = strategy_named("s");
  funded.locked_collateral.assign_or_fault(filled<TokenAddress>(1), dec("0.000001"));
  InsuranceFundContribution zero_entry;
  zero_entry.avail_balance.assign_or_fault(filled<TokenAddress>(1), dec("0"));
  InsuranceFundContribution tiny_locked;
  tiny_locked.locked_balance.assign_or_fault(filled<TokenAddress>(1), dec("0.000001"));
  InsuranceFund zero_fund;
  zero_fund.inner.assign_or_fault(filled<TokenAddress>(1), dec("0"));
  FeePool funded_pool;
  funded_pool.inner.assign_or_fault(filled<TokenAddress>(1), dec("-2"));

  struct Case {
    std::string_view name;
    Item item;
    bool is_void;
  };
  const Case cases[] = {
      {"empty item", Item(), true},
      {"default trader is never void", Item(Trader{}), false},
      {"new strategy", Item(strategy_named("s")), true},
      {"frozen strategy with zero collateral", Item(frozen_zero), true},
      {"strategy with locked collateral", Item(funded), false},
      {"position with balance 0.000", Item(Position{PositionSide::Long, amount("0.000"), amount("5")}), true},
      {"position with a balance", Item(Position{PositionSide::Long, amount("1"), amount("5")}), false},
      {"book order with zero amount whatever its price",
       Item(BookOrder{OrderSide::Ask, amount("-0"), amount("9"), {}, {}}), true},
      {"book order of 0.000001", Item(BookOrder{OrderSide::Ask, amount("0.000001"), amount("0"), {}, {}}),
       false},
      {"default price", Item(Price{}), true},
      {"price with an ordinal", Item(Price{amount("0"), amount("0"), 5, 0}), false},
      {"empty insurance fund", Item(InsuranceFund{}), true},
      {"insurance fund of one zero entry", Item(zero_fund), true},
      {"default stats", Item(Stats{}), true},
      {"stats 0 and 0.000001", Item(Stats{amount("0"), amount("0.000001")}), false},
      {"signer of zero bytes is never void", Item(Signer{}), false},
      {"empty specs", Item(Specs{}), true},
      {"specs of a blank", Item(Specs{SpecsExpr{" "}}), false},
      {"default contribution", Item(InsuranceFundContribution{}), true},
      {"contribution of one zero entry", Item(zero_entry), true},
      {"contribution with 0.000001 locked", Item(tiny_locked), false},
      {"fee pool with a negative amount", Item(funded_pool), false},
      {"empty epoch metadata is never void", Item(EpochMetadata{}), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.item.is_void(), c.is_void);
  }
}

TEST(Item, RecordOfItem) {
  const Item stats(Stats{amount("1.5"), amount("2")});
  const Result<Stats> same = record_of_item<Stats>(stats);
  ASSERT_TRUE(same.has_value());
  EXPECT_EQ(*same, (Stats{amount("1.5"), amount("2")}));
  for (const Item& other : {Item(), Item(Trader{}), Item(FeePool{})}) {
    SCOPED_TRACE(other.debug_text());
    const Result<Stats> refused = record_of_item<Stats>(other);
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().display(), "invalid item kind");
  }
  // Records sharing a layout are still different kinds.
  EXPECT_FALSE(record_of_item<InsuranceFund>(Item(FeePool{})).has_value());
}

TEST(Item, Equality) {
  EXPECT_EQ(Item(), Item());
  EXPECT_EQ(Item(Stats{amount("1.5"), amount("0")}), Item(Stats{amount("1.50"), amount("-0")}));
  EXPECT_NE(Item(Stats{amount("1.5"), amount("0")}), Item(Stats{amount("1.5"), amount("0.1")}));
  // Same balance, different kinds.
  EXPECT_NE(Item(InsuranceFund{}), Item(FeePool{}));
  EXPECT_NE(Item(), Item(Specs{}));
  EXPECT_NE(Item(Specs{SpecsExpr{"abc"}}), Item(Specs{SpecsExpr{"ABC"}}));
  // Maps compare as maps.
  NextBookOrdinals ab;
  ab.insert_or_assign(symbol("ABP"), 1);
  ab.insert_or_assign(symbol("ZAP"), 2);
  NextBookOrdinals ba;
  ba.insert_or_assign(symbol("ZAP"), 2);
  ba.insert_or_assign(symbol("ABP"), 1);
  EXPECT_EQ(Item(EpochMetadata{ab}), Item(EpochMetadata{ba}));
  ba.insert_or_assign(symbol("ABP"), 3);
  EXPECT_NE(Item(EpochMetadata{ab}), Item(EpochMetadata{ba}));
}

TEST(NextBookOrdinals, FromPairsKeepsFirstPositionsAndLastOrdinals) {
  const NextBookOrdinals::Entry pairs[] = {
      {symbol("ETHP"), 1}, {symbol("BTCP"), 2}, {symbol("ETHP"), 3}, {symbol("ABP"), 4}, {symbol("BTCP"), 5}};
  const NextBookOrdinals map = NextBookOrdinals::from_pairs(pairs);
  EXPECT_EQ(map.debug_text(),
            "{ProductSymbol(\"ETHP\"): 3, ProductSymbol(\"BTCP\"): 5, ProductSymbol(\"ABP\"): 4}");
  const std::vector<NextBookOrdinals::Entry> sorted = map.sorted_entries();
  ASSERT_EQ(sorted.size(), 3u);
  // Packed order: ABP (41 40 ..), BTCP (82 0E ..), ETHP (85 22 ..).
  EXPECT_EQ(sorted[0].first, symbol("ABP"));
  EXPECT_EQ(sorted[1].first, symbol("BTCP"));
  EXPECT_EQ(sorted[2].first, symbol("ETHP"));
}

TEST(TreeKeyByKind, DecodesWithTheKindsDecoder) {
  const TraderAddress trader = filled<TraderAddress>(0x21);
  const StrategyIdHash hash = filled<StrategyIdHash>(0x42);
  const TreeKey keys[] = {
      TraderKey{trader},
      StrategyKey{trader, hash},
      PositionKey{trader, hash, symbol("ETHP")},
      BookOrderKey{symbol("BTCP"), filled<Bytes25>(0x19)},
      PriceKey{symbol("ETHP"), filled<Bytes25>(0x77)},
      InsuranceFundKey{},
      StatsKey{trader},
      SignerKey{filled<SignerAddress>(0x05)},
      SpecsKey::make(SpecsKind::MarketGateway, "gw").value(),
      InsuranceFundContributionKey{filled<InsuranceFundContributorAddress>(0x0c)},
      FeePoolKey{std::uint64_t{77}},
      EpochMetadataKey{9},
  };
  for (const TreeKey& key : keys) {
    const ItemKind kind = tree_key_kind(key);
    SCOPED_TRACE(item_kind_name(kind));
    const H256 encoded =
        std::visit([](const auto& k) { return TreeKeyCodec<std::decay_t<decltype(k)>>::encode(k); }, key);
    EXPECT_EQ(encoded.bytes()[0], item_kind_number(kind));
    const Result<TreeKey> decoded = parse_tree_key(kind, encoded);
    ASSERT_TRUE(decoded.has_value()) << decoded.error().display();
    EXPECT_EQ(*decoded, key);
  }
  // Another kind's decoder refuses the key with its own error.
  const H256 trader_key = encode_trader_key(TraderKey{trader});
  const Result<TreeKey> as_signer = parse_tree_key(item_kind_of<Signer>, trader_key);
  ASSERT_FALSE(as_signer.has_value());
  EXPECT_EQ(as_signer.error().display(), "Expected discriminant 8, got 1");
  const Result<TreeKey> as_empty = parse_tree_key(ItemKind::Empty, trader_key);
  ASSERT_FALSE(as_empty.has_value());
  EXPECT_EQ(as_empty.error().display(), "cannot decode key for empty item kind");
}

}  // namespace
}  // namespace qzr
