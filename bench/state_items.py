"""Cost per call, from Python, of a Trader's item ABI value and leaf value hash, next to a peer.

Run: PYTHONPATH=build/python /usr/bin/python3 bench/state_items.py [--repeats 15] [--number 20000]
The module exposes no value hash of its own, so the hash is the item ABI value hashed with
pycryptodome's Keccak-256 on both sides. The peer encoder is the pure-Python head and tail ABI
encoder of the tests (tests/python/abi_reference.py), given the trader's fields as they are read
from the object. Our call and the peer's are timed in the same run, their repeats interleaved;
prints the median over repeats of ns per call and the ratio peer / ours.
"""

import decimal
import os
import sys

from Cryptodome.Hash import keccak

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "python"))

import abi_reference as ref  # noqa: E402
import peer_table  # noqa: E402 (this folder's)
from qzr_python.common.state import Item, ItemKind, Trader  # noqa: E402

NUMBER = 20_000


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
    args = peer_table.arguments(__doc__.splitlines()[0], NUMBER)
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
    print(peer_table.machine_line())
    print(f"median of {args.repeats} repeats x {args.number} calls; peer: pure-Python ABI encoder")
    print(f"{'':32s} {'ours':>10s} {'peer':>10s} {'peer/ours':>10s}")
    for label, ours, peer in pairs:
        ours_s, peer_s = peer_table.interleaved_medians(
            args.repeats,
            peer_table.timed_statement(ours, namespace, args.number),
            peer_table.timed_statement(peer, namespace, args.number),
        )
        print(f"{label:32s} {ours_s * 1e9:8.1f}ns {peer_s * 1e9:8.1f}ns {peer_s / ours_s:9.1f}x")
    for label, statement in singles:
        (alone_s,) = peer_table.interleaved_medians(
            args.repeats, peer_table.timed_statement(statement, namespace, args.number))
        print(f"{label:32s} {alone_s * 1e9:8.1f}ns")


if __name__ == "__main__":
    main()
