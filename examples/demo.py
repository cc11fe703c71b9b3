"""A short tour of qzr_python: what the module holds, and a few values computed with it."""

import sys

import qzr_python
from qzr_python.common import ProductSymbol, TokenSymbol
from qzr_python.common.enums import OrderSide
from qzr_python.common.state import SpecsKind, Trader, VelmarindSMT
from qzr_python.common.state.keys import PositionKey, SpecsKey, StrategyKey, TraderKey
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


def show_keys():
    trader = "0x00" + "ab" * 20
    strategy_id_hash = StrategyKey.generate_strategy_id_hash("main")
    keys = [
        TraderKey(trader),
        StrategyKey(trader, strategy_id_hash),
        PositionKey(trader, strategy_id_hash, "ETHP"),
        SpecsKey(SpecsKind.SingleNamePerpetual, "ETHP"),
    ]
    for key in keys:
        encoded = key.encode_key()
        print(f"  {key!r}")
        print(f"    -> {encoded}, decodes back: {type(key).decode_key(encoded) == key}")
    print(f"  {OrderSide.Bid!r} = {int(OrderSide.Bid)}, {TokenSymbol.QZR!r} = {int(TokenSymbol.QZR)}")


def show_state_tree():
    tree = VelmarindSMT()
    alice, bob = TraderKey("0x00" + "a1" * 20), TraderKey("0x00" + "b0" * 20)
    tree.store_trader(alice, Trader("1500.25", "0", "00" * 20, True))
    root = tree.store_trader(bob, Trader("42", "8", "a1" * 20, False))
    print(f"  root after two traders: {root}")
    print(f"  bob: {tree.trader(bob)!r}")
    proof = tree.merkle_proof([alice.encode_key(), bob.encode_key()])
    print(f"  proof of both ({len(proof.as_bytes())} bytes): {proof.as_bytes().hex()}")
    print(f"  store None deletes: root {tree.store_trader(bob, None)}, traders {len(tree.all_traders())}")


def main():
    print(f"qzr_python on CPython {sys.version.split()[0]}")
    print("module tree:")
    show_tree(qzr_python)
    print("decimals:")
    show_decimals()
    print("tree values:")
    show_tree_values()
    print("tree keys:")
    show_keys()
    print("state tree:")
    show_state_tree()


if __name__ == "__main__":
    main()
