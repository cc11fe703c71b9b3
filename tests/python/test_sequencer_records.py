"""The sequencer record classes: IndexPrice (with its hash against words built here), Block,
AdvanceTime, AdvanceEpoch, AdvanceSettlementEpoch and MintPriceCheckpoint; their constructors,
getters, reprs, dict forms, frozenness, and the reading of price metadata from Python mappings."""

import collections.abc
import decimal
import json

import pytest

import eip712_support as eip712
import qzr_python.common.requests as requests_module
from qzr_python.common import ProductSymbol, QzrCommonError
from qzr_python.common.requests import (
    AdvanceEpoch,
    AdvanceSettlementEpoch,
    AdvanceTime,
    Block,
    IndexPrice,
    MintPriceCheckpoint,
    SettlementAction,
)
from qzr_python.decimal import Decimal, DecimalError

U64_MAX = 2**64 - 1
I64_MIN, I64_MAX = -(2**63), 2**63 - 1
RECORDED_MAX = "79228162514264337593543.950335"
EMPTY = {"t": "Empty"}
SINGLE = {"t": "SingleNamePerpetual"}

# ---- dict forms and reprs, written out by hand ------------------------------------------------
#
# (record, its dict form, its repr)
RECORDS = [
    (IndexPrice("ETHP", "1850.1234567", 0, EMPTY, 1700000000),
     {"t": "IndexPrice", "c": {"symbol": "ETHP", "price": "1850.123456", "prevPrice": "0", "metadata": EMPTY,
                               "timestamp": 1700000000}},
     'IndexPrice { symbol: ProductSymbol("ETHP"), price: UnscaledI128(1850.123456), prev_price: UnscaledI128(0), '
     "metadata: Empty, timestamp: 1700000000 }"),
    (IndexPrice(ProductSymbol("ABCDP"), Decimal("-2.500"), "1e26", {"c": None, "t": "SingleNamePerpetual", "x": 5},
                U64_MAX),
     {"t": "IndexPrice", "c": {"symbol": "ABCDP", "price": "-2.5", "prevPrice": RECORDED_MAX, "metadata": SINGLE,
                               "timestamp": U64_MAX}},
     'IndexPrice { symbol: ProductSymbol("ABCDP"), price: UnscaledI128(-2.5), '
     f"prev_price: UnscaledI128({RECORDED_MAX}), metadata: SingleNamePerpetual, timestamp: {U64_MAX} }}"),
    (IndexPrice("EP", 0.1, "-0.0000001", EMPTY, 0),
     {"t": "IndexPrice", "c": {"symbol": "EP", "price": "0.1", "prevPrice": "0", "metadata": EMPTY, "timestamp": 0}},
     'IndexPrice { symbol: ProductSymbol("EP"), price: UnscaledI128(0.1), prev_price: UnscaledI128(0), '
     "metadata: Empty, timestamp: 0 }"),
    (Block(0), {"t": "Block", "c": "0x0"}, "Block(0)"),
    (Block(255), {"t": "Block", "c": "0xff"}, "Block(255)"),
    (Block(256), {"t": "Block", "c": "0x100"}, "Block(256)"),
    (Block(4096), {"t": "Block", "c": "0x1000"}, "Block(4096)"),
    (Block(U64_MAX), {"t": "Block", "c": "0xffffffffffffffff"}, f"Block({U64_MAX})"),
    (AdvanceTime(0, -1), {"t": "AdvanceTime", "c": {"value": 0, "timestamp": -1}},
     "StampedTimeValue { value: 0, timestamp: -1 }"),
    (AdvanceTime(U64_MAX, I64_MIN), {"t": "AdvanceTime", "c": {"value": U64_MAX, "timestamp": I64_MIN}},
     f"StampedTimeValue {{ value: {U64_MAX}, timestamp: {I64_MIN} }}"),
    (AdvanceEpoch(7, AdvanceTime(1, I64_MAX)),
     {"t": "AdvanceEpoch", "c": {"epochId": 7, "time": {"value": 1, "timestamp": I64_MAX}}},
     f"AdvanceEpoch {{ epoch_id: 7, time: StampedTimeValue {{ value: 1, timestamp: {I64_MAX} }} }}"),
    (AdvanceSettlementEpoch(1, AdvanceTime(1, 1), []),
     {"t": "AdvanceSettlementEpoch", "c": {"epochId": 1, "time": {"value": 1, "timestamp": 1}, "actions": []}},
     "AdvanceSettlementEpoch { epoch_id: 1, time: StampedTimeValue { value: 1, timestamp: 1 }, actions: [] }"),
    (AdvanceSettlementEpoch(U64_MAX, AdvanceTime(0, 0),
                            (SettlementAction.TradeMining, SettlementAction.FundingDistribution,
                             SettlementAction.PnlRealization, SettlementAction.TradeMining)),
     {"t": "AdvanceSettlementEpoch",
      "c": {"epochId": U64_MAX, "time": {"value": 0, "timestamp": 0},
            "actions": ["tradeMining", "fundingDistribution", "pnlRealization", "tradeMining"]}},
     f"AdvanceSettlementEpoch {{ epoch_id: {U64_MAX}, time: StampedTimeValue {{ value: 0, timestamp: 0 }}, "
     "actions: [TradeMining, FundingDistribution, PnlRealization, TradeMining] }"),
    (MintPriceCheckpoint(7), {"t": "PriceCheckpoint", "c": {"timeValue": 7}}, "MintPriceCheckpoint { time_value: 7 }"),
    (MintPriceCheckpoint(0), {"t": "PriceCheckpoint", "c": {"timeValue": 0}}, "MintPriceCheckpoint { time_value: 0 }"),
]


