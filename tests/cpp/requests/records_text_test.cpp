// Debug texts and request dict forms of the intents and sequencer records, against hand-written
// expectations; the index price hash against an independent encoder.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/fault.hpp"
#include "requests/request_dict.hpp"
#include "requests_test_support.hpp"
#include "values/debug_form.hpp"

namespace qzr {
namespace {

using test::amount;
using test::nonce;
using test::nonce_42;
using test::python_repr;
using test::symbol;

const std::string zero_signature = "0x" + std::string(130, '0');
const std::string nonce_42_digits = std::string(nonce_42.substr(2));

struct TextCase {
  const char* what;
  std::function<std::string()> text;
  std::string expected;
};

void check(std::span<const TextCase> cases) {
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.text(), c.expected);
  }
}

template <class Record>
std::function<std::string()> repr_of(Record record) {
  return [record] { return record_debug_text(record); };
}

template <class Record>
std::function<std::string()> dict_of(Record record) {
  return [record] { return python_repr(request_dict(as_request(record))); };
}

IndexPrice eth_index_price(PriceMetadata metadata) {
  return {symbol("ETHP"), amount("1850.1234567"), amount("1849.5"), metadata, 1700000000};
}

TEST(RecordTexts, DebugTextsOfIntents) {
  WithdrawIntent withdraw{
      test::strategy("a\"b"), test::token(test::context_usdc), amount("-1.2345678"), nonce(nonce_42), {}};
  withdraw.signature.bytes[64] = 0x1b;
  const std::string signature_1b = "0x" + std::string(128, '0') + "1b";
  const TextCase cases[] = {
      {"order", repr_of(test::eth_order()),
       "OrderIntent { symbol: ProductSymbol(\"ETHP\"), strategy: StrategyId(\"main\"), side: Bid, "
       "order_type: Limit, "
       "nonce: Hash(0x" +
           nonce_42_digits +
           "), amount: UnscaledI128(1.5), price: UnscaledI128(1850.25), "
           "stop_price: UnscaledI128(0), signature: Signature(\"" +
           zero_signature + "\") }"},
      {"cancel order: the order hash as decimal bytes",
       repr_of(CancelOrderIntent{symbol("ETHP"), test::counting_order_hash(), nonce(nonce_42), {}}),
       "CancelOrderIntent { symbol: ProductSymbol(\"ETHP\"), order_hash: Bytes25([200, 201, 202, 203, 204, "
       "205, "
       "206, 207, 208, 209, 210, 211, 212, 213, 214, 215, 216, 217, 218, 219, 220, 221, 222, 223, 224]), "
       "nonce: Hash(0x" +
           nonce_42_digits + "), signature: Signature(\"" + zero_signature + "\") }"},
      {"cancel all", repr_of(CancelAllIntent{symbol("DOGEP"), test::strategy(""), nonce(nonce_42), {}}),
       "CancelAllIntent { symbol: ProductSymbol(\"DOGEP\"), strategy: StrategyId(\"\"), nonce: Hash(0x" +
           nonce_42_digits + "), signature: Signature(\"" + zero_signature + "\") }"},
      {"withdraw: quoted strategy, negative amount, signed", repr_of(withdraw),
       "WithdrawIntent { strategy_id: StrategyId(\"a\\\"b\"), currency: TokenAddress(" +
           std::string(test::context_usdc) + "), amount: UnscaledI128(-1.234567), nonce: Hash(0x" +
           nonce_42_digits + "), signature: Signature(\"" + signature_1b + "\") }"},
      {"withdraw qzr", repr_of(WithdrawQZRIntent{amount("2.500000"), nonce(nonce_42), {}}),
       "WithdrawQZRIntent { amount: UnscaledI128(2.5), nonce: Hash(0x" + nonce_42_digits +
           "), signature: Signature(\"" + zero_signature + "\") }"},
      {"insurance fund withdraw",
       repr_of(
           InsuranceFundWithdrawIntent{test::token(test::context_usdc), amount("2000"), nonce(nonce_42), {}}),
       "InsuranceFundWithdrawIntent { currency: TokenAddress(" + std::string(test::context_usdc) +
           "), amount: UnscaledI128(2000), nonce: Hash(0x" + nonce_42_digits + "), signature: Signature(\"" +
           zero_signature + "\") }"},
      {"profile update: the record's name, nonce first", repr_of(ProfileUpdate{nonce(nonce_42), true, {}}),
       "ProfileUpdate { nonce: Hash(0x" + nonce_42_digits +
           "), pay_fees_in_qzr: true, signature: Signature(\"" + zero_signature + "\") }"},
  };
  check(cases);
}

