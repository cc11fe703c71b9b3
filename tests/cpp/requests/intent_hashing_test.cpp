// The intents' hashing methods: digests in the application context's domain or a caller's,
// signer recovery of every intent kind, and order hashes.
#include "requests/intent_hashing.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "requests_test_support.hpp"
#include "values/hex.hpp"

namespace qzr {
namespace {

using test::amount;
using test::nonce;
using test::nonce_42;
using test::secret_key;
using test::sign_digest;

std::string outcome(const Result<Eip712Domain>& domain) {
  if (!domain) return "error: " + domain.error().display();
  return std::to_string(domain->chain_id) + " " + to_hex(domain->verifying_contract);
}

TEST(IntentHashing, DomainFromMetadataReadsTheContractByTheFixedReading) {
  const std::string digits = "abcdef0123456789abcdef0123456789abcdef01";
  const std::string ok = "1 0x" + digits;
  struct Case {
    const char* what;
    std::string text;
    std::string expected;
  };
  const Case cases[] = {
      {"0x and 40 digits", "0x" + digits, ok},
      {"no 0x", digits, ok},
      {"upper case digits", "0xABCDEF0123456789ABCDEF0123456789ABCDEF01", ok},
      {"a blank before 0x: the prefix is only removed at the very start",
       " 0xabcdef0123456789abcdef0123456789abcdef01", "error: Invalid character 'x' at position 2"},
      {"blanks after the prefix", "0x ab cd\tef 01 23 45 67 89 ab cd ef 01 23 45 67 89 ab cd ef 01 \r\n", ok},
      {"capital 0X", "0X" + digits, "error: Invalid character 'X' at position 1"},
      {"39 digits", "0x" + digits.substr(1), "error: Invalid input length"},
      {"41 digits", "0x" + digits + "0", "error: Invalid input length"},
      {"42 digits", "0x" + digits + "00", "error: Invalid input length"},
      {"0x twice", "0x0x" + digits, "error: Invalid character 'x' at position 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(outcome(eip712_domain_from_metadata(1, c.text)), c.expected);
  }
}

// Each kind, signed over its digest in the context's domain by its own key.
struct SignedCase {
  const char* what;
  std::function<Result<Hash>()> context_digest;
  std::function<Result<Hash>(const Eip712Domain&)> digest;
  std::function<Result<SignerRecovery>(const test::SecretKey&)> sign_and_recover;
};

template <class Intent>
SignedCase signed_case(const char* what, Intent intent) {
  return {what, [intent] { return eip712_digest_in_app_context(intent); },
          [intent](const Eip712Domain& domain) { return eip712_digest(intent, domain); },
          [intent](const test::SecretKey& key) mutable {
            intent.signature = sign_digest(key, *eip712_digest_in_app_context(intent));
            return recover_signer(intent);
          }};
}

TEST(IntentHashing, EveryKindRecoversItsSignerInTheContextDomain) {
  const TokenAddress usdc = test::token(test::context_usdc);
  const SignedCase cases[] = {
      signed_case("order", test::eth_order()),
      signed_case("cancel order",
                  CancelOrderIntent{test::symbol("ETHP"), test::counting_order_hash(), nonce(nonce_42), {}}),
      signed_case("cancel all",
                  CancelAllIntent{test::symbol("ETHP"), test::strategy("main"), nonce(nonce_42), {}}),
      signed_case("withdraw", WithdrawIntent{test::strategy("main"), usdc, amount("3"), nonce(nonce_42), {}}),
      signed_case("withdraw qzr", WithdrawQZRIntent{amount("4"), nonce(nonce_42), {}}),
      signed_case("insurance fund withdraw",
                  InsuranceFundWithdrawIntent{usdc, amount("5"), nonce(nonce_42), {}}),
      signed_case("profile update", ProfileUpdate{nonce(nonce_42), true, {}}),
  };
  const Eip712Domain context_domain =
      *eip712_domain_from_metadata(test::context_chain_id, test::context_contract);
  std::uint8_t last = 1;
  for (const SignedCase& c : cases) {
    SCOPED_TRACE(c.what);
    const Result<Hash> digest = c.context_digest();
    ASSERT_TRUE(digest);
    // The context's pair as metadata gives the same digest.
    EXPECT_EQ(*c.digest(context_domain), *digest);
    const test::SecretKey key = secret_key(0x42, last++);
    const Result<SignerRecovery> recovery = c.sign_and_recover(key);
    ASSERT_TRUE(recovery) << recovery.error().display();
    EXPECT_EQ(recovery->digest, *digest);
    EXPECT_EQ(to_hex(recovery->signer), "0x00" + to_hex(test::address_of(key)).substr(2));
  }
  // One absolute value: the order's digest in the context's domain (chain 1337, the contract of the
  // test deployment), from scratch/requests/eip712_oracle.py.
  EXPECT_EQ(to_hex(*eip712_digest_in_app_context(test::eth_order())),
            "0x7d0b84588061bf8bb92d39d006f5486a746270ba4a66fdff05f8cc1226c35786");
}

// keccak256(address || digest), first 25 bytes, recomputed here from the recovered parts.
std::string expected_order_hash(const OrderIntent& order, const test::SecretKey& key) {
  const AccountAddress address = test::address_of(key);
  std::vector<std::uint8_t> preimage(address.bytes.begin(), address.bytes.end());
  const Hash digest = *eip712_digest_in_app_context(order);
  preimage.insert(preimage.end(), digest.bytes.begin(), digest.bytes.end());
  const Keccak256Digest hash = keccak256(preimage);
  return to_hex_text(std::span(hash).first<25>());
}

TEST(IntentHashing, OrderHashOfTheSignerAndTheDigest) {
  OrderIntent order = test::eth_order();
  const Hash digest = *eip712_digest_in_app_context(order);
  const test::SecretKey alice = secret_key(0x11, 1);
  const test::SecretKey bob = secret_key(0x22, 2);

  order.signature = sign_digest(alice, digest);
  const Result<Bytes25> by_alice = order_hash(order);
  ASSERT_TRUE(by_alice);
  EXPECT_EQ(to_hex(*by_alice), expected_order_hash(order, alice));
  EXPECT_EQ(to_hex(*by_alice).size(), 52u);

  // Another valid signature of the same order by the same key: the same order hash.
  secp256k1_ecdsa_recoverable_signature other;
  std::array<std::uint8_t, 32> extra_entropy{};
  extra_entropy.fill(9);
  ASSERT_TRUE(secp256k1_ecdsa_sign_recoverable(test::signing_context(), &other, digest.bytes.data(),
                                               alice.data(), nullptr, extra_entropy.data()));
  OrderIntent resigned = order;
  int recovery_id = 0;
  secp256k1_ecdsa_recoverable_signature_serialize_compact(
      test::signing_context(), resigned.signature.bytes.data(), &recovery_id, &other);
  resigned.signature.bytes[64] = static_cast<std::uint8_t>(27 + recovery_id);
  ASSERT_NE(resigned.signature, order.signature);
  EXPECT_EQ(*order_hash(resigned), *by_alice);

  order.signature = sign_digest(bob, digest);
  EXPECT_NE(*order_hash(order), *by_alice);

  // Another field changes the digest and so the order hash.
  OrderIntent bigger = order;
  bigger.amount = amount("2");
  bigger.signature = sign_digest(bob, *eip712_digest_in_app_context(bigger));
  EXPECT_EQ(to_hex(*order_hash(bigger)), expected_order_hash(bigger, bob));
  EXPECT_NE(*order_hash(bigger), *order_hash(order));
}

TEST(IntentHashing, RefusalsAreErrorValues) {
  struct Case {
    const char* what;
    std::function<std::optional<CommonError>()> run;
    std::string expected;
  };
  const auto error_of = [](const auto& result) -> std::optional<CommonError> {
    if (result) return std::nullopt;
    return result.error();
  };
  OrderIntent negative = test::eth_order();
  negative.amount = amount("-2.5");
  negative.signature = sign_digest(secret_key(3, 3), Hash{});
  const WithdrawIntent negative_withdraw{
      test::strategy("main"), test::token(test::context_usdc), amount("-1"), nonce(nonce_42), {}};
  OrderIntent high_s = test::eth_order();
  high_s.signature = sign_digest(secret_key(4, 4), *eip712_digest_in_app_context(high_s));
  high_s.signature.bytes[32] |= 0x80;
  const Case cases[] = {
      {"unsigned: recover_signer", [&] { return error_of(recover_signer(test::eth_order())); },
       "Error with crypto tooling: InvalidRecoveryId"},
      {"unsigned: order hash", [&] { return error_of(order_hash(test::eth_order())); },
       "Error with crypto tooling: InvalidRecoveryId"},
      {"unsigned profile update", [&] { return error_of(recover_signer(ProfileUpdate{})); },
       "Error with crypto tooling: InvalidRecoveryId"},
      {"high s: order hash", [&] { return error_of(order_hash(high_s)); },
       "Signature is not compliant with EIP-2"},
      {"negative amount: digest in the context",
       [&] { return error_of(eip712_digest_in_app_context(negative)); },
       "Negatives don't scale into unsigned: -2.5"},
      {"negative amount: recover_signer", [&] { return error_of(recover_signer(negative)); },
       "Negatives don't scale into unsigned: -2.5"},
      {"negative amount: order hash", [&] { return error_of(order_hash(negative)); },
       "Negatives don't scale into unsigned: -2.5"},
      {"negative withdraw amount: recover_signer",
       [&] { return error_of(recover_signer(negative_withdraw)); },
       "Negatives don't scale into unsigned: -1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::optional<CommonError> error = c.run();
    ASSERT_TRUE(error);
    EXPECT_EQ(error->display(), c.expected);
  }
}

// Threads share the library context, the constant hashes and the application context: every
// thread recovers every signer correctly.
TEST(IntentHashing, ConcurrentRecoveries) {
  std::vector<OrderIntent> orders;
  std::vector<std::string> signers;
  for (std::uint8_t i = 1; i <= 8; ++i) {
    OrderIntent order = test::eth_order();
    order.amount = test::amount(std::to_string(i));
    const test::SecretKey key = test::secret_key(0x5a, i);
    order.signature = test::sign_digest(key, *eip712_digest_in_app_context(order));
    orders.push_back(order);
    signers.push_back("0x00" + to_hex(test::address_of(key)).substr(2));
  }
  std::vector<int> failures(orders.size(), 0);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < orders.size(); ++t) {
    threads.emplace_back([&, t] {
      for (std::size_t round = 0; round < 20; ++round) {
        const std::size_t i = (t + round) % orders.size();
        const Result<SignerRecovery> recovery = recover_signer(orders[i]);
        if (!recovery || to_hex(recovery->signer) != signers[i]) ++failures[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (std::size_t t = 0; t < failures.size(); ++t) EXPECT_EQ(failures[t], 0) << "thread " << t;
}

}  // namespace
}  // namespace qzr
