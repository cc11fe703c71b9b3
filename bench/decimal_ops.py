"""Decimal operations from Python: qzr_python's Decimal against the standard library's decimal.

Both classes get the same operand values, and each repeat of our operation is timed right after
a repeat of the standard library's, in the same process. Every figure is the median over
`--repeats` runs of `timeit` with `--number` executions of the statement each (timeit's loop
included, a few ns).
The goal is a ratio ours/stdlib of at most 0.7 for every row.

Run: PYTHONPATH=<build>/python python3 bench/decimal_ops.py [--repeats 15] [--number 200000]
"""

import decimal
import sys

import peer_table
from qzr_python.decimal import Decimal

NUMBER = 200_000
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


def main():
    args = peer_table.arguments(__doc__.splitlines()[0], NUMBER)
    check_same_results()
    peer_table.print_table(CASES, namespaces(), args, GOAL, "stdlib")


if __name__ == "__main__":
    main()
