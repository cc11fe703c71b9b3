"""The account records in Python: Strategy, Stats, InsuranceFundContribution and EpochMetadata,
their own members and the parts of the record protocol where they differ.

Independent references: the ABI encoder of abi_reference.py, Python's `decimal` for the recorded
amounts, and a 5-bit packing of product symbols written here for the order of EpochMetadata's
encoding. Token addresses come from this process's application context (balance_support.py).
"""

import copy

import pytest
from hypothesis import given, settings, strategies as st

import abi_reference as ref
from qzr_python.common import ProductSymbol, QzrCommonError, TokenSymbol
from qzr_python.common.state import (
    Balance,
    EpochMetadata,
    InsuranceFund,
    InsuranceFundContribution,
    Item,
    ItemKind,
    Stats,
    Strategy,
)
from qzr_python.decimal import Decimal, DecimalError
from balance_support import address_bytes, address_of, balance_tuple, token_addresses, words

USDC, QZR = TokenSymbol.USDC, TokenSymbol.QZR
ALPHABET = "0ABCDEFGHIJKLMNOPQRSTUVWXYZ"


# This process's context, before collection makes any balance.
token_addresses()


def balance_text(*entries):
    inner = ", ".join(f"TokenAddress({address_of(s)}): UnscaledI128({a})" for s, a in entries)
    return "Balance({" + inner + "})"


def balance(*entries):
    """A Balance of (symbol, amount text) entries in this order, zero amounts kept."""
    return Balance.new_from_many({symbol: Decimal(amount) for symbol, amount in entries}) if entries else Balance.default()


def id_word(raw):
    return ref.fixed(raw.ljust(32, b"\0"))


def strategy_value(strategy_id, avail=(), locked=(), max_leverage=3, frozen=False):
    return ref.tuple_of(id_word(strategy_id), balance_tuple(*avail), balance_tuple(*locked), ref.uint(max_leverage), ref.boolean(frozen))


# ---- every record of this file: round trips -----------------------------------------------------


def records():
    strategy = Strategy("main")
    strategy.avail_collateral = balance((QZR, "2"), (USDC, "-1.5"))
    strategy.locked_collateral = balance((USDC, "0"))
    strategy.max_leverage = 2**64 - 1
    strategy.frozen = True
    return [
        Strategy(""),
        strategy,
        Stats.default(),
        Stats("-3", "2.1234569"),
        InsuranceFundContribution.default(),
        InsuranceFundContribution(balance((USDC, "1")), balance((QZR, "0.5"), (USDC, "2"))),
        EpochMetadata({}),
        EpochMetadata({"ETHP": 5, ProductSymbol("BTCP"): 2**64 - 1, "ZAP": 0}),
    ]


@pytest.mark.parametrize("record", records(), ids=repr)
def test_round_trips(record):
    cls = type(record)
    item = record.as_item()
    assert type(item) is Item and item.item_kind() == getattr(ItemKind, cls.__name__)
    assert repr(item) == f"Item {{ inner: {cls.__name__}({record!r}) }}"
    assert cls.from_item(item) == record
    assert cls.abi_decode_value_into_item(record.abi_encoded_value()) == item
    assert record.abi_encoded_value() == item.abi_encoded_value()
    clone = record.__deepcopy__({})
    assert clone == record and clone is not record and copy.deepcopy(record) == record
    other = Stats.default() if cls is not Stats else Strategy("x")
    with pytest.raises(QzrCommonError, match="^invalid item kind$"):
        cls.from_item(other.as_item())
    assert record != other and not (record == 5)
    with pytest.raises(TypeError, match="unhashable"):
        hash(record)


