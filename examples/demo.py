"""A short tour of qzr_python: what the module holds, and a few values computed with it."""

import sys

import qzr_python
from qzr_python.common import ProductSymbol
from qzr_python.decimal import Decimal
from qzr_python.h256 import H256


def show_tree(module, indent="  "):
    for name in getattr(module, "__all__", []):
        member = getattr(module, name)
        kind = "module" if type(member) is type(qzr_python) else type(member).__name__
        print(f"{indent}{name} ({kind})")
        if kind == "module":
            show_tree(member, indent + "  ")


def show_decimals():
    price = Decimal("1234.5678912")
    amount = Decimal("0.25")
    print(f"  {price} x {amount} = {price * amount}")
    print(f"  recorded to 6 places: {(price * amount).recorded_amount()}")
    print(f"  1.5 USDC in grains: {Decimal('1.5').to_usdc_grains()}; back: {Decimal.from_usdc_grains(1500000)}")
    print(f"  1 / 3 = {Decimal(1) / 3}")


def show_tree_values():
    key = H256.from_bytes(bytes(range(32)))
    print(f"  key {key}")
    print(f"  bit 255: {key.get_bit(255)}, fork height with zero: {key.fork_height(H256.zero())}")
    symbol = ProductSymbol("ETHP")
    print(f"  {symbol!r}, hash {hash(symbol)}")


def main():
    print(f"qzr_python on CPython {sys.version.split()[0]}")
    print("module tree:")
    show_tree(qzr_python)
    print("decimals:")
    show_decimals()
    print("tree values:")
    show_tree_values()


if __name__ == "__main__":
    main()
