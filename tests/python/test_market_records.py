"""Position, Price and BookOrder as record classes: their fields at the boundary, texts, void
rules, equality, item conversions and item ABI values (the protocol shared by every record class
is tested on Trader in test_record_protocol.py).

Byte vectors come from the independent encoder of abi_reference.py and from worked examples.
"""

import copy
import decimal as std

import pytest
from hypothesis import given, settings, strategies as st

import abi_reference as abi
import accounting_reference as ref
from index_support import Indexable
from qzr_python.common import QzrCommonError
from qzr_python.common.enums import OrderSide, PositionSide, TradeSide
from qzr_python.common.state import BookOrder, Item, ItemKind, Position, Price, Trader
from qzr_python.decimal import Decimal, DecimalError

PROPERTY = settings(max_examples=200, deadline=None)
ALL_FAILED = "invalid abi representation: all schemas failed"
HUGE = "79228162514264337593543.950335"

ADDRESS = "0x00" + "11" * 20
HASH = "0x01020304"
# Members are unhashable: the sides by number.
POSITION_SIDES = [PositionSide.Empty, PositionSide.Long, PositionSide.Short]


def book_order(side=OrderSide.Bid, amount="1.5", price=2000, address=ADDRESS, strategy=HASH, ordinal=7, time=9):
    return BookOrder(side, amount, price, address, strategy, ordinal, time)


def word(n):
    return n.to_bytes(32, "big")


# Any recorded amount: up to 29 digits and 6 places, either sign (the largest included).
amount_texts = st.tuples(st.booleans(), st.integers(0, 2**96 - 1), st.integers(0, 6)).map(
    lambda p: ref.text(ref.recorded(std.Decimal((int(p[0]), tuple(map(int, str(p[1]))), -p[2]))))
)
u64 = st.integers(0, 2**64 - 1)


# ---- class options ------------------------------------------------------------------------------


@pytest.mark.parametrize(
    "cls, doc, signature, property_docs, has_default",
    [
        (Position, "An individual position held in an strategy", "(side, balance, avg_entry_price)", {
            "side": "The position side: Long = 0, Short = 1",
            "balance": "The position size denominated in the same unit as the underlying",
            "avg_entry_price": "The average entry price (updated when adding to the position)",
        }, True),
        (Price, "A price value (used for funding and liquidations)", "(index_price, ema, ordinal, time_value)", {
            "index_price": "The index price number coming from a price feed",
            "ema": "The calculated exponential moving address (input to the mark price and verifiable using "
                   "orderbook snapshot in the aggregate tree)",
            "ordinal": None,
            "time_value": None,
            "mark_price": None,
        }, False),
        (BookOrder, "A Bid or Ask in the orderbook (maker order)",
         "(side, amount, price, trader_address, strategy_id_hash, book_ordinal, time_value)", {
            "side": "Bid = 0, Ask = 1",
            "amount": "Order amount",
            "price": "Price offered to takers",
            "trader_address": "Maker address",
            "strategy_id_hash": "Maker strategy identifier",
            "book_ordinal": "Per market ordinal sequencing inclusion in the order book",
            "time_value": "Time stamp of the post order transaction",
        }, False),
    ],
)
def test_class_options(cls, doc, signature, property_docs, has_default):
    assert cls.__doc__ == doc
    assert cls.__text_signature__ == signature
    assert cls.__module__ == "builtins"
    for name, property_doc in property_docs.items():
        assert getattr(cls, name).__doc__ == property_doc
    assert hasattr(cls, "default") is has_default
    with pytest.raises(TypeError):
        type("Sub", (cls,), {})


# ---- Position -----------------------------------------------------------------------------------


@pytest.mark.parametrize(
    "arguments, text",
    [
        ((PositionSide.Long, "1.1234567", "100.00"),
         "Position { side: Long, balance: UnscaledI128(1.123456), avg_entry_price: UnscaledI128(100) }"),
        ((PositionSide.Empty, 0, 0), "Position { side: None, balance: UnscaledI128(0), avg_entry_price: UnscaledI128(0) }"),
        ((PositionSide.Long, "1.5", 2000),
         "Position { side: Long, balance: UnscaledI128(1.5), avg_entry_price: UnscaledI128(2000) }"),
        ((PositionSide.Short, -2.5, Decimal("-0.0000001")),
         "Position { side: Short, balance: UnscaledI128(-2.5), avg_entry_price: UnscaledI128(0) }"),
        ((PositionSide.Long, "79228162514264337593543950335", "-1e23"),
         f"Position {{ side: Long, balance: UnscaledI128({HUGE}), avg_entry_price: UnscaledI128(-{HUGE}) }}"),
    ],
)
def test_position_construction_and_repr(arguments, text):
    p = Position(*arguments)
    assert repr(p) == str(p) == text
    assert p == Position(side=arguments[0], avg_entry_price=arguments[2], balance=arguments[1])


