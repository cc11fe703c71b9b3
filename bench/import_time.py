"""Import time of qzr_python against the standard library's decimal, each in a fresh interpreter.

Every repeat starts one interpreter per module, the two interleaved, and times the import
statement alone inside it (the interpreter's own start-up is left out); the medians and their
ratio are printed. The goal is a ratio of at most 1.2.

Run: PYTHONPATH=build/python /usr/bin/python3 bench/import_time.py [--repeats 41] [--no-site]
"""

import argparse
import os
import platform
import statistics
import subprocess
import sys

GOAL = 1.2

TIMED_IMPORT = "import time; start = time.perf_counter(); import {module}; print(time.perf_counter() - start)"


def import_seconds(module, flags):
    result = subprocess.run(
        [sys.executable, *flags, "-c", TIMED_IMPORT.format(module=module)],
        capture_output=True,
        text=True,
        check=True,
        env=os.environ,
    )
    return float(result.stdout)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeats", type=int, default=41, help="interpreters per module (median taken)")
    parser.add_argument("--no-site", action="store_true", help="start the interpreters with -S")
    args = parser.parse_args()
    flags = ["-S"] if args.no_site else []

    ours, theirs = [], []
    for _ in range(args.repeats):
        theirs.append(import_seconds("decimal", flags))
        ours.append(import_seconds("qzr_python", flags))
    ours_ms, theirs_ms = statistics.median(ours) * 1e3, statistics.median(theirs) * 1e3
    ratio = ours_ms / theirs_ms
    print(f"Python {platform.python_version()}, {os.cpu_count()} CPUs, median of {args.repeats} interpreters each")
    print(f"import qzr_python {ours_ms:7.3f} ms")
    print(f"import decimal    {theirs_ms:7.3f} ms")
    print(f"ratio {ratio:.2f} (goal <= {GOAL}): {'ok' if ratio <= GOAL else 'over'}")


if __name__ == "__main__":
    main()
