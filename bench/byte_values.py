"""Cost per call, from Python, of the byte-value methods the tree and keys lean on.

Run: PYTHONPATH=build/python /usr/bin/python3 bench/byte_values.py
Prints the median over repeats of ns per call, next to a plain Python method call of the same
shape for scale.
"""

import statistics
import timeit

from qzr_python.common import ProductSymbol
from qzr_python.h256 import H256

REPEATS = 15
NUMBER = 200_000


class PlainPython:
    def get_bit(self, i):
        return i


def ns_per_call(statement, namespace):
    timer = timeit.Timer(statement, globals=namespace)
    runs = timer.repeat(repeat=REPEATS, number=NUMBER)
    return statistics.median(runs) / NUMBER * 1e9


def main():
    h = H256.from_bytes(bytes(range(32)))
    other = H256.zero()
    namespace = {"h": h, "other": other, "ProductSymbol": ProductSymbol, "plain": PlainPython()}
    rows = [
        ("H256.get_bit(200)", "h.get_bit(200)"),
        ("H256.fork_height(other)", "h.fork_height(other)"),
        ('ProductSymbol("ETHP")', 'ProductSymbol("ETHP")'),
        ("plain Python method (scale)", "plain.get_bit(200)"),
    ]
    print(f"median of {REPEATS} repeats x {NUMBER} calls")
    for label, statement in rows:
        print(f"{label:32s} {ns_per_call(statement, namespace):8.1f} ns")


if __name__ == "__main__":
    main()