def key_orders(value):
    """Every dict's key order, depth first."""
    if isinstance(value, dict):
        return [list(value)] + [order for item in value.values() for order in key_orders(item)]
    if isinstance(value, list):
        return [order for item in value for order in key_orders(item)]
    return []


@pytest.mark.parametrize("record, form, text", RECORDS, ids=[text[:40] for _, _, text in RECORDS])
def test_dict_form_and_repr(record, form, text):
    written = record.json
    assert written == form
    assert key_orders(written) == key_orders(form)
    assert json.loads(json.dumps(written)) == written
    assert record.json is not written
    assert repr(record) == str(record) == text


def test_getters():
    price = IndexPrice("ETHP", "1850.1234567", "-3", SINGLE, 12)
    assert type(price.symbol) is ProductSymbol and str(price.symbol) == "ETHP"
    assert type(price.price) is Decimal and str(price.price) == "1850.123456"
    assert str(price.prev_price) == "-3"
    assert price.metadata == SINGLE and price.metadata is not price.metadata
    assert price.timestamp == 12
    time = AdvanceTime(5, -6)
    assert (time.value, time.timestamp) == (5, -6)
    epoch = AdvanceEpoch(3, time)
    assert epoch.epoch_id == 3
    assert type(epoch.time) is AdvanceTime and repr(epoch.time) == repr(time)
    assert epoch.time is not time and epoch.time != time  # a copy; equality is identity
    settlement = AdvanceSettlementEpoch(9, time, [SettlementAction.PnlRealization])
    assert settlement.epoch_id == 9 and repr(settlement.time) == repr(time)
    assert settlement.actions == [SettlementAction.PnlRealization]
    assert settlement.actions[0] is not SettlementAction.PnlRealization
    assert MintPriceCheckpoint(11).time_value == 11
    with pytest.raises(AttributeError):
        Block(255).number


@pytest.mark.parametrize("record, attribute", [
    (IndexPrice("ETHP", 1, 1, EMPTY, 1), "price"),
    (AdvanceTime(1, 1), "value"),
    (AdvanceEpoch(1, AdvanceTime(1, 1)), "epoch_id"),
    (MintPriceCheckpoint(1), "time_value"),
    (Block(1), "number"),
])
def test_frozen(record, attribute):
    with pytest.raises(AttributeError):
        setattr(record, attribute, 2)
    with pytest.raises(AttributeError):
        record.json = {}