def test_position_default():
    default = Position.default()
    assert repr(default) == "Position { side: None, balance: UnscaledI128(0), avg_entry_price: UnscaledI128(0) }"


# (record maker, void): a position is void when its balance is zero whatever its side and price;
# a price when all four fields are zero; a book order when its amount is, whatever its price.
# Zeros of any scale or sign count, and so does dust below the sixth place.
VOID_CASES = [
    (Position.default, True),
    (lambda: Position(PositionSide.Long, "0.000", "100"), True),
    (lambda: Position(PositionSide.Long, "-0.0000001", "100"), True),
    (lambda: Position(PositionSide.Empty, "-0.000001", "0"), False),
    (lambda: Position(PositionSide.Long, "0.000001", "0"), False),
    (lambda: Price(0, 0, 0, 0), True),
    (lambda: Price("0.0000009", "-0.0000009", 0, 0), True),
    (lambda: Price("0.000", "-0", 0, 0), True),
    (lambda: Price(1, 0, 5, 0), False),
    (lambda: Price(0, 0, 0, 1), False),
    (lambda: Price(0, 0, 1, 0), False),
    (lambda: Price(0, "0.000001", 0, 0), False),
] + [
    (lambda amount=amount, price=price: book_order(amount=amount, price=price), void)
    for amount, void in [(0, True), ("0.000", True), ("-0", True), ("0.0000009", True), ("0.000001", False),
                         ("-0.000001", False)]
    for price in (0, 123)
]


@pytest.mark.parametrize("make, void", VOID_CASES)
def test_void_rule(make, void):
    record = make()
    assert record.is_void() is void, repr(record)


def test_position_side_property():
    p = Position(PositionSide.Empty, 1, 1)
    side = p.side
    assert side == PositionSide.Empty and side is not PositionSide.Empty and type(side) is PositionSide
    p.side = PositionSide.Short
    assert p.side == PositionSide.Short == 2
    assert repr(p).startswith("Position { side: Short,")


@pytest.mark.parametrize(
    "arguments, exception, text",
    [
        ((1, 1, 1), TypeError, "argument 'side': 'int' object cannot be converted to 'PositionSide'"),
        ((TradeSide.Taker, 1, 1), TypeError, "argument 'side': 'TradeSide' object cannot be converted to 'PositionSide'"),
        ((OrderSide.Ask, 1, 1), TypeError, "argument 'side': 'OrderSide' object cannot be converted to 'PositionSide'"),
        ((PositionSide.Long, None, 1), DecimalError, "invalid value for decimal"),
        ((PositionSide.Long, 1, "1.2.3"), DecimalError, "Invalid value for decimal"),
        ((PositionSide.Long, [1], 1), DecimalError, "invalid value for decimal"),
    ],
)
def test_position_constructor_errors(arguments, exception, text):
    with pytest.raises(exception) as raised:
        Position(*arguments)
    assert type(raised.value) is exception
    assert str(raised.value) == text


@pytest.mark.parametrize(
    "name, value, exception, text",
    [
        ("side", 1, TypeError, "'int' object cannot be converted to 'PositionSide'"),
        ("side", TradeSide.Maker, TypeError, "'TradeSide' object cannot be converted to 'PositionSide'"),
        ("balance", "abc", DecimalError, "Invalid value for decimal"),
        ("avg_entry_price", None, DecimalError, "invalid value for decimal"),
    ],
)
def test_position_setter_errors_change_nothing(name, value, exception, text):
    p = Position(PositionSide.Long, "1.5", "100")
    with pytest.raises(exception) as raised:
        setattr(p, name, value)
    assert str(raised.value) == text
    assert repr(p) == "Position { side: Long, balance: UnscaledI128(1.5), avg_entry_price: UnscaledI128(100) }"