@pytest.mark.parametrize(
    "cls, doc, signature, has_default",
    [
        (Strategy, "An trading strategy (aka sub-account, formerly known as account)", "(strategy_id)", False),
        (
            Stats,
            "A trader statistics value. This is used to store verified data like trade\nvolume data for trade mining.",
            "(maker_volume, taker_volume)",
            True,
        ),
        (InsuranceFundContribution, "An insurance fund contribution", "(avail_balance, locked_balance)", True),
        (EpochMetadata, "Metadata about an epoch that has been transitioned.", "(next_book_ordinals)", False),
    ],
)
def test_class_options(cls, doc, signature, has_default):
    assert cls.__doc__ == doc and cls.__text_signature__ == signature
    assert hasattr(cls, "default") == has_default
    with pytest.raises(TypeError):
        type("Sub", (cls,), {})


@pytest.mark.parametrize(
    "cls, docs",
    [
        (
            Strategy,
            {
                "strategy_id": None,
                "avail_collateral": "Amount of the collateral per token available as margin",
                "locked_collateral": "Amount of collateral per token frozen for withdrawal",
                "max_leverage": "Maximum amount of leverage allowed",
                "frozen": "Whether the entire account frozen for strategy tokenization",
            },
        ),
        (
            Stats,
            {
                "maker_volume": "The maker volume of the trader during this trade mining period",
                "taker_volume": "The taker volume of the trader during this trade mining period",
            },
        ),
        (
            InsuranceFundContribution,
            {
                "avail_balance": "Total contribution to the insurance fund, minus any withdrawals",
                "locked_balance": "Balance locked for withdrawal",
            },
        ),
        (
            EpochMetadata,
            {
                "next_book_ordinals": "The next book ordinals for all of the active markets. This mapping\nallows "
                "follower nodes to reliably generate the market index from the\nsparse merkle tree."
            },
        ),
    ],
)
def test_properties(cls, docs):
    record = cls("x") if cls is Strategy else cls({}) if cls is EpochMetadata else cls.default()
    for name, doc in docs.items():
        assert getattr(cls, name).__doc__ == doc
        with pytest.raises(AttributeError, match="^can't delete attribute$"):
            delattr(record, name)


# ---- Strategy -----------------------------------------------------------------------------------


def test_new_strategy():
    s = Strategy("main")
    assert repr(s) == (
        'Strategy { strategy_id: StrategyId("main"), avail_collateral: Balance({}), '
        "locked_collateral: Balance({}), max_leverage: 3, frozen: false }"
    )
    assert s.strategy_id == "main" and s.max_leverage == 3 and s.frozen is False
    assert type(s.avail_collateral) is Balance and len(s.avail_collateral) == 0
    assert s.is_void()
    assert s.abi_encoded_value() == ref.item_value(2, strategy_value(b"\x04main"))


@pytest.mark.parametrize(
    "text, shown",
    [("", '""'), ("a" * 31, '"' + "a" * 31 + '"'), ('q"\\\n', '"q\\"\\\\\\n"'), ("é" * 15, '"' + "é" * 15 + '"')],
)
def test_strategy_ids(text, shown):
    s = Strategy(text)
    assert s.strategy_id == text and f"strategy_id: StrategyId({shown})," in repr(s)
    raw = text.encode()
    assert s.abi_encoded_value() == ref.item_value(2, strategy_value(bytes([len(raw)]) + raw))


@pytest.mark.parametrize(
    "value, error, message",
    [
        ("a" * 32, QzrCommonError, "Bytes32 has 31 utf8 bytes prefixed with 1 length byte"),
        ("é" * 16, QzrCommonError, "Bytes32 has 31 utf8 bytes prefixed with 1 length byte"),
        (b"main", TypeError, "'bytes' object cannot be converted to 'PyString'"),
        (None, TypeError, "'NoneType' object cannot be converted to 'PyString'"),
    ],
)
def test_strategy_id_errors(value, error, message):
    with pytest.raises(error) as raised:
        Strategy(value)
    named = f"argument 'strategy_id': {message}" if error is TypeError else message
    assert type(raised.value) is error and str(raised.value) == named
    s = Strategy("kept")
    with pytest.raises(error) as raised:
        s.strategy_id = value
    assert str(raised.value) == message and s.strategy_id == "kept"