def test_keywords():
    assert repr(IndexPrice(timestamp=1, metadata=EMPTY, prev_price=2, price=3, symbol="ETHP")) == repr(
        IndexPrice("ETHP", 3, 2, EMPTY, 1))
    assert repr(AdvanceSettlementEpoch(actions=[], time=AdvanceTime(timestamp=2, value=1), epoch_id=4)) == (
        "AdvanceSettlementEpoch { epoch_id: 4, time: StampedTimeValue { value: 1, timestamp: 2 }, actions: [] }")
    assert Block(number=True).json == {"t": "Block", "c": "0x1"}


class Index:
    def __index__(self):
        return 42


@pytest.mark.parametrize("call, error, text", [
    (lambda: IndexPrice("ETHP", 1, 1, EMPTY, -1), OverflowError, "can't convert negative int to unsigned"),
    (lambda: IndexPrice("ETHP", 1, 1, EMPTY, 2**64), OverflowError, None),
    (lambda: IndexPrice("ETHP", 1, 1, EMPTY, "1"), TypeError,
     "argument 'timestamp': 'str' object cannot be interpreted as an integer"),
    (lambda: IndexPrice("ETHX", 1, 1, EMPTY, 1), QzrCommonError, None),
    (lambda: IndexPrice(5, 1, 1, EMPTY, 1), TypeError, "argument 'symbol': 'int' object cannot be converted to 'PyString'"),
    (lambda: IndexPrice("ETHP", "x", 1, EMPTY, 1), DecimalError, "Invalid value for decimal"),
    (lambda: IndexPrice("ETHP", 1, object(), EMPTY, 1), DecimalError, "invalid value for decimal"),
    (lambda: IndexPrice("ETHP", 1, 1, "Empty", 1), QzrCommonError,
     "unexpected type: 'str' object cannot be converted to 'Mapping'"),
    (lambda: Block(-1), OverflowError, None),
    (lambda: Block(1.0), TypeError, "argument 'number': 'float' object cannot be interpreted as an integer"),
    (lambda: Block(), TypeError, "Block.__new__() missing 1 required positional argument: 'number'"),
    (lambda: AdvanceTime(-1, 0), OverflowError, None),
    (lambda: AdvanceTime(0, 2**63), OverflowError, None),
    (lambda: AdvanceTime(0, -(2**63) - 1), OverflowError, None),
    (lambda: AdvanceEpoch(1, (5, 6)), TypeError, "argument 'time': 'tuple' object cannot be converted to 'AdvanceTime'"),
    (lambda: AdvanceEpoch(1, None), TypeError, "argument 'time': 'NoneType' object cannot be converted to 'AdvanceTime'"),
    (lambda: AdvanceSettlementEpoch(1, AdvanceTime(1, 1), "TradeMining"), TypeError,
     "argument 'actions': Can't extract `str` to `Vec`"),
    (lambda: AdvanceSettlementEpoch(1, AdvanceTime(1, 1), [0]), TypeError,
     "argument 'actions': 'int' object cannot be converted to 'SettlementAction'"),
    (lambda: AdvanceSettlementEpoch(1, AdvanceTime(1, 1), 5), TypeError,
     "argument 'actions': 'int' object cannot be converted to 'Sequence'"),
    (lambda: AdvanceSettlementEpoch(1, AdvanceTime(1, 1), {SettlementAction.TradeMining}), TypeError,
     "argument 'actions': 'set' object cannot be converted to 'Sequence'"),
    (lambda: AdvanceSettlementEpoch(-1, [], "x"), OverflowError, None),
    (lambda: MintPriceCheckpoint("7"), TypeError,
     "argument 'time_value': 'str' object cannot be interpreted as an integer"),
])
def test_constructor_errors(call, error, text):
    with pytest.raises(error) as raised:
        call()
    assert type(raised.value) is error
    if text is not None:
        assert str(raised.value) == text


