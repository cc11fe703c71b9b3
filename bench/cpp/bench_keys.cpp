// The C++ side of bench/byte_values.py: a position key's hash, its decoder, and the hex reading of
// a trader address, each checked against a value computed before the loop. Run e.g. as
//   bench_keys --benchmark_repetitions=15 --benchmark_enable_random_interleaving=true
//              --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <string>

#include "keys/key_fields.hpp"
#include "keys/tree_key_codec.hpp"
#include "keys/tree_keys.hpp"
#include "values/fixed_bytes.hpp"
#include "values/symbols.hpp"

namespace {

const std::string address_text = "0x00" + std::string(40, '1');

qzr::PositionKey position_key() {
  return qzr::PositionKey{qzr::trader_address_from_hex(address_text).value(),
                          qzr::strategy_id_hash_from_hex("0xdeadbeef").value(),
                          qzr::product_symbol_from_text("ETHP").value()};
}

void position_key_hash(benchmark::State& state) {
  const qzr::PositionKey key = position_key();
  const std::uint64_t expected = qzr::key_hash(key);
  for (auto _ : state) {
    benchmark::DoNotOptimize(&key);
    const std::uint64_t hash = qzr::key_hash(key);
    benchmark::DoNotOptimize(hash);
    if (hash != expected) state.SkipWithError("wrong hash");
  }
}

void position_key_decode(benchmark::State& state) {
  const qzr::PositionKey key = position_key();
  const qzr::H256 encoded = qzr::encode_position_key(key);
  for (auto _ : state) {
    benchmark::DoNotOptimize(&encoded);
    const qzr::Result<qzr::PositionKey> decoded = qzr::parse_position_key(encoded);
    benchmark::DoNotOptimize(&decoded);
    if (!decoded || *decoded != key) state.SkipWithError("wrong key");
  }
}

void trader_address_hex(benchmark::State& state) {
  const qzr::TraderAddress expected = qzr::trader_address_from_hex(address_text).value();
  for (auto _ : state) {
    benchmark::DoNotOptimize(address_text.data());
    const qzr::Result<qzr::TraderAddress> address = qzr::trader_address_from_hex(address_text);
    benchmark::DoNotOptimize(&address);
    if (!address || *address != expected) state.SkipWithError("wrong address");
  }
}

}  // namespace

BENCHMARK(position_key_hash);
BENCHMARK(position_key_decode);
BENCHMARK(trader_address_hex);
BENCHMARK_MAIN();
