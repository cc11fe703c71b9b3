// The state tree (the engine on Item) at 10^5 leaves of one kind: the update of a random stored key
// with a new record, as VelmarindSMT.store_stats and store_price make it, without Python.
// bench/tree.py runs them beside the Python stores to show what the Python boundary costs.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <memory>
#include <random>
#include <string_view>
#include <vector>

#include "tree/state_tree.hpp"

namespace qzr::tree {
namespace {

Stats stats_of(std::uint64_t seed) {
  return Stats{UnscaledI128{Decimal::from_i64(static_cast<std::int64_t>(seed % 1'000'000'000 + 1))},
               UnscaledI128{Decimal::one()}};
}

StatsKey stats_key_of(std::mt19937_64& random) {
  StatsKey key;
  for (auto& byte : key.trader.bytes) byte = static_cast<std::uint8_t>(random());
  key.trader.bytes[0] = 0;
  return key;
}

Price price_of(std::uint64_t seed) {
  return Price::recorded(Decimal::from_i64(static_cast<std::int64_t>(seed % 1'000'000 + 1)),
                         Decimal::from_i64(static_cast<std::int64_t>(seed % 1'000)), seed >> 32,
                         seed & 0xFFFFFFFF);
}

// Ten symbols, as bench/tree.py stores them, and a random index price hash.
PriceKey price_key_of(std::mt19937_64& random) {
  static constexpr std::array<std::string_view, 10> symbols = {"ETHP",  "BTCP", "SOLP", "AVAXP", "DOGEP",
                                                               "LINKP", "ADAP", "DOTP", "XRPP",  "BNBP"};
  PriceKey key;
  key.symbol = product_symbol_from_text(symbols[random() % symbols.size()]).value();
  for (auto& byte : key.index_price_hash.bytes) byte = static_cast<std::uint8_t>(random());
  return key;
}

template <StateRecord R, auto key_of, auto record_of>
void state_tree_update(benchmark::State& state) {
  const std::size_t leaves = static_cast<std::size_t>(state.range(0));
  std::mt19937_64 random(1);
  std::vector<RecordKey<R>> keys;
  keys.reserve(leaves);
  StateTree tree;
  for (std::size_t i = 0; i < leaves; ++i) {
    keys.push_back(key_of(random));
    if (!store_record<R>(tree, keys.back(), record_of(random()))) std::abort();
  }
  H256 previous = tree.root();
  for (auto _ : state) {
    const auto root = store_record<R>(tree, keys[random() % leaves], record_of(random()));
    if (!root || *root == previous) {
      state.SkipWithError("the root did not change");
      break;
    }
    previous = *root;
  }
}

BENCHMARK(state_tree_update<Stats, stats_key_of, stats_of>)
    ->Name("state_tree_update")
    ->Arg(100'000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(state_tree_update<Price, price_key_of, price_of>)
    ->Name("state_tree_update_price")
    ->Arg(100'000)
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qzr::tree

BENCHMARK_MAIN();