def test_integers_through_the_index_protocol():
    assert MintPriceCheckpoint(Index()).time_value == 42
    assert AdvanceTime(True, Index()).timestamp == 42


# ---- class texts ---------------------------------------------------------------------------------

BLOCK_DOC = (
    "We use a single `BlockProducer` to sequence blocks along with other requests to ensure that\nall Execution "
    "Operators synchronize their state with Ethereum event in the same order.\n\n# Notes\n\nSome Ethereum events "
    "(e.g. Deposits) must only be processed on confirmed blocks.\nBlock confirmation count is handled client-side "
    "during execution. The block producer's\nresponsibility is just to post block numbers into the `RequestQueue`."
)


@pytest.mark.parametrize("cls, signature, doc", [
    (IndexPrice, "(symbol, price, prev_price, metadata, timestamp)",
     "An index price is the price update of an instrument coming from the price feed.\n\n"
     "It is signed by the price feed's enclave."),
    (Block, "(number)", BLOCK_DOC),
    (AdvanceTime, "(value, timestamp)", "Verified state relative time value in seconds with a wall clock timestamp."),
    (AdvanceEpoch, "(epoch_id, time)", ""),
    (AdvanceSettlementEpoch, "(epoch_id, time, actions)", ""),
    (MintPriceCheckpoint, "(time_value)", ""),
])
def test_class_texts(cls, signature, doc):
    assert cls.__text_signature__ == signature
    assert cls.__doc__ == doc
    assert cls.__module__ == "builtins"


@pytest.mark.parametrize("cls, name, doc", [
    (IndexPrice, "symbol", "Symbol of the instrument"),
    (IndexPrice, "price", "Current market price in the source exchange"),
    (IndexPrice, "prev_price", "The previous price update. Useful to prove that no prices were skipped."),
    (IndexPrice, "metadata", "Additional metadata required by the price feed to initialize"),
    (IndexPrice, "timestamp", None),
    (AdvanceSettlementEpoch, "epoch_id", "The settlement epoch id"),
    (AdvanceSettlementEpoch, "actions", "The list of actions covered by this settlement epoch"),
    (AdvanceSettlementEpoch, "time", None),
    (AdvanceEpoch, "epoch_id", None),
    (AdvanceTime, "value", None),
    (MintPriceCheckpoint, "time_value", None),
])
def test_property_docstrings(cls, name, doc):
    assert getattr(cls, name).__doc__ == doc


def test_registration_order():
    assert requests_module.__all__ == [
        "AdvanceEpoch", "AdvanceTime", "AdvanceSettlementEpoch", "Block", "IndexPrice", "MintPriceCheckpoint",
        "SettlementAction", "intents",
    ]
    assert IndexPrice.hash.__text_signature__ == "($self)"


# ---- IndexPrice.hash against words built here ----------------------------------------------------


def signed_decimal_word(text):
    with decimal.localcontext() as context:
        context.prec = 100
        value = decimal.Decimal(text)
        magnitude = int(abs(value) * 10**6)
    return bytes(15) + bytes([1 if value < 0 else 0]) + magnitude.to_bytes(16, "big")


def expected_hash(symbol, price, prev_price, metadata, timestamp):
    words = (eip712.text_word(symbol) + signed_decimal_word(price) + signed_decimal_word(prev_price)
             + eip712.uint_word(metadata) + eip712.uint_word(timestamp))
    assert len(words) == 160
    return "0x" + eip712.keccak(words)[:25].hex()


