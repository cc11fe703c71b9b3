"""Signed requests from Python: OrderIntent.hash_eip712 and recover_signer, beside the C++ figures of
bench_requests (the same order, domain and kind of signature) run in the same script.

Python figures are the median over `--repeats` runs of `timeit` with `--number` calls each (timeit's
loop included, a few ns), the three calls' repeats interleaved. The C++ figures are bench_requests' medians over `--repeats` repetitions
(Google Benchmark). Both sides are CPU time of the process (time.process_time; the benchmark's
cpu_time), which a machine shared with other work disturbs less than wall time. The ratio is Python / C++: what the binding adds (argument parsing, borrowing,
the application context's lock, result objects) on top of the work itself.

Run: PYTHONPATH=<build>/python python3 bench/requests.py [--build build] [--repeats 15] [--number 20000]
The application context is pointed at a deployment of this script's own (chain 1337 and the same
contract as bench_requests), so the digest matches the C++ benchmark's.
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "python"))

import eip712_support as eip712  # noqa: E402 (the test's own signer and encoder)
from bench_deployment import CHAIN_ID, CONTRACT, point_context_at_own_deployment  # noqa: E402 (this folder's)
import peer_table  # noqa: E402 (this folder's)
from qzr_python.common.enums import OrderSide, OrderType  # noqa: E402
from qzr_python.common.requests.intents import OrderIntent  # noqa: E402

KEY = int("42" * 32, 16)
# recover_signer() from Python against the library's recovery alone.
RECOVERY_GOAL = 1.1
# hash_eip712() from Python against this many one-block Keccak-256 hashes plus a fixed allowance.
DIGEST_GOAL_KECCAKS = 4
DIGEST_GOAL_EXTRA_NS = 1000


def signed_order():
    """bench_requests' sample order, signed here; checks that recovery gives the signer."""
    order = OrderIntent("ETHP", "main", OrderSide.Bid, OrderType.Limit, "0x" + "00" * 31 + "2a", "1.5", "1850.25", "0")
    digest = eip712.digest("OrderIntent", order.json["c"], CHAIN_ID, CONTRACT)
    order.signature = eip712.signature_text(*eip712.sign(KEY, digest))
    expected = ("0x" + digest.hex(), eip712.signer_text(eip712.address_of_key(KEY)))
    if order.recover_signer() != expected or order.hash_eip712() != expected[0]:
        sys.exit("recover_signer does not give the signer: nothing to measure")
    return order


def python_medians(order, number, repeats):
    statements = {
        "hash_eip712()": "order.hash_eip712()",
        "hash_eip712(pair)": "order.hash_eip712(pair)",
        "recover_signer()": "order.recover_signer()",
    }
    names = {"order": order, "pair": (CHAIN_ID, CONTRACT)}
    medians = peer_table.interleaved_medians(
        repeats,
        *(peer_table.timed_statement(statement, names, number, time.process_time) for statement in statements.values()),
    )
    return {name: seconds * 1e9 for name, seconds in zip(statements, medians)}


def cpp_medians(build, repeats):
    """Median ns of each bench_requests benchmark, or {} when the binary is not built."""
    binary = os.path.join(build, "bench", "bench_requests")
    if not os.path.exists(binary):
        print(f"({binary} not built: no C++ figures)")
        return {}
    with tempfile.TemporaryDirectory() as directory:
        report = os.path.join(directory, "report.json")
        subprocess.run(
            [binary, f"--benchmark_repetitions={repeats}", "--benchmark_report_aggregates_only=true",
             "--benchmark_enable_random_interleaving=true", f"--benchmark_out={report}",
             "--benchmark_out_format=json"],
            capture_output=True, text=True, check=True,
        )
        with open(report, encoding="utf-8") as file:
            rows = json.load(file)["benchmarks"]
    medians = {}
    for row in rows:
        if row.get("aggregate_name") == "median":
            scale = {"ns": 1, "us": 1e3, "ms": 1e6}[row["time_unit"]]
            medians[row["run_name"]] = row["cpu_time"] * scale
    return medians


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"), help="build folder holding bench/")
    parser.add_argument("--repeats", type=int, default=15, help="repeats (median taken)")
    parser.add_argument("--number", type=int, default=20_000, help="Python calls per repeat")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory() as share:
        point_context_at_own_deployment(share)
        order = signed_order()
        ours = python_medians(order, args.number, args.repeats)
    cpp = cpp_medians(args.build, args.repeats)

    print(peer_table.machine_line())
    print(f"medians of {args.repeats} repeats ({args.number} Python calls each), CPU ns per call\n")
    header = f"{'operation':<20}{'Python':>10}{'C++':>10}{'ratio':>8}  C++ benchmark"
    print(header)
    print("-" * len(header))
    # recover_signer() computes the digest, then recovers: its peer is both benchmarks' sum.
    rows = [
        ("hash_eip712()", ["order_intent_digest"]),
        ("hash_eip712(pair)", ["order_intent_digest"]),
        ("recover_signer()", ["order_intent_digest", "recover_signer_ours"]),
    ]
    for name, peers in rows:
        label = " + ".join(peers)
        if all(peer in cpp for peer in peers):
            peer_ns = sum(cpp[peer] for peer in peers)
            print(f"{name:<20}{ours[name]:>10.0f}{peer_ns:>10.0f}{ours[name] / peer_ns:>8.2f}  {label}")
        else:
            print(f"{name:<20}{ours[name]:>10.0f}{'-':>10}{'-':>8}  {label}")
    if "secp256k1_recover_alone" in cpp:
        alone = cpp["secp256k1_recover_alone"]
        ratio = ours["recover_signer()"] / alone
        print(f"\nlibsecp256k1 parse and recover alone: {alone:.0f} ns; recover_signer() from Python is "
              f"{ratio:.2f} x that (goal {RECOVERY_GOAL}: {'met' if ratio <= RECOVERY_GOAL else 'over'})")
    if "keccak256_one_block" in cpp:
        budget = DIGEST_GOAL_KECCAKS * cpp["keccak256_one_block"] + DIGEST_GOAL_EXTRA_NS
        digest = ours["hash_eip712()"]
        print(f"hash_eip712() from Python: {digest:.0f} ns; goal {DIGEST_GOAL_KECCAKS} Keccak-256 of 64 bytes "
              f"({cpp['keccak256_one_block']:.0f} ns each) + {DIGEST_GOAL_EXTRA_NS} ns = {budget:.0f} ns: "
              f"{'met' if digest <= budget else 'over'}")


if __name__ == "__main__":
    main()
