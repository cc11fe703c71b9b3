// The state tree (the engine on Item) at 10^5 Stats leaves under stats keys: the update of a
// random stored key with a new record, as VelmarindSMT.store_stats makes it, without Python.
// bench/tree.py runs it beside the Python store to show what the Python boundary costs.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "tree/state_tree.hpp"

namespace qzr::tree {
namespace {

Stats stats_of(std::uint64_t seed) {
  return Stats{UnscaledI128{Decimal::from_i64(static_cast<std::int64_t>(seed % 1'000'000'000 + 1))},
               UnscaledI128{Decimal::one()}};
}

void state_tree_update(benchmark::State& state) {
  const std::size_t leaves = static_cast<std::size_t>(state.range(0));
  std::mt19937_64 random(1);
  std::vector<StatsKey> keys(leaves);
  StateTree tree;
  for (std::size_t i = 0; i < leaves; ++i) {
    for (auto& byte : keys[i].trader.bytes) byte = static_cast<std::uint8_t>(random());
    keys[i].trader.bytes[0] = 0;
    if (!store_record<Stats>(tree, keys[i], stats_of(random()))) std::abort();
  }
  H256 previous = tree.root();
  for (auto _ : state) {
    const auto root = store_record<Stats>(tree, keys[random() % leaves], stats_of(random()));
    if (!root || *root == previous) {
      state.SkipWithError("the root did not change");
      break;
    }
    previous = *root;
  }
}

BENCHMARK(state_tree_update)->Arg(100'000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qzr::tree

BENCHMARK_MAIN();