@pytest.mark.parametrize(
    "name, value, error, message",
    [
        ("max_leverage", -1, OverflowError, None),
        ("max_leverage", 2**64, OverflowError, None),
        ("max_leverage", "3", TypeError, None),
        ("max_leverage", 3.0, TypeError, None),
        ("frozen", 1, TypeError, "'int' object cannot be converted to 'PyBool'"),
        ("avail_collateral", None, TypeError, "'NoneType' object cannot be converted to 'Balance'"),
        ("locked_collateral", InsuranceFund.default(), TypeError, "'InsuranceFund' object cannot be converted to 'Balance'"),
    ],
)
def test_strategy_setter_errors_change_nothing(name, value, error, message):
    s = Strategy("main")
    before = repr(s)
    with pytest.raises(error) as raised:
        setattr(s, name, value)
    assert type(raised.value) is error
    if message is not None:
        assert str(raised.value) == message
    assert repr(s) == before


def test_strategy_setters():
    s = Strategy("main")
    s.max_leverage = 2**64 - 1
    s.frozen = True
    s.strategy_id = "other"
    assert (s.max_leverage, s.frozen, s.strategy_id) == (2**64 - 1, True, "other")


def test_collaterals_cross_by_copy():
    s = Strategy("main")
    given = balance((USDC, "1.5"))
    s.avail_collateral = given
    given[QZR] = Decimal(2)  # does not reach the strategy
    read = s.avail_collateral
    read[USDC] = Decimal(0)  # nor does a change of what a getter returned
    assert repr(s.avail_collateral) == balance_text((USDC, "1.5")) and read is not s.avail_collateral
    assert repr(s.locked_collateral) == "Balance({})"


def test_update_methods_return_a_changed_copy():
    s = Strategy("main")
    s.avail_collateral = balance((USDC, "1"))
    s.locked_collateral = balance((QZR, "4"), (USDC, "5"))
    avail = s.update_avail_collateral(QZR, Decimal("2.00000019"))
    assert type(avail) is Balance and repr(avail) == balance_text((USDC, "1"), (QZR, "2"))
    assert repr(s.avail_collateral) == balance_text((USDC, "1"))
    assert repr(s.update_avail_collateral(USDC, Decimal(0))) == "Balance({})"
    assert repr(s.update_avail_collateral(QZR, Decimal(0))) == balance_text((USDC, "1"))
    assert repr(s.update_locked_collateral(QZR, Decimal("-0.0"))) == balance_text((USDC, "5"))
    assert repr(s.update_locked_collateral(USDC, Decimal("0.0000001"))) == balance_text((QZR, "4"), (USDC, "0"))
    assert repr(s.locked_collateral) == balance_text((QZR, "4"), (USDC, "5"))
    assert Strategy.update_avail_collateral.__text_signature__ == "($self, symbol, amount)"


@pytest.mark.parametrize(
    "method",
    ["update_avail_collateral", "update_locked_collateral"],
)
@pytest.mark.parametrize(
    "arguments, message",
    [
        ((USDC, "5"), "argument 'amount': 'str' object cannot be converted to 'Decimal'"),
        ((USDC, 5), "argument 'amount': 'int' object cannot be converted to 'Decimal'"),
        ((0, Decimal(5)), "argument 'symbol': 'int' object cannot be converted to 'TokenSymbol'"),
    ],
)
def test_update_method_argument_errors(method, arguments, message):
    with pytest.raises(TypeError) as raised:
        getattr(Strategy("main"), method)(*arguments)
    assert str(raised.value) == message


def strategy(avail, locked, frozen, max_leverage):
    s = Strategy("main")
    s.avail_collateral = balance(*avail)
    s.locked_collateral = balance(*locked)
    s.frozen = frozen
    s.max_leverage = max_leverage
    return s


