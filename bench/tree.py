"""VelmarindSMT from Python on a tree of 10^5 leaves, beside the engine's own update figure.

Run: PYTHONPATH=build/python /usr/bin/python3 bench/tree.py [BUILD_DIR]
Times, as the median over repeats:
  - store_trader of a new record under a random stored key (and root());
  - merkle_proof of 1,000 random stored keys;
  - a full listing (all_traders), and all_prices_for_symbol where the class has it.
Then runs BUILD_DIR/bench/bench_tree (default build/) for the C++ update at 10^5 leaves of a
Stats-sized value, and prints the ratio of the Python store to it (goal: at most 1.2). A Trader's
item ABI value is 160 bytes, two Keccak blocks where the engine benchmark's value has one, so the
ratio includes one Keccak permutation more than the C++ figure.
"""

import json
import random
import statistics
import subprocess
import sys
import time
from pathlib import Path

from qzr_python.common.state import Trader, VelmarindSMT
from qzr_python.common.state.keys import TraderKey

LEAVES = 100_000
REPEATS = 7
STORES = 20_000


def trader_key(rng):
    return TraderKey("0x00" + rng.randbytes(20).hex())


def trader(rng):
    return Trader(rng.randrange(10**9), rng.randrange(10**6), rng.randbytes(20).hex(), rng.random() < 0.5)


def median_ns(run, calls):
    times = []
    for _ in range(REPEATS):
        start = time.perf_counter_ns()
        run()
        times.append((time.perf_counter_ns() - start) / calls)
    return statistics.median(times)


def cpp_update_ns(build_dir):
    binary = Path(build_dir) / "bench" / "bench_tree"
    output = subprocess.run(
        [str(binary), "--benchmark_filter=^tree_update/100000$", "--benchmark_format=json",
         f"--benchmark_repetitions={REPEATS}"],
        capture_output=True, text=True, check=True,
    ).stdout
    runs = [b["update_ns"] for b in json.loads(output)["benchmarks"] if b.get("run_type") == "iteration"]
    return statistics.median(runs)


def main():
    build_dir = sys.argv[1] if len(sys.argv) > 1 else "build"
    rng = random.Random(1)
    tree = VelmarindSMT()
    keys = [trader_key(rng) for _ in range(LEAVES)]
    for key in keys:
        tree.store_trader(key, trader(rng))

    # New records under random stored keys: every store rewrites one path.
    batches = [[(rng.choice(keys), trader(rng)) for _ in range(STORES)] for _ in range(REPEATS)]
    batch_iter = iter(batches)

    def stores():
        store = tree.store_trader
        for key, record in next(batch_iter):
            store(key, record)

    store_ns = median_ns(stores, STORES)
    root_ns = median_ns(lambda: [tree.root() for _ in range(STORES)], STORES)

    proof_keys = [[key.encode_key() for key in rng.sample(keys, 1000)] for _ in range(REPEATS)]
    proof_iter = iter(proof_keys)
    proof_ms = median_ns(lambda: tree.merkle_proof(next(proof_iter)), 1) / 1e6
    listing_ms = median_ns(tree.all_traders, 1) / 1e6

    cpp_ns = cpp_update_ns(build_dir)
    print(f"{LEAVES} leaves, median of {REPEATS} repeats")
    print(f"Python store_trader            {store_ns / 1000:9.2f} us/call")
    print(f"C++ engine update (bench_tree) {cpp_ns / 1000:9.2f} us/call")
    print(f"ratio Python store / C++       {store_ns / cpp_ns:9.2f}   (goal <= 1.2)")
    print(f"Python root()                  {root_ns:9.1f} ns/call")
    print(f"merkle_proof of 1,000 keys     {proof_ms:9.2f} ms")
    print(f"all_traders over {LEAVES} leaves {listing_ms:9.2f} ms")
    if hasattr(tree, "all_prices_for_symbol"):
        symbol_ms = median_ns(lambda: tree.all_prices_for_symbol("ETHP"), 1) / 1e6
        print(f"all_prices_for_symbol          {symbol_ms:9.2f} ms")


if __name__ == "__main__":
    main()
