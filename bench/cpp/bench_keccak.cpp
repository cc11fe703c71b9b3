// Keccak-256 through our keccak256() against Crypto++'s Keccak_256 called directly, for the input
// sizes of the tree's merge (64 bytes) and one byte more. Compare with random interleaving, e.g.
//   bench_keccak --benchmark_repetitions=20 --benchmark_enable_random_interleaving=true
//                --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <cryptopp/keccak.h>

#include <array>
#include <cstdint>
#include <vector>

#include "bench_support.hpp"
#include "values/keccak.hpp"

namespace {

std::vector<std::uint8_t> input_of(std::size_t size) {
  std::vector<std::uint8_t> input(size);
  for (std::size_t i = 0; i < size; ++i) input[i] = static_cast<std::uint8_t>(i * 37 + 11);
  return input;
}

void keccak256_ours(benchmark::State& state) {
  const std::vector<std::uint8_t> input = input_of(static_cast<std::size_t>(state.range(0)));
  const qzr::Keccak256Digest expected = qzr::keccak256(input);
  for (auto _ : state) {
    const qzr::Keccak256Digest digest = qzr::keccak256(input);
    benchmark::DoNotOptimize(digest);
    if (digest[31] != expected[31]) state.SkipWithError("wrong digest");
  }
}

void keccak256_cryptopp_direct(benchmark::State& state) {
  const std::vector<std::uint8_t> input = input_of(static_cast<std::size_t>(state.range(0)));
  const qzr::Keccak256Digest expected = qzr::keccak256(input);
  for (auto _ : state) {
    std::array<std::uint8_t, 32> digest;
    CryptoPP::Keccak_256 hash;
    hash.Update(input.data(), input.size());
    hash.TruncatedFinal(digest.data(), digest.size());
    benchmark::DoNotOptimize(digest);
    if (digest[31] != expected[31]) state.SkipWithError("wrong digest");
  }
}

void keccak256_hasher_ours(benchmark::State& state) {
  const std::vector<std::uint8_t> input = input_of(static_cast<std::size_t>(state.range(0)));
  const qzr::Keccak256Digest expected = qzr::keccak256(input);
  qzr::Keccak256Hasher hasher;
  for (auto _ : state) {
    hasher.update(input);
    const qzr::Keccak256Digest digest = hasher.finalize();
    benchmark::DoNotOptimize(digest);
    if (digest[31] != expected[31]) state.SkipWithError("wrong digest");
  }
}

BENCHMARK(keccak256_ours)->Arg(64)->Arg(65)->ComputeStatistics("min", qzr::bench::minimum);
BENCHMARK(keccak256_cryptopp_direct)->Arg(64)->Arg(65)->ComputeStatistics("min", qzr::bench::minimum);
BENCHMARK(keccak256_hasher_ours)->Arg(64)->Arg(65)->ComputeStatistics("min", qzr::bench::minimum);

}  // namespace

BENCHMARK_MAIN();