# (record maker, void): a record is void when every amount is zero (any scale or sign, dust below
# the sixth place included) whatever its flags, counters and leverage.
VOID_CASES = [
    (lambda: strategy((), (), False, 3), True),
    (lambda: strategy(((USDC, "0"),), ((QZR, "-0.0000001"),), True, 100), True),
    (lambda: strategy(((USDC, "0"), (QZR, "0")), (), True, 0), True),
    (lambda: strategy((), ((QZR, "0.000001"),), False, 3), False),
    (lambda: strategy(((USDC, "-5"),), (), False, 3), False),
    (lambda: Stats(0, 0), True),
    (lambda: Stats("0.000", "-0"), True),
    (lambda: Stats("-0.0000009", 0), True),
    (lambda: Stats(0, "0.000001"), False),
    (lambda: Stats(-1, 0), False),
    (lambda: InsuranceFundContribution(balance((USDC, "0")), balance()), True),
    (lambda: InsuranceFundContribution(balance(), balance((QZR, "0.000001"))), False),
    (lambda: InsuranceFundContribution(balance((USDC, "0"), (QZR, "0")), balance((QZR, "0"))), True),
]


@pytest.mark.parametrize("make, void", VOID_CASES)
def test_void_rule(make, void):
    record = make()
    assert record.is_void() is void, repr(record)


def test_strategy_equality():
    a, b = Strategy("main"), Strategy("main")
    a.avail_collateral = balance((USDC, "1"), (QZR, "2"))
    b.avail_collateral = balance((QZR, "2.0"), (USDC, "1.00"))
    assert a == b and not (a != b)
    assert a.abi_encoded_value() != b.abi_encoded_value()
    for name, value in [("strategy_id", "other"), ("max_leverage", 4), ("frozen", True), ("locked_collateral", balance((USDC, "0")))]:
        c = copy.deepcopy(a)
        setattr(c, name, value)
        assert c != a and not (c == a)


def test_strategy_bytes():
    s = Strategy("main")
    s.avail_collateral = balance((QZR, "2"), (USDC, "-1.5"))
    s.max_leverage = 7
    s.frozen = True
    expected = strategy_value(
        b"\x04main", [(address_bytes(QZR), 2), (address_bytes(USDC), -1.5)], [], max_leverage=7, frozen=True
    )
    assert s.abi_encoded_value() == ref.item_value(2, expected)


@pytest.mark.parametrize(
    "value, check",
    [
        # The low 64 bits of a larger leverage word.
        (strategy_value(b"\x01x", max_leverage=2**64 + 5), lambda s: s.max_leverage == 5),
        # A length byte above 31 reads as 31 bytes of text.
        (strategy_value(bytes([200]) + b"b" * 31), lambda s: s.strategy_id == "b" * 31),
        # Invalid UTF-8 is replaced.
        (strategy_value(b"\x02\xff\xfe"), lambda s: s.strategy_id == "\ufffd\ufffd"),
    ],
)
def test_strategy_decoding_is_lenient(value, check):
    item = Strategy.abi_decode_value_into_item(ref.item_value(2, value))
    assert check(Strategy.from_item(item))


# ---- Stats --------------------------------------------------------------------------------------


def test_stats_default_and_bytes():
    s = Stats.default()
    assert repr(s) == "Stats { maker_volume: UnscaledI128(0), taker_volume: UnscaledI128(0) }"
    assert s.is_void() and s.abi_encoded_value() == words(7, 0, 0)
    assert Stats("1.5", 0).abi_encoded_value() == words(7, 1_500_000, 0)
    negative = Stats(-3, "2.1234569")
    assert repr(negative) == "Stats { maker_volume: UnscaledI128(-3), taker_volume: UnscaledI128(2.123456) }"
    assert negative.abi_encoded_value() == words(7, (1 << 128) | 3_000_000, 2_123_456)


