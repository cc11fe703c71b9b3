"""Running a snippet in a fresh interpreter with a chosen application context environment.

The application context is built once per process, on its first read, from CHAIN_ID,
CONTRACT_DEPLOYMENT, QZR_SHARE and $QZR_SHARE/ethereum/addresses.json; so every test that reads it
runs in its own child process. The child runs `PRELUDE` first, then the snippet, whose last
printed line is a JSON value that `run_with_context` returns.
"""

import json
import os
import subprocess
import sys
import textwrap

CONTEXT_VARIABLES = ("CHAIN_ID", "CONTRACT_DEPLOYMENT", "QZR_SHARE")

# The deployment most tests use, with its addresses in lower case.
SNAPSHOT_CONTRACT = "0xabcdef0123456789abcdef0123456789abcdef01"
SNAPSHOT_QZR = "0x00000000000000000000000000000000000000a1"
SNAPSHOT_USDC = "0xb0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0"

# Addresses in mixed case, with and without "0x", and an extra key in the addresses object.
SNAPSHOT_DEPLOYMENT = {
    "addresses": {
        "velmarindAddress": "0xAbCdEf0123456789aBcDeF0123456789AbCdEf01",
        "qzrAddress": "0x00000000000000000000000000000000000000A1",
        "usdcAddress": "B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0",
        "faucetAddress": "0x2222222222222222222222222222222222222222",
    },
    "chainId": 1337,
}

PRELUDE = """
import json

def outcome(call):
    '''["ok", result] or [exception type name, str(exception)] for any exception.'''
    try:
        return ["ok", call()]
    except BaseException as error:
        return [type(error).__name__, str(error)]
"""


def write_addresses(share, content):
    """Writes `content` (a dict, dumped as JSON, or text as it stands) as the share's addresses file."""
    (share / "ethereum").mkdir(parents=True, exist_ok=True)
    text = content if isinstance(content, str) else json.dumps(content)
    (share / "ethereum" / "addresses.json").write_text(text, encoding="utf-8")


def run_with_context(code, **variables):
    """Runs `code` after PRELUDE in a fresh interpreter whose environment has the three context
    variables removed, then set from `variables` (None leaves one unset; str values may carry
    surrogate escapes for bytes that are not UTF-8). Returns the JSON of the last printed line."""
    environment = {name: value for name, value in os.environ.items() if name not in CONTEXT_VARIABLES}
    for name, value in variables.items():
        assert name in CONTEXT_VARIABLES, name
        if value is not None:
            environment[name] = str(value)
    completed = subprocess.run(
        [sys.executable, "-c", PRELUDE + textwrap.dedent(code)],
        capture_output=True,
        text=True,
        errors="replace",  # fault reports on standard error may quote bytes that are not UTF-8
        env=environment,
        timeout=120,
    )
    assert completed.returncode == 0, completed.stderr
    return json.loads(completed.stdout.strip().splitlines()[-1])
