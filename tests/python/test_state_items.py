"""ItemKind's numbers and constructor (its member names come from the table of enum_support.py;
what it shares with the other enumerations is in test_enums.py), Item, Signer and Specs, and the
item ABI value of every kind: byte-exact values, round trips, decoding of crafted and random bytes,
keys by kind.

Independent references: the ABI encoder of abi_reference.py (which also builds the values of the
kinds whose classes live elsewhere), the byte vectors worked out by hand below, and pycryptodome's
Keccak for the leaf value hash.
"""

import copy

import pytest
from Cryptodome.Hash import keccak
from hypothesis import given, strategies as st

import abi_reference as ref
from enum_support import NAMES as ENUM_NAMES
from hostile import NOT_EXCEPTIONS, IndexEmptiesKeywords, raising_in
from qzr_python.common import QzrCommonError
from qzr_python.common.state import Item, ItemKind, Signer, Specs, Trader
from qzr_python.common.state.keys import SignerKey, TraderKey
from qzr_python.h256 import H256

# ItemKind's member names by number.
NAMES = ENUM_NAMES[ItemKind]
ALL_FAILED = "invalid abi representation: all schemas failed"
HASH_HEX = "ab" * 32
TOKEN_A, TOKEN_B, TOKEN_C = bytes(range(1, 21)), bytes(range(21, 41)), bytes(range(41, 61))


def word(n):
    return n.to_bytes(32, "big")


def kind_of(number):
    return getattr(ItemKind, NAMES[number])


def balance(*entries):
    return ref.tuple_of(ref.array(ref.address(a) for a, _ in entries), ref.array(ref.amount(v) for _, v in entries))


def bytes32_text(text):
    raw = text.encode()
    return ref.fixed(bytes([len(raw)]) + raw + bytes(31 - len(raw)))


# One record value of every kind, written by the reference encoder (kind number, value, the text
# the decoded item's repr holds).
RECORD_VALUES = [
    (1, ref.trader_value("-1.5", "2", TOKEN_A, True), "Trader(Trader { avail_qzr_balance: UnscaledI128(-1.5)"),
    (2, ref.tuple_of(bytes32_text("main"), balance((TOKEN_A, "1.25")), balance(), ref.uint(3), ref.boolean(False)),
     'Strategy(Strategy { strategy_id: StrategyId("main"), avail_collateral: Balance({TokenAddress(0x0102'),
    (3, ref.tuple_of(ref.tuple_of(ref.uint(1)), ref.amount("2"), ref.amount("100.5")),
     "Position(Position { side: Long, balance: UnscaledI128(2), avg_entry_price: UnscaledI128(100.5) })"),
    (4, ref.tuple_of(ref.tuple_of(ref.uint(1)), ref.amount("0.5"), ref.amount("2000"), ref.fixed(bytes(1) + TOKEN_A),
                     ref.fixed(b"\x01\x02\x03\x04" + bytes(28)), ref.uint(7), ref.uint(8)),
     "BookOrder(BookOrder { side: Ask, amount: UnscaledI128(0.5)"),
    (5, ref.tuple_of(ref.amount("100.25"), ref.amount("-0.5"), ref.uint(7), ref.uint(1700)),
     "Price(Price { index_price: UnscaledI128(100.25), ema: UnscaledI128(-0.5), ordinal: 7, time_value: 1700 })"),
    (6, balance((TOKEN_A, "1"), (TOKEN_B, "2.5")),
     "InsuranceFund(Balance({TokenAddress(0x" + TOKEN_A.hex() + "): UnscaledI128(1), TokenAddress(0x"
     + TOKEN_B.hex() + "): UnscaledI128(2.5)}))"),
    (7, ref.tuple_of(ref.amount("1.5"), ref.amount("0")),
     "Stats(Stats { maker_volume: UnscaledI128(1.5), taker_volume: UnscaledI128(0) })"),
    (8, ref.fixed(bytes.fromhex(HASH_HEX)), f"Signer(ReleaseHash(Hash(0x{HASH_HEX})))"),
    (9, ref.string("A"), 'Specs(SpecsExpr("A"))'),
    (10, ref.tuple_of(balance((TOKEN_B, "3")), balance((TOKEN_A, "-4"))), "InsuranceFundContribution("),
    (11, balance(), "FeePool(Balance({}))"),
    (12, ref.tuple_of(ref.tuple_of(ref.array([bytes32_text("ETHP")]), ref.array([ref.uint(5)]))),
     'EpochMetadata(EpochMetadata { next_book_ordinals: {ProductSymbol("ETHP"): 5} })'),
]