def test_stats_values():
    assert Stats("1.50", 2) == Stats("1.5", Decimal("2.0"))
    assert Stats("1.5", 2) != Stats("1.5", 3)
    s = Stats.default()
    s.maker_volume = 0.25
    assert str(s.maker_volume) == "0.25"
    with pytest.raises(DecimalError, match="^invalid value for decimal$"):
        s.maker_volume = None
    with pytest.raises(DecimalError, match="^Invalid value for decimal$"):
        Stats("x", 0)
    assert str(s.maker_volume) == "0.25"


@pytest.mark.parametrize(
    "cls, kind, fields",
    [
        (Stats, 7, lambda: [ref.amount("1.5")]),
        (InsuranceFundContribution, 10, lambda: [balance_tuple((address_bytes(USDC), 1))]),
    ],
    ids=["Stats", "InsuranceFundContribution"],
)
def test_a_value_one_field_short_does_not_decode(cls, kind, fields):
    short = ref.item_value(kind, ref.tuple_of(*fields()))
    with pytest.raises(QzrCommonError, match="^invalid abi representation: all schemas failed$"):
        cls.abi_decode_value_into_item(short)


def test_stats_decoding_ignores_fields_after_the_last():
    three = ref.item_value(7, ref.tuple_of(ref.amount("1.5"), ref.amount("-2"), ref.amount("9")))
    assert Stats.from_item(Stats.abi_decode_value_into_item(three)) == Stats("1.5", -2)


# ---- InsuranceFundContribution ------------------------------------------------------------------


def test_contribution_default():
    c = InsuranceFundContribution.default()
    assert repr(c) == "InsuranceFundContribution { avail_balance: Balance({}), locked_balance: Balance({}) }"
    assert c.is_void()
    assert c.abi_encoded_value() == words(0x20, 10, 0x40, 0x40, 0xC0, 0x40, 0x60, 0, 0, 0x40, 0x60, 0, 0)


def test_contribution_bytes_and_text():
    c = InsuranceFundContribution(balance((QZR, "2"), (USDC, "1")), balance((USDC, "-0.5")))
    assert repr(c) == (
        f"InsuranceFundContribution {{ avail_balance: {balance_text((QZR, '2'), (USDC, '1'))}, "
        f"locked_balance: {balance_text((USDC, '-0.5'))} }}"
    )
    usdc, qzr = address_bytes(USDC), address_bytes(QZR)
    expected = ref.tuple_of(balance_tuple((qzr, 2), (usdc, 1)), balance_tuple((usdc, -0.5)))
    assert c.abi_encoded_value() == ref.item_value(10, expected)


def test_contribution_updates_return_a_changed_copy():
    c = InsuranceFundContribution.default()
    avail = c.update_avail_balance(USDC, Decimal(5))
    assert type(avail) is Balance and repr(avail) == balance_text((USDC, "5"))
    assert repr(c.avail_balance) == "Balance({})"
    c.locked_balance = balance((USDC, "3"), (QZR, "1"))
    assert repr(c.update_locked_balance(USDC, Decimal(0))) == balance_text((QZR, "1"))
    assert repr(c.locked_balance) == balance_text((USDC, "3"), (QZR, "1"))
    with pytest.raises(TypeError, match="^argument 'amount': 'str' object cannot be converted to 'Decimal'$"):
        c.update_avail_balance(USDC, "5")
    assert InsuranceFundContribution.update_locked_balance.__text_signature__ == "($self, symbol, amount)"