@pytest.mark.parametrize("cls, name", [(Position, "side"), (Position, "balance"), (Price, "ordinal"),
                                       (BookOrder, "price"), (BookOrder, "trader_address")])
def test_properties_cannot_be_deleted(cls, name):
    record = Position.default() if cls is Position else Price(1, 1, 1, 1) if cls is Price else book_order()
    with pytest.raises(AttributeError, match="^can't delete attribute$"):
        delattr(record, name)


def test_position_amount_setters_record():
    p = Position.default()
    p.balance = "1.23456789"
    p.avg_entry_price = 1e-7
    assert (str(p.balance), str(p.avg_entry_price)) == ("1.234567", "0")
    p.balance = Decimal("2.500")
    assert str(p.balance) == "2.5"


@pytest.mark.parametrize(
    "left, right, equal",
    [
        ((PositionSide.Long, "1.5", "100"), (PositionSide.Long, "1.50", "100.000"), True),
        ((PositionSide.Long, "1.5", "100"), (PositionSide.Short, "1.5", "100"), False),
        ((PositionSide.Long, "1.5", "100"), (PositionSide.Long, "1.500001", "100"), False),
        ((PositionSide.Long, "1.5", "100"), (PositionSide.Long, "1.5", "100.000001"), False),
        ((PositionSide.Empty, "0", "0"), (PositionSide.Empty, "-0", "0.0"), True),
    ],
)
def test_position_equality(left, right, equal):
    assert (Position(*left) == Position(*right)) is equal
    assert (Position(*left) != Position(*right)) is not equal


def position_value(side, balance, avg_entry_price):
    return abi.tuple_of(abi.tuple_of(abi.uint(int(side))), abi.amount(balance), abi.amount(avg_entry_price))


@PROPERTY
@given(side=st.sampled_from(POSITION_SIDES), balance=amount_texts, avg_entry_price=amount_texts)
def test_position_abi_value_matches_reference_and_round_trips(side, balance, avg_entry_price):
    p = Position(side, balance, avg_entry_price)
    encoded = p.abi_encoded_value()
    assert encoded == abi.item_value(3, position_value(side, balance, avg_entry_price))
    item = Position.abi_decode_value_into_item(encoded)
    assert item == p.as_item() and item.item_kind() == ItemKind.Position
    back = Position.from_item(item)
    assert back == p and repr(back) == repr(p)
    assert copy.deepcopy(p) == p


def test_position_abi_words():
    encoded = Position(PositionSide.Short, "-1.5", "100").abi_encoded_value()
    assert encoded == word(3) + word(2) + bytes(15) + b"\x01" + (1_500_000).to_bytes(16, "big") + word(100_000_000)


@pytest.mark.parametrize(
    "name, side_word, balance_word, decoded",
    [
        # Byte 15 other than 1 is a positive sign; bytes 0 to 14 are not read.
        ("sign byte 2", word(2), bytes(15) + b"\x02" + (1_500_000).to_bytes(16, "big"),
         "Position { side: Short, balance: UnscaledI128(1.5), avg_entry_price: UnscaledI128(1) }"),
        ("high bytes ignored", word(1), b"\xff" * 15 + b"\x01" + (1).to_bytes(16, "big"),
         "Position { side: Long, balance: UnscaledI128(-0.000001), avg_entry_price: UnscaledI128(1) }"),
        ("magnitude above the largest amount", word(0), bytes(16) + b"\xff" * 16,
         f"Position {{ side: None, balance: UnscaledI128({HUGE}), avg_entry_price: UnscaledI128(1) }}"),
        ("negative zero", word(1), bytes(15) + b"\x01" + bytes(16),
         "Position { side: Long, balance: UnscaledI128(0), avg_entry_price: UnscaledI128(1) }"),
    ],
)
def test_position_crafted_words(name, side_word, balance_word, decoded):
    data = word(3) + side_word + balance_word + word(1_000_000)
    item = Position.abi_decode_value_into_item(data)
    assert repr(Position.from_item(item)) == decoded


@pytest.mark.parametrize("side", [3, 255, 2**63, 2**64, 2**128, 2**256 - 1])
def test_position_side_words_out_of_range_are_the_common_error(side):
    data = word(3) + word(side) + word(1) + word(1)
    with pytest.raises(QzrCommonError) as raised:
        Position.abi_decode_value_into_item(data)
    assert raised.value.args == (ALL_FAILED,)