TRADER_BYTES = ref.item_value(1, ref.trader_value("1", "2", TOKEN_A, True))


# ---- ItemKind -----------------------------------------------------------------------------------


# The first number past the kinds.
KIND_COUNT = len(ItemKind.discriminants)


def test_item_kind_numbers_by_name_and_constructor():
    assert list(ItemKind.discriminants.items()) == [(name, number) for number, name in enumerate(NAMES)]
    assert ItemKind.discriminants is ItemKind.discriminants
    for number, name in enumerate(NAMES):
        member = getattr(ItemKind, name)
        assert ItemKind(number) == member and ItemKind(number) is not member
    assert ItemKind(value=5) == ItemKind.Price
    assert ItemKind(int(ItemKind.Trader)) == ItemKind.Trader


@pytest.mark.parametrize(
    "value, exception, text",
    [
        (KIND_COUNT, ValueError, f"{KIND_COUNT} is not a valid ItemKind"),
        (255, ValueError, "255 is not a valid ItemKind"),
        (256, OverflowError, None),
        (-1, OverflowError, None),
        (2**64, OverflowError, None),
        (ItemKind.Trader, TypeError, "argument 'value': 'builtins.ItemKind' object cannot be interpreted as an integer"),
        ("1", TypeError, "argument 'value': 'str' object cannot be interpreted as an integer"),
        (1.0, TypeError, "argument 'value': 'float' object cannot be interpreted as an integer"),
    ],
)
def test_item_kind_constructor_errors(value, exception, text):
    with pytest.raises(exception) as raised:
        ItemKind(value)
    assert type(raised.value) is exception
    if text is not None:
        assert str(raised.value) == text
    # The frame's argument error carries the conversion error's own cause, not the error itself.
    assert raised.value.__cause__ is None


@pytest.mark.parametrize("raised", NOT_EXCEPTIONS, ids=lambda e: e.__name__)
def test_item_kind_constructor_raises_errors_that_are_not_exceptions(raised):
    with pytest.raises(raised):
        ItemKind(raising_in("__index__", raised))


def test_item_kind_argument_outlives_a_conversion_that_empties_the_keyword_dict():
    events = []
    assert ItemKind(**{"value": IndexEmptiesKeywords(events, 9)}) == ItemKind.Specs
    assert events == ["index", "del"]


# ---- Item ---------------------------------------------------------------------------------------


def test_item_class():
    with pytest.raises(TypeError, match="^No constructor defined$"):
        Item()
    item = Trader.default().as_item()
    assert (item == 5) is False and (item != 5) is True
    with pytest.raises(TypeError):
        item < item
    with pytest.raises(TypeError):
        hash(item)
    assert not hasattr(item, "inner")
    with pytest.raises(TypeError):
        type("Sub", (Item,), {})


def test_empty_item():
    empty = Item.abi_decode_value_into_item(ItemKind.Empty, b"")
    assert empty.item_kind() == ItemKind.Empty
    assert empty.abi_encoded_value() == b""
    assert repr(empty) == str(empty) == "Item { inner: Empty }"
    assert empty == Item.abi_decode_value_into_item(ItemKind.Trader, word(0) + TRADER_BYTES[32:])
    with pytest.raises(QzrCommonError) as raised:
        Item.abi_decode_value_into_item(ItemKind.Empty, b"\x00")
    assert raised.value.args == ("invalid abi representation: empty schema but non-empty value",)


