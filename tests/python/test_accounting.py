"""The accounting enumerations (PositionSide, TradeSide, PriceDirection) and the trading fee.

Arithmetic is checked against accounting_reference.py, the same steps computed with Python's
`decimal`; texts are compared where the number model fixes the scale.
"""

import decimal as std
import enum
import operator

import pytest
from hypothesis import given, settings, strategies as st

import accounting_reference as ref
from hostile import NOT_EXCEPTIONS, raising_in
from qzr_python.common.enums import OrderSide, OrderType, PositionSide, PriceDirection, TradeSide
from qzr_python.decimal import Decimal

PROPERTY = settings(max_examples=300, deadline=None)

MEMBERS = [
    (PositionSide, "Empty", 0),
    (PositionSide, "Long", 1),
    (PositionSide, "Short", 2),
    (TradeSide, "Maker", 0),
    (TradeSide, "Taker", 1),
    (PriceDirection, "Up", 0),
    (PriceDirection, "Down", 1),
    (PriceDirection, "Flat", 2),
    (PriceDirection, "Unknown", 3),
]
CLASSES = [PositionSide, TradeSide, PriceDirection]


def raises_panic(message):
    """A fault: PanicException (a BaseException) carrying exactly `message`."""

    class Check:
        def __enter__(self):
            return self

        def __exit__(self, kind, error, traceback):
            assert kind is not None, "no fault"
            assert (kind.__module__, kind.__qualname__) == ("pyo3_runtime", "PanicException")
            assert not issubclass(kind, Exception)
            assert error.args == (message,)
            return True

    return Check()


class Indexable:
    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class Number(enum.IntEnum):
    ONE = 1
    TWO = 2


# ----------------------------------------------------------------------------------------------
# The enumerations


@pytest.mark.parametrize("cls, name, number", MEMBERS)
def test_members(cls, name, number):
    member = getattr(cls, name)
    assert type(member) is cls
    assert getattr(cls, name) is member
    assert repr(member) == str(member) == f"{cls.__name__}.{name}"
    assert int(member) == number and type(int(member)) is int
    # Every member is true, the one numbered 0 too.
    assert bool(member) is True


def test_member_order_and_class_texts():
    def members(cls):
        return [name for name, value in vars(cls).items() if type(value) is cls]

    assert members(PositionSide) == ["Empty", "Long", "Short"]
    assert members(PriceDirection) == ["Up", "Down", "Flat", "Unknown"]
    assert members(TradeSide) == ["Maker", "Taker"]
    assert PositionSide.__doc__ is None and TradeSide.__doc__ is None
    assert PriceDirection.__doc__ == "Direction of the price movement compared to the last price update executed."
    for cls in CLASSES:
        assert cls.__text_signature__ is None
        assert cls.__module__ == "builtins"
    assert TradeSide.trading_fee.__text_signature__ == "($self, amount, price)"
    assert TradeSide.trading_fee.__doc__ is None


@pytest.mark.parametrize("cls", CLASSES)
@pytest.mark.parametrize("args", [(), (0,), ("Long",)])
def test_no_constructor(cls, args):
    with pytest.raises(TypeError, match="^No constructor defined$"):
        cls(*args)


@pytest.mark.parametrize("cls", CLASSES)
def test_cannot_be_subclassed_or_changed(cls):
    with pytest.raises(TypeError):
        type("Sub", (cls,), {})
    member = next(iter(m for m in vars(cls).values() if type(m) is cls))
    with pytest.raises(AttributeError):
        member.value = 3


@pytest.mark.parametrize(
    "left, right, equal",
    [
        (PositionSide.Long, 1, True),
        (PositionSide.Long, True, True),
        (PositionSide.Empty, False, True),
        (PositionSide.Empty, 0, True),
        (PositionSide.Long, 2, False),
        (PositionSide.Short, 2, True),
        (PositionSide.Short, Number.TWO, True),
        (PositionSide.Short, Indexable(2), True),
        (PriceDirection.Unknown, 3, True),
        (PriceDirection.Unknown, -3, False),
        (TradeSide.Taker, 1, True),
        # Floats, texts and None have no __index__: no member equals them.
        (PositionSide.Long, 1.0, False),
        (PositionSide.Long, "Long", False),
        (PositionSide.Long, None, False),
        # Beyond 64 signed bits an int is no number to the comparison, and raises nothing.
        (PositionSide.Long, 2**70, False),
        (PositionSide.Empty, 2**64, False),
        (PositionSide.Empty, -(2**63) - 1, False),
        (PositionSide.Long, Indexable(2**70), False),
        # Members of the same class compare by number; of another class never, even at one number.
        (PositionSide.Short, PositionSide.Short, True),
        (PositionSide.Long, PositionSide.Short, False),
        (PositionSide.Long, TradeSide.Taker, False),
        (TradeSide.Maker, PriceDirection.Up, False),
        (TradeSide.Maker, OrderSide.Bid, False),
        (PriceDirection.Down, OrderType.Market, False),
        # An __index__ that raises an Exception is a failed conversion, not an error.
        (PositionSide.Long, raising_in("__index__", ValueError), False),
    ],
)
def test_equality(left, right, equal):
    assert (left == right) is equal
    assert (right == left) is equal
    assert (left != right) is not equal
    assert (right != left) is not equal


@pytest.mark.parametrize("raised", NOT_EXCEPTIONS, ids=lambda e: e.__name__)
def test_equality_raises_what_is_not_an_exception(raised):
    with pytest.raises(raised):
        PositionSide.Long == raising_in("__index__", raised)


