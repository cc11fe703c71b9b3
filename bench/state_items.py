"""Cost per call, from Python, of a Trader's item ABI value and leaf value hash, next to a peer.

Run: PYTHONPATH=build/python /usr/bin/python3 bench/state_items.py
The module exposes no value hash of its own, so the hash is the item ABI value hashed with
pycryptodome's Keccak-256 on both sides. The peer encoder is the pure-Python head and tail ABI
encoder of the tests (tests/python/abi_reference.py), given the trader's fields as they are read
from the object. Prints the median over repeats of ns per call and the ratio peer / ours.
"""

import decimal
import os
import statistics
import sys
import timeit

from Cryptodome.Hash import keccak

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "python"))

import abi_reference as ref  # noqa: E402
from qzr_python.common.state import Item, ItemKind, Trader  # noqa: E402

REPEATS = 15
NUMBER = 20_000


def ns_per_call(statement, namespace):
    timer = timeit.Timer(statement, globals=namespace)
    runs = timer.repeat(repeat=REPEATS, number=NUMBER)
    return statistics.median(runs) / NUMBER * 1e9


def keccak256(data):
    return keccak.new(digest_bits=256, data=data).digest()


def peer_encode(trader):
    return ref.item_value(
        1,
        ref.trader_value(
            decimal.Decimal(str(trader.avail_qzr_balance)),
            decimal.Decimal(str(trader.locked_qzr_balance)),
            bytes.fromhex(trader.referral_address),
            trader.pay_fees_in_qzr,
        ),
    )


def main():
    trader = Trader("1250.123456", "-3.5", "0x" + "ab" * 20, True)
    encoded = trader.abi_encoded_value()
    assert peer_encode(trader) == encoded, "the peer must produce the same bytes"
    namespace = {
        "trader": trader,
        "item": trader.as_item(),
        "encoded": encoded,
        "keccak256": keccak256,
        "peer_encode": peer_encode,
        "Item": Item,
        "ItemKind": ItemKind,
    }
    pairs = [
        ("item ABI value", "trader.abi_encoded_value()", "peer_encode(trader)"),
        ("leaf value hash", "keccak256(trader.abi_encoded_value())", "keccak256(peer_encode(trader))"),
    ]
    singles = [
        ("Item.abi_encoded_value()", "item.abi_encoded_value()"),
        ("Trader.as_item()", "trader.as_item()"),
        ("Item.abi_decode_value_into_item", "Item.abi_decode_value_into_item(ItemKind.Trader, encoded)"),
        ("keccak256 of 160 bytes alone", "keccak256(encoded)"),
    ]
    print(f"median of {REPEATS} repeats x {NUMBER} calls; peer: pure-Python ABI encoder")
    print(f"{'':32s} {'ours':>10s} {'peer':>10s} {'peer/ours':>10s}")
    for label, ours, peer in pairs:
        ours_ns, peer_ns = ns_per_call(ours, namespace), ns_per_call(peer, namespace)
        print(f"{label:32s} {ours_ns:8.1f}ns {peer_ns:8.1f}ns {peer_ns / ours_ns:9.1f}x")
    for label, statement in singles:
        print(f"{label:32s} {ns_per_call(statement, namespace):8.1f}ns")


if __name__ == "__main__":
    main()
