"""A short tour of qzr_python: what the module holds, and a few values computed with it."""

import json
import os
import sys
import tempfile

import qzr_python
from qzr_python.common import ProductSymbol, TokenSymbol
from qzr_python.common.enums import OrderSide, OrderType, PositionSide, TradeSide
from qzr_python.common.requests import AdvanceTime, IndexPrice
from qzr_python.common.requests.intents import OrderIntent
from qzr_python.common.state import (
    Balance, Item, ItemKind, Position, Price, Signer, Specs, SpecsKind, Stats, Strategy, Trader, VelmarindSMT,
)
from qzr_python.common.state.keys import PositionKey, SpecsKey, StatsKey, StrategyKey, TraderKey
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
    specs = {SpecsKey(SpecsKind.SingleNamePerpetual, "ETHP"): "(SingleNamePerpetual :tick-size 0.1)"}
    tree = VelmarindSMT.from_genesis(Balance(Decimal(1_000_000), TokenSymbol.USDC), Balance.default(), specs)
    print(f"  genesis root: {tree.root()} ({len(tree.all_leaves())} leaves)")
    alice, bob = TraderKey("0x00" + "a1" * 20), TraderKey("0x00" + "b0" * 20)
    tree.store_trader(alice, Trader("1500.25", "0", "00" * 20, True))
    root = tree.store_trader(bob, Trader("42", "8", "a1" * 20, False))
    print(f"  root after two traders: {root}")
    print(f"  bob: {tree.trader(bob)!r}")
    proof = tree.merkle_proof([alice.encode_key(), bob.encode_key()])
    print(f"  proof of both ({len(proof.as_bytes())} bytes): {proof.as_bytes().hex()}")
    print(f"  store None deletes: root {tree.store_trader(bob, None)}, traders {len(tree.all_traders())}")
    stats_key = StatsKey("0x00" + "a1" * 20)
    tree.store_stats(stats_key, Stats("250.5", "0"))
    print(f"  alice's stats: {tree.stats(stats_key)!r}")
    print(f"  zero volumes delete: {tree.store_stats(stats_key, Stats(0, 0)) == tree.root()}, stats {tree.all_stats()}")


def show_state_items():
    trader = Trader("1250.1234567", "0", "0x" + "ab" * 20, True)
    print(f"  {trader!r}")
    encoded = trader.abi_encoded_value()
    print(f"  item ABI value, {len(encoded)} bytes:")
    for start in range(0, len(encoded), 32):
        print(f"    {encoded[start:start + 32].hex()}")
    try:
        from Cryptodome.Hash import keccak

        print(f"  leaf value hash (Keccak-256 of the value): 0x{keccak.new(digest_bits=256, data=encoded).hexdigest()}")
    except ImportError:
        pass
    item = Item.abi_decode_value_into_item(ItemKind.Trader, encoded)
    print(f"  decoded: {item!r}")
    print(f"  same trader back: {Trader.from_item(item) == trader}")
    for record in (Signer("0x" + "12" * 32), Specs('Perpetual(name="ETHP")')):
        print(f"  {record!r} -> {len(record.abi_encoded_value())} bytes, void: {record.is_void()}")


def show_position():
    # A long position opened at 2000 (increase never sets a side: the caller does).
    position, _ = Position.default().increase(Decimal("2000"), Decimal("1.5"))
    position.side = PositionSide.Long
    print(f"  opened:    {position!r}")
    fee = TradeSide.Taker.trading_fee(Decimal("1.5"), Decimal("2000"))
    print(f"    taker fee on 1.5 at 2000: {fee}")
    position, _ = position.increase(Decimal("2100"), Decimal("0.5"))
    print(f"  increased: {position!r}")
    price = Price("2150", "12", 1, 1700000000)
    mark = price.mark_price
    print(f"    mark price {mark}: index {price.index_price} moved by ema {price.ema}, at most 0.5 % of the index")
    print(f"    unrealized pnl at the mark: {position.unrealized_pnl(mark)} ({position.avg_pnl(mark)} a unit)")
    position, realized = position.decrease(Decimal("2160"), Decimal("1.25"))
    print(f"  reduced:   {position!r}")
    print(f"    realized pnl of 1.25 at 2160: {realized}")
    position, realized = position.decrease(Decimal("2140"), Decimal("0.75"))
    print(f"  closed:    {position!r}, realized {realized}")