def test_from_item_of_another_kind():
    with pytest.raises(QzrCommonError, match="^invalid item kind$"):
        Position.from_item(Price(1, 1, 1, 1).as_item())
    with pytest.raises(QzrCommonError, match="^invalid item kind$"):
        Price.from_item(book_order().as_item())
    with pytest.raises(QzrCommonError, match="^invalid item kind$"):
        BookOrder.from_item(Position.default().as_item())
    with pytest.raises(TypeError, match="^argument 'item': 'Position' object cannot be converted to 'Item'$"):
        BookOrder.from_item(Position.default())


def test_decoding_follows_the_kind_in_the_bytes():
    # The class only picks the schema: a price's bytes read with the position's schema fail, and
    # the bytes of a position read by the price class fail too.
    with pytest.raises(QzrCommonError, match=f"^{ALL_FAILED}$"):
        Position.abi_decode_value_into_item(Price(1, 1, 1, 1).abi_encoded_value())
    with pytest.raises(QzrCommonError, match=f"^{ALL_FAILED}$"):
        Price.abi_decode_value_into_item(Position.default().abi_encoded_value()[:96])


# ---- Price --------------------------------------------------------------------------------------


@pytest.mark.parametrize(
    "arguments, text",
    [
        (("100.25", "-0.5", 7, 1700),
         "Price { index_price: UnscaledI128(100.25), ema: UnscaledI128(-0.5), ordinal: 7, time_value: 1700 }"),
        ((Decimal("100.5"), -0.25, 7, 12),
         "Price { index_price: UnscaledI128(100.5), ema: UnscaledI128(-0.25), ordinal: 7, time_value: 12 }"),
        (("1.99999999", "0.0000009", 2**64 - 1, 0),
         "Price { index_price: UnscaledI128(1.999999), ema: UnscaledI128(0), ordinal: 18446744073709551615, "
         "time_value: 0 }"),
    ],
)
def test_price_construction_and_repr(arguments, text):
    assert repr(Price(*arguments)) == text


@pytest.mark.parametrize(
    "arguments, exception, text",
    [
        ((1, 1, -1, 0), OverflowError, "can't convert negative int to unsigned"),
        ((1, 1, 0, 2**64), OverflowError, "int too big to convert"),
        ((1, 1, 1.0, 0), TypeError, "argument 'ordinal': 'float' object cannot be interpreted as an integer"),
        ((1, 1, 0, "1"), TypeError, "argument 'time_value': 'str' object cannot be interpreted as an integer"),
        ((None, 1, 0, 0), DecimalError, "invalid value for decimal"),
    ],
)
def test_price_constructor_errors(arguments, exception, text):
    with pytest.raises(exception) as raised:
        Price(*arguments)
    assert type(raised.value) is exception
    assert str(raised.value) == text


def test_price_properties():
    price = Price(1, 2, 3, 4)
    price.index_price = "3.14159265"
    price.ema = -1
    price.ordinal = True
    price.time_value = 2**64 - 1
    assert repr(price) == (
        "Price { index_price: UnscaledI128(3.141592), ema: UnscaledI128(-1), ordinal: 1, "
        "time_value: 18446744073709551615 }"
    )
    with pytest.raises(OverflowError):
        price.ordinal = -1
    with pytest.raises(TypeError, match="^'float' object cannot be interpreted as an integer$"):
        price.time_value = 1.0
    assert (price.ordinal, price.time_value) == (1, 2**64 - 1)
    assert type(price.index_price) is Decimal and type(price.ordinal) is int


def price_value(index_price, ema, ordinal, time_value):
    return abi.tuple_of(abi.amount(index_price), abi.amount(ema), abi.uint(ordinal), abi.uint(time_value))


@PROPERTY
@given(index_price=amount_texts, ema=amount_texts, ordinal=u64, time_value=u64)
def test_price_abi_value_matches_reference_and_round_trips(index_price, ema, ordinal, time_value):
    price = Price(index_price, ema, ordinal, time_value)
    encoded = price.abi_encoded_value()
    assert encoded == abi.item_value(5, price_value(index_price, ema, ordinal, time_value))
    back = Price.from_item(Price.abi_decode_value_into_item(encoded))
    assert back == price and repr(back) == repr(price)


