// The value behaviour of the key records, driven by their field lists: hash values, the order of
// `<`, equality and the debug texts.
#include "keys/key_fields.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "keys/tree_keys.hpp"
#include "keys_test_support.hpp"

namespace qzr {
namespace {

using keys_test::address_a;
using keys_test::address_b;
using keys_test::btcp;
using keys_test::counting_hash;
using keys_test::ethp;
using keys_test::hash_deadbeef;
using keys_test::specs_key;

struct HashCase {
  const char* what;
  std::function<std::int64_t()> hash;
  std::int64_t expected;
};

template <class K>
HashCase hashes(const char* what, K key, std::int64_t expected) {
  return {what, [key] { return key_hash_value(key); }, expected};
}

// Expected values: hash() of the message bytes (the field streams written out with
// struct.pack('<Q', n) for the 8-byte numbers) in CPython 3.11 run with PYTHONHASHSEED=0, whose
// bytes hash is SipHash-1-3 with both keys zero; the first row is the worked example of the
// hash rule.
TEST(KeyFields, HashValues) {
  const SignerAddress signer_a{address_a().bytes};
  const InsuranceFundContributorAddress contributor_a{address_a().bytes};
  const HashCase cases[] = {
      hashes("EpochMetadataKey(0) (worked example)", EpochMetadataKey{0}, -4800647303603446203),
      hashes("FeePoolKey() hashes the same 8 zero bytes", FeePoolKey{}, -4800647303603446203),
      hashes("TraderKey: 21, the address", TraderKey{address_a()}, -1744797055649878384),
      hashes("SignerKey: the same message", SignerKey{signer_a}, -1744797055649878384),
      hashes("InsuranceFundContributionKey: the same message", InsuranceFundContributionKey{contributor_a},
             -1744797055649878384),
      hashes("StatsKey of another address", StatsKey{address_b()}, -1531061504229691237),
      hashes("StrategyKey: 21, address, 4, hash", StrategyKey{address_a(), hash_deadbeef()},
             7221919227094913761),
      hashes("PositionKey: then 6 and the packed symbol", PositionKey{address_a(), hash_deadbeef(), ethp()},
             7244114794011271946),
      hashes("BookOrderKey: 6, symbol, 25, order hash", BookOrderKey{ethp(), counting_hash()},
             39417375913795667),
      hashes("PriceKey: the same message", PriceKey{ethp(), counting_hash()}, 39417375913795667),
      hashes("InsuranceFundKey: 31, the name", InsuranceFundKey{}, 8497471699426696092),
      hashes("SpecsKey: kind as 8 bytes, name, 0xFF", specs_key(SpecsKind::MarketGateway, "ETHP"),
             8703744105810518299),
      hashes("SpecsKey with an empty name", specs_key(SpecsKind::SingleNamePerpetual, ""),
             -9000812902462168605),
      hashes("FeePoolKey(5): 1, then 5", FeePoolKey{5}, -9060353652674724865),
      hashes("EpochMetadataKey(7)", EpochMetadataKey{7}, 7364705619221056123),
  };
  for (const HashCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.hash(), c.expected);
  }
}

struct OrderCase {
  const char* what;
  std::function<bool()> less;
  std::function<bool()> equal;
  bool expected_less;
  bool expected_equal;
};

template <class K>
OrderCase orders(const char* what, K a, K b, bool expected_less, bool expected_equal = false) {
  return {what, [a, b] { return a < b; }, [a, b] { return a == b; }, expected_less, expected_equal};
}

TraderAddress with_byte(TraderAddress address, std::size_t index, std::uint8_t value) {
  address.bytes[index] = value;
  return address;
}

// The less-than rule: fields in declared order, the first difference decides.
TEST(KeyFields, OrderFollowsTheDeclaredFields) {
  const TraderAddress low = with_byte(address_a(), 20, 0x7f);
  const TraderAddress high = with_byte(address_a(), 20, 0x80);
  const OrderCase cases[] = {
      orders("address bytes compare unsigned", TraderKey{low}, TraderKey{high}, true),
      orders("chain byte first", StatsKey{address_a()}, StatsKey{address_b()}, true),
      orders("equal keys: not less", TraderKey{address_a()}, TraderKey{address_a()}, false, true),
      orders("strategy: address before hash", StrategyKey{low, StrategyIdHash{{0xff, 0, 0, 0}}},
             StrategyKey{high, StrategyIdHash{}}, true),
      orders("position: hash before symbol, unlike the tree key",
             PositionKey{address_a(), StrategyIdHash{}, ethp()},
             PositionKey{address_a(), hash_deadbeef(), btcp()}, true),
      orders("position: symbol bytes last (BTCP's 0x82 before ETHP's 0x85)",
             PositionKey{address_a(), hash_deadbeef(), btcp()},
             PositionKey{address_a(), hash_deadbeef(), ethp()}, true),
      orders("book order: symbol before order hash", BookOrderKey{btcp(), counting_hash()},
             BookOrderKey{ethp(), Bytes25{}}, true),
      orders("price: index price hash decides for equal symbols", PriceKey{ethp(), Bytes25{}},
             PriceKey{ethp(), counting_hash()}, true),
      orders("insurance fund keys are all equal", InsuranceFundKey{}, InsuranceFundKey{}, false, true),
      orders("specs: kind before name", specs_key(SpecsKind::SingleNamePerpetual, "Z"),
             specs_key(SpecsKind::MarketGateway, "A"), true),
      orders("specs: a prefix sorts first", specs_key(SpecsKind::MarketGateway, "ETH"),
             specs_key(SpecsKind::MarketGateway, "ETHP"), true),
      orders("specs: name bytes compare unsigned", specs_key(SpecsKind::MarketGateway, "z"),
             specs_key(SpecsKind::MarketGateway, "\xc3\xa9"), true),
      orders("fee pool: no epoch before epoch 0", FeePoolKey{}, FeePoolKey{0}, true),
      orders("fee pool: epoch 0 is not before no epoch", FeePoolKey{0}, FeePoolKey{}, false),
      orders("fee pool: epochs by number", FeePoolKey{2}, FeePoolKey{256}, true),
      orders("epoch metadata: by number, not by bytes", EpochMetadataKey{255}, EpochMetadataKey{256}, true),
  };
  for (const OrderCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.less(), c.expected_less);
    EXPECT_EQ(c.equal(), c.expected_equal);
  }
}