@pytest.mark.parametrize("arguments, words", [
    (("ETHP", "1850.1234567", 0, EMPTY, 1700000000), ("ETHP", "1850.123456", "0", 0, 1700000000)),
    (("ETHP", "1850.1234567", 0, SINGLE, 1700000000), ("ETHP", "1850.123456", "0", 1, 1700000000)),
    (("ABCDP", "-1.5", "1.5", EMPTY, U64_MAX), ("ABCDP", "-1.5", "1.5", 0, U64_MAX)),
    (("EP", RECORDED_MAX, "-" + RECORDED_MAX, EMPTY, 0), ("EP", RECORDED_MAX, "-" + RECORDED_MAX, 0, 0)),
    (("BTCP", "100000000000000000000000000", "0.000001", SINGLE, 1),
     ("BTCP", RECORDED_MAX, "0.000001", 1, 1)),
])
def test_index_price_hash(arguments, words):
    price = IndexPrice(*arguments)
    assert price.hash() == expected_hash(*words)
    assert IndexPrice(*arguments).hash() == price.hash()
    assert len(price.hash()) == 52


def test_negative_price_differs_only_in_its_sign_byte():
    negative, positive = IndexPrice("ETHP", "-7", 0, EMPTY, 1), IndexPrice("ETHP", "7", 0, EMPTY, 1)
    assert negative.hash() != positive.hash()
    assert negative.hash() == expected_hash("ETHP", "-7", "0", 0, 1)


# ---- price metadata from Python mappings ---------------------------------------------------------


class Metadata(collections.abc.Mapping):
    """A mapping that is not a dict, with its items in a chosen order."""

    def __init__(self, *items):
        self.items_ = list(items)

    def __getitem__(self, key):
        for k, v in self.items_:
            if k == key:
                return v
        raise KeyError(key)

    def __iter__(self):
        return iter([k for k, _ in self.items_])

    def __len__(self):
        return len(self.items_)


class DictLike(dict):
    pass


@pytest.mark.parametrize("metadata, expected", [
    ({"t": "Empty"}, EMPTY),
    ({"t": "SingleNamePerpetual", "c": None, "x": 5}, SINGLE),
    ({"c": None, "t": "Empty"}, EMPTY),
    ({"x": object(), "t": "Empty", 5: None}, "invalid type: 'int' object, expected `t` or `c`"),
    (DictLike(t="SingleNamePerpetual"), SINGLE),
    (Metadata(("c", None), ("t", "SingleNamePerpetual")), SINGLE),
    ({"c": None}, "missing field `t`"),
    ({}, "missing field `t`"),
    ({"t": "empty"}, "unknown variant `empty`, expected `Empty` or `SingleNamePerpetual`"),
    ({"t": "Empty "}, "unknown variant `Empty `, expected `Empty` or `SingleNamePerpetual`"),
    ({"t": 0}, "invalid type: 'int' object, expected variant identifier"),
    ({"t": "Empty", "c": 1}, "invalid type: 'int' object, expected unit variant PriceMetadata::Empty"),
    ({"t": "Empty", "c": Decimal(1)}, "invalid type: 'Decimal' object, expected unit variant PriceMetadata::Empty"),
    ({"c": {}, "t": "SingleNamePerpetual"},
     "invalid type: 'dict' object, expected unit variant PriceMetadata::SingleNamePerpetual"),
    ({"c": 1, "t": "bad"}, "unknown variant `bad`, expected `Empty` or `SingleNamePerpetual`"),
    ({5: "x", "t": "Empty"}, "invalid type: 'int' object, expected `t` or `c`"),
    ("Empty", "unexpected type: 'str' object cannot be converted to 'Mapping'"),
    ([("t", "Empty")], "unexpected type: 'list' object cannot be converted to 'Mapping'"),
    (None, "unexpected type: 'NoneType' object cannot be converted to 'Mapping'"),
])
def test_metadata_reading(metadata, expected):
    if isinstance(expected, dict):
        assert IndexPrice("ETHP", 1, 1, metadata, 1).metadata == expected
    else:
        with pytest.raises(QzrCommonError) as raised:
            IndexPrice("ETHP", 1, 1, metadata, 1)
        assert raised.value.args == (expected,)


def test_metadata_errors_of_the_mapping_pass():
    class Broken(Metadata):
        def __iter__(self):
            raise ValueError("no keys today")

    with pytest.raises(ValueError, match="no keys today"):
        IndexPrice("ETHP", 1, 1, Broken(("t", "Empty")), 1)
