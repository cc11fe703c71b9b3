// The tree on Item: genesis, the key checks of store_item_by_key, the per-kind reads and stores
// with their void rule, and the listings with their faults. Expected roots are recomputed from
// the leaves with the hash rules (smt_merge, smt_hash_leaf) and the state layer's value hash.
#include <gtest/gtest.h>

#include <set>

#include "../state/state_test_support.hpp"
#include "tree/genesis.hpp"
#include "tree/state_listing.hpp"

namespace qzr::tree {
namespace {

using test::amount;
using test::dec;
using test::symbol;

H256 leaf_hash(const H256& key, const Item& item) { return smt_hash_leaf(key, item_value_hash(item)); }

TokenAddress token(std::uint8_t fill) { return test::filled<TokenAddress>(fill); }

Balance balance_of(std::uint8_t fill, std::string_view value) {
  Balance balance;
  balance.insert(token(fill), dec(value));
  return balance;
}

H256 with_byte(const H256& key, std::size_t index, std::uint8_t value) {
  H256::Bytes bytes = key.bytes();
  bytes[index] = value;
  return H256(bytes);
}

SpecsKey specs_key(std::string name) {
  return *SpecsKey::make(SpecsKind::SingleNamePerpetual, std::move(name));
}

std::string fault_message_of(auto&& call) {
  try {
    call();
  } catch (Fault& failure) {
    return failure.message;
  }
  return "no fault";
}

TEST(Genesis, TwoLeavesForkAtHeight166WithTheFeePoolOnTheLeft) {
  const Balance cap = balance_of(0xaa, "1000");
  auto tree = build_genesis_tree(cap, Balance(), {});
  ASSERT_TRUE(tree);
  const H256 fund_key = encode_insurance_fund_key(InsuranceFundKey{});
  const H256 pool_key = encode_fee_pool_key(FeePoolKey{});
  EXPECT_EQ(fund_key.fork_height(pool_key), 166);
  EXPECT_EQ(tree->root(),
            smt_merge(leaf_hash(pool_key, Item(FeePool{})), leaf_hash(fund_key, Item(InsuranceFund{cap}))));
  EXPECT_EQ(tree->store().read_leaves().value()->size(), 2u);
  EXPECT_EQ(tree->store().read_branches().value()->size(), 3u);
  // An empty fee pool is stored all the same, and an epoch's fee pool key holds nothing.
  EXPECT_EQ(get_record<FeePool>(*tree, FeePoolKey{}).value(), FeePool{});
  EXPECT_EQ(get_record<FeePool>(*tree, FeePoolKey{7}).value(), std::nullopt);
}

TEST(Genesis, SpecsOrderDoesNotChangeTheRoot) {
  const GenesisSpecs specs{{specs_key("ETHP"), SpecsExpr{"eth"}}, {specs_key("BTCP"), SpecsExpr{""}}};
  auto forward = build_genesis_tree(Balance(), Balance(), specs);
  auto backward = build_genesis_tree(Balance(), Balance(), GenesisSpecs(specs.rbegin(), specs.rend()));
  ASSERT_TRUE(forward && backward);
  EXPECT_EQ(forward->root(), backward->root());
  // An empty expression is stored too: genesis applies no void rule.
  EXPECT_EQ(collect_records<Specs>(*forward).size(), 2u);
  EXPECT_EQ(forward->store().read_branches().value()->size(), 7u);
}

TEST(StoreItemByKey, RefusesKeysOfAnotherKindOrThatDoNotDecode) {
  struct Case {
    const char* name;
    H256 key;
    Item item;
    const char* error;  // nullptr: stored
  };
  const H256 padded_trader = with_byte(encode_trader_key(TraderKey{}), 31, 1);
  const H256 odd_insurance_fund = with_byte(encode_insurance_fund_key(InsuranceFundKey{}), 31, 9);
  const Case cases[] = {
      {"kind byte of another kind", encode_trader_key(TraderKey{}), Item(Stats{amount("1"), amount("0")}),
       "key and item discriminant mismatch"},
      {"empty item under a kind-3 key", encode_position_key(PositionKey{}), Item(),
       "key and item discriminant mismatch"},
      {"padding after the address", padded_trader, Item(Trader{}),
       "invalid Trader key: Expected only zeroes to remain after extracting the trader address"},
      {"insurance fund key reads byte 0 only", odd_insurance_fund, Item(InsuranceFund{}), nullptr},
      {"empty item under a kind-0 key", H256(), Item(), nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StateTree tree;
    ASSERT_TRUE(store_item(tree, encode_stats_key(StatsKey{}), Item(Stats{amount("2"), amount("0")})));
    const std::string before = tree.debug_text();
    auto stored = store_item_by_key(tree, c.key, c.item);
    if (c.error) {
      ASSERT_FALSE(stored);
      EXPECT_EQ(stored.error().display(), c.error);
      EXPECT_EQ(tree.debug_text(), before);
    } else {
      EXPECT_TRUE(stored);
    }
  }
}

TEST(StoreItemByKey, NothingDeletesUnderAnyKeyAndVoidRecordsAreKept) {
  StateTree tree;
  const H256 key = encode_position_key(PositionKey{TraderAddress{}, StrategyIdHash{}, symbol("ETHP")});
  ASSERT_TRUE(store_item_by_key(tree, key, Item(Position{})));  // a zero balance: void, kept here
  EXPECT_EQ(collect_records<Position>(tree).size(), 1u);
  ASSERT_TRUE(store_item_by_key(tree, key, std::nullopt));
  EXPECT_TRUE(tree.root().is_zero());
}

TEST(ListedInsuranceFund, AnyKeyBeginningWithItsKindIsTheOneKey) {
  StateTree tree;
  const H256 key = with_byte(encode_insurance_fund_key(InsuranceFundKey{}), 5, 0xff);
  const InsuranceFund fund{balance_of(1, "3")};
  ASSERT_TRUE(store_item_by_key(tree, key, Item(fund)));
  const auto listed = collect_records<InsuranceFund>(tree);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].first, InsuranceFundKey{});
  EXPECT_EQ(listed[0].second, fund);
}

TEST(PerKind, GetAndStoreWithTheVoidRule) {
  StateTree tree;
  const StatsKey key{};
  EXPECT_EQ(get_record<Stats>(tree, key).value(), std::nullopt);
  const Stats stats{amount("1.5"), amount("0")};
  const H256 root = store_record<Stats>(tree, key, stats).value();
  EXPECT_EQ(root, leaf_hash(encode_stats_key(key), Item(stats)));
  EXPECT_EQ(get_record<Stats>(tree, key).value(), stats);
  // Zero of any scale or sign is void: the leaf goes.
  EXPECT_TRUE(store_record<Stats>(tree, key, Stats{amount("-0.000"), amount("0.0")}).value().is_zero());
  EXPECT_TRUE(store_record<Trader>(tree, TraderKey{}, Trader{}).has_value());
  EXPECT_EQ(get_record<Trader>(tree, TraderKey{}).value(), Trader{});
  EXPECT_TRUE(store_record<Trader>(tree, TraderKey{}, std::nullopt).value().is_zero());
}

// Leaves whose key and item disagree can only be written through the engine itself.
TEST(InconsistentLeaves, GetterErrorAndListingFaults) {
  StateTree tree;
  ASSERT_TRUE(tree.update(encode_trader_key(TraderKey{}), Item(Stats{amount("1"), amount("0")})));
  const auto trader = get_record<Trader>(tree, TraderKey{});
  ASSERT_FALSE(trader);
  EXPECT_EQ(trader.error().display(), "invalid Trader item");
  EXPECT_TRUE(collect_records<Trader>(tree).empty());
  EXPECT_EQ(fault_message_of([&] { collect_records<Stats>(tree); }),
            "key item mismatch: Other(\"Expected a stats key, got 1\")");

  // Bytes 1-6 no longer unpack as a symbol.
  const H256 bad_price = with_byte(encode_price_key(PriceKey{symbol("ETHP"), {}}), 6, 0xff);
  ASSERT_TRUE(tree.update(bad_price, Item(Price{})));
  EXPECT_TRUE(fault_message_of([&] {
                collect_records_for_symbol<Price>(tree, symbol("BTCP"));
              }).starts_with("invalid price key: "));
  EXPECT_EQ(collect_leaves(tree).size(), 2u);
}

TEST(MarketListings, KeepOnlyTheSymbolsRecords) {
  StateTree tree;
  const Price price{amount("10"), amount("0"), 1, 0};
  BookOrder order;
  order.amount = amount("1");
  for (const char* text : {"ETHP", "BTCP"}) {
    ASSERT_TRUE(store_record<Price>(tree, PriceKey{symbol(text), {}}, price));
    ASSERT_TRUE(store_record<BookOrder>(tree, BookOrderKey{symbol(text), {}}, order));
  }
  const auto eth = collect_records_for_symbol<Price>(tree, symbol("ETHP"));
  ASSERT_EQ(eth.size(), 1u);
  EXPECT_EQ(eth[0].first.symbol, symbol("ETHP"));
  EXPECT_EQ(collect_records_for_symbol<BookOrder>(tree, symbol("BTCP")).size(), 1u);
  EXPECT_TRUE(collect_records_for_symbol<Position>(tree, symbol("ETHP")).empty());
  EXPECT_TRUE(collect_records_for_symbol<Price>(tree, symbol("SOLP")).empty());
  EXPECT_EQ(collect_records<Price>(tree).size(), 2u);
}

}  // namespace
}  // namespace qzr::tree
