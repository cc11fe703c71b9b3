"""Shared fixtures: running a snippet in a fresh interpreter process.

Some behaviours can only be seen once per process (the first import of a module, a second
interpreter, a failed module build), so those tests run their snippet in a child process with
the same interpreter and the same PYTHONPATH as the test run.
"""

import json
import subprocess
import sys
import textwrap

import pytest
from hypothesis import settings

# Every test's time depends on the machine's load (and the sanitizer build is several times
# slower): speed belongs to the benchmarks, so no example has a deadline.
settings.register_profile("untimed", deadline=None)
settings.load_profile("untimed")


@pytest.fixture
def run_python():
    """Runs `code` in a fresh interpreter; returns the JSON value it printed on its last line."""

    def run(code):
        completed = subprocess.run(
            [sys.executable, "-c", textwrap.dedent(code)],
            capture_output=True,
            text=True,
            timeout=120,
        )
        assert completed.returncode == 0, completed.stderr
        return json.loads(completed.stdout.strip().splitlines()[-1])

    return run
