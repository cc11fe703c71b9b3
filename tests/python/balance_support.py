"""Helpers of the balance tests: token addresses for tests that resolve TokenSymbol members in the
test process itself (balances and the records that hold them), where a child process per call
would be too slow, and the byte forms of balances.

The application context is built once per process, on its first read. `token_addresses()` makes
sure this process has one: when nothing has read it yet, it is built from a temporary share that
holds the snapshot deployment of app_context_support, with the environment restored afterwards
(the context keeps what it read). It returns each member's address as the context gives it.
"""

import functools
import os
import pathlib
import tempfile

import abi_reference as ref
from app_context_support import CONTEXT_VARIABLES, SNAPSHOT_DEPLOYMENT, write_addresses
from qzr_python.common import TokenSymbol


@functools.cache
def token_addresses():
    """{TokenSymbol.USDC: "0x...", TokenSymbol.QZR: "0x..."}, 40 lower-case digits each."""
    saved = {name: os.environ.get(name) for name in CONTEXT_VARIABLES}
    with tempfile.TemporaryDirectory() as share:
        write_addresses(pathlib.Path(share), {"snapshot": SNAPSHOT_DEPLOYMENT})
        for name in CONTEXT_VARIABLES:
            os.environ.pop(name, None)
        os.environ["QZR_SHARE"] = share
        try:
            return {symbol: symbol.address() for symbol in (TokenSymbol.USDC, TokenSymbol.QZR)}
        finally:
            for name, value in saved.items():
                if value is None:
                    os.environ.pop(name, None)
                else:
                    os.environ[name] = value


def address_of(symbol):
    """The member's token address text, "0x" and 40 lower-case digits."""
    return token_addresses()[symbol]


def address_bytes(symbol):
    return bytes.fromhex(address_of(symbol)[2:])


def balance_tuple(*entries):
    """The BalanceTuple value of (20 address bytes, amount) entries, in this order."""
    return ref.tuple_of(ref.array(ref.address(a) for a, _ in entries), ref.array(ref.amount(x) for _, x in entries))


def words(*values):
    """32-byte words: ints big-endian, bytes right-aligned (an address)."""
    return b"".join(v.to_bytes(32, "big") if isinstance(v, int) else bytes(32 - len(v)) + v for v in values)
