"""Decimal operations from Python: qzr_python's Decimal against the standard library's decimal.

Both classes get the same operand values, and each repeat of our operation is timed right after
a repeat of the standard library's, in the same process. Every figure is the median over
`--repeats` runs of `timeit` with `--number` executions of the statement each (timeit's loop
included, a few ns).
The goals are ratios ours/stdlib of at most 0.8 for arithmetic, also where the exact result is
wider than 96 bits and must be rounded, and 1.0 for comparisons, hashing, text and construction,
a float with an exact decimal value as well as one without (the last column of each row).

Run: PYTHONPATH=<build>/python python3 bench/decimal_ops.py [--repeats 15] [--number 200000]
"""

import decimal
import sys

import peer_table
from qzr_python.decimal import Decimal

NUMBER = 200_000
ARITHMETIC_GOAL = 0.8
OTHER_GOAL = 1.0

# Operands typical of the exchange: prices and amounts with a handful of places.
LEFT_TEXT = "12345.678901"
RIGHT_TEXT = "987.654321"
# A float operand whose binary value is exact in decimal, so that both classes give one result,
# and one whose binary value is not (ours keeps the float's own 17 digits, the stdlib all 55).
FLOAT = 2.5
INEXACT_FLOAT = 0.1


# Named operands of the statements below.
OPERANDS = {"a": LEFT_TEXT, "b": RIGHT_TEXT, "x": "1234.5678", "four": "4", "ten": "10", "one": "1", "three": "3"}
# Results wider than 96 bits, which both classes round half to even to the same 28 digits: a sum
# of two 28-digit terms 9 places apart (aligned, it needs 37 digits) and a product of two 18-place
# factors (scale 36, 37 digits).
OPERANDS.update(
    wide_a="812345678.9012345678901234567",
    wide_b="0.1234567890123456789012345678",
    e18="2.718281828459045235",
    pi18="3.141592653589793238",
)


def namespaces():
    """The names the timed statements use, once bound to our class and once to the stdlib's."""
    def bound(cls):
        names = {"Decimal": cls, "text": LEFT_TEXT, "f": FLOAT, "g": INEXACT_FLOAT, "n": 3, "i": 1234567}
        for name, text in OPERANDS.items():
            names[name] = cls(text)
        return names

    ours, theirs = bound(Decimal), bound(decimal.Decimal)
    theirs.update(cent=decimal.Decimal("0.01"), down=decimal.ROUND_DOWN)
    return ours, theirs


# (name, our statement, the stdlib's statement, goal): plain statements, so that timeit's loop
# adds only its own few nanoseconds to each call and no Python function call.
CASES = [
    ("a + b", "a + b", "a + b", ARITHMETIC_GOAL),
    ("a - b", "a - b", "a - b", ARITHMETIC_GOAL),
    ("a * b", "a * b", "a * b", ARITHMETIC_GOAL),
    ("a * 3", "a * n", "a * n", ARITHMETIC_GOAL),
    ("28 + 28 digits", "wide_a + wide_b", "wide_a + wide_b", ARITHMETIC_GOAL),
    ("18 x 18 places", "e18 * pi18", "e18 * pi18", ARITHMETIC_GOAL),
    ("a / b", "a / b", "a / b", ARITHMETIC_GOAL),
    ("1234.5678 / 4", "x / four", "x / four", ARITHMETIC_GOAL),
    ("10 / 4", "ten / four", "ten / four", ARITHMETIC_GOAL),
    ("1 / 3", "one / three", "one / three", ARITHMETIC_GOAL),
    ("a % b", "a % b", "a % b", ARITHMETIC_GOAL),
    ("a == b", "a == b", "a == b", OTHER_GOAL),
    ("a < b", "a < b", "a < b", OTHER_GOAL),
    ("hash(a)", "hash(a)", "hash(a)", OTHER_GOAL),
    ("Decimal(str)", "Decimal(text)", "Decimal(text)", OTHER_GOAL),
    ("Decimal(int)", "Decimal(i)", "Decimal(i)", OTHER_GOAL),
    ("Decimal(float)", "Decimal(f)", "Decimal(f)", OTHER_GOAL),
    ("Decimal(0.1)", "Decimal(g)", "Decimal(g)", OTHER_GOAL),
    ("str(a)", "str(a)", "str(a)", OTHER_GOAL),
    ("a.quantize(2)", "a.quantize(2)", "a.quantize(cent, rounding=down)", OTHER_GOAL),
]


def check_same_results():
    """A benchmark that computes something else than its peer measures nothing: compare first."""
    ours_names, theirs_names = namespaces()
    for name, ours, theirs, _ in CASES:
        mine, peer = eval(ours, ours_names), eval(theirs, theirs_names)
        if name.startswith("hash"):
            # The hashes differ by design; both must be stable.
            same = mine == eval(ours, ours_names) and peer == eval(theirs, theirs_names)
        elif isinstance(mine, bool):
            same = mine == peer
        elif ours == "Decimal(g)":
            # Different digits by design: both must read the float back.
            same = float(mine) == float(peer) == INEXACT_FLOAT
        elif "/" in name:
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
    peer_table.print_table(CASES, namespaces(), args, None, "stdlib")


if __name__ == "__main__":
    main()