# A deployment of the demo's own, and an order signed once for it by test tooling (the module signs
# nothing): EIP-712 over chain 1337 and the contract below, key 0x4242...42.
DEMO_DEPLOYMENT = {
    "addresses": {
        "velmarindAddress": "0xabcdef0123456789abcdef0123456789abcdef01",
        "qzrAddress": "0x00000000000000000000000000000000000000a1",
        "usdcAddress": "0xb0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0",
    },
    "chainId": 1337,
}
SIGNED_ORDER = {
    "symbol": "ETHP",
    "strategy": "main",
    "side": OrderSide.Bid,
    "order_type": OrderType.Limit,
    "nonce": "0x000000000000000000000000000000000000000000000000000000000000002a",
    "amount": "1.5",
    "price": "1850.25",
    "stop_price": "0",
    "signature": "0xcca6649424131300f1ff26543e27b7f1e20f7268d707e11210ea53a00171d198"
    "6a661b84f25f6778bf405dd7a235396e01f9ab9dfa2077cd2a5d9eeaf0055ce51c",
}
EXPECTED_SIGNER = "0x0017c5185167401ed00cf5f5b2fc97d9bbfdb7d025"


def use_demo_deployment(directory):
    """Points the application context (read once, on first use) at the demo's addresses file."""
    os.makedirs(os.path.join(directory, "ethereum"))
    with open(os.path.join(directory, "ethereum", "addresses.json"), "w", encoding="utf-8") as file:
        json.dump({"demo": DEMO_DEPLOYMENT}, file)
    os.environ.update(QZR_SHARE=directory, CONTRACT_DEPLOYMENT="demo", CHAIN_ID="1337")


def show_balances():
    usdc, qzr = TokenSymbol.USDC, TokenSymbol.QZR
    collateral = Balance(Decimal("1500.1234567"), usdc)  # recorded to 6 places toward zero
    collateral[qzr] = Decimal(20)
    print(f"  {collateral!r}")
    parts = collateral.split(usdc, [Decimal(1), Decimal(3)])
    print(f"  total {collateral.total_value()}; USDC split 1:3 -> {', '.join(map(str, parts))}")
    strategy = Strategy("main")
    strategy.avail_collateral = collateral
    strategy.locked_collateral = strategy.update_locked_collateral(usdc, Decimal(100))
    print(f"  {strategy!r}")
    print(f"  void: {strategy.is_void()}; item ABI value of {len(strategy.abi_encoded_value())} bytes")


def show_signed_order():
    order = OrderIntent(**SIGNED_ORDER)
    digest, signer = order.recover_signer()
    print(f"  {order!r}")
    print(f"  EIP-712 digest {order.hash_eip712()}")
    print(f"  signer {signer}: {'verified' if signer == EXPECTED_SIGNER else 'NOT the expected signer'}")
    print(f"  order hash {order.hash()}")
    print(f"  dict form: {json.dumps(order.json, indent=4)}")
    price = IndexPrice("ETHP", "1850.1234567", "1849.5", {"t": "Empty"}, 1700000000)
    print(f"  {price!r}\n    hash {price.hash()}")
    print(f"  {AdvanceTime(60, 1700000060)!r} -> {AdvanceTime(60, 1700000060).json}")
    return signer == EXPECTED_SIGNER


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
    print("state items:")
    show_state_items()
    print("a position:")
    show_position()
    # The application context is built once, on first read: the sections below read the demo's own
    # deployment (token addresses, and the signed order's chain and contract).
    with tempfile.TemporaryDirectory() as share:
        use_demo_deployment(share)
        print("balances and a strategy:")
        show_balances()
        print("state tree:")
        show_state_tree()
        print("signed requests:")
        if not show_signed_order():
            sys.exit(1)


if __name__ == "__main__":
    main()