def test_price_decoding_keeps_low_64_bits_and_ignores_what_follows():
    data = word(5) + word(1_000_000) + bytes(15) + b"\x01" + (500_000).to_bytes(16, "big")
    data += word(2**64 + 7) + word(2**200 + 9) + word(123)
    assert repr(Price.from_item(Price.abi_decode_value_into_item(data))) == (
        "Price { index_price: UnscaledI128(1), ema: UnscaledI128(-0.5), ordinal: 7, time_value: 9 }"
    )


def test_price_equality():
    assert Price("1.5", "0", 1, 2) == Price("1.50", "-0.0", 1, 2)
    assert Price("1.5", "0", 1, 2) != Price("1.5", "0", 2, 2)
    assert Price("1.5", "0", 1, 2) != Position(PositionSide.Long, "1.5", "0")


# ---- BookOrder ----------------------------------------------------------------------------------

EXAMPLE_BYTES = bytes.fromhex(
    "00" * 31 + "04"
    + "00" * 32
    + "00" * 29 + "16e360"
    + "00" * 28 + "77359400"
    + "00" + "11" * 20 + "00" * 11
    + "01020304" + "00" * 28
    + "00" * 31 + "07"
    + "00" * 31 + "09"
)


def test_book_order_worked_example():
    order = book_order()
    assert order.amount == Decimal("1.5") and type(order.amount) is Decimal
    assert order.trader_address == ADDRESS
    assert order.strategy_id_hash == HASH
    assert (order.book_ordinal, order.time_value) == (7, 9)
    assert order.side == OrderSide.Bid and type(order.side) is OrderSide
    assert repr(order) == (
        "BookOrder { side: Bid, amount: UnscaledI128(1.5), price: UnscaledI128(2000), "
        'trader_address: TraderAddress("0x001111111111111111111111111111111111111111"), '
        'strategy_id_hash: StrategyIdHash("0x01020304"), book_ordinal: 7, time_value: 9 }'
    )
    encoded = order.abi_encoded_value()
    assert len(encoded) == 256 and encoded == EXAMPLE_BYTES
    assert BookOrder.from_item(BookOrder.abi_decode_value_into_item(encoded)) == order


@pytest.mark.parametrize(
    "amount, stored",
    [("1.23456789", "1.234567"), (-1, "-1"), ("1.500000", "1.5"), (Decimal("0.0000001"), "0"), (2.25, "2.25")],
)
def test_book_order_amounts_are_recorded(amount, stored):
    order = book_order(amount=amount, price=amount)
    assert str(order.amount) == str(order.price) == stored


def test_book_order_negative_amount_word():
    encoded = book_order(amount=-1).abi_encoded_value()
    assert encoded[64:96] == bytes(15) + b"\x01" + (1_000_000).to_bytes(16, "big")


@pytest.mark.parametrize(
    "address, stored",
    [
        (ADDRESS, ADDRESS),
        ("0x0x00" + "11" * 20, ADDRESS),
        ("00" + "AB" * 20, "0x00" + "ab" * 20),
        ("0x 00" + "11" * 20 + "\n", ADDRESS),
        ("0x05" + "11" * 20, "0x05" + "11" * 20),
    ],
)
def test_book_order_address_texts(address, stored):
    order = book_order(address=address)
    assert order.trader_address == stored
    order.trader_address = address
    assert order.trader_address == stored


@pytest.mark.parametrize(
    "strategy, stored",
    [(HASH, HASH), ("DEADBEEF", "0xdeadbeef"), ("0x0x01020304", HASH), ("0xff000000", "0xff000000")],
)
def test_book_order_strategy_hash_texts(strategy, stored):
    assert book_order(strategy=strategy).strategy_id_hash == stored