@pytest.mark.parametrize(
    "kind, data, text",
    [
        (1, b"", "argument 'kind': 'int' object cannot be converted to 'ItemKind'"),
        (None, b"", "argument 'kind': 'NoneType' object cannot be converted to 'ItemKind'"),
        (ItemKind.Trader, bytearray(160), "argument 'abi_encoded_value': 'bytearray' object cannot be converted to 'PyBytes'"),
        (ItemKind.Trader, "", "argument 'abi_encoded_value': 'str' object cannot be converted to 'PyBytes'"),
    ],
)
def test_item_decoder_argument_types(kind, data, text):
    with pytest.raises(TypeError) as raised:
        Item.abi_decode_value_into_item(kind, data)
    assert str(raised.value) == text


@pytest.mark.parametrize("number, value, text", RECORD_VALUES, ids=NAMES[1:])
def test_item_abi_value_of_every_kind(number, value, text):
    data = ref.item_value(number, value)
    item = Item.abi_decode_value_into_item(kind_of(number), data)
    assert item.item_kind() == kind_of(number)
    assert item.abi_encoded_value() == data
    assert repr(item).startswith("Item { inner: " + text)
    assert Item.abi_decode_value_into_item(kind_of(number), data + bytes(64) + b"\x01") == item
    assert Item.abi_decode_value_into_item(item.item_kind(), item.abi_encoded_value()) == item


def test_stats_vector():
    data = word(7) + bytes(29) + bytes.fromhex("16e360") + word(0)
    assert data == ref.item_value(7, ref.tuple_of(ref.amount("1.5"), ref.amount("0")))
    item = Item.abi_decode_value_into_item(ItemKind.Stats, data)
    assert item.abi_encoded_value() == data
    assert repr(item) == "Item { inner: Stats(Stats { maker_volume: UnscaledI128(1.5), taker_volume: UnscaledI128(0) }) }"


@pytest.mark.parametrize(
    "item, digest",
    [
        (Signer("ab" * 32).as_item(), "edde813486744f46c3355bbca6db0ad6a80acf69490ce3ad914d2fbe5145cfce"),
        (Item.abi_decode_value_into_item(ItemKind.Stats, ref.item_value(7, ref.tuple_of(ref.amount("1.5"), ref.amount(0)))),
         "a1482dfadfc8f330a04440bf5e4491cce4e980213d758314e601514a3ff7c737"),
    ],
)
def test_leaf_value_hash_is_keccak_of_the_abi_value(item, digest):
    # Ethereum's Keccak-256 (padding 0x01), not SHA3-256.
    assert keccak.new(digest_bits=256, data=item.abi_encoded_value()).hexdigest() == digest


def test_kind_word_decides_the_item():
    fee_pool = ref.item_value(11, balance((TOKEN_A, "1")))
    item = Item.abi_decode_value_into_item(ItemKind.InsuranceFund, fee_pool)
    assert item.item_kind() == ItemKind.FeePool
    assert repr(item).startswith("Item { inner: FeePool(Balance({")
    with pytest.raises(QzrCommonError, match=f"^{ALL_FAILED}$"):
        Item.abi_decode_value_into_item(ItemKind.Stats, fee_pool)


def test_items_compare_amounts_and_balances_as_values():
    def decode(value, number=6):
        return Item.abi_decode_value_into_item(kind_of(number), ref.item_value(number, value))

    assert decode(balance((TOKEN_A, "1"), (TOKEN_B, "2"))) == decode(balance((TOKEN_B, "2"), (TOKEN_A, "1")))
    assert decode(balance((TOKEN_A, "1"))) != decode(balance((TOKEN_A, "1"), (TOKEN_B, "0")))
    assert decode(balance((TOKEN_A, "1"))) != decode(balance((TOKEN_A, "1")), 11)
    assert Trader("1.5", 0, "00" * 20, False).as_item() == Trader("1.50", 0, "00" * 20, False).as_item()