TEST(RecordTexts, DebugTextsOfSequencerRecords) {
  const TextCase cases[] = {
      {"index price, recorded at construction", repr_of(eth_index_price(PriceMetadata::Empty)),
       "IndexPrice { symbol: ProductSymbol(\"ETHP\"), price: UnscaledI128(1850.123456), prev_price: "
       "UnscaledI128(1849.5), metadata: Empty, timestamp: 1700000000 }"},
      {"index price metadata", repr_of(eth_index_price(PriceMetadata::SingleNamePerpetual)),
       "IndexPrice { symbol: ProductSymbol(\"ETHP\"), price: UnscaledI128(1850.123456), prev_price: "
       "UnscaledI128(1849.5), metadata: SingleNamePerpetual, timestamp: 1700000000 }"},
      {"block", repr_of(Block{255}), "Block(255)"},
      {"time, negative timestamp", repr_of(StampedTimeValue{0, -1}),
       "StampedTimeValue { value: 0, timestamp: -1 }"},
      {"time, extremes", repr_of(StampedTimeValue{UINT64_MAX, INT64_MIN}),
       "StampedTimeValue { value: 18446744073709551615, timestamp: -9223372036854775808 }"},
      {"epoch", repr_of(AdvanceEpoch{1, {5, 6}}),
       "AdvanceEpoch { epoch_id: 1, time: StampedTimeValue { value: 5, timestamp: 6 } }"},
      {"settlement epoch without actions", repr_of(AdvanceSettlementEpoch{1, {1, 1}, {}}),
       "AdvanceSettlementEpoch { epoch_id: 1, time: StampedTimeValue { value: 1, timestamp: 1 }, actions: [] "
       "}"},
      {"settlement epoch, actions in order with duplicates",
       repr_of(AdvanceSettlementEpoch{2,
                                      {3, 4},
                                      {SettlementAction::FundingDistribution, SettlementAction::TradeMining,
                                       SettlementAction::TradeMining, SettlementAction::PnlRealization}}),
       "AdvanceSettlementEpoch { epoch_id: 2, time: StampedTimeValue { value: 3, timestamp: 4 }, actions: "
       "[FundingDistribution, TradeMining, TradeMining, PnlRealization] }"},
      {"price checkpoint", repr_of(MintPriceCheckpoint{7}), "MintPriceCheckpoint { time_value: 7 }"},
  };
  check(cases);
}

TEST(RecordTexts, DictFormsOfIntents) {
  OrderIntent stop_order{symbol("BTCP"),
                         test::strategy("alt"),
                         OrderSide::Ask,
                         OrderType::StopLimit,
                         nonce(test::nonce_counting),
                         amount("0.0000001"),
                         amount("-3.25"),
                         amount("2000"),
                         {}};
  stop_order.signature.bytes.fill(0xAB);
  std::string ab_digits;
  for (int i = 0; i < 65; ++i) ab_digits += "ab";
  const std::string n42 = "'" + std::string(nonce_42) + "'";
  const std::string unsigned_text = "'" + zero_signature + "'";
  const std::string usdc = "'" + std::string(test::context_usdc) + "'";
  const TextCase cases[] = {
      {"unsigned order: keys in declared order", dict_of(test::eth_order()),
       "{'t': 'Order', 'c': {'symbol': 'ETHP', 'strategy': 'main', 'side': 'Bid', 'orderType': 'Limit', "
       "'nonce': " +
           n42 + ", 'amount': '1.5', 'price': '1850.25', 'stopPrice': '0', 'signature': " + unsigned_text +
           "}}"},
      {"signed stop order: amounts as recorded text", dict_of(stop_order),
       "{'t': 'Order', 'c': {'symbol': 'BTCP', 'strategy': 'alt', 'side': 'Ask', 'orderType': 'StopLimit', "
       "'nonce': '" +
           std::string(test::nonce_counting) +
           "', 'amount': '0', 'price': '-3.25', 'stopPrice': '2000', "
           "'signature': '0x" +
           ab_digits + "'}}"},
      {"cancel order",
       dict_of(CancelOrderIntent{symbol("ETHP"), test::counting_order_hash(), nonce(nonce_42), {}}),
       "{'t': 'CancelOrder', 'c': {'symbol': 'ETHP', 'orderHash': "
       "'0xc8c9cacbcccdcecfd0d1d2d3d4d5d6d7d8d9dadbdcdddedfe0', 'nonce': " +
           n42 + ", 'signature': " + unsigned_text + "}}"},
      {"cancel all", dict_of(CancelAllIntent{symbol("DOGEP"), test::strategy("main"), nonce(nonce_42), {}}),
       "{'t': 'CancelAll', 'c': {'symbol': 'DOGEP', 'strategy': 'main', 'nonce': " + n42 +
           ", 'signature': " + unsigned_text + "}}"},
      {"withdraw",
       dict_of(WithdrawIntent{
           test::strategy("main"), test::token(test::context_usdc), amount("0.000001"), nonce(nonce_42), {}}),
       "{'t': 'Withdraw', 'c': {'strategyId': 'main', 'currency': " + usdc +
           ", 'amount': '0.000001', 'nonce': " + n42 + ", 'signature': " + unsigned_text + "}}"},
      {"withdraw qzr", dict_of(WithdrawQZRIntent{amount("2.500000"), nonce(nonce_42), {}}),
       "{'t': 'WithdrawQZR', 'c': {'amount': '2.5', 'nonce': " + n42 + ", 'signature': " + unsigned_text +
           "}}"},
      {"insurance fund withdraw",
       dict_of(
           InsuranceFundWithdrawIntent{test::token(test::context_usdc), amount("7"), nonce(nonce_42), {}}),
       "{'t': 'InsuranceFundWithdraw', 'c': {'currency': " + usdc + ", 'amount': '7', 'nonce': " + n42 +
           ", 'signature': " + unsigned_text + "}}"},
      {"profile update: the variant is ProfileUpdate, a bool inside",
       dict_of(ProfileUpdate{nonce(nonce_42), false, {}}),
       "{'t': 'ProfileUpdate', 'c': {'nonce': " + n42 +
           ", 'payFeesInQzr': False, 'signature': " + unsigned_text + "}}"},
  };
  check(cases);
}

