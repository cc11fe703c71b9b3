// The EIP-712 digest of an order intent, and signer recovery through recover_signer_address
// against libsecp256k1's parse and secp256k1_ecdsa_recover alone on the same signature and digest
// (the library's share of our recovery; the rest is our checks, serialisation and Keccak-256), and
// one Keccak-256 of a 64-byte message, the unit the digest is measured in.
// Compare with random interleaving, e.g.
//   bench_requests --benchmark_repetitions=20 --benchmark_enable_random_interleaving=true
//                  --benchmark_report_aggregates_only=true
// Signing happens once, in the set-up, with the library's signing API (benchmarks only).
#include <benchmark/benchmark.h>
#include <secp256k1.h>
#include <secp256k1_recovery.h>

#include <array>
#include <cstdint>
#include <stdexcept>

#include "bench_support.hpp"
#include "requests/eip712.hpp"
#include "requests/signer_recovery.hpp"
#include "values/decimal.hpp"
#include "values/keccak.hpp"

namespace {

qzr::UnscaledI128 amount(const char* text) { return qzr::recorded_amount(*qzr::parse_decimal_text(text)); }

qzr::OrderIntent sample_order() {
  return {*qzr::product_symbol_from_text("ETHP"),
          *qzr::strategy_id_from_text("main"),
          qzr::OrderSide::Bid,
          qzr::OrderType::Limit,
          *qzr::bytes32_from_hex("0x000000000000000000000000000000000000000000000000000000000000002a"),
          amount("1.5"),
          amount("1850.25"),
          amount("0"),
          {}};
}

const qzr::Eip712Domain domain{1337, *qzr::parse_h160("0xabcdef0123456789abcdef0123456789abcdef01")};

secp256k1_context* library_context() {
  static secp256k1_context* context = secp256k1_context_create(SECP256K1_CONTEXT_NONE);
  return context;
}

// The order's digest and a signature of it by a fixed key, with v = 27 + recovery id.
struct SignedDigest {
  qzr::Hash digest;
  qzr::Signature signature;
};

const SignedDigest& signed_digest() {
  static const SignedDigest value = [] {
    SignedDigest result{*qzr::eip712_digest(sample_order(), domain), {}};
    std::array<std::uint8_t, 32> key;
    key.fill(0x42);
    secp256k1_ecdsa_recoverable_signature signature;
    if (!secp256k1_ecdsa_sign_recoverable(library_context(), &signature, result.digest.bytes.data(),
                                          key.data(), nullptr, nullptr)) {
      throw std::runtime_error("signing failed");
    }
    int recovery_id = 0;
    secp256k1_ecdsa_recoverable_signature_serialize_compact(library_context(), result.signature.bytes.data(),
                                                            &recovery_id, &signature);
    result.signature.bytes[64] = static_cast<std::uint8_t>(27 + recovery_id);
    return result;
  }();
  return value;
}

void order_intent_digest(benchmark::State& state) {
  const qzr::OrderIntent order = sample_order();
  const qzr::Hash expected = *qzr::eip712_digest(order, domain);
  for (auto _ : state) {
    const qzr::Result<qzr::Hash> digest = qzr::eip712_digest(order, domain);
    benchmark::DoNotOptimize(digest);
    if (!digest || digest->bytes[31] != expected.bytes[31]) state.SkipWithError("wrong digest");
  }
}

void recover_signer_ours(benchmark::State& state) {
  const SignedDigest& input = signed_digest();
  const qzr::AccountAddress expected = *qzr::recover_signer_address(input.digest, input.signature);
  for (auto _ : state) {
    const qzr::Result<qzr::AccountAddress> address =
        qzr::recover_signer_address(input.digest, input.signature);
    benchmark::DoNotOptimize(address);
    if (!address || *address != expected) state.SkipWithError("wrong address");
  }
}

void secp256k1_recover_alone(benchmark::State& state) {
  const SignedDigest& input = signed_digest();
  const int recovery_id = input.signature.bytes[64] - 27;
  for (auto _ : state) {
    secp256k1_ecdsa_recoverable_signature parsed;
    secp256k1_pubkey key;
    const int ok = secp256k1_ecdsa_recoverable_signature_parse_compact(
                       library_context(), &parsed, input.signature.bytes.data(), recovery_id) &&
                   secp256k1_ecdsa_recover(library_context(), &key, &parsed, input.digest.bytes.data());
    benchmark::DoNotOptimize(key);
    if (!ok) state.SkipWithError("recovery failed");
  }
}

// One Keccak-256 of a 64-byte message (one block): the unit of the digest's goal.
void keccak256_one_block(benchmark::State& state) {
  std::array<std::uint8_t, 64> message{};
  message[0] = 0x2a;
  for (auto _ : state) {
    benchmark::DoNotOptimize(message);
    const qzr::Keccak256Digest digest = qzr::keccak256(message);
    benchmark::DoNotOptimize(digest);
  }
}

BENCHMARK(order_intent_digest)->ComputeStatistics("min", qzr::bench::minimum);
BENCHMARK(recover_signer_ours)->ComputeStatistics("min", qzr::bench::minimum);
BENCHMARK(secp256k1_recover_alone)->ComputeStatistics("min", qzr::bench::minimum);
BENCHMARK(keccak256_one_block)->ComputeStatistics("min", qzr::bench::minimum);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  // The console report, then the ratio of our recovery to the library's alone.
  qzr::bench::RatioReporter reporter(qzr::bench::RatioReporter::Clock::Cpu);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.print_ratio("recover_signer_ours", "secp256k1_recover_alone");
  benchmark::Shutdown();
  return 0;
}