def test_decode_key():
    key = TraderKey("0x00" + "11" * 20)
    decoded = Item.decode_key(ItemKind.Trader, key.encode_key())
    assert type(decoded) is TraderKey and decoded == key
    signer = SignerKey("0x00" + "22" * 20)
    assert Item.decode_key(ItemKind.Signer, signer.encode_key()) == signer
    with pytest.raises(QzrCommonError):
        Item.decode_key(ItemKind.Signer, key.encode_key())
    with pytest.raises(QzrCommonError) as raised:
        Item.decode_key(ItemKind.Empty, key.encode_key())
    assert raised.value.args == ("cannot decode key for empty item kind",)
    with pytest.raises(TypeError, match="^argument 'encoded_key': 'bytes' object cannot be converted to 'H256'$"):
        Item.decode_key(ItemKind.Trader, bytes(32))
    with pytest.raises(TypeError, match="^argument 'kind'"):
        Item.decode_key(1, H256.zero())


# ---- decoding untrusted bytes -------------------------------------------------------------------


def three_addresses():
    return ref.item_value(6, balance((TOKEN_A, "1"), (TOKEN_B, "2"), (TOKEN_C, "3")))


CRAFTED = [
    ("empty", 1, b""),
    ("one byte short", 1, TRADER_BYTES[:-1]),
    (f"kind {KIND_COUNT}", 1, word(KIND_COUNT) + TRADER_BYTES[32:]),
    ("kind 2**64", 1, word(2**64) + TRADER_BYTES[32:]),
    ("kind 2**256 - 1", 1, word(2**256 - 1) + TRADER_BYTES[32:]),
    ("trader bytes as stats", 7, TRADER_BYTES),
    ("signer short", 8, ref.item_value(8, ref.fixed(bytes(32)))[:63]),
    ("signer bytes as specs", 9, ref.item_value(8, ref.fixed(bytes(32)))),
    ("specs huge outer offset", 9, word(2**255) + ref.item_value(9, ref.string("A"))[32:]),
    ("specs offset past the end", 9, word(0x20) + word(9) + word(0x4000) + word(1) + word(0)),
    ("specs huge length", 9, word(0x20) + word(9) + word(0x40) + word(2**64) + word(0)),
    ("specs length past the data", 9, word(0x20) + word(9) + word(0x40) + word(33) + word(0)),
    ("specs bytes as signer", 8, ref.item_value(9, ref.string("x"))[32:]),
    ("position side 3", 3, ref.item_value(3, ref.tuple_of(ref.tuple_of(ref.uint(3)), ref.amount(1), ref.amount(1)))),
    ("book order side 2**64", 4, ref.item_value(4, ref.tuple_of(
        ref.tuple_of(ref.uint(2**64)), ref.amount(1), ref.amount(1), ref.fixed(bytes(21)), ref.fixed(bytes(32)),
        ref.uint(0), ref.uint(0)))),
    ("third address", 6, three_addresses()),
    ("huge array length", 6, word(0x20) + word(6) + word(0x40) + word(0x40) + word(0x60) + word(2**64) + word(0)),
    ("array offset loop", 6, word(0x20) + word(6) + word(0x40) + word(0) + word(0) + word(1)),
    ("epoch metadata bad symbol", 12, ref.item_value(12, ref.tuple_of(ref.tuple_of(
        ref.array([bytes32_text("eth!")]), ref.array([ref.uint(1)]))))),
]


@pytest.mark.parametrize("name, number, data", CRAFTED, ids=[case[0] for case in CRAFTED])
def test_crafted_bytes_raise_the_common_error(name, number, data):
    with pytest.raises(QzrCommonError) as raised:
        Item.abi_decode_value_into_item(kind_of(number), data)
    assert raised.value.args == (ALL_FAILED,)


def test_record_classes_decode_with_their_own_kind():
    with pytest.raises(QzrCommonError, match=f"^{ALL_FAILED}$"):
        Signer.abi_decode_value_into_item(b"")
    with pytest.raises(QzrCommonError, match=f"^{ALL_FAILED}$"):
        Specs.abi_decode_value_into_item(three_addresses())


ENCODINGS = [ref.item_value(number, value) for number, value, _ in RECORD_VALUES]