TEST(RecordTexts, DictFormsOfCommands) {
  const TextCase cases[] = {
      {"index price: metadata without content, timestamp an int",
       dict_of(eth_index_price(PriceMetadata::Empty)),
       "{'t': 'IndexPrice', 'c': {'symbol': 'ETHP', 'price': '1850.123456', 'prevPrice': '1849.5', "
       "'metadata': "
       "{'t': 'Empty'}, 'timestamp': 1700000000}}"},
      {"index price metadata", dict_of(eth_index_price(PriceMetadata::SingleNamePerpetual)),
       "{'t': 'IndexPrice', 'c': {'symbol': 'ETHP', 'price': '1850.123456', 'prevPrice': '1849.5', "
       "'metadata': "
       "{'t': 'SingleNamePerpetual'}, 'timestamp': 1700000000}}"},
      {"block 0", dict_of(Block{0}), "{'t': 'Block', 'c': '0x0'}"},
      {"block 255", dict_of(Block{255}), "{'t': 'Block', 'c': '0xff'}"},
      {"block 256", dict_of(Block{256}), "{'t': 'Block', 'c': '0x100'}"},
      {"block 4096", dict_of(Block{4096}), "{'t': 'Block', 'c': '0x1000'}"},
      {"block 2^64 - 1", dict_of(Block{UINT64_MAX}), "{'t': 'Block', 'c': '0xffffffffffffffff'}"},
      {"time, negative timestamp", dict_of(StampedTimeValue{3, -1}),
       "{'t': 'AdvanceTime', 'c': {'value': 3, 'timestamp': -1}}"},
      {"epoch", dict_of(AdvanceEpoch{1, {5, 6}}),
       "{'t': 'AdvanceEpoch', 'c': {'epochId': 1, 'time': {'value': 5, 'timestamp': 6}}}"},
      {"settlement epoch without actions", dict_of(AdvanceSettlementEpoch{1, {1, 1}, {}}),
       "{'t': 'AdvanceSettlementEpoch', 'c': {'epochId': 1, 'time': {'value': 1, 'timestamp': 1}, 'actions': "
       "[]}}"},
      {"settlement epoch actions",
       dict_of(AdvanceSettlementEpoch{1,
                                      {1, 1},
                                      {SettlementAction::TradeMining, SettlementAction::FundingDistribution,
                                       SettlementAction::PnlRealization}}),
       "{'t': 'AdvanceSettlementEpoch', 'c': {'epochId': 1, 'time': {'value': 1, 'timestamp': 1}, 'actions': "
       "['tradeMining', 'fundingDistribution', 'pnlRealization']}}"},
      {"price checkpoint: the variant is PriceCheckpoint", dict_of(MintPriceCheckpoint{7}),
       "{'t': 'PriceCheckpoint', 'c': {'timeValue': 7}}"},
      {"genesis: no content", dict_of(Genesis{}), "{'t': 'Genesis'}"},
      {"disaster recovery",
       [] {
         Signature first, second;
         first.bytes[0] = 1;
         second.bytes[64] = 2;
         return python_repr(request_dict(as_request(DisasterRecovery{7, {first, second}})));
       },
       "{'t': 'DisasterRecovery', 'c': {'requestIndex': 7, 'signatures': ['0x01" + std::string(128, '0') +
           "', '0x" + std::string(128, '0') + "02']}}"},
  };
  check(cases);
}

