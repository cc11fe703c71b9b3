"""VelmarindSMT and MerkleProof against a Python oracle.

The oracle: a dict of the leaves {32-byte key: record}; the root recomputed naively from
{key: keccak(abi_encoded_value)} with pycryptodome's Keccak-256 and the tree's merge and leaf hash
rules, written out here; and an interpreter of compiled proofs that rebuilds the root from the
proven leaves.
"""

import copy
import random
import re

import pytest
from Cryptodome.Hash import keccak

import abi_reference as ref
from balance_support import token_addresses
from qzr_python.common import ProductSymbol, QzrCommonError, TokenSymbol
from qzr_python.common.enums import OrderSide, PositionSide
from qzr_python.common.state import (
    Balance, BookOrder, EpochMetadata, FeePool, InsuranceFund, InsuranceFundContribution, Item, ItemKind, MerkleProof,
    Position, Price, Signer, Specs, SpecsKind, Stats, Strategy, Trader, VelmarindSMT,
)
from qzr_python.common.state.keys import (
    BookOrderKey, EpochMetadataKey, FeePoolKey, InsuranceFundContributionKey, InsuranceFundKey, PositionKey, PriceKey,
    SignerKey, SpecsKey, StatsKey, StrategyKey, TraderKey,
)
from qzr_python.decimal import Decimal
from qzr_python.h256 import H256

ZERO = bytes(32)
USDC, QZR = TokenSymbol.USDC, TokenSymbol.QZR
token_addresses()  # balances resolve token symbols through this process's application context


# ---- the oracle ---------------------------------------------------------------------------------


def keccak256(data):
    return keccak.new(digest_bits=256, data=data).digest()


def merge(left, right):
    if left == ZERO:
        return right
    if right == ZERO:
        return left
    return keccak256(left + right)


def leaf_hash(key, value_hash):
    return ZERO if value_hash == ZERO else keccak256(key + value_hash)