@given(st.integers(min_value=0, max_value=KIND_COUNT - 1), st.binary(max_size=600))
def test_random_bytes_decode_or_raise_the_common_error(number, data):
    try:
        item = Item.abi_decode_value_into_item(kind_of(number), data)
    except QzrCommonError as error:
        assert error.args in ((ALL_FAILED,), ("invalid abi representation: empty schema but non-empty value",))
    else:
        repr(item)
        assert Item.abi_decode_value_into_item(item.item_kind(), item.abi_encoded_value()) == item


@given(st.data())
def test_mutated_encodings_decode_or_raise_the_common_error(data):
    number = data.draw(st.integers(min_value=1, max_value=KIND_COUNT - 1))
    encoded = bytearray(ENCODINGS[number - 1])
    for _ in range(data.draw(st.integers(min_value=1, max_value=4))):
        position = data.draw(st.integers(min_value=0, max_value=len(encoded) - 1))
        encoded[position] = data.draw(st.sampled_from([0, 1, 0x20, 0x7F, 0xFF]))
    cut = data.draw(st.integers(min_value=0, max_value=len(encoded)))
    try:
        item = Item.abi_decode_value_into_item(kind_of(number), bytes(encoded[:cut]))
    except QzrCommonError as error:
        assert error.args == (ALL_FAILED,)
    else:
        repr(item)


# ---- Signer and Specs ---------------------------------------------------------------------------


def test_signer_and_specs_class_options():
    for cls in (Signer, Specs):
        assert cls.__text_signature__ == "(inner)"
        with pytest.raises(TypeError):
            type("Sub", (cls,), {})
        with pytest.raises(TypeError):
            hash(cls("ab" * 32))
        x = cls("ab" * 32)
        assert not hasattr(x, "inner")
        with pytest.raises(AttributeError):
            x.inner = "x"


def test_signer_text_and_bytes():
    signer = Signer("0x" + "ab" * 32)
    assert signer == Signer("AB" * 32) == Signer(" 0xab".replace(" ", "") + "ab" * 31 + "\n")
    assert repr(signer) == str(signer) == f"Signer {{ inner: ReleaseHash(Hash(0x{HASH_HEX})) }}"
    data = signer.abi_encoded_value()
    assert data == bytes(31) + b"\x08" + bytes.fromhex(HASH_HEX)
    assert data == ref.item_value(8, ref.fixed(bytes.fromhex(HASH_HEX)))
    assert Signer("00" * 32).is_void() is False and signer.is_void() is False


@pytest.mark.parametrize(
    "cls, value, cause, cause_text",
    [
        (Signer, "ab" * 31, QzrCommonError, "Invalid input length"),
        (Signer, "ab" * 33, QzrCommonError, "Invalid input length"),
        (Signer, "0X" + "ab" * 32, QzrCommonError, "Invalid character 'X' at position 1"),
        (Signer, "ab" * 31 + "zz", QzrCommonError, "Invalid character 'z' at position 62"),
        (Signer, b"ab" * 32, TypeError, "'bytes' object cannot be converted to 'PyString'"),
        (Signer, 5, TypeError, "'int' object cannot be converted to 'PyString'"),
        (Specs, None, TypeError, "'NoneType' object cannot be converted to 'PyString'"),
        (Specs, b"x", TypeError, "'bytes' object cannot be converted to 'PyString'"),
        (Specs, "\ud800", UnicodeEncodeError, None),
    ],
)
def test_construction_failures(cls, value, cause, cause_text):
    field = "ReleaseHash.0" if cls is Signer else "SpecsExpr.0"
    with pytest.raises(TypeError) as raised:
        cls(value)
    assert type(raised.value) is TypeError
    assert str(raised.value) == f"argument 'inner': failed to extract field {field}"
    assert type(raised.value.__cause__) is cause
    if cause_text is not None:
        assert str(raised.value.__cause__) == cause_text
    with pytest.raises(TypeError, match="missing 1 required positional argument: 'inner'"):
        cls()


