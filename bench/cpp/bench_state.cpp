// The leaf value hash of every record kind (item ABI encoding, then Keccak-256) against Keccak-256
// alone over the same bytes, in the same run; the table at the end gives encode + hash over hash
// alone per kind (goal: at most 1.5, i.e. encoding adds at most half of the hash's cost). Compare
// with repetitions and random interleaving on a shared machine, e.g.
//   bench_state --benchmark_repetitions=15 --benchmark_enable_random_interleaving=true
//               --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "bench_support.hpp"
#include "state/item_abi.hpp"
#include "values/keccak.hpp"

namespace {

using namespace qzr;

Decimal decimal(std::string_view text) { return parse_decimal_text(text).value(); }
UnscaledI128 amount(std::string_view text) { return UnscaledI128{decimal(text)}; }

template <class Fixed>
Fixed filled(std::uint8_t fill) {
  Fixed value;
  value.bytes.fill(fill);
  return value;
}

Balance two_tokens() {
  Balance balance;
  balance.assign_or_fault(filled<TokenAddress>(0xa1), decimal("12345.678901"));
  balance.assign_or_fault(filled<TokenAddress>(0xb2), decimal("-0.5"));
  return balance;
}

// One typical record of each kind, with every field set.
std::vector<Item> sample_items() {
  Strategy strategy;
  strategy.strategy_id = strategy_id_from_text("main").value();
  strategy.avail_collateral = two_tokens();
  strategy.locked_collateral.assign_or_fault(filled<TokenAddress>(0xa1), decimal("10"));
  NextBookOrdinals ordinals;
  for (std::string_view text : {"ETHP", "BTCP", "SOLP", "ABP"}) {
    ordinals.insert_or_assign(product_symbol_from_text(text).value(), 1000);
  }
  return {
      Item(Trader{amount("1500.25"), amount("20"), filled<AccountAddress>(0x33), true}),
      Item(strategy),
      Item(Position{PositionSide::Long, amount("1.5"), amount("2000.123456")}),
      Item(BookOrder{OrderSide::Ask, amount("0.25"), amount("1999.5"), filled<TraderAddress>(0x44),
                     filled<StrategyIdHash>(0x55), 123456, 1700000000}),
      Item(Price{amount("2000.5"), amount("-0.25"), 42, 1700000000}),
      Item(InsuranceFund{two_tokens()}),
      Item(Stats{amount("100000.5"), amount("250000.75")}),
      Item(Signer{filled<ReleaseHash>(0xab)}),
      Item(Specs{SpecsExpr{"(SingleNamePerpetual :name \"ETHP\" :underlying \"ETH\" :tick-size 0.1)"}}),
      Item(InsuranceFundContribution{two_tokens(), two_tokens()}),
      Item(FeePool{two_tokens()}),
      Item(EpochMetadata{ordinals}),
  };
}

void encode_and_hash(benchmark::State& state, const Item& item) {
  const H256 expected = item_value_hash(item);
  for (auto _ : state) {
    const H256 digest = item_value_hash(item);
    benchmark::DoNotOptimize(digest);
    if (digest.bytes()[0] != expected.bytes()[0]) state.SkipWithError("wrong digest");
  }
  state.counters["bytes"] = static_cast<double>(item_abi_encoded_value(item).size());
}

void hash_only(benchmark::State& state, const Item& item) {
  const std::vector<std::uint8_t> bytes = item_abi_encoded_value(item);
  const H256 expected = item_value_hash(item);
  for (auto _ : state) {
    const Keccak256Digest digest = keccak256(bytes);
    benchmark::DoNotOptimize(digest);
    if (digest[0] != expected.bytes()[0]) state.SkipWithError("wrong digest");
  }
}

// Encode + hash over hash alone, per kind, from the figures of one run.
void print_ratios(const bench::RatioReporter& reporter, const std::vector<std::string>& kinds) {
  std::printf("\n%-28s %14s %14s %8s\n", "kind", "encode+hash ns", "hash only ns", "ratio");
  for (const std::string& kind : kinds) {
    const std::optional<double> both = reporter.figure("encode_and_hash/" + kind);
    const std::optional<double> hash = reporter.figure("hash_only/" + kind);
    if (!both || !hash) continue;
    std::printf("%-28s %14.1f %14.1f %8.2f\n", kind.c_str(), *both, *hash, *both / *hash);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<Item> items = sample_items();
  std::vector<std::string> kinds;
  for (const Item& item : items) {
    const std::string kind(item_kind_name(item.kind()));
    kinds.push_back(kind);
    benchmark::RegisterBenchmark(("encode_and_hash/" + kind).c_str(), encode_and_hash, item);
    benchmark::RegisterBenchmark(("hash_only/" + kind).c_str(), hash_only, item);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  bench::RatioReporter reporter(bench::RatioReporter::Clock::Real);
  benchmark::RunSpecifiedBenchmarks(&reporter);
  print_ratios(reporter, kinds);
  benchmark::Shutdown();
  return 0;
}