def test_contribution_equality_and_copies():
    a = InsuranceFundContribution(balance((USDC, "1"), (QZR, "2")), Balance.default())
    b = InsuranceFundContribution(balance((QZR, "2"), (USDC, "1.0")), Balance.default())
    assert a == b and a.abi_encoded_value() != b.abi_encoded_value()
    assert a != InsuranceFundContribution(Balance.default(), balance((USDC, "1"), (QZR, "2")))
    given = balance((USDC, "1"))
    c = InsuranceFundContribution(given, given)
    given[USDC] = Decimal(9)
    c.avail_balance[USDC] = Decimal(8)
    assert repr(c.avail_balance) == balance_text((USDC, "1")) == repr(c.locked_balance)


@pytest.mark.parametrize(
    "arguments, message",
    [
        ((None, Balance.default()), "argument 'avail_balance': 'NoneType' object cannot be converted to 'Balance'"),
        ((Balance.default(), InsuranceFund.default()), "argument 'locked_balance': 'InsuranceFund' object cannot be converted to 'Balance'"),
        ((Balance.default(),), "InsuranceFundContribution.__new__() missing 1 required positional argument: 'locked_balance'"),
    ],
)
def test_contribution_constructor_errors(arguments, message):
    with pytest.raises(TypeError) as raised:
        InsuranceFundContribution(*arguments)
    assert str(raised.value) == message


# ---- EpochMetadata ------------------------------------------------------------------------------


def packed(text):
    """The six packed bytes of a product symbol: 5-bit alphabet codes in text order from the lowest
    bit, little-endian."""
    number = 0
    for i, char in enumerate(text):
        number |= ALPHABET.index(char) << (5 * i)
    return number.to_bytes(6, "little")


def text_word(text):
    return ref.fixed(bytes([len(text)]) + text.encode())


def epoch_value(entries):
    """The record value of (symbol text, ordinal) entries, in the given order."""
    return ref.tuple_of(ref.tuple_of(ref.array(text_word(t) for t, _ in entries), ref.array(ref.uint(o) for _, o in entries)))


def test_packing_of_the_examples():
    assert packed("ZAP") == bytes.fromhex("3a4000000000") and packed("ABP") == bytes.fromhex("414000000000")
    assert packed("BTCP")[:3] == bytes.fromhex("820e08") and packed("ETHP")[:3] == bytes.fromhex("852208")


def test_epoch_metadata_vectors():
    empty = EpochMetadata({})
    assert not empty.is_void() and repr(empty) == "EpochMetadata { next_book_ordinals: {} }"
    assert empty.abi_encoded_value() == words(0x20, 12, 0x40, 0x20, 0x40, 0x60, 0, 0)
    one = EpochMetadata({"ETHP": 5})
    assert one.next_book_ordinals == {ProductSymbol("ETHP"): 5}
    assert repr(one) == 'EpochMetadata { next_book_ordinals: {ProductSymbol("ETHP"): 5} }'
    ethp = bytes.fromhex("0445544850") + bytes(27)
    assert one.abi_encoded_value() == words(0x20, 12, 0x40, 0x20, 0x40, 0x80, 1) + ethp + words(1, 5)


def test_two_symbols_encode_in_packed_order_and_print_in_given_order():
    forward = EpochMetadata({"ABP": 1, "ZAP": 2})
    backward = EpochMetadata({ProductSymbol("ZAP"): 2, "ABP": 1})
    assert forward == backward
    assert forward.abi_encoded_value() == backward.abi_encoded_value() == ref.item_value(12, epoch_value([("ZAP", 2), ("ABP", 1)]))
    assert repr(forward) == 'EpochMetadata { next_book_ordinals: {ProductSymbol("ABP"): 1, ProductSymbol("ZAP"): 2} }'
    assert repr(backward) == 'EpochMetadata { next_book_ordinals: {ProductSymbol("ZAP"): 2, ProductSymbol("ABP"): 1} }'
    assert list(backward.next_book_ordinals) == [ProductSymbol("ZAP"), ProductSymbol("ABP")]


symbol_texts = st.text(alphabet=ALPHABET[1:], min_size=1, max_size=4).map(lambda u: u + "P")