@pytest.mark.parametrize(
    "text, shown",
    [
        ("", '""'),
        ("abc", '"abc"'),
        ('a"b\\c', '"a\\"b\\\\c"'),
        ("line\nfeed\ttab\r\0", '"line\\nfeed\\ttab\\r\\0"'),
        ("\x7f\u0301é", '"\\u{7f}\\u{301}é"'),
        ("it's ünïcode", "\"it's ünïcode\""),
    ],
)
def test_specs_repr(text, shown):
    assert repr(Specs(text)) == f"Specs {{ inner: SpecsExpr({shown}) }}"


@pytest.mark.parametrize(
    "text, data",
    [
        ("", word(0x20) + word(9) + word(0x40) + word(0)),
        ("A", word(0x20) + word(9) + word(0x40) + word(1) + b"A" + bytes(31)),
        ("x" * 32, word(0x20) + word(9) + word(0x40) + word(32) + b"x" * 32),
        ("x" * 33, word(0x20) + word(9) + word(0x40) + word(33) + b"x" * 33 + bytes(31)),
    ],
)
def test_specs_bytes(text, data):
    specs = Specs(text)
    assert specs.abi_encoded_value() == data == ref.item_value(9, ref.string(text))
    assert specs.is_void() is (text == "")
    assert Specs.abi_decode_value_into_item(data) == specs.as_item()


def test_specs_equality_is_bytewise():
    assert Specs("abc") == Specs("abc")
    assert Specs("abc") != Specs("ABC") and Specs("abc") != Specs("abc ")
    assert Specs("é") != Specs("e\u0301")
    assert (Specs("abc") == "abc") is False and (Specs("abc") != "abc") is True
    assert Specs(" ").is_void() is False
    assert (Signer("ab" * 32) == Specs("ab" * 32)) is False


def test_specs_invalid_utf8_decodes_with_replacement():
    data = word(0x20) + word(9) + word(0x40) + word(2) + b"\xff\xfe" + bytes(30)
    item = Specs.abi_decode_value_into_item(data)
    assert Specs.from_item(item) == Specs("\ufffd\ufffd")


def test_signer_and_specs_item_conversions():
    signer, specs = Signer(HASH_HEX), Specs("x")
    assert Signer.from_item(signer.as_item()) == signer and Specs.from_item(specs.as_item()) == specs
    assert signer.as_item().item_kind() == ItemKind.Signer and specs.as_item().item_kind() == ItemKind.Specs
    assert repr(specs.as_item()) == 'Item { inner: Specs(SpecsExpr("x")) }'
    for cls, item in ((Signer, specs.as_item()), (Specs, signer.as_item()),
                      (Signer, Item.abi_decode_value_into_item(ItemKind.Empty, b""))):
        with pytest.raises(QzrCommonError, match="^invalid item kind$"):
            cls.from_item(item)
    assert Signer.abi_decode_value_into_item(signer.abi_encoded_value()) == signer.as_item()
    with pytest.raises(QzrCommonError, match=f"^{ALL_FAILED}$"):
        Specs.abi_decode_value_into_item(signer.abi_encoded_value())
    for x in (signer, specs):
        copied = x.__deepcopy__({})
        assert copied == x and copied is not x and copy.deepcopy(x) == x
        with pytest.raises(TypeError, match="^argument '_memo'"):
            x.__deepcopy__([])


@given(st.binary(min_size=32, max_size=32), st.text(max_size=80))
def test_signer_and_specs_round_trips(raw, text):
    signer, specs = Signer(raw.hex()), Specs(text)
    assert signer.abi_encoded_value() == ref.item_value(8, ref.fixed(raw))
    assert specs.abi_encoded_value() == ref.item_value(9, ref.string(text))
    assert Item.abi_decode_value_into_item(ItemKind.Signer, signer.abi_encoded_value()) == signer.as_item()
    assert Item.abi_decode_value_into_item(ItemKind.Specs, specs.abi_encoded_value()) == specs.as_item()
    assert Specs.from_item(specs.as_item()) == specs
