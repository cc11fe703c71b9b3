// The tree engine at 10^4, 10^5 and 10^6 leaves of a Stats-sized toy value:
//   - update: a random stored key gets a new value; the Keccak calls that update makes (one value
//     hash, one leaf hash, one merge per split on the key's path) are counted beforehand and timed
//     again on their own right after the loop (both in thread CPU time); the counters give both and their
//     ratio, and at the largest size the growth of each since the smallest (run in the same process);
//   - bytes of resident memory per leaf, measured while building the tree;
//   - a compiled proof of 1,000 random stored keys.
// Run e.g. bench_tree --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <vector>

#include "tree/sparse_merkle_tree.hpp"
#include "values/debug_shapes.hpp"
#include "values/keccak.hpp"

namespace qzr::tree {

// The size of a Stats record in an item: a kind byte and two 16-byte decimals.
struct StatsSizedValue {
  std::uint8_t kind = 0;
  std::array<std::uint8_t, 16> maker{};
  std::array<std::uint8_t, 16> taker{};
};

// Its value hash is Keccak-256 of three 32-byte words, as a Stats item's ABI value is.
template <>
struct TreeValueTraits<StatsSizedValue> {
  static H256 value_hash(const StatsSizedValue& value) {
    if (value.kind == 0) return H256();
    std::array<std::uint8_t, 96> encoded{};
    encoded[31] = value.kind;
    std::memcpy(&encoded[48], value.maker.data(), 16);
    std::memcpy(&encoded[80], value.taker.data(), 16);
    return H256(keccak256(encoded));
  }
  static std::string debug_text(const StatsSizedValue& value) {
    return debug_tuple("Stats", std::to_string(value.kind));
  }
  static constexpr std::string_view type_path = "bench::StatsSizedValue";
};

namespace {

using Tree = SparseMerkleTree<StatsSizedValue>;

std::uint64_t splitmix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

// The i-th stored key: pseudo-random, so nothing has to keep the list.
H256 stored_key(std::uint64_t index) {
  std::uint64_t state = index * 4 + 1;
  H256::Bytes bytes;
  for (int word = 0; word < 4; ++word) {
    const std::uint64_t value = splitmix(state);
    std::memcpy(&bytes[word * 8], &value, 8);
  }
  return H256(bytes);
}

StatsSizedValue value_of(std::uint64_t seed) {
  StatsSizedValue value;
  value.kind = 7;
  std::memcpy(value.maker.data(), &seed, sizeof seed);
  value.taker[0] = 1;
  return value;
}

// This thread's CPU time in nanoseconds: on a shared machine, time spent waiting for a core is not
// counted against either side of a ratio.
double thread_cpu_ns() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return double(now.tv_sec) * 1e9 + double(now.tv_nsec);
}

std::size_t resident_bytes() {
  std::ifstream statm("/proc/self/statm");
  std::size_t size = 0, resident = 0;
  statm >> size >> resident;
  return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// One tree at a time, built on first use of its size.
struct BuiltTree {
  std::size_t leaves = 0;
  std::unique_ptr<Tree> tree;
  double resident_bytes_per_leaf = 0;
};

Tree& tree_of(std::size_t leaves, double& bytes_per_leaf) {
  static BuiltTree built;
  if (built.leaves != leaves || !built.tree) {
    built.tree.reset();
    const std::size_t before = resident_bytes();
    built.tree = std::make_unique<Tree>();
    for (std::size_t i = 0; i < leaves; ++i) {
      if (!built.tree->update(stored_key(i), value_of(i))) std::abort();
    }
    built.resident_bytes_per_leaf = double(resident_bytes() - before) / double(leaves);
    built.leaves = leaves;
  }
  bytes_per_leaf = built.resident_bytes_per_leaf;
  return *built.tree;
}

void tree_update(benchmark::State& state) {
  const std::size_t leaves = static_cast<std::size_t>(state.range(0));
  double bytes_per_leaf = 0;
  Tree& tree = tree_of(leaves, bytes_per_leaf);

  // A fixed cycle of random stored keys, and the number of merges each one's update hashes: one
  // per non-empty sibling on its path, which is its single-key proof's sibling count.
  constexpr std::size_t cycle = 4096;
  std::uint64_t random = 12345;
  std::vector<H256> keys(cycle);
  std::vector<std::size_t> merges(cycle);
  for (std::size_t i = 0; i < cycle; ++i) {
    keys[i] = stored_key(splitmix(random) % leaves);
    merges[i] = tree.merkle_proof({keys[i]}).value().proof.size();
  }

  static std::uint64_t next_value = 1;  // every run stores values not seen before
  std::size_t iterations = 0;
  H256 previous = tree.root();
  const double start = thread_cpu_ns();
  for (auto _ : state) {
    const auto root = tree.update(keys[iterations % cycle], value_of(next_value++));
    if (!root || *root == previous) {
      state.SkipWithError("the root did not change");
      break;
    }
    previous = *root;
    ++iterations;
  }
  const double update_ns = (thread_cpu_ns() - start) / double(iterations);

  // The same Keccak calls on their own: a 96-byte value hash and a 64-byte hash per leaf and merge.
  std::size_t keccak_calls = 0;
  std::array<std::uint8_t, 96> value_input{};
  std::array<std::uint8_t, 64> pair_input{};
  const double keccak_start = thread_cpu_ns();
  for (std::size_t i = 0; i < iterations; ++i) {
    value_input[0] = static_cast<std::uint8_t>(i);
    Keccak256Digest digest = keccak256(value_input);
    for (std::size_t call = 0; call < 1 + merges[i % cycle]; ++call) {
      std::memcpy(pair_input.data(), digest.data(), 32);
      digest = keccak256(pair_input);
    }
    benchmark::DoNotOptimize(digest);
    keccak_calls += 2 + merges[i % cycle];
  }
  const double keccak_ns = (thread_cpu_ns() - keccak_start) / double(iterations);

  state.counters["keccak_calls"] = double(keccak_calls) / double(iterations);
  state.counters["keccak_ns"] = keccak_ns;
  state.counters["update_ns"] = update_ns;
  state.counters["update_per_keccak"] = update_ns / keccak_ns;
  state.counters["resident_bytes_per_leaf"] = bytes_per_leaf;

  // The growth from the smallest size timed so far in this process to this one: update time,
  // Keccak time and Keccak calls (which grow as log n), so that faster-than-log growth shows.
  struct Timed {
    std::size_t leaves = 0;
    double update_ns = 0, keccak_ns = 0, keccak_calls = 0;
  };
  static Timed smallest;
  if (smallest.leaves == 0 || leaves <= smallest.leaves) {
    smallest = {leaves, update_ns, keccak_ns, double(keccak_calls) / double(iterations)};
  } else {
    state.counters["growth_leaves"] = double(leaves) / double(smallest.leaves);
    state.counters["growth_update"] = update_ns / smallest.update_ns;
    state.counters["growth_keccak"] = keccak_ns / smallest.keccak_ns;
    state.counters["growth_keccak_calls"] = double(keccak_calls) / double(iterations) / smallest.keccak_calls;
  }
}

std::vector<std::vector<H256>> random_key_sets(std::size_t leaves) {
  std::uint64_t random = 777;
  std::vector<std::vector<H256>> key_sets(8, std::vector<H256>(1000));
  for (auto& keys : key_sets) {
    for (H256& key : keys) key = stored_key(splitmix(random) % leaves);
  }
  return key_sets;
}

// Times `prove(tree, keys)` over 1,000 random stored keys at state.range(0) leaves, cycling
// through a few key sets; `proved` says whether the result is a proof at all.
template <class Prove, class Proved>
void time_proofs_of_1000_keys(benchmark::State& state, Prove prove, Proved proved) {
  const std::size_t leaves = static_cast<std::size_t>(state.range(0));
  double bytes_per_leaf = 0;
  const Tree& tree = tree_of(leaves, bytes_per_leaf);
  const auto key_sets = random_key_sets(leaves);
  std::size_t round = 0;
  for (auto _ : state) {
    const auto proof = prove(tree, key_sets[round++ % key_sets.size()]);
    if (!proved(proof)) {
      state.SkipWithError("no proof");
      break;
    }
    benchmark::DoNotOptimize(proof);
  }
}

void tree_proof_of_1000_keys(benchmark::State& state) {
  time_proofs_of_1000_keys(
      state, [](const Tree& tree, const std::vector<H256>& keys) { return tree.compiled_merkle_proof(keys); },
      [](const auto& proof) { return proof && proof->bytes.size() >= 1000; });
}

// The uncompiled proof alone (walks and assembly, no leaves), to tell the parts apart.
void tree_raw_proof_of_1000_keys(benchmark::State& state) {
  time_proofs_of_1000_keys(
      state, [](const Tree& tree, const std::vector<H256>& keys) { return tree.merkle_proof(keys); },
      [](const auto& raw) { return raw && !raw->proof.empty(); });
}

BENCHMARK(tree_update)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(tree_proof_of_1000_keys)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(tree_raw_proof_of_1000_keys)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qzr::tree

BENCHMARK_MAIN();