def bit(key, height):
    return (key[height // 8] >> (height % 8)) & 1


def naive_root(value_hashes):
    """The root of {key: value hash}: split the keys on bit 255, then 254, ... down to 0."""

    def subtree(keys, height):
        if not keys:
            return ZERO
        if len(keys) == 1:  # merging with empty subtrees passes the leaf hash up unchanged
            return leaf_hash(keys[0], value_hashes[keys[0]])
        left = [k for k in keys if not bit(k, height)]
        right = [k for k in keys if bit(k, height)]
        return merge(subtree(left, height - 1), subtree(right, height - 1))

    return subtree([k for k, v in value_hashes.items() if v != ZERO], 255)


def tree_order(key):
    """Ascending tree order compares byte 31 first."""
    return key[::-1]


def run_proof(program, leaves):
    """Runs a compiled proof over the proven (key, value hash) leaves in tree order; returns the
    one hash left on the stack."""
    pending = sorted(leaves, key=lambda leaf: tree_order(leaf[0]))
    stack, at = [], 0
    while at < len(program):
        code = program[at]
        if code == 0x4C:
            key, value_hash = pending.pop(0)
            stack.append((key, leaf_hash(key, value_hash)))
            at += 1
        elif code == 0x50:
            height, sibling = program[at + 1], program[at + 2 : at + 34]
            assert sibling != ZERO, "a proof never carries an empty sibling"
            key, node = stack.pop()
            stack.append((key, merge(sibling, node) if bit(key, height) else merge(node, sibling)))
            at += 34
        elif code == 0x48:
            (_, right), (key, left) = stack.pop(), stack.pop()
            stack.append((key, merge(left, right)))
            at += 2
        else:
            raise AssertionError(f"unknown code {code}")
    assert not pending and len(stack) == 1
    return stack[0][1]


class Model:
    """The leaves the tree should hold: {key bytes: (key object or None, record or Item)}."""

    def __init__(self):
        self.leaves = {}

    def store(self, key_bytes, key, value):
        if value is None:
            self.leaves.pop(key_bytes, None)
        else:
            self.leaves[key_bytes] = (key, value)

    def value_hashes(self):
        return {k: keccak256(value.abi_encoded_value()) for k, (_, value) in self.leaves.items()}

    def root(self):
        return naive_root(self.value_hashes())

    def of_class(self, record_class):
        return {(key, repr(value)) for key, value in self.leaves.values() if type(value) is record_class}


def listed(pairs):
    return {(key, repr(record)) for key, record in pairs}


def leaf_and_branch_counts(tree):
    text = repr(tree)
    return text.count("LeafNode {"), text.count("BranchNode {")


# ---- the kinds --------------------------------------------------------------------------------
# One row per record class with its tree methods: how to make a key and a record, and which
# records are void (the store deletes the key) and which are not.


def hex_bytes(rng, n):
    return "0x" + bytes(rng.randrange(256) for _ in range(n)).hex()


def trader_record(rng):
    return Trader(str(rng.randrange(10**6)) + ".25", rng.randrange(3), hex_bytes(rng, 20), rng.random() < 0.5)


def amount(rng):
    return Decimal(f"{rng.randrange(1, 10**6)}.{rng.randrange(10**6):06d}")


def balance(*entries):
    """A Balance of (amount, token symbol) entries; Balance() for none."""
    if not entries:
        return Balance.default()
    result = Balance(Decimal(entries[0][0]), entries[0][1])
    for value, symbol in entries[1:]:
        result[symbol] = Decimal(value)
    return result


def strategy(name, avail=(), locked=(), frozen=False, max_leverage=3):
    record = Strategy(name)
    record.avail_collateral, record.locked_collateral = balance(*avail), balance(*locked)
    record.frozen, record.max_leverage = frozen, max_leverage
    return record


def address_key(key_class):
    return lambda rng: key_class("0x00" + hex_bytes(rng, 20)[2:])


SYMBOLS = ["ETHP", "BTCP", "SOLP"]


def book_order(amount_text, price_text="100", side=OrderSide.Bid):
    return BookOrder(side, amount_text, price_text, "0x00" + "11" * 20, "0x01020304", 1, 2)


def specs_name(rng):
    return "".join(rng.choice("ABCDEFGHIJKLMNOPQRSTUVWXYZ") for _ in range(rng.randrange(1, 9))) + "P"


class Kind:
    def __init__(self, name, listing, record_class, make_key, make_record, void, not_void):
        self.name, self.listing, self.record_class = name, listing, record_class
        self.make_key, self.make_record = make_key, make_record
        self.void, self.not_void = void, not_void

    def get(self, tree, key):
        return getattr(tree, self.name)(key)

    def store(self, tree, key, record):
        return getattr(tree, "store_" + self.name)(key, record)

    def all(self, tree):
        return getattr(tree, self.listing)()

    def __repr__(self):
        return self.name


KINDS = [
    Kind(
        "trader",
        "all_traders",
        Trader,
        lambda rng: TraderKey("0x00" + hex_bytes(rng, 20)[2:]),
        trader_record,
        void=[],
        not_void=[Trader(0, 0, "00" * 20, False), Trader("-0.0", "0.000", "00" * 20, True)],
    ),
    Kind(
        "strategy",
        "all_strategies",
        Strategy,
        lambda rng: StrategyKey("0x00" + hex_bytes(rng, 20)[2:], hex_bytes(rng, 4)),
        lambda rng: strategy(f"s{rng.randrange(99)}", avail=[(amount(rng), USDC)], locked=[(amount(rng), QZR)]),
        void=[strategy("main"), strategy("main", avail=[("-0.0", USDC)], locked=[("0.000", QZR)], frozen=True,
                                        max_leverage=10)],
        not_void=[strategy("main", locked=[("0.000001", QZR)])],
    ),
    Kind(
        "position",
        "all_positions",
        Position,
        lambda rng: PositionKey("0x00" + hex_bytes(rng, 20)[2:], hex_bytes(rng, 4), rng.choice(SYMBOLS)),
        lambda rng: Position(rng.choice([PositionSide.Long, PositionSide.Short]), amount(rng), amount(rng)),
        void=[Position.default(), Position(PositionSide.Long, "-0.0", "2000"), Position(PositionSide.Short, "0.000", 0)],
        not_void=[Position(PositionSide.Empty, "0.000001", 0), Position(PositionSide.Short, "-3", 0)],
    ),
    Kind(
        "book_order",
        "all_book_orders",
        BookOrder,
        lambda rng: BookOrderKey(rng.choice(SYMBOLS), hex_bytes(rng, 25)),
        lambda rng: BookOrder(rng.choice([OrderSide.Bid, OrderSide.Ask]), amount(rng), amount(rng),
                              "0x00" + hex_bytes(rng, 20)[2:], hex_bytes(rng, 4), rng.randrange(2**64), rng.randrange(99)),
        void=[book_order("0"), book_order("-0.00", "0", OrderSide.Ask)],
        not_void=[book_order("0.000001", "0")],
    ),
    Kind(
        "price",
        "all_prices",
        Price,
        lambda rng: PriceKey(rng.choice(SYMBOLS), hex_bytes(rng, 25)),
        lambda rng: Price(amount(rng), amount(rng), rng.randrange(2**64), rng.randrange(2**64)),
        void=[Price(0, 0, 0, 0), Price("-0.0", "0.00", 0, 0)],
        not_void=[Price(0, 0, 1, 0), Price(0, 0, 0, 1), Price(0, "0.000001", 0, 0), Price("-1", 0, 0, 0)],
    ),
    Kind(
        "insurance_fund",
        "all_insurance_funds",
        InsuranceFund,
        lambda rng: InsuranceFundKey(),
        lambda rng: InsuranceFund(amount(rng), rng.choice([USDC, QZR])),
        void=[InsuranceFund.default(), InsuranceFund(Decimal("-0.00"), QZR)],
        not_void=[InsuranceFund(Decimal("0.000001"), USDC)],
    ),
    Kind(
        "stats",
        "all_stats",
        Stats,
        address_key(StatsKey),
        lambda rng: Stats(amount(rng), amount(rng)),
        void=[Stats(0, 0), Stats("-0.0", "0.000")],
        not_void=[Stats(0, "0.000001"), Stats("-1", 0)],
    ),
    Kind(
        "signer",
        "all_signers",
        Signer,
        address_key(SignerKey),
        lambda rng: Signer(hex_bytes(rng, 32)),
        void=[],
        not_void=[Signer("0x" + "00" * 32)],
    ),
    Kind(
        "specs",
        "all_specs",
        Specs,
        lambda rng: SpecsKey(rng.choice([SpecsKind.SingleNamePerpetual, SpecsKind.MarketGateway]), specs_name(rng)),
        lambda rng: Specs(f"(Market :tick-size {rng.randrange(1, 100)})"),
        void=[Specs("")],
        not_void=[Specs(" "), Specs("not parsed (")],
    ),
    Kind(
        "insurance_fund_contribution",
        "all_insurance_fund_contributions",
        InsuranceFundContribution,
        address_key(InsuranceFundContributionKey),
        lambda rng: InsuranceFundContribution(balance((amount(rng), USDC)), balance((amount(rng), QZR))),
        void=[InsuranceFundContribution(balance(), balance()),
              InsuranceFundContribution(balance(("0", USDC), ("-0.0", QZR)), balance(("0.00", QZR)))],
        not_void=[InsuranceFundContribution(balance(), balance(("0.000001", QZR)))],
    ),
    Kind(
        "fee_pool",
        "all_fee_pools",
        FeePool,
        lambda rng: FeePoolKey(rng.choice([None, rng.randrange(2**64)])),
        lambda rng: FeePool(amount(rng), rng.choice([USDC, QZR])),
        void=[FeePool.default(), FeePool(Decimal("0"), USDC)],
        not_void=[FeePool(Decimal("-2"), USDC)],
    ),
    Kind(
        "epoch_metadata",
        "all_epoch_metadatas",
        EpochMetadata,
        lambda rng: EpochMetadataKey(rng.randrange(2**64)),
        lambda rng: EpochMetadata({"ETHP": rng.randrange(2**64), "BTCP": rng.randrange(10)}),
        void=[],
        not_void=[EpochMetadata({})],
    ),
]


def record_of(kind, rng, void_share=0.1):
    """None, a void record (deletes) or a record to store; with what the model then holds."""
    roll = rng.random()
    if roll < void_share:
        return None, None
    if roll < 2 * void_share and kind.void:
        return rng.choice(kind.void), None
    record = kind.make_record(rng)
    return record, record


# ---- randomised sequences against the oracle ----------------------------------------------------


@pytest.mark.parametrize("seed", range(6))
def test_random_stores_against_the_oracle(seed):
    rng = random.Random(seed)
    tree, model = VelmarindSMT(), Model()
    pools = {kind.name: [kind.make_key(rng) for _ in range(8)] for kind in KINDS}
    for step in range(120):
        kind = rng.choice(KINDS)
        key = rng.choice(pools[kind.name])
        record, kept = record_of(kind, rng)
        if rng.random() < 0.2:
            # The same through store_item_by_key: no void rule, None deletes.
            item = None if record is None else record.as_item()
            root = tree.store_item_by_key(key.encode_key(), item)
            kept = record
        else:
            root = kind.store(tree, key, record)
        model.store(key.encode_key().as_bytes(), key, kept)
        assert root.as_bytes() == model.root(), f"step {step}"
        assert tree.root().as_bytes() == model.root()
        got = kind.get(tree, key)
        assert repr(got) == repr(kept)

    for kind in KINDS:
        assert listed(kind.all(tree)) == model.of_class(kind.record_class)
        for key in pools[kind.name]:
            held = model.leaves.get(key.encode_key().as_bytes())
            assert repr(kind.get(tree, key)) == repr(held[1] if held else None)
    assert {(k.as_bytes(), repr(item)) for k, item in tree.all_leaves()} == {
        (k, repr(value.as_item())) for k, (_, value) in model.leaves.items()
    }
    assert leaf_and_branch_counts(tree) == (len(model.leaves), max(2 * len(model.leaves) - 1, 0))

    # Proofs of random key sets, stored and absent keys mixed, in random order.
    value_hashes = model.value_hashes()
    all_keys = [key.encode_key() for pool in pools.values() for key in pool]
    for _ in range(10):
        keys = rng.sample(all_keys, rng.randrange(1, len(all_keys)))
        program = tree.merkle_proof(keys).as_bytes()
        # A key given twice (the insurance fund has one key) is proven once.
        leaves = {k.as_bytes(): value_hashes.get(k.as_bytes(), ZERO) for k in keys}.items()
        assert run_proof(program, leaves) == model.root()
        assert tree.merkle_proof(tuple(reversed(keys))).as_bytes() == program


def test_deleting_every_leaf_gives_back_the_empty_tree():
    rng = random.Random(7)
    tree = VelmarindSMT()
    empty = repr(tree)
    kind = KINDS[0]
    keys = [kind.make_key(rng) for _ in range(20)]
    for key in keys:
        kind.store(tree, key, kind.make_record(rng))
    assert leaf_and_branch_counts(tree) == (20, 39)
    for key in keys[:15]:
        kind.store(tree, key, None)
    assert leaf_and_branch_counts(tree) == (5, 9)
    for key in keys[15:]:
        kind.store(tree, key, None)
    assert repr(tree) == empty
    assert tree.root() == H256.zero()


# ---- per-kind getters, stores and void rules -----------------------------------------------------


@pytest.mark.parametrize("kind", KINDS)
def test_void_records_delete_and_others_are_stored(kind):
    rng = random.Random(1)
    key = kind.make_key(rng)
    tree = VelmarindSMT()
    kept = kind.make_record(rng)
    kind.store(tree, key, kept)
    before = tree.root()
    for record in kind.void:
        # From a tree holding only this key, deleting gives back the empty tree.
        assert kind.store(tree, key, record) == H256.zero()
        assert kind.get(tree, key) is None
        assert kind.all(tree) == []
        assert kind.store(tree, key, kept) == before
    for record in kind.not_void:
        root = kind.store(tree, key, record)
        assert root.as_bytes() == leaf_hash(key.encode_key().as_bytes(), keccak256(record.abi_encoded_value()))
        assert kind.get(tree, key) == record


@pytest.mark.parametrize("kind", KINDS)
def test_getters_and_listings_return_copies(kind):
    rng = random.Random(2)
    key, record = kind.make_key(rng), kind.make_record(rng)
    tree = VelmarindSMT()
    assert kind.get(tree, key) is None
    assert kind.all(tree) == []
    kind.store(tree, key, record)
    first, second = kind.get(tree, key), kind.get(tree, key)
    assert first == record and first is not second
    ((listed_key, listed_record),) = kind.all(tree)
    assert listed_key == key and listed_key.encode_key() == key.encode_key()
    assert listed_record == record and listed_record is not first


def test_a_stored_record_object_changed_later_does_not_change_the_tree():
    tree, key = VelmarindSMT(), TraderKey("0x00" + "11" * 20)
    record = Trader(1, 2, "22" * 20, False)
    root = tree.store_trader(key, record)
    record.avail_qzr_balance = 5
    read = tree.trader(key)
    assert read == Trader(1, 2, "22" * 20, False)
    read.locked_qzr_balance = 9
    assert tree.trader(key) == Trader(1, 2, "22" * 20, False)
    assert tree.root() == root


def test_storing_none_on_an_absent_key_changes_nothing():
    tree, key = VelmarindSMT(), TraderKey("0x00" + "11" * 20)
    assert tree.store_trader(key, None) == H256.zero()
    root = tree.store_trader(TraderKey("0x00" + "22" * 20), Trader(1, 0, "00" * 20, False))
    assert tree.store_trader(key, None) == root
    assert tree.store_trader(key, Trader(3, 0, "00" * 20, False)) != root
    assert tree.store_trader(key, None) == root


TRADER_KEY = TraderKey("0x00" + "11" * 20)
STRATEGY_KEY = StrategyKey("0x00" + "11" * 20, "0x01020304")


@pytest.mark.parametrize(
    "call, error",
    [
        (lambda t: t.store_trader(STRATEGY_KEY, Trader(1, 0, "00" * 20, False)),
         "argument 'key': 'StrategyKey' object cannot be converted to 'TraderKey'"),
        (lambda t: t.store_trader(TRADER_KEY, Trader(1, 0, "00" * 20, False).as_item()),
         "argument 'maybe_inner': 'Item' object cannot be converted to 'Trader'"),
        # The key is converted first.
        (lambda t: t.store_trader(1, 2), "argument 'key': 'int' object cannot be converted to 'TraderKey'"),
        (lambda t: t.store_trader(TRADER_KEY),
         "VelmarindSMT.store_trader() missing 1 required positional argument: 'maybe_inner'"),
        (lambda t: t.trader(TRADER_KEY.encode_key()), "argument 'key': 'H256' object cannot be converted to 'TraderKey'"),
        (lambda t: t.all_traders(1), "VelmarindSMT.all_traders() takes no arguments (1 given)"),
        (lambda t: t.store_item_by_key(TRADER_KEY, None),
         "argument 'key': 'TraderKey' object cannot be converted to 'H256'"),
        (lambda t: t.store_item_by_key(TRADER_KEY.encode_key(), Trader(1, 0, "00" * 20, False)),
         "argument 'maybe_inner': 'Trader' object cannot be converted to 'Item'"),
        (lambda t: VelmarindSMT(1), "VelmarindSMT.__new__() takes 0 positional arguments but 1 was given"),
    ],
)
def test_wrong_argument_types_leave_the_tree_unchanged(call, error):
    tree = VelmarindSMT()
    tree.store_trader(TraderKey("0x00" + "33" * 20), Trader(1, 0, "00" * 20, False))
    root, text = tree.root(), repr(tree)
    with pytest.raises(TypeError) as raised:
        call(tree)
    assert str(raised.value) == error
    assert tree.root() == root and repr(tree) == text


# ---- store_item_by_key ----------------------------------------------------------------------------


def item_of(kind, record_value):
    return Item.abi_decode_value_into_item(kind, ref.item_value(int(kind), record_value))


def key_bytes(first, rest=b""):
    return H256.from_bytes(bytes([first]) + rest + bytes(31 - len(rest)))


def fund_item():
    return item_of(ItemKind.InsuranceFund, ref.tuple_of(ref.array([]), ref.array([])))


@pytest.mark.parametrize(
    "key, item, error",
    [
        (key_bytes(1), item_of(ItemKind.Stats, ref.tuple_of(ref.amount(1), ref.amount(0))),
         "key and item discriminant mismatch"),
        (key_bytes(3), Item.abi_decode_value_into_item(ItemKind.Empty, b""), "key and item discriminant mismatch"),
        # Byte 0 is right but the trader key's padding is not zero: refused, so that every stored
        # leaf can be listed.
        (key_bytes(1, bytes(30) + b"\x01"), Trader(1, 0, "00" * 20, False).as_item(),
         "invalid Trader key: Expected only zeroes to remain after extracting the trader address"),
        (key_bytes(7, bytes(30) + b"\x09"), item_of(ItemKind.Stats, ref.tuple_of(ref.amount(1), ref.amount(0))),
         "invalid Stats key: Expected only zeroes to remain after extracting the trader address"),
    ],
)
def test_store_item_by_key_refusals_leave_the_tree_as_it_was(key, item, error):
    tree = VelmarindSMT()
    tree.store_trader(TRADER_KEY, Trader(1, 0, "00" * 20, False))
    text = repr(tree)
    with pytest.raises(QzrCommonError) as raised:
        tree.store_item_by_key(key, item)
    assert raised.value.args == (error,)
    assert repr(tree) == text
    assert [trader for _, trader in tree.all_traders()] == [Trader(1, 0, "00" * 20, False)]


def test_store_item_by_key_stores_as_given_and_none_deletes_under_any_key():
    tree = VelmarindSMT()
    # A void record is kept here (no void rule), and the lenient insurance fund key is accepted.
    odd_fund_key = key_bytes(6, b"\xff" * 31)
    root = tree.store_item_by_key(odd_fund_key, fund_item())
    assert root.as_bytes() == leaf_hash(odd_fund_key.as_bytes(), keccak256(fund_item().abi_encoded_value()))
    assert [(k, repr(item)) for k, item in tree.all_leaves()] == [(odd_fund_key, repr(fund_item()))]
    # None deletes whatever byte 0 says; on an absent key it changes nothing.
    assert tree.store_item_by_key(key_bytes(200), None) == root
    assert tree.store_item_by_key(odd_fund_key, None) == H256.zero()
    # The Empty item goes under a kind-0 key (and deletes, as None does).
    empty = Item.abi_decode_value_into_item(ItemKind.Empty, b"")
    assert tree.store_item_by_key(key_bytes(0, b"\x05"), empty) == H256.zero()


def test_trader_item_bytes_match_the_reference_encoder():
    record = Trader("1.5", 2, "22" * 20, True)
    expected = ref.item_value(1, ref.trader_value("1.5", 2, bytes.fromhex("22" * 20), True))
    tree = VelmarindSMT()
    root = tree.store_trader(TRADER_KEY, record)
    assert root.as_bytes() == leaf_hash(TRADER_KEY.encode_key().as_bytes(), keccak256(expected))


# ---- proofs -------------------------------------------------------------------------------------


def filled_tree(n, seed=3):
    rng = random.Random(seed)
    tree, kind = VelmarindSMT(), KINDS[0]
    keys = [kind.make_key(rng) for _ in range(n)]
    for key in keys:
        kind.store(tree, key, kind.make_record(rng))
    return tree, [key.encode_key() for key in keys]


@pytest.mark.parametrize("n", [0, 5])
def test_proof_of_no_keys_is_empty(n):
    tree, _ = filled_tree(n)
    for keys in ([], ()):
        proof = tree.merkle_proof(keys)
        assert type(proof) is MerkleProof
        assert proof.as_bytes() == b""
        assert repr(proof) == "MerkleProof { inner: CompiledMerkleProof([]) }"


def test_proof_bytes_and_text():
    tree, keys = filled_tree(1)
    proof = tree.merkle_proof([keys[0]])
    assert proof.as_bytes() == b"L"
    assert repr(proof) == "MerkleProof { inner: CompiledMerkleProof([76]) }"
    tree, keys = filled_tree(6)
    program = tree.merkle_proof(keys).as_bytes()
    assert repr(tree.merkle_proof(keys)) == f"MerkleProof {{ inner: CompiledMerkleProof([{', '.join(map(str, program))}]) }}"
    # Order, list or tuple, and repeated keys do not change the bytes.
    assert tree.merkle_proof(tuple(keys[::-1])).as_bytes() == program
    assert tree.merkle_proof(keys + keys[:2]).as_bytes() == program
    assert program.count(0x4C) >= 6


@pytest.mark.parametrize(
    "keys, error",
    [
        ("ab", "argument 'keys': Can't extract `str` to `Vec`"),
        (5, "argument 'keys': 'int' object cannot be converted to 'Sequence'"),
        ([H256.zero(), 5], "argument 'keys': 'int' object cannot be converted to 'H256'"),
        ({1: 2}, "argument 'keys': 'dict' object cannot be converted to 'Sequence'"),
    ],
)
def test_proof_refuses_what_is_not_a_sequence_of_h256(keys, error):
    tree, _ = filled_tree(3)
    with pytest.raises(TypeError) as raised:
        tree.merkle_proof(keys)
    assert str(raised.value) == error


def test_a_key_iterator_that_stores_into_the_tree_meets_its_borrow():
    tree, keys = filled_tree(3)
    root = tree.root()

    class Keys:
        def __len__(self):
            return 1

        def __getitem__(self, index):
            if index:
                raise IndexError
            tree.store_trader(TRADER_KEY, None)
            return keys[0]

    with pytest.raises(RuntimeError, match="^Already borrowed$"):
        tree.merkle_proof(Keys())
    assert tree.root() == root
    assert tree.merkle_proof(keys[:1]).as_bytes()


def test_merkle_proof_class_has_no_constructor():
    with pytest.raises(TypeError, match="^No constructor defined$"):
        MerkleProof()
    assert MerkleProof.__doc__ is None
    with pytest.raises(TypeError):
        type("Sub", (MerkleProof,), {})


# ---- the class, copies and texts ----------------------------------------------------------------


EMPTY_TREE_TEXT = (
    "VelmarindSMT { inner: SparseMerkleTree { store: ConcurrentStore { "
    "branches_map: RwLock { data: {}, poisoned: false, .. }, "
    "leaves_map: RwLock { data: {}, poisoned: false, .. } }, "
    "root: H256([" + ", ".join(["0"] * 32) + "]), "
    "phantom: PhantomData<(qzr_common::tree::shared_smt::Keccak256Hasher, qzr_common::types::state::Item)> } }"
)


def test_empty_tree():
    tree = VelmarindSMT()
    assert repr(tree) == EMPTY_TREE_TEXT
    assert tree.root() == H256.zero()
    assert tree.all_leaves() == []


def test_class_options():
    assert VelmarindSMT.__doc__ == "Wrapped Velmarind Sparse Merkle Tree."
    assert VelmarindSMT.__text_signature__ == "()"
    assert VelmarindSMT.__module__ == "builtins"
    signatures = {
        "root": "($self)",
        "merkle_proof": "($self, keys)",
        "store_item_by_key": "($self, key, maybe_inner)",
        "__deepcopy__": "($self, _memo)",
        "all_leaves": "($self)",
    }
    for kind in KINDS:
        signatures[kind.name] = "($self, key)"
        signatures["store_" + kind.name] = "($self, key, maybe_inner)"
        signatures[kind.listing] = "($self)"
    for name, signature in signatures.items():
        method = getattr(VelmarindSMT, name)
        assert method.__text_signature__ == signature and method.__doc__ is None, name
    with pytest.raises(TypeError):
        type("Sub", (VelmarindSMT,), {})


def test_tree_text_lists_every_node():
    tree = VelmarindSMT()
    tree.store_trader(TRADER_KEY, Trader(1, 0, "00" * 20, False))
    key_text = "H256([" + ", ".join(map(str, TRADER_KEY.encode_key().as_bytes())) + "])"
    text = repr(tree)
    assert text.startswith("VelmarindSMT { inner: SparseMerkleTree { store: ConcurrentStore { branches_map: RwLock { data: {")
    assert f"BranchNode {{ fork_height: 0, key: {key_text}, node_type: Single(" in text
    assert f"LeafNode {{ key: {key_text}, value: Trader(Trader {{ avail_qzr_balance: UnscaledI128(1)" in text
    assert re.search(r"root: H256\(\[(\d+, ){31}\d+\]\)", text)


def test_deep_copies_are_independent_both_ways():
    tree, keys = filled_tree(8)
    twin = copy.deepcopy(tree)
    assert type(twin) is VelmarindSMT and twin is not tree
    assert repr(twin) == repr(tree)  # the same maps in the same order
    assert twin.root() == tree.root()
    root = tree.root()

    twin.store_trader(TRADER_KEY, Trader(1, 0, "00" * 20, False))
    assert tree.root() == root and tree.trader(TRADER_KEY) is None
    tree.store_item_by_key(keys[0], None)
    assert twin.merkle_proof([keys[0]]).as_bytes() != tree.merkle_proof([keys[0]]).as_bytes()
    assert len(twin.all_leaves()) == 9 and len(tree.all_leaves()) == 7

    assert tree.__deepcopy__({"anything": 1}).root() == tree.root()
    with pytest.raises(TypeError, match="^argument '_memo': 'NoneType' object cannot be converted to 'PyDict'$"):
        tree.__deepcopy__(None)


def test_store_item_by_key_keeps_a_record_that_the_kinds_store_deletes():
    tree, key = VelmarindSMT(), SpecsKey(SpecsKind.SingleNamePerpetual, "ETHP")
    root = tree.store_item_by_key(key.encode_key(), Specs("").as_item())
    assert root != H256.zero()
    assert listed(tree.all_specs()) == {(key, repr(Specs("")))}
    assert tree.specs(key) == Specs("")
    assert tree.store_specs(key, Specs("")) == H256.zero()
    assert tree.all_specs() == []


# ---- genesis ------------------------------------------------------------------------------------

FUND_KEY = InsuranceFundKey().encode_key().as_bytes()
POOL_KEY = FeePoolKey().encode_key().as_bytes()


def fund_value_hash(kind, entries):
    """Keccak of the item ABI value of an insurance fund or fee pool, from the reference encoder."""
    value = ref.tuple_of(
        ref.array(ref.address(bytes.fromhex(token_addresses()[s][2:])) for _, s in entries),
        ref.array(ref.amount(decimal_text) for decimal_text, _ in entries),
    )
    return keccak256(ref.item_value(kind, value))


def test_genesis_of_two_balances():
    cap, pool = balance(("1000", USDC), ("2.5", QZR)), balance()
    tree = VelmarindSMT.from_genesis(cap, pool, {})
    assert type(tree) is VelmarindSMT
    fund_hash, pool_hash = fund_value_hash(6, [("1000", USDC), ("2.5", QZR)]), fund_value_hash(11, [])
    expected = naive_root({FUND_KEY: fund_hash, POOL_KEY: pool_hash})
    assert tree.root().as_bytes() == expected
    # The two keys part at height 166, the fee pool on the left: the root is one merge.
    assert H256.from_bytes(FUND_KEY).fork_height(H256.from_bytes(POOL_KEY)) == 166
    assert expected == merge(leaf_hash(POOL_KEY, pool_hash), leaf_hash(FUND_KEY, fund_hash))
    assert leaf_and_branch_counts(tree) == (2, 3)
    # Stored as given (an empty fee pool is void for store_fee_pool), and copied from the arguments.
    cap[USDC] = Decimal(1)
    fund = InsuranceFund(Decimal("1000"), USDC)
    fund[QZR] = Decimal("2.5")
    assert tree.insurance_fund(InsuranceFundKey()) == fund
    assert tree.fee_pool(FeePoolKey()) == FeePool.default()
    assert tree.fee_pool(FeePoolKey(7)) is None


def test_genesis_with_specs_in_any_order():
    entries = [
        (SpecsKey(SpecsKind.SingleNamePerpetual, "ETHP"), "(Market :tick-size 0.1)"),
        (SpecsKey(SpecsKind.SingleNamePerpetual, "BTCP"), ""),
        (SpecsKey(SpecsKind.MarketGateway, "api.example"), "gateway"),
    ]
    trees = [VelmarindSMT.from_genesis(balance(), balance(), dict(order)) for order in (entries, entries[::-1])]
    assert trees[0].root() == trees[1].root()
    expected = {FUND_KEY: fund_value_hash(6, []), POOL_KEY: fund_value_hash(11, [])}
    for key, text in entries:
        expected[key.encode_key().as_bytes()] = keccak256(ref.item_value(9, ref.string(text)))
    assert trees[0].root().as_bytes() == naive_root(expected)
    # The empty expression is stored too: genesis applies no void rule.
    assert listed(trees[0].all_specs()) == {(key, repr(Specs(text))) for key, text in entries}
    assert leaf_and_branch_counts(trees[0]) == (5, 9)


def test_genesis_argument_errors():
    cap = balance()
    with pytest.raises(TypeError) as raised:
        VelmarindSMT.from_genesis(cap, cap, [])
    assert str(raised.value) == "'list' object cannot be converted to 'PyDict'"
    with pytest.raises(TypeError) as raised:
        VelmarindSMT.from_genesis(cap, cap, {"ETHP": "x"})
    assert str(raised.value) == "'str' object cannot be converted to 'SpecsKey'"
    with pytest.raises(TypeError) as raised:
        VelmarindSMT.from_genesis(cap, cap, {SpecsKey(SpecsKind.SingleNamePerpetual, "ETHP"): 5})
    assert str(raised.value) == "failed to extract field SpecsExpr.0"
    assert str(raised.value.__cause__) == "'int' object cannot be converted to 'PyString'"
    with pytest.raises(TypeError) as raised:
        VelmarindSMT.from_genesis(1, cap, {})
    assert str(raised.value) == "argument 'insurance_fund_cap': 'int' object cannot be converted to 'Balance'"
    with pytest.raises(TypeError) as raised:
        VelmarindSMT.from_genesis(cap, InsuranceFund.default(), {})
    assert str(raised.value) == "argument 'fee_pool': 'InsuranceFund' object cannot be converted to 'Balance'"
    assert VelmarindSMT.from_genesis.__text_signature__ == "($cls, insurance_fund_cap, fee_pool, specs)"


# ---- the listings of one market -----------------------------------------------------------------

MARKET_KINDS = [(kind, f"{kind.listing}_for_symbol") for kind in KINDS if kind.name in ("position", "book_order", "price")]


@pytest.mark.parametrize("kind, listing", MARKET_KINDS, ids=[listing for _, listing in MARKET_KINDS])
def test_market_listings_keep_the_symbols_records(kind, listing):
    rng = random.Random(4)
    tree, model = VelmarindSMT(), Model()
    for _ in range(30):
        key, record = kind.make_key(rng), kind.make_record(rng)
        kind.store(tree, key, record)
        model.store(key.encode_key().as_bytes(), key, record)
    # Leaves of the other market kinds under the same symbols are not listed.
    for other, _ in MARKET_KINDS:
        if other is not kind:
            other.store(tree, other.make_key(rng), other.make_record(rng))
    for symbol in SYMBOLS:
        expected = {pair for pair in model.of_class(kind.record_class) if str(pair[0].symbol) == symbol}
        assert expected
        assert listed(getattr(tree, listing)(symbol)) == expected
        assert listed(getattr(tree, listing)(ProductSymbol(symbol))) == expected
    assert getattr(tree, listing)("XRPP") == []
    with pytest.raises(QzrCommonError):
        getattr(tree, listing)("eth")
    with pytest.raises(TypeError) as raised:
        getattr(tree, listing)(5)
    assert str(raised.value) == "argument 'symbol': 'int' object cannot be converted to 'PyString'"
    assert getattr(VelmarindSMT, listing).__text_signature__ == "($self, symbol)"