@pytest.mark.parametrize("operator_name", ["lt", "le", "gt", "ge"])
@pytest.mark.parametrize("left, right", [(PositionSide.Long, PositionSide.Short), (TradeSide.Maker, 1),
                                         (0, PriceDirection.Down)])
def test_orderings_are_not_supported(operator_name, left, right):
    with pytest.raises(TypeError, match="not supported between instances of"):
        getattr(operator, operator_name)(left, right)


@pytest.mark.parametrize("cls, name, number", MEMBERS)
def test_unhashable_and_no_index(cls, name, number):
    member = getattr(cls, name)
    with pytest.raises(TypeError, match="unhashable type"):
        hash(member)
    with pytest.raises(TypeError):
        {member}
    with pytest.raises(TypeError):
        {member: 1}
    with pytest.raises(TypeError):
        [10, 20, 30, 40][member]
    with pytest.raises(TypeError):
        operator.index(member)


# ----------------------------------------------------------------------------------------------
# TradeSide.trading_fee


@pytest.mark.parametrize(
    "side, amount, price, fee",
    [
        # The worked examples: the maker's fee is a zero of scale 0, the taker's keeps the scale.
        (TradeSide.Maker, "2", "1500.5", "0"),
        (TradeSide.Taker, "2", "1500.5", "6.0020"),
        (TradeSide.Taker, "0", "100", "0"),
        (TradeSide.Taker, "1", "1", "0.002"),
        (TradeSide.Taker, "-1.5", "2000", "-6.0000"),
        (TradeSide.Taker, "1.5", "-2000", "-6.0000"),
        (TradeSide.Taker, "-1.5", "-2000", "6.0000"),
        (TradeSide.Taker, "0.000001", "0.000001", "0.000000000000002"),
        (TradeSide.Taker, "1.00", "3001.0", "6.002000"),
        (TradeSide.Maker, "-7", "3", "0"),
        (TradeSide.Maker, "0.00", "0.0", "0"),
        # Scale beyond 28: the notional 1e-30 is rounded to 28 places (0), then times the rate.
        (TradeSide.Taker, "0.000000000000001", "0.000000000000001", "0"),
        # The largest notional: 2^96 - 1 at scale 0; the fee is rounded to fit the mantissa.
        (TradeSide.Taker, "79228162514264337593543950335", "1", "158456325028528675187087900.67"),
    ],
)
def test_trading_fee_examples(side, amount, price, fee):
    result = side.trading_fee(Decimal(amount), Decimal(price))
    assert type(result) is Decimal
    assert str(result) == fee


small_decimals = st.tuples(st.booleans(), st.integers(0, 10**12), st.integers(0, 9)).map(
    lambda p: ("-" if p[0] else "") + str(std.Decimal(p[1]).scaleb(-p[2]))
)


@PROPERTY
@given(side=st.sampled_from(["Maker", "Taker"]), amount=small_decimals, price=small_decimals)
def test_trading_fee_matches_reference(side, amount, price):
    amount, price = format(std.Decimal(amount), "f"), format(std.Decimal(price), "f")
    result = getattr(TradeSide, side).trading_fee(Decimal(amount), Decimal(price))
    expected = ref.trading_fee(side, std.Decimal(amount), std.Decimal(price))
    assert str(result) == ref.text(expected)


@pytest.mark.parametrize("side", [TradeSide.Maker, TradeSide.Taker])
@pytest.mark.parametrize("amount, price", [("79228162514264337593543950335", "2"), ("-1e14", "1e15"),
                                           ("100000000000000.5", "800000000000000")])
def test_trading_fee_overflow_is_a_fault_for_both_sides(side, amount, price):
    with raises_panic("Multiplication overflowed"):
        side.trading_fee(Decimal(amount), Decimal(price))


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: TradeSide.Taker.trading_fee(1, Decimal(100)),
         "argument 'amount': 'int' object cannot be converted to 'Decimal'"),
        (lambda: TradeSide.Taker.trading_fee(Decimal(1), "100"),
         "argument 'price': 'str' object cannot be converted to 'Decimal'"),
        (lambda: TradeSide.Taker.trading_fee(1.5, 2.5),
         "argument 'amount': 'float' object cannot be converted to 'Decimal'"),
        (lambda: TradeSide.Taker.trading_fee(std.Decimal(1), Decimal(1)),
         "argument 'amount': 'Decimal' object cannot be converted to 'Decimal'"),
        (lambda: TradeSide.Taker.trading_fee(Decimal(1)),
         "TradeSide.trading_fee() missing 1 required positional argument: 'price'"),
        (lambda: TradeSide.Taker.trading_fee(Decimal(1), Decimal(1), Decimal(1)),
         "TradeSide.trading_fee() takes 2 positional arguments but 3 were given"),
        (lambda: TradeSide.Taker.trading_fee(Decimal(1), amount=Decimal(1)),
         "TradeSide.trading_fee() got multiple values for argument 'amount'"),
        (lambda: TradeSide.Taker.trading_fee(Decimal(1), cost=Decimal(1)),
         "TradeSide.trading_fee() got an unexpected keyword argument 'cost'"),
    ],
)
def test_trading_fee_takes_decimal_objects_only(call, message):
    with pytest.raises(TypeError) as raised:
        call()
    assert str(raised.value) == message


def test_trading_fee_keywords_and_unchanged_operands():
    amount, price = Decimal("2.50"), Decimal("10")
    assert str(TradeSide.Taker.trading_fee(price=price, amount=amount)) == "0.05000"
    assert (str(amount), str(price)) == ("2.50", "10")


def test_trading_fee_refuses_a_receiver_of_another_class():
    with pytest.raises(TypeError):
        TradeSide.trading_fee(PositionSide.Long, Decimal(1), Decimal(1))
