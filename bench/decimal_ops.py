"""Decimal operations from Python: qzr_python's Decimal against the standard library's decimal.

Both classes get the same operand values, and each repeat of our operation is timed right after
a repeat of the standard library's, in the same process. Every figure is the median over
`--repeats` runs of `timeit` with `--number` executions of the statement each (timeit's loop
included, a few ns).
The goal is a ratio ours/stdlib of at most 0.7 for every row.

Run: PYTHONPATH=<build>/python python3 bench/decimal_ops.py [--repeats 15] [--number 200000]
"""

import argparse
import decimal
import os
import platform
import statistics
import sys
import timeit

from qzr_python.decimal import Decimal

GOAL = 0.7

# Operands typical of the exchange: prices and amounts with a handful of places.
LEFT_TEXT = "12345.678901"
RIGHT_TEXT = "987.654321"
# A float operand whose binary value is exact in decimal, so that both classes give one result.
FLOAT = 2.5


def namespaces():
    """The names the timed statements use, once bound to our class and once to the stdlib's."""
    ours = {"Decimal": Decimal, "text": LEFT_TEXT, "f": FLOAT, "a": Decimal(LEFT_TEXT), "b": Decimal(RIGHT_TEXT)}
    theirs = {
        "Decimal": decimal.Decimal,
        "text": LEFT_TEXT,
        "f": FLOAT,
        "a": decimal.Decimal(LEFT_TEXT),
        "b": decimal.Decimal(RIGHT_TEXT),
        "cent": decimal.Decimal("0.01"),
        "down": decimal.ROUND_DOWN,
    }
    return ours, theirs


# (name, our statement, the stdlib's statement): plain statements, so that timeit's loop adds
# only its own few nanoseconds to each call and no Python function call.
CASES = [
    ("a + b", "a + b", "a + b"),
    ("a * b", "a * b", "a * b"),
    ("a / b", "a / b", "a / b"),
    ("a == b", "a == b", "a == b"),
    ("Decimal(str)", "Decimal(text)", "Decimal(text)"),
    ("Decimal(float)", "Decimal(f)", "Decimal(f)"),
    ("str(a)", "str(a)", "str(a)"),
    ("a.quantize(2)", "a.quantize(2)", "a.quantize(cent, rounding=down)"),
]


def check_same_results():
    """A benchmark that computes something else than its peer measures nothing: compare first."""
    ours_names, theirs_names = namespaces()
    for name, ours, theirs in CASES:
        mine, peer = eval(ours, ours_names), eval(theirs, theirs_names)
        if isinstance(mine, bool):
            same = mine == peer
        elif name == "a / b":
            # Ours keeps as many places as 96 bits hold (29 digits), the stdlib 28 significant
            # digits: compare the digits both hold.
            same = abs(decimal.Decimal(str(mine)) - peer) < decimal.Decimal("1e-20")
        else:
            same = str(mine) == str(peer)
        if not same:
            sys.exit(f"{name}: ours gives {mine!r}, the standard library {peer!r}")


def median_ns_pair(ours, theirs, number, repeats):
    """Medians (ns per call) of both statements, their repeats interleaved so that a change in
    the machine's load during the run affects both sides alike."""
    ours_names, theirs_names = namespaces()
    ours_timer = timeit.Timer(ours, globals=ours_names)
    theirs_timer = timeit.Timer(theirs, globals=theirs_names)
    ours_runs, theirs_runs = [], []
    for _ in range(repeats):
        theirs_runs.append(theirs_timer.timeit(number))
        ours_runs.append(ours_timer.timeit(number))
    return (statistics.median(ours_runs) / number * 1e9, statistics.median(theirs_runs) / number * 1e9)


def cpu_model():
    try:
        with open("/proc/cpuinfo", encoding="ascii", errors="replace") as info:
            for line in info:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeats", type=int, default=15, help="timeit repeats (median taken)")
    parser.add_argument("--number", type=int, default=200_000, help="calls per repeat")
    args = parser.parse_args()

    check_same_results()
    print(f"Python {platform.python_version()}, {cpu_model()}, {os.cpu_count()} CPUs")
    print(f"median of {args.repeats} repeats x {args.number} calls, ns per call\n")
    header = f"{'operation':<16}{'ours':>10}{'stdlib':>10}{'ratio':>8}  goal <= {GOAL}"
    print(header)
    print("-" * len(header))
    worst = 0.0
    for name, ours, theirs in CASES:
        ours_ns, theirs_ns = median_ns_pair(ours, theirs, args.number, args.repeats)
        ratio = ours_ns / theirs_ns
        worst = max(worst, ratio)
        verdict = "ok" if ratio <= GOAL else "over"
        print(f"{name:<16}{ours_ns:>10.1f}{theirs_ns:>10.1f}{ratio:>8.2f}  {verdict}")
    print(f"\nworst ratio {worst:.2f} (goal {GOAL})")


if __name__ == "__main__":
    main()
