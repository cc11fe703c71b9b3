"""VelmarindSMT from Python on trees of 10^5 leaves, beside the engine's own update figure.

Run: PYTHONPATH=build/python /usr/bin/python3 bench/tree.py [BUILD_DIR]
Times, as the median over repeats, on a tree of 10^5 leaves of one kind:
  - a store of a new record under a random stored key (store_stats, whose 96-byte item ABI value
    is the size of the engine benchmark's value, and store_trader, 160 bytes: one Keccak block
    more), and root();
  - merkle_proof of 1,000 random stored keys;
  - a full listing of the kind, and on the tree of prices (10 markets) all_prices_for_symbol.
Then runs, from BUILD_DIR/bench (default build/), bench_tree for the engine's update at 10^5
leaves of a Stats-sized toy value, and prints the ratio of each Python store to it (goal: at most
1.2); and bench_state_tree for the same update on the state tree with Stats items and with Price
items, the C++ side of store_stats and store_price, so that the cost of the Python boundary shows
apart from that of the items (the state tree figure of a kind is its own where there is one).
"""

import json
import random
import statistics
import subprocess
import sys
from pathlib import Path

import peer_table
from qzr_python.common.state import Price, Stats, Trader, VelmarindSMT
from qzr_python.common.state.keys import PriceKey, StatsKey, TraderKey

LEAVES = 100_000
REPEATS = 7
STORES = 20_000


SYMBOLS = ["ETHP", "BTCP", "SOLP", "AVAXP", "DOGEP", "LINKP", "ADAP", "DOTP", "XRPP", "BNBP"]


def address(rng):
    return "0x00" + rng.randbytes(20).hex()


# (store method, key maker, record maker, listing method)
KINDS = [
    ("store_stats", lambda rng: StatsKey(address(rng)), lambda rng: Stats(rng.randrange(1, 10**9), rng.randrange(10**6)),
     "all_stats"),
    (
        "store_trader",
        lambda rng: TraderKey(address(rng)),
        lambda rng: Trader(rng.randrange(10**9), rng.randrange(10**6), rng.randbytes(20).hex(), rng.random() < 0.5),
        "all_traders",
    ),
    (
        "store_price",
        lambda rng: PriceKey(rng.choice(SYMBOLS), "0x" + rng.randbytes(25).hex()),
        lambda rng: Price(rng.randrange(1, 10**6), rng.randrange(10**3), rng.randrange(2**32), rng.randrange(2**32)),
        "all_prices",
    ),
]


def median_ns(run, calls):
    """The median over REPEATS runs of `run`, in ns per each of its `calls`."""
    (seconds,) = peer_table.interleaved_medians(REPEATS, peer_table.timed_call(run, calls))
    return seconds * 1e9


def cpp_update_ns(build_dir, binary, benchmark, figure):
    """The median over repeats of one figure of a C++ benchmark, in ns per update."""
    output = subprocess.run(
        [str(Path(build_dir) / "bench" / binary), f"--benchmark_filter=^{benchmark}$", "--benchmark_format=json",
         f"--benchmark_repetitions={REPEATS}"],
        capture_output=True, text=True, check=True,
    ).stdout
    runs = [b[figure] for b in json.loads(output)["benchmarks"] if b.get("run_type") == "iteration"]
    scale = 1000 if figure == "real_time" else 1  # the benchmark's unit is microseconds
    return statistics.median(runs) * scale


def measure(store_name, make_key, make_record, listing_name):
    rng = random.Random(1)
    tree = VelmarindSMT()
    store = getattr(tree, store_name)
    keys = [make_key(rng) for _ in range(LEAVES)]
    for key in keys:
        store(key, make_record(rng))

    # New records under random stored keys: every store rewrites one path.
    batches = iter([[(rng.choice(keys), make_record(rng)) for _ in range(STORES)] for _ in range(REPEATS)])

    def stores():
        for key, record in next(batches):
            store(key, record)

    proofs = iter([[key.encode_key() for key in rng.sample(keys, 1000)] for _ in range(REPEATS)])
    return {
        "store_ns": median_ns(stores, STORES),
        "root_ns": median_ns(lambda: [tree.root() for _ in range(STORES)], STORES),
        "proof_ms": median_ns(lambda: tree.merkle_proof(next(proofs)), 1) / 1e6,
        "listing_ms": median_ns(getattr(tree, listing_name), 1) / 1e6,
        "symbol_ms": median_ns(lambda: tree.all_prices_for_symbol("ETHP"), 1) / 1e6
        if store_name == "store_price" else None,
    }


def main():
    build_dir = sys.argv[1] if len(sys.argv) > 1 else "build"
    results = [(kind, measure(*kind)) for kind in KINDS]
    cpp_ns = cpp_update_ns(build_dir, "bench_tree", "tree_update/100000", "update_ns")
    state_ns = cpp_update_ns(build_dir, "bench_state_tree", "state_tree_update/100000", "real_time")
    price_state_ns = cpp_update_ns(build_dir, "bench_state_tree", "state_tree_update_price/100000", "real_time")
    print(peer_table.machine_line())
    print(f"trees of {LEAVES} leaves, median of {REPEATS} repeats")
    print(f"C++ engine update, Stats-sized toy value (bench_tree)  {cpp_ns / 1000:8.2f} us")
    print(f"C++ state tree update, Stats item (bench_state_tree)    {state_ns / 1000:8.2f} us")
    print(f"C++ state tree update, Price item (bench_state_tree)    {price_state_ns / 1000:8.2f} us")
    for (store_name, _, _, listing_name), result in results:
        own_state_ns = price_state_ns if store_name == "store_price" else state_ns
        print(f"{store_name}:")
        print(f"  store        {result['store_ns'] / 1000:8.2f} us   ratio to the engine {result['store_ns'] / cpp_ns:5.2f}"
              f" (goal <= 1.2), to the state tree {result['store_ns'] / own_state_ns:5.2f}")
        print(f"  root()       {result['root_ns']:8.1f} ns")
        print(f"  merkle_proof of 1,000 keys {result['proof_ms']:8.2f} ms")
        print(f"  {listing_name} {result['listing_ms']:8.2f} ms")
        if result["symbol_ms"] is not None:
            print(f"  all_prices_for_symbol {result['symbol_ms']:8.2f} ms")


if __name__ == "__main__":
    main()