@pytest.mark.parametrize(
    "changes, exception, text",
    [
        ({"side": 0}, TypeError, "argument 'side': 'int' object cannot be converted to 'OrderSide'"),
        ({"side": PositionSide.Empty}, TypeError,
         "argument 'side': 'PositionSide' object cannot be converted to 'OrderSide'"),
        ({"amount": "x"}, DecimalError, "Invalid value for decimal"),
        ({"address": "0x" + "11" * 20}, QzrCommonError, "Expected exactly 21 bytes"),
        ({"address": "0x00" + "11" * 21}, QzrCommonError, "Expected exactly 21 bytes"),
        ({"address": "0xzz" + "11" * 20}, QzrCommonError,
         "Error parsing string into struct: Invalid character 'z' at position 0"),
        ({"address": "0x0" + "11" * 20}, QzrCommonError, "Error parsing string into struct: Invalid input length"),
        ({"address": bytes(21)}, TypeError, "argument 'trader_address': 'bytes' object cannot be converted to 'PyString'"),
        ({"strategy": "0x0102"}, QzrCommonError, "Expected exactly 4 bytes"),
        ({"strategy": 0x01020304}, TypeError, "argument 'strategy_id_hash': 'int' object cannot be converted to 'PyString'"),
        ({"ordinal": -1}, OverflowError, "can't convert negative int to unsigned"),
        ({"ordinal": 2**64}, OverflowError, "int too big to convert"),
        ({"time": 1.5}, TypeError, "argument 'time_value': 'float' object cannot be interpreted as an integer"),
        # The first failure in argument order is raised.
        ({"address": "0x11", "ordinal": -1}, QzrCommonError, "Expected exactly 21 bytes"),
        ({"side": 1, "amount": "x"}, TypeError, "argument 'side': 'int' object cannot be converted to 'OrderSide'"),
    ],
)
def test_book_order_constructor_errors(changes, exception, text):
    with pytest.raises(exception) as raised:
        book_order(**changes)
    assert type(raised.value) is exception
    assert str(raised.value) == text


@pytest.mark.parametrize(
    "name, value, exception, text",
    [
        ("trader_address", "0x" + "11" * 20, QzrCommonError, "Expected exactly 21 bytes"),
        ("trader_address", 5, TypeError, "'int' object cannot be converted to 'PyString'"),
        ("strategy_id_hash", "0x01", QzrCommonError, "Expected exactly 4 bytes"),
        ("side", 1, TypeError, "'int' object cannot be converted to 'OrderSide'"),
        ("book_ordinal", -1, OverflowError, "can't convert negative int to unsigned"),
        ("amount", None, DecimalError, "invalid value for decimal"),
    ],
)
def test_book_order_setter_errors_change_nothing(name, value, exception, text):
    order = book_order()
    with pytest.raises(exception) as raised:
        setattr(order, name, value)
    assert str(raised.value) == text
    assert order == book_order() and repr(order) == repr(book_order())


def test_book_order_integers_through_the_index_protocol():
    order = book_order(ordinal=Indexable(2**64 - 1), time=True)
    assert (order.book_ordinal, order.time_value) == (2**64 - 1, 1)
    order.side = OrderSide.Ask
    assert repr(order).startswith("BookOrder { side: Ask,")


@pytest.mark.parametrize(
    "changes, equal",
    [
        ({}, True),
        ({"amount": "1.50", "price": "2000.0"}, True),
        ({"side": OrderSide.Ask}, False),
        ({"amount": "1.500001"}, False),
        ({"address": "0x01" + "11" * 20}, False),
        ({"strategy": "0x01020305"}, False),
        ({"ordinal": 8}, False),
        ({"time": 10}, False),
    ],
)
def test_book_order_equality(changes, equal):
    assert (book_order() == book_order(**changes)) is equal
    assert (book_order() != book_order(**changes)) is not equal


def book_order_value(side, amount, price, address, strategy, ordinal, time):
    return abi.tuple_of(
        abi.tuple_of(abi.uint(side)), abi.amount(amount), abi.amount(price), abi.fixed(address),
        abi.fixed(strategy + bytes(28)), abi.uint(ordinal), abi.uint(time),
    )


@PROPERTY
@given(side=st.sampled_from([0, 1]), amount=amount_texts, price=amount_texts, address=st.binary(min_size=21, max_size=21),
       strategy=st.binary(min_size=4, max_size=4), ordinal=u64, time=u64)
def test_book_order_abi_value_matches_reference_and_round_trips(side, amount, price, address, strategy, ordinal, time):
    order = BookOrder([OrderSide.Bid, OrderSide.Ask][side], amount, price, address.hex(), strategy.hex(), ordinal, time)
    encoded = order.abi_encoded_value()
    assert encoded == abi.item_value(4, book_order_value(side, amount, price, address, strategy, ordinal, time))
    back = BookOrder.from_item(BookOrder.abi_decode_value_into_item(encoded))
    assert back == order and repr(back) == repr(order)


