// EIP-712: the envelope against the public "Mail" example, the exchange's domain separator, and
// the struct hash and digest of every intent kind against an independent encoder.
#include "requests/eip712.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>

#include "requests_test_support.hpp"
#include "values/hex.hpp"

namespace qzr {
namespace {

using test::amount;
using test::nonce;
using test::nonce_42;
using test::strategy;
using test::symbol;
using test::token;

std::string hex(const Keccak256Digest& digest) { return to_hex_text(digest); }

const Eip712Domain context_domain{test::context_chain_id, test::must(parse_h160(test::context_contract))};

// The example of the EIP-712 document: domain "Ether Mail", version "1", chain 1, contract
// 0xCcCC..cccC; the message Mail(from Cow, to Bob, "Hello, Bob!"), whose struct hash (nested
// structs, which the intents do not have) is taken from the document.
TEST(Eip712, PublicMailExample) {
  const AccountAddress contract = test::must(parse_h160("0xCcCCccccCCCCcCCCCCCcCcCccCcCCCcCcccccccC"));
  const Keccak256Digest separator = eip712_domain_separator("Ether Mail", "1", 1, contract);
  EXPECT_EQ(hex(separator), "0xf2cee375fa42b42143804025fc449deafd50cc031ca257e0b194a650a912090f");

  Keccak256Digest mail_struct_hash;
  std::ranges::copy(
      test::must(hex_strip_decode("c52c0ee5d84264471806290a3f2c4cecfc5490626bf912d01f240d7a274b371e")),
      mail_struct_hash.begin());
  EXPECT_EQ(hex(eip712_envelope_digest(separator, mail_struct_hash)),
            "0xbe609aee343fb3c4b28e1df9e632fca64fcfaede20f02e86244efddf30957bd2");
}

// Expected values: scratch/requests/eip712_oracle.py (type strings and word rules written out
// independently, Keccak-256 of pycryptodome).
TEST(Eip712, DomainSeparatorOfTheExchange) {
  EXPECT_EQ(hex(eip712_domain_separator(context_domain)),
            "0x99c296367edbd59ea65c8159cbe3409f63b5d91c4a883ad15c3e3ca8f7994a5d");
  // The largest chain id: 24 zero bytes and eight 0xff bytes.
  const Eip712Domain largest{UINT64_MAX, test::must(parse_h160("00000000000000000000000000000000000000"
                                                               "01"))};
  EXPECT_EQ(hex(eip712_domain_separator(largest)),
            "0x81b8971e43420f6e3be1e73bc79ef2a0b08dea2ff514a268411df3fccc5e6b5c");
  // The named form with the exchange's texts is the same function.
  EXPECT_EQ(eip712_domain_separator(eip712_domain_name, eip712_domain_version, context_domain.chain_id,
                                    context_domain.verifying_contract),
            eip712_domain_separator(context_domain));
}

// Separators are remembered per thread for the last domain: alternating domains, and the same
// domain asked again, must each give the separator computed from scratch.
TEST(Eip712, DomainSeparatorOfAlternatingDomains) {
  const Eip712Domain other_chain{context_domain.chain_id + 1, context_domain.verifying_contract};
  Eip712Domain other_contract = context_domain;
  other_contract.verifying_contract.bytes[19] ^= 1;
  const Eip712Domain sequence[] = {context_domain, other_chain,    other_chain,   context_domain,
                                   other_contract, context_domain, context_domain};
  for (const Eip712Domain& domain : sequence) {
    SCOPED_TRACE(domain.chain_id);
    EXPECT_EQ(eip712_domain_separator(domain),
              eip712_domain_separator(eip712_domain_name, eip712_domain_version, domain.chain_id,
                                      domain.verifying_contract));
  }
  std::thread([] {
    EXPECT_EQ(hex(eip712_domain_separator(context_domain)),
              "0x99c296367edbd59ea65c8159cbe3409f63b5d91c4a883ad15c3e3ca8f7994a5d");
  }).join();
}

struct IntentCase {
  const char* what;
  std::function<Result<Keccak256Digest>()> struct_hash;
  std::function<Result<Hash>(const Eip712Domain&)> digest;
  std::string expected_struct_hash;
  std::string expected_digest;
};

template <class Intent>
IntentCase intent_case(const char* what, Intent intent, std::string struct_hash, std::string digest) {
  return {what, [intent] { return eip712_struct_hash(intent); },
          [intent](const Eip712Domain& domain) { return eip712_digest(intent, domain); },
          std::move(struct_hash), std::move(digest)};
}

std::vector<IntentCase> intent_cases() {
  // Intents as the constructors would build them (amounts recorded); the signature never enters.
  OrderIntent large_order{symbol("BTCP"),
                          strategy("alt"),
                          OrderSide::Ask,
                          OrderType::StopLimit,
                          nonce(test::nonce_counting),
                          amount("0.000001"),
                          // 7 places, clamped and rounded toward zero to the largest recorded value
                          amount("79228162514264337593543.9503359"),
                          amount("2000"),
                          {}};
  large_order.signature.bytes.fill(0x77);
  return {
      intent_case("order ETHP main Bid Limit 1.5 @ 1850.25, stop 0", test::eth_order(),
                  "0x80504d44821ab9442d3c504434adaaff298ff202f4efd559e696d6cfb4ad1175",
                  "0x7d0b84588061bf8bb92d39d006f5486a746270ba4a66fdff05f8cc1226c35786"),
      intent_case("order BTCP alt Ask StopLimit 0.000001 @ max, stop 2000, signed", large_order,
                  "0xe7cd26fb8a164651886fb0b492679d5ff583bd6ffbba0349ac3fbe2a2199dc6f",
                  "0xe411e126be1f78d8ab0eb816074d048cfdaa6eed8100b199bfa091ec4530d6c4"),
      intent_case("cancel order: order hash left-aligned",
                  CancelOrderIntent{symbol("ETHP"), test::counting_order_hash(), nonce(nonce_42), {}},
                  "0x04ae9f4431b9212aa15872d1328558aa769ff15f1955d12c5e7b5000e4e97f0d",
                  "0x816cc6f963e26784f5975f3a69a850bc16a8d21f0fce910eb0bf846bbf7bdce5"),
      intent_case("cancel all: a four-letter underlying",
                  CancelAllIntent{symbol("DOGEP"), strategy("main"), nonce(nonce_42), {}},
                  "0x04a0717e05c7b397da502834da48b11beabe6142fcb8d630537da1b63466a001",
                  "0xf33b765b67e60c2b3b72d3e4d5be8961f805daf5babf5e3c90d419d08eb482e9"),
      intent_case(
          "withdraw",
          WithdrawIntent{strategy("main"), token(test::context_usdc), amount("1000.5"), nonce(nonce_42), {}},
          "0x4c3d2343299b683c08220612d896ca3a43a9ecb2350d142322895a0b3585adec",
          "0x408122afed3f4aeb5788eb2dada22527c50fff182853127423759193e842012b"),
      intent_case("withdraw qzr: 12.3456789 recorded as 12.345678",
                  WithdrawQZRIntent{amount("12.3456789"), nonce(nonce_42), {}},
                  "0x3de51d3b4a087318134ad239c630c26a83859ff8345b86c48f884d137067d40c",
                  "0x11fc95e04fe93e6ee6a9eb812fc50b31516a3967d90ce7c4c609da3579402253"),
      intent_case("insurance fund withdraw",
                  InsuranceFundWithdrawIntent{token(test::context_usdc), amount("7"), nonce(nonce_42), {}},
                  "0x738ca6be43be09a3f817dca13f19868b649a2eebbc9ab49f5d3388784efe493a",
                  "0xfbf8a08223c9a1877711f33a029c977eeef31cc3caccc722564d149b697d7896"),
      intent_case("profile update, pays fees in QZR: payFeesInQzr word first",
                  ProfileUpdate{nonce(nonce_42), true, {}},
                  "0xf23006423ad0cecb1c1a85a453f8b9ec3d75ad84aaf940a4baa431a5005f6851",
                  "0x5c651b770c5fc58e2613cbfe2cd324e0781f749c345479a93e3b42d2ab15b3fb"),
      intent_case("profile update, does not", ProfileUpdate{nonce(nonce_42), false, {}},
                  "0x160b768b3f7d7d13743e90b5490c77c0d04d1faaeb6c776924e9d04e4cd4911a",
                  "0x0bd1193f94854e2b9c2c259c60ac11200e51ba852c388c0734c790aaa1cb09ff"),
  };
}

TEST(Eip712, StructHashesAndDigestsOfEveryIntentKind) {
  for (const IntentCase& c : intent_cases()) {
    SCOPED_TRACE(c.what);
    const Result<Keccak256Digest> struct_hash = c.struct_hash();
    ASSERT_TRUE(struct_hash);
    EXPECT_EQ(hex(*struct_hash), c.expected_struct_hash);
    const Result<Hash> digest = c.digest(context_domain);
    ASSERT_TRUE(digest);
    EXPECT_EQ(to_hex(*digest), c.expected_digest);
  }
}

TEST(Eip712, TypeStringsAreExact) {
  EXPECT_EQ(eip712_type_string<OrderIntent>(),
            "OrderParams(bytes32 symbol,bytes32 strategy,uint256 side,uint256 orderType,bytes32 nonce,"
            "uint256 amount,uint256 price,uint256 stopPrice)");
  EXPECT_EQ(eip712_type_string<OrderIntent>().size(), 136u);
  EXPECT_EQ(eip712_type_string<CancelOrderIntent>().size(), 65u);
  EXPECT_EQ(eip712_type_string<CancelAllIntent>().size(), 62u);
  EXPECT_EQ(eip712_type_string<WithdrawIntent>().size(), 80u);
  EXPECT_EQ(eip712_type_string<WithdrawQZRIntent>().size(), 47u);
  EXPECT_EQ(eip712_type_string<InsuranceFundWithdrawIntent>().size(), 74u);
  EXPECT_EQ(eip712_type_string<ProfileUpdate>(), "UpdateProfileParams(bool payFeesInQzr,bytes32 nonce)");
  EXPECT_EQ(eip712_domain_type.size(), 82u);
}

TEST(Eip712, DigestDependsOnEachDomainValueAndNotOnTheSignature) {
  const OrderIntent order = test::eth_order();
  const Hash base = *eip712_digest(order, context_domain);
  Eip712Domain other_chain = context_domain;
  other_chain.chain_id += 1;
  Eip712Domain other_contract = context_domain;
  other_contract.verifying_contract.bytes[19] ^= 1;
  EXPECT_NE(*eip712_digest(order, other_chain), base);
  EXPECT_NE(*eip712_digest(order, other_contract), base);
  OrderIntent signed_order = order;
  signed_order.signature.bytes.fill(0xab);
  EXPECT_EQ(*eip712_digest(signed_order, context_domain), base);
}

// The digest covers the recorded amount: digits beyond 6 places, dropped when the intent is built,
// do not change it.
TEST(Eip712, DigestCoversTheRecordedAmount) {
  OrderIntent precise = test::eth_order();
  precise.amount = amount("1.5000009");
  precise.price = amount("1850.2500001");
  EXPECT_EQ(precise.amount.value.to_string(), "1.5");
  EXPECT_EQ(*eip712_digest(precise, context_domain), *eip712_digest(test::eth_order(), context_domain));
}

// A negative amount is stored by the constructor and refused by the digest, as an error value
// that Python raises as QzrCommonError; a zero of either sign gives the zero word.
TEST(Eip712, NegativeAmountsAreErrors) {
  struct Case {
    const char* what;
    std::function<Result<Hash>()> digest;
    const char* expected;  // "" for success
  };
  OrderIntent negative_price = test::eth_order();
  negative_price.price = amount("-1.2345678");
  OrderIntent negative_stop = test::eth_order();
  negative_stop.stop_price = amount("-0.000001");
  OrderIntent negative_zero = test::eth_order();
  negative_zero.stop_price = UnscaledI128{-Decimal::zero()};
  const WithdrawIntent withdraw{
      strategy("main"), token(test::context_usdc), amount("-5"), nonce(nonce_42), {}};
  const WithdrawQZRIntent withdraw_qzr{amount("-0.5"), nonce(nonce_42), {}};
  const InsuranceFundWithdrawIntent fund{token(test::context_usdc), amount("-7"), nonce(nonce_42), {}};
  const Case cases[] = {
      {"order price, recorded toward zero", [&] { return eip712_digest(negative_price, context_domain); },
       "Negatives don't scale into unsigned: -1.234567"},
      {"order stop price", [&] { return eip712_digest(negative_stop, context_domain); },
       "Negatives don't scale into unsigned: -0.000001"},
      {"a negative zero is zero", [&] { return eip712_digest(negative_zero, context_domain); }, ""},
      {"withdraw", [&] { return eip712_digest(withdraw, context_domain); },
       "Negatives don't scale into unsigned: -5"},
      {"withdraw qzr", [&] { return eip712_digest(withdraw_qzr, context_domain); },
       "Negatives don't scale into unsigned: -0.5"},
      {"insurance fund withdraw", [&] { return eip712_digest(fund, context_domain); },
       "Negatives don't scale into unsigned: -7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result<Hash> digest = c.digest();
    if (std::string_view(c.expected).empty()) {
      EXPECT_TRUE(digest);
    } else {
      ASSERT_FALSE(digest);
      EXPECT_EQ(digest.error().kind(), CommonError::Kind::Other);
      EXPECT_EQ(digest.error().display(), c.expected);
    }
  }
  EXPECT_EQ(*eip712_digest(negative_zero, context_domain), *eip712_digest(test::eth_order(), context_domain));
}

}  // namespace
}  // namespace qzr
