"""Token addresses for tests that resolve TokenSymbol members in the test process itself (balances
and the records that hold them), where a child process per call would be too slow.

The application context is built once per process, on its first read. `token_addresses()` makes
sure this process has one: when nothing has read it yet, it is built from a temporary share that
holds the snapshot deployment of app_context_support, with the environment restored afterwards
(the context keeps what it read). It returns each member's address as the context gives it.
"""

import functools
import os
import pathlib
import tempfile

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