TEST(RecordTexts, PriceMetadataProperty) {
  EXPECT_EQ(python_repr(price_metadata_dict(PriceMetadata::Empty)), "{'t': 'Empty'}");
  EXPECT_EQ(python_repr(price_metadata_dict(PriceMetadata::SingleNamePerpetual)),
            "{'t': 'SingleNamePerpetual'}");
}

// The Python conversion needs the integer's range: u64 fields are unsigned, the timestamp of a
// time value is signed, the timestamp of an index price unsigned.
TEST(RecordTexts, IntegerKindsOfTheTree) {
  const DictValue time = request_dict(as_request(StampedTimeValue{UINT64_MAX, INT64_MIN}));
  const auto& content = std::get<DictValue::Dict>(std::get<DictValue::Dict>(time.value())[1].value.value());
  EXPECT_EQ(content[0].value, DictValue(std::uint64_t{UINT64_MAX}));
  EXPECT_EQ(content[1].value, DictValue(std::int64_t{INT64_MIN}));
  const DictValue price = request_dict(as_request(eth_index_price(PriceMetadata::Empty)));
  const auto& fields = std::get<DictValue::Dict>(std::get<DictValue::Dict>(price.value())[1].value.value());
  EXPECT_EQ(fields[4].value, DictValue(std::uint64_t{1700000000}));
}

// A symbol whose packed bytes hold a code above 26 does not unpack: the writer reports it, and the
// faulting form ends its message with the error's debug text.
TEST(RecordTexts, WriterErrorOfAnUnpackableSymbol) {
  OrderIntent order = test::eth_order();
  order.symbol.packed = {0x1f, 0, 0, 0, 0, 0};
  const auto written = write_request_dict(as_request(order));
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().message,
            "Illegal characters packed in [31, 0, 0, 0, 0, 0] charset=0ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  try {
    (void)request_dict(as_request(order));
    ADD_FAILURE() << "no fault";
  } catch (const Fault& stop) {
    EXPECT_EQ(stop.message,
              "called `Result::unwrap()` on an `Err` value: Message(\"Illegal characters packed in [31, 0, "
              "0, 0, 0, "
              "0] charset=0ABCDEFGHIJKLMNOPQRSTUVWXYZ\")");
  }
}

TEST(RecordTexts, EachWriteIsAFreshTree) {
  const Request request = as_request(test::eth_order());
  DictValue first = request_dict(request);
  const DictValue second = request_dict(request);
  EXPECT_EQ(first, second);
  // Changing one tree changes neither the other nor a later write.
  std::get<DictValue::Dict>(first.value()).clear();
  EXPECT_NE(first, second);
  EXPECT_EQ(request_dict(request), second);
}

// Expected hashes: scratch/requests/eip712_oracle.py (the five words written out, Keccak-256 of
// pycryptodome).
TEST(RecordTexts, IndexPriceHash) {
  IndexPrice negative{symbol("BTCP"), amount("-3.25"), amount("0"), PriceMetadata::Empty, UINT64_MAX};
  const TextCase cases[] = {
      {"recorded price, empty metadata",
       [] { return to_hex(index_price_hash(eth_index_price(PriceMetadata::Empty))); },
       "0xc1cedd1f6dbde8d0491d7c1f64610b446352061227dfbe5591"},
      {"only the metadata differs",
       [] { return to_hex(index_price_hash(eth_index_price(PriceMetadata::SingleNamePerpetual))); },
       "0x6227543ed7d972a01da94935eef1f33f089be90223d71a8544"},
      {"a negative price: sign byte and magnitude; the largest timestamp",
       [negative] { return to_hex(index_price_hash(negative)); },
       "0xfa5a9356e03f1e86ed9589853a65bbc1356ba4460f3ac78242"},
  };
  check(cases);
  // The negative price and its positive twin differ in byte 15 of the price word alone.
  IndexPrice positive = negative;
  positive.price = amount("3.25");
  const auto with_sign = index_price_hash_preimage(negative);
  const auto without = index_price_hash_preimage(positive);
  for (std::size_t i = 0; i < with_sign.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(with_sign[i] != without[i], i == 32 + 15);
  }
}

}  // namespace
}  // namespace qzr
