"""Cost per call, from Python, of the byte values and keys against plain-Python peers.

Each row times our statement and its peer in the same process, their repeats interleaved, and
prints the medians (ns per call, timeit's loop included) and the ratio ours/peer; the goal is a
ratio of at most 1.0 for every row that has a peer. Rows without a peer are printed for scale.

Run: PYTHONPATH=build/python /usr/bin/python3 bench/byte_values.py [--repeats 15] [--number 200000]
"""

import argparse
import os
import platform
import statistics
import struct
import sys
import timeit

from qzr_python.common import ProductSymbol
from qzr_python.common.state.keys import PositionKey, TraderKey
from qzr_python.h256 import H256

GOAL = 1.0

ADDRESS = "0x00" + "11" * 20
H256_BYTES = bytes(range(32))


class PlainPython:
    def get_bit(self, i):
        return i


def namespace():
    key = PositionKey(ADDRESS, "0xdeadbeef", "ETHP")
    return {
        "h": H256.from_bytes(H256_BYTES),
        "other": H256.zero(),
        "raw": H256_BYTES,
        "ProductSymbol": ProductSymbol,
        "PositionKey": PositionKey,
        "TraderKey": TraderKey,
        "key": key,
        "encoded": key.encode_key(),
        "address": ADDRESS,
        "address_digits": ADDRESS[2:],
        "plain": PlainPython(),
        "fields": (bytes.fromhex(ADDRESS[2:]), b"\xde\xad\xbe\xef", "ETHP"),
        "unpack": struct.Struct(">B6s21s4s").unpack,
        "fromhex": bytes.fromhex,
    }


# (name, our statement, the peer's statement or None): the peers are what a service would write
# in plain Python for the same job.
ROWS = [
    ("hash(PositionKey)", "hash(key)", "hash(fields)"),
    ("PositionKey.decode_key", "PositionKey.decode_key(encoded)", "unpack(raw)"),
    ("TraderKey(hex)", "TraderKey(address)", "fromhex(address_digits)"),
    ("str(H256)", "str(h)", "raw.hex()"),
    ("H256.get_bit(200)", "h.get_bit(200)", "plain.get_bit(200)"),
    ("H256.fork_height(other)", "h.fork_height(other)", None),
    ('ProductSymbol("ETHP")', 'ProductSymbol("ETHP")', None),
]


def medians(ours, peer, number, repeats):
    names = namespace()
    ours_timer = timeit.Timer(ours, globals=names)
    peer_timer = timeit.Timer(peer, globals=names) if peer else None
    ours_runs, peer_runs = [], []
    for _ in range(repeats):
        if peer_timer:
            peer_runs.append(peer_timer.timeit(number))
        ours_runs.append(ours_timer.timeit(number))
    to_ns = 1e9 / number
    return statistics.median(ours_runs) * to_ns, (statistics.median(peer_runs) * to_ns if peer_runs else None)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeats", type=int, default=15, help="timeit repeats (median taken)")
    parser.add_argument("--number", type=int, default=200_000, help="calls per repeat")
    args = parser.parse_args()

    names = namespace()
    if PositionKey.decode_key(names["encoded"]) != names["key"]:
        sys.exit("decode_key does not give the encoded key back")
    if str(names["h"]) != "0x" + H256_BYTES.hex() or TraderKey(ADDRESS).encode_key() is None:
        sys.exit("str(H256) differs from its bytes' hex text")

    print(f"Python {platform.python_version()}, {os.cpu_count()} CPUs")
    print(f"median of {args.repeats} repeats x {args.number} calls, ns per call\n")
    header = f"{'operation':<26}{'ours':>9}{'peer':>9}{'ratio':>8}  goal <= {GOAL}"
    print(header)
    print("-" * len(header))
    for name, ours, peer in ROWS:
        ours_ns, peer_ns = medians(ours, peer, args.number, args.repeats)
        if peer_ns is None:
            print(f"{name:<26}{ours_ns:>9.1f}")
            continue
        ratio = ours_ns / peer_ns
        print(f"{name:<26}{ours_ns:>9.1f}{peer_ns:>9.1f}{ratio:>8.2f}  {'ok' if ratio <= GOAL else 'over'}")


if __name__ == "__main__":
    main()