TEST(KeyFields, SortingPositionKeys) {
  std::vector<PositionKey> keys{
      PositionKey{address_b(), StrategyIdHash{}, btcp()},
      PositionKey{address_a(), hash_deadbeef(), btcp()},
      PositionKey{address_a(), StrategyIdHash{}, ethp()},
  };
  std::ranges::sort(keys);
  EXPECT_EQ(keys[0], (PositionKey{address_a(), StrategyIdHash{}, ethp()}));
  EXPECT_EQ(keys[1], (PositionKey{address_a(), hash_deadbeef(), btcp()}));
  EXPECT_EQ(keys[2], (PositionKey{address_b(), StrategyIdHash{}, btcp()}));
}

struct DebugCase {
  const char* what;
  std::function<std::string()> text;
  std::string expected;
};

template <class K>
DebugCase prints(const char* what, K key, std::string expected) {
  return {what, [key] { return record_debug_text(key); }, std::move(expected)};
}

const std::string address_a_text = "0x00" + std::string(40, '1');

// The debug texts of the keys and their field types.
TEST(KeyFields, DebugTexts) {
  const DebugCase cases[] = {
      prints("TraderKey", TraderKey{address_a()},
             "TraderKey { inner: TraderAddress(\"" + address_a_text + "\") }"),
      prints("SignerKey", SignerKey{SignerAddress{address_a().bytes}},
             "SignerKey { inner: SignerAddress(\"" + address_a_text + "\") }"),
      prints("InsuranceFundContributionKey",
             InsuranceFundContributionKey{InsuranceFundContributorAddress{address_a().bytes}},
             "InsuranceFundContributionKey { inner: InsuranceFundContributorAddress(\"" + address_a_text +
                 "\") }"),
      prints("StatsKey", StatsKey{address_b()},
             "StatsKey { trader: TraderAddress(\"0x010102030405060708090a0b0c0d0e0f1011121314\") }"),
      prints("StrategyKey", StrategyKey{address_a(), hash_deadbeef()},
             "StrategyKey { trader_address: TraderAddress(\"" + address_a_text +
                 "\"), strategy_id_hash: StrategyIdHash(\"0xdeadbeef\") }"),
      prints("PositionKey", PositionKey{address_a(), hash_deadbeef(), ethp()},
             "PositionKey { trader_address: TraderAddress(\"" + address_a_text +
                 "\"), strategy_id_hash: StrategyIdHash(\"0xdeadbeef\"), symbol: ProductSymbol(\"ETHP\") }"),
      prints("BookOrderKey", BookOrderKey{ethp(), counting_hash()},
             "BookOrderKey { symbol: ProductSymbol(\"ETHP\"), order_hash: Bytes25([1, 2, 3, 4, 5, 6, 7, 8, "
             "9, 10, "
             "11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25]) }"),
      prints("PriceKey", PriceKey{btcp(), Bytes25{}},
             "PriceKey { symbol: ProductSymbol(\"BTCP\"), index_price_hash: Bytes25([0, 0, 0, 0, 0, 0, 0, 0, "
             "0, 0, "
             "0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0]) }"),
      prints("InsuranceFundKey (worked example)", InsuranceFundKey{},
             "InsuranceFundKey([79, 114, 103, 97, 110, 105, 99, 73, 110, 115, 117, 114, 97, 110, 99, 101, "
             "70, 117, "
             "110, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0])"),
      prints("SpecsKey", specs_key(SpecsKind::MarketGateway, "ETHP"),
             "SpecsKey { kind: MarketGateway, name: \"ETHP\" }"),
      prints("SpecsKey name quoted with escapes", specs_key(SpecsKind::SingleNamePerpetual, "a\"b\\c\n"),
             "SpecsKey { kind: SingleNamePerpetual, name: \"a\\\"b\\\\c\\n\" }"),
      prints("FeePoolKey() (worked example)", FeePoolKey{}, "FeePoolKey { epoch_id: None }"),
      prints("FeePoolKey(5)", FeePoolKey{5}, "FeePoolKey { epoch_id: Some(5) }"),
      prints("EpochMetadataKey(7) (worked example)", EpochMetadataKey{7}, "EpochMetadataKey { epoch_id: 7 }"),
      prints("EpochMetadataKey with the largest epoch", EpochMetadataKey{UINT64_MAX},
             "EpochMetadataKey { epoch_id: 18446744073709551615 }"),
  };
  for (const DebugCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.text(), c.expected);
  }
}

}  // namespace
}  // namespace qzr