@settings(max_examples=200, deadline=None)
@given(st.dictionaries(symbol_texts, st.integers(0, 2**64 - 1), max_size=12), st.randoms())
def test_encoding_sorts_by_packed_bytes(entries, random):
    items = list(entries.items())
    random.shuffle(items)
    record = EpochMetadata(dict(items))
    expected = ref.item_value(12, epoch_value(sorted(entries.items(), key=lambda e: packed(e[0]))))
    assert record.abi_encoded_value() == expected
    assert record.next_book_ordinals == {ProductSymbol(t): o for t, o in items}
    assert list(record.next_book_ordinals) == [ProductSymbol(t) for t, _ in items]
    assert EpochMetadata.abi_decode_value_into_item(expected) == record.as_item()


@pytest.mark.parametrize(
    "value, error, message",
    [
        ({"ETHP": -1}, OverflowError, None),
        ({"ETHP": 2**64}, OverflowError, None),
        ({"ETHP": "5"}, TypeError, None),
        ({5: 1}, TypeError, "'int' object cannot be converted to 'PyString'"),
        ({"ETH": 1}, QzrCommonError, None),
        ([("ETHP", 1)], TypeError, "'list' object cannot be converted to 'PyDict'"),
    ],
)
def test_epoch_metadata_conversion_errors(value, error, message):
    with pytest.raises(error) as raised:
        EpochMetadata(value)
    assert type(raised.value) is error
    if message is not None:
        assert str(raised.value) == f"argument 'next_book_ordinals': {message}"
    record = EpochMetadata({"BTCP": 1})
    with pytest.raises(error) as raised:
        record.next_book_ordinals = value
    if message is not None:
        assert str(raised.value) == message
    assert record.next_book_ordinals == {ProductSymbol("BTCP"): 1}


def test_setter_replaces_the_map():
    record = EpochMetadata({"BTCP": 1, "ETHP": 2})
    record.next_book_ordinals = {"ZAP": 3}
    assert record.next_book_ordinals == {ProductSymbol("ZAP"): 3}
    # A symbol given as an object and as text keeps the later ordinal.
    record.next_book_ordinals = {ProductSymbol("ETHP"): 1, "ETHP": 2}
    assert record.next_book_ordinals == {ProductSymbol("ETHP"): 2}


def test_ordinals_read_from_a_snapshot_of_the_dict():
    ordinals = {}

    class Clears:
        def __index__(self):
            ordinals.clear()
            return 7

    ordinals.update({"BTCP": Clears(), "ETHP": 8})
    record = EpochMetadata(ordinals)
    assert ordinals == {} and record.next_book_ordinals == {ProductSymbol("BTCP"): 7, ProductSymbol("ETHP"): 8}


@pytest.mark.parametrize(
    "value, expected",
    [
        # Three symbols and two ordinals: the walk stops at the shorter array.
        (
            ref.tuple_of(ref.tuple_of(ref.array([text_word("ETHP"), text_word("BTCP"), text_word("ZAP")]), ref.array([ref.uint(1), ref.uint(2)]))),
            {"ETHP": 1, "BTCP": 2},
        ),
        # A repeated symbol keeps the later ordinal.
        (epoch_value([("ETHP", 1), ("BTCP", 2), ("ETHP", 3)]), {"ETHP": 3, "BTCP": 2}),
        # Ordinals keep their low 64 bits.
        (epoch_value([("ETHP", 2**64 + 9)]), {"ETHP": 9}),
        (epoch_value([("ETH", 1)]), None),
    ],
)
def test_epoch_metadata_decoding(value, expected):
    data = ref.item_value(12, value)
    if expected is None:
        with pytest.raises(QzrCommonError, match="^invalid abi representation: all schemas failed$"):
            EpochMetadata.abi_decode_value_into_item(data)
        return
    record = EpochMetadata.from_item(EpochMetadata.abi_decode_value_into_item(data))
    assert record == EpochMetadata(expected)