def crafted_book_order(side=0, hash_word=bytes.fromhex("01020304") + bytes(28), ordinal=7, extra=b""):
    return (word(4) + word(side) + EXAMPLE_BYTES[64:128] + EXAMPLE_BYTES[128:160] + hash_word + word(ordinal)
            + word(9) + extra)


def test_book_order_reader_leniencies():
    def decoded(data):
        return BookOrder.from_item(BookOrder.abi_decode_value_into_item(data))

    # Bytes after the first four of the hash word, bits above 63 of an integer, and a word after
    # the last field are not read.
    assert decoded(crafted_book_order(hash_word=bytes.fromhex("01020304") + b"\xee" * 28)) == book_order()
    assert decoded(crafted_book_order(ordinal=2**200 + 7)) == book_order()
    assert decoded(crafted_book_order(extra=word(123))) == book_order()
    assert decoded(crafted_book_order(side=1)).side == OrderSide.Ask


@pytest.mark.parametrize("side", [2, 3, 2**64 - 1, 2**64, 2**255])
def test_book_order_side_words_out_of_range_are_the_common_error(side):
    with pytest.raises(QzrCommonError) as raised:
        BookOrder.abi_decode_value_into_item(crafted_book_order(side=side))
    assert raised.value.args == (ALL_FAILED,)


def test_book_order_short_bytes_are_the_common_error():
    for cut in (0, 32, 255):
        with pytest.raises(QzrCommonError, match=f"^{ALL_FAILED}$"):
            BookOrder.abi_decode_value_into_item(EXAMPLE_BYTES[:cut])


# ---- the records as arguments -----------------------------------------------------------------


def test_records_are_copied_into_items():
    p = Position(PositionSide.Long, 1, 100)
    item = p.as_item()
    p.balance = 5
    assert Position.from_item(item) == Position(PositionSide.Long, 1, 100)
    assert isinstance(item, Item) and item.item_kind() == ItemKind.Position
    assert Item.abi_decode_value_into_item(ItemKind.BookOrder, EXAMPLE_BYTES) == book_order().as_item()
    assert book_order().as_item() != Trader.default().as_item()


# ---- hostile callers ----------------------------------------------------------------------------


class ChangesTarget:
    """An integer whose __index__ first changes another field of the record being set."""

    def __init__(self, action, value):
        self.action, self.value = action, value

    def __index__(self):
        self.action()
        return self.value


def test_setter_value_converted_before_the_record_is_borrowed():
    price = Price(1, 1, 1, 1)

    def change_time():
        price.time_value = 5

    price.ordinal = ChangesTarget(change_time, 9)
    assert (price.ordinal, price.time_value) == (9, 5)


def test_constructor_argument_that_reads_a_record_being_built_elsewhere():
    order = book_order()
    seen = []
    copy_of = BookOrder(OrderSide.Ask, order.amount, order.price, order.trader_address, order.strategy_id_hash,
                        ChangesTarget(lambda: seen.append(repr(order)), 3), 4)
    assert seen == [repr(book_order())]
    assert (copy_of.book_ordinal, copy_of.side) == (3, OrderSide.Ask)


@pytest.mark.parametrize("raised", [KeyboardInterrupt, SystemExit, ValueError])
def test_errors_raised_by_an_index_pass_unchanged(raised):
    def fail():
        raise raised("from __index__")

    price = Price(1, 1, 1, 1)
    with pytest.raises(raised, match="^from __index__$"):
        price.ordinal = ChangesTarget(fail, 1)
    with pytest.raises(raised, match="^from __index__$"):
        book_order(time=ChangesTarget(fail, 1))
    assert price.ordinal == 1


def test_accounting_arguments_are_not_aliased():
    # One Decimal object for both arguments, and the results are new objects.
    p = Position(PositionSide.Long, "1", "100")
    same = Decimal("2")
    new, realized = p.increase(same, same)
    assert repr(new) == "Position { side: Long, balance: UnscaledI128(3), avg_entry_price: UnscaledI128(34.666666) }"
    assert realized is not same and str(same) == "2"
    new.balance = 7
    assert str(p.balance) == "1"
