"""Cost per call, from Python, of the byte values and keys against plain-Python peers.

Each row times our statement and its peer in the same process, their repeats interleaved, and
prints the medians (ns per call, timeit's loop included) and the ratio ours/peer; the goal is a
ratio of at most 1.0 for every row that has a peer. Rows without a peer are printed for scale.

Run: PYTHONPATH=build/python /usr/bin/python3 bench/byte_values.py [--repeats 15] [--number 200000]
"""

import struct
import sys

import peer_table
from qzr_python.common import ProductSymbol
from qzr_python.common.state.keys import EpochMetadataKey, PositionKey, TraderKey
from qzr_python.h256 import H256

GOAL = 1.0
# A class method binds a new method object at every call, which Struct.unpack, fetched once, does not.
DECODE_GOAL = 1.2

ADDRESS = "0x00" + "11" * 20
H256_BYTES = bytes(range(32))


class PlainPython:
    def get_bit(self, i):
        return i


def namespace():
    key = PositionKey(ADDRESS, "0xdeadbeef", "ETHP")
    trader_key = TraderKey(ADDRESS).encode_key()
    epoch_key = EpochMetadataKey(5).encode_key()
    return {
        "h": H256.from_bytes(H256_BYTES),
        "same": H256.from_bytes(H256_BYTES),
        "other": H256.zero(),
        # The same values as ints: an equal one that is another object, and an unequal one.
        "h_int": int.from_bytes(H256_BYTES, "big"),
        "same_int": int.from_bytes(H256_BYTES, "big"),
        "other_int": 0,
        "raw": H256_BYTES,
        "ProductSymbol": ProductSymbol,
        "PositionKey": PositionKey,
        "TraderKey": TraderKey,
        "key": key,
        "equal_key": PositionKey(ADDRESS, "0xdeadbeef", "ETHP"),
        "encoded": key.encode_key(),
        "EpochMetadataKey": EpochMetadataKey,
        "trader_key": trader_key,
        "trader_raw": trader_key.as_bytes(),
        "unpack_trader": struct.Struct(">B21s10x").unpack,
        "epoch_key": epoch_key,
        "epoch_raw": epoch_key.as_bytes(),
        "unpack_epoch": struct.Struct(">BQ23x").unpack,
        "address": ADDRESS,
        "address_digits": ADDRESS[2:],
        "plain": PlainPython(),
        "fields": (bytes.fromhex(ADDRESS[2:]), b"\xde\xad\xbe\xef", "ETHP"),
        "equal_fields": (bytes.fromhex(ADDRESS[2:]), b"\xde\xad\xbe\xef", "".join(["ET", "HP"])),
        "unpack": struct.Struct(">B6s21s4s").unpack,
        "fromhex": bytes.fromhex,
    }


# (name, our statement, the peer's statement or None): the peers are what a service would write
# in plain Python for the same job.
ROWS = [
    ("hash(PositionKey)", "hash(key)", "hash(fields)"),
    ("PositionKey.decode_key", "PositionKey.decode_key(encoded)", "unpack(raw)"),
    ("TraderKey.decode_key", "TraderKey.decode_key(trader_key)", "unpack_trader(trader_raw)", DECODE_GOAL),
    ("EpochMetadataKey.decode_key", "EpochMetadataKey.decode_key(epoch_key)", "unpack_epoch(epoch_raw)", DECODE_GOAL),
    ("H256 == other", "h == other", "h_int == other_int"),
    ("H256 == equal", "h == same", "h_int == same_int"),
    ("PositionKey == equal", "key == equal_key", "fields == equal_fields"),
    ("TraderKey(hex)", "TraderKey(address)", "fromhex(address_digits)"),
    ("str(H256)", "str(h)", "raw.hex()"),
    ("H256.get_bit(200)", "h.get_bit(200)", "plain.get_bit(200)"),
    ("H256.fork_height(other)", "h.fork_height(other)", None),
    ('ProductSymbol("ETHP")', 'ProductSymbol("ETHP")', None),
]


def main():
    args = peer_table.arguments(__doc__.splitlines()[0], 200_000)
    names = namespace()
    if PositionKey.decode_key(names["encoded"]) != names["key"]:
        sys.exit("decode_key does not give the encoded key back")
    trader_fields = names["unpack_trader"](names["trader_raw"])
    epoch_fields = names["unpack_epoch"](names["epoch_raw"])
    if trader_fields[1] != bytes.fromhex(ADDRESS[2:]) or epoch_fields[1] != 5:
        sys.exit("the peers' layouts differ from the keys'")
    if str(names["h"]) != "0x" + H256_BYTES.hex() or TraderKey(ADDRESS).encode_key() is None:
        sys.exit("str(H256) differs from its bytes' hex text")
    peer_table.print_table(ROWS, (names, names), args, GOAL, "peer")


if __name__ == "__main__":
    main()
