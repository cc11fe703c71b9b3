"""The trading fee of TradeSide and the accounting of Position and Price (what the accounting
enumerations share with the others is in test_enums.py).

Arithmetic is checked against accounting_reference.py, the same steps computed with Python's
`decimal`; texts are compared where the number model fixes the scale.
"""

import decimal as std

import pytest
from hypothesis import assume, given, settings, strategies as st

import accounting_reference as ref
from borrow_support import held_borrow
from qzr_python.common.enums import PositionSide, TradeSide
from qzr_python.common.state import Position, Price
from qzr_python.decimal import Decimal

PROPERTY = settings(max_examples=200, deadline=None)


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


# ----------------------------------------------------------------------------------------------
# TradeSide.trading_fee


def test_trading_fee_texts():
    assert TradeSide.trading_fee.__text_signature__ == "($self, amount, price)"
    assert TradeSide.trading_fee.__doc__ is None


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


# ----------------------------------------------------------------------------------------------
# Position accounting

SIDES = {"Empty": PositionSide.Empty, "Long": PositionSide.Long, "Short": PositionSide.Short}


def position(side, balance, avg_entry_price):
    return Position(SIDES[side], balance, avg_entry_price)


def fields_of(p):
    """(side name, balance text, avg_entry_price text) of a Position object."""
    side = next(name for name, member in SIDES.items() if p.side == member)
    return side, str(p.balance), str(p.avg_entry_price)


def reference_fields(fields):
    side, balance, avg_entry_price = fields
    return side, ref.text(balance), ref.text(avg_entry_price)


def std_decimals(*texts):
    return [std.Decimal(t) for t in texts]


STEPS = {
    "increase": (ref.increase, lambda p, price, amount: p.increase(price, amount)),
    "decrease": (ref.decrease, lambda p, price, amount: p.decrease(price, amount)),
    "cross_over": (ref.cross_over, lambda p, price, amount: p.cross_over(price, amount)),
}


# (step, side, balance, avg_entry_price, price, amount) -> (side, balance, avg_entry_price, returned)
@pytest.mark.parametrize(
    "step, start, price, amount, after, returned",
    [
        # The worked examples of the position's accounting.
        ("increase", ("Empty", "0", "0"), "105.1234567", "2", ("Empty", "2", "105.123456"), "0"),
        ("increase", ("Long", "1", "100"), "103", "1", ("Long", "2", "101.5"), "0"),
        ("decrease", ("Long", "2", "100"), "110", "2", ("Empty", "0", "100"), "20"),
        ("decrease", ("Long", "1", "100"), "110", "0.9999999", ("Empty", "0", "100"), "9.9999990"),
        ("decrease", ("Short", "1", "100"), "90", "3", ("Short", "-2", "100"), "30"),
        ("cross_over", ("Long", "1", "100"), "90", "3", ("Short", "2", "90"), "-10"),
        # More: the short side's average, an empty position's zero realized amounts.
        ("increase", ("Short", "3", "10.5"), "12.25", "1", ("Short", "4", "10.9375"), "0"),
        ("increase", ("Long", "3", "1"), "2", "0.000001", ("Long", "3.000001", "1"), "0"),
        ("increase", ("Long", "1", "1"), "2", "2", ("Long", "3", "1.666666"), "0"),
        ("decrease", ("Empty", "5", "100"), "110", "1", ("Empty", "4", "100"), "0"),
        ("decrease", ("Short", "2", "100"), "100.5", "0.5", ("Short", "1.5", "100"), "-0.25"),
        ("decrease", ("Long", "2", "100"), "110", "-1", ("Long", "3", "100"), "-10"),
        ("cross_over", ("Short", "2", "100"), "101.5", "2.5", ("Long", "0.5", "101.5"), "-3.0"),
        ("cross_over", ("Long", "1", "100"), "100.1234567", "1", ("Short", "0", "100.123456"), "0.1234567"),
    ],
)
def test_position_steps(step, start, price, amount, after, returned):
    reference, call = STEPS[step]
    p = position(*start)
    new, realized = call(p, Decimal(price), Decimal(amount))
    assert type(new) is Position and type(realized) is Decimal
    assert fields_of(new) == after
    assert str(realized) == returned
    # The object called on is not changed.
    assert fields_of(p) == fields_of(position(*start))
    # The reference computes the same, digit for digit.
    expected, expected_realized = reference(start[0], *std_decimals(*start[1:], price, amount))
    assert reference_fields(expected) == after
    if step != "increase":
        assert ref.text(expected_realized) == returned


@pytest.mark.parametrize(
    "side, balance, avg_entry_price, price, avg_pnl, unrealized",
    [
        ("Long", "2", "100", "110.5", "10.5", "21.0"),
        ("Short", "2", "100", "110.5", "-10.5", "-21.0"),
        ("Long", "1.5", "100.25", "100.25", "0.00", "0"),
        ("Short", "-2", "100", "90", "10", "-20"),
        ("Empty", "2", "100", "110", "0", "0"),
        ("Empty", "0", "0", "-5", "0", "0"),
        ("Long", "0.000001", "0.000001", "0.000002", "0.000001", "0.000000000001"),
    ],
)
def test_profit_and_loss(side, balance, avg_entry_price, price, avg_pnl, unrealized):
    p = position(side, balance, avg_entry_price)
    assert str(p.avg_pnl(Decimal(price))) == avg_pnl
    assert str(p.unrealized_pnl(Decimal(price))) == unrealized
    b, a, r = std_decimals(balance, avg_entry_price, price)
    assert ref.text(ref.avg_pnl(side, a, r)) == avg_pnl
    assert ref.text(ref.unrealized_pnl(side, b, a, r)) == unrealized


@pytest.mark.parametrize(
    "side, balance, mark, account_value, expected",
    [
        ("Short", "2", "100", "50", "125"),
        ("Long", "2", "100", "50", "75"),
        ("Long", "4", "10.5", "1", "10.25"),
        ("Short", "0.5", "10", "-1", "8"),
        ("Long", "-2", "100", "50", "125"),
    ],
)
def test_bankruptcy_price(side, balance, mark, account_value, expected):
    result = position(side, balance, "1").bankruptcy_price(Decimal(mark), Decimal(account_value))
    assert std.Decimal(str(result)) == std.Decimal(expected)
    assert ref.bankruptcy_price(side, *std_decimals(balance, mark, account_value)) == std.Decimal(expected)


# Recorded amounts of both signs up to 10^6 (so that every product of two fits the mantissa
# exactly), with 0 to 6 places.
recorded_texts = (
    st.tuples(st.booleans(), st.integers(0, 6))
    .flatmap(lambda p: st.tuples(st.just(p[0]), st.integers(0, 10 ** (6 + p[1])), st.just(p[1])))
    .map(lambda p: ref.text(ref.recorded(std.Decimal((int(p[0]), tuple(map(int, str(p[1]))), -p[2])))))
)
# Non-zero divisors whose quotients terminate: +-2^a 5^b 10^-k.
terminating_texts = st.tuples(st.booleans(), st.integers(0, 12), st.integers(0, 8), st.integers(0, 6)).map(
    lambda p: ref.text(ref.recorded(std.Decimal(2**p[1] * 5**p[2]).scaleb(-p[3]) * (-1 if p[0] else 1)))
)


def fits_model(value):
    """Whether a std Decimal is a value of the number model as it stands (no rounding needed)."""
    sign, digits, exponent = value.as_tuple()
    mantissa = int("".join(map(str, digits)))
    while exponent < -28 and mantissa % 10 == 0:
        mantissa //= 10
        exponent += 1
    return exponent >= -28 and mantissa * 10 ** max(exponent, 0) <= 2**96 - 1


@PROPERTY
@given(side=st.sampled_from(list(SIDES)), balance=recorded_texts, avg_entry_price=recorded_texts,
       price=recorded_texts)
def test_profit_and_loss_match_reference(side, balance, avg_entry_price, price):
    p = position(side, balance, avg_entry_price)
    b, a, r = std_decimals(balance, avg_entry_price, price)
    assert str(p.avg_pnl(Decimal(price))) == ref.text(ref.avg_pnl(side, a, r))
    assert str(p.unrealized_pnl(Decimal(price))) == ref.text(ref.unrealized_pnl(side, b, a, r))


@PROPERTY
@given(side=st.sampled_from(list(SIDES)), balance=recorded_texts, avg_entry_price=recorded_texts,
       price=recorded_texts, total=terminating_texts)
def test_increase_matches_reference(side, balance, avg_entry_price, price, total):
    # The amount makes balance + amount a divisor whose quotient terminates.
    amount = ref.text(ref.sub(std.Decimal(total), std.Decimal(balance)))
    expected, quotient = ref.increase(side, *std_decimals(balance, avg_entry_price, price, amount))
    assume_exact(quotient)
    new, realized = position(side, balance, avg_entry_price).increase(Decimal(price), Decimal(amount))
    assert fields_of(new) == reference_fields(expected)
    assert str(realized) == "0"


def assume_exact(quotient):
    assume(quotient is None or fits_model(quotient))


@PROPERTY
@given(step=st.sampled_from(["decrease", "cross_over"]), side=st.sampled_from(["Long", "Short"]),
       balance=recorded_texts, avg_entry_price=recorded_texts, price=recorded_texts, amount=recorded_texts)
def test_decrease_and_cross_over_match_reference(step, side, balance, avg_entry_price, price, amount):
    reference, call = STEPS[step]
    expected, expected_realized = reference(side, *std_decimals(balance, avg_entry_price, price, amount))
    new, realized = call(position(side, balance, avg_entry_price), Decimal(price), Decimal(amount))
    assert fields_of(new) == reference_fields(expected)
    assert str(realized) == ref.text(expected_realized)


@PROPERTY
@given(side=st.sampled_from(["Long", "Short"]), balance=terminating_texts, mark=recorded_texts,
       account_value=recorded_texts)
def test_bankruptcy_price_matches_reference(side, balance, mark, account_value):
    expected = ref.bankruptcy_price(side, *std_decimals(balance, mark, account_value))
    assume_exact(expected)
    result = position(side, balance, "1").bankruptcy_price(Decimal(mark), Decimal(account_value))
    assert std.Decimal(str(result)) == expected


CROSS_OVER_EMPTY = 'called `Result::unwrap()` on an `Err` value: Other("Cannot cross over empty position")'
HUGE = "79228162514264337593543.950335"


@pytest.mark.parametrize(
    "call, message",
    [
        # An empty position has no other side and no bankruptcy price, even where its pnl is 0.
        (lambda: position("Empty", "1", "100").cross_over(Decimal(90), Decimal(3)), CROSS_OVER_EMPTY),
        (lambda: position("Empty", "0", "0").cross_over(Decimal(0), Decimal(0)), CROSS_OVER_EMPTY),
        (lambda: position("Empty", "2", "100").bankruptcy_price(Decimal(100), Decimal(50)),
         "Bankruptcy price not applicable to empty position"),
        # Zero divisors: adding the opposite of the balance, a zero balance's bankruptcy price.
        (lambda: position("Long", "1", "100").increase(Decimal(100), Decimal(-1)), "Division by zero"),
        (lambda: position("Long", "0", "100").bankruptcy_price(Decimal(100), Decimal(50)), "Division by zero"),
        # Overflow in each step.
        (lambda: position("Long", HUGE, HUGE).increase(Decimal(HUGE), Decimal(1)), "Multiplication overflowed"),
        (lambda: position("Long", HUGE, "1").unrealized_pnl(Decimal("79228162514264337593543950335")),
         "Multiplication overflowed"),
        (lambda: position("Long", "1", "1").avg_pnl(Decimal("-79228162514264337593543950335")),
         "Subtraction overflowed"),
        (lambda: position("Long", "1", "1").decrease(Decimal("-79228162514264337593543950335"), Decimal(2)),
         "Subtraction overflowed"),
        (lambda: position("Long", "1", "-1").decrease(Decimal(1), Decimal("-79228162514264337593543950335")),
         "Multiplication overflowed"),
        (lambda: position("Long", HUGE, "1").increase(Decimal(1), Decimal("79228162514264337593543950335")),
         "Addition overflowed"),
    ],
)
def test_position_faults(call, message):
    with raises_panic(message):
        call()


def test_faults_leave_the_position_unchanged():
    p = position("Long", "1", "100")
    with raises_panic("Division by zero"):
        p.increase(Decimal(100), Decimal(-1))
    assert fields_of(p) == ("Long", "1", "100")
    # The object is usable afterwards: no borrow is left behind.
    p.balance = 2
    assert fields_of(p.increase(Decimal(103), Decimal(2))[0]) == ("Long", "4", "101.5")


@pytest.mark.parametrize(
    "method, arguments, name, given",
    [
        ("avg_pnl", (1,), "price", "int"),
        ("unrealized_pnl", ("1",), "price", "str"),
        ("increase", (1.5, Decimal(1)), "price", "float"),
        ("increase", (Decimal(1), "1"), "amount", "str"),
        ("decrease", (Decimal(1), std.Decimal(1)), "amount", "Decimal"),
        ("cross_over", (None, Decimal(1)), "price", "NoneType"),
        ("bankruptcy_price", (Decimal(1), 50), "account_total_value", "int"),
    ],
)
def test_methods_take_decimal_objects_only(method, arguments, name, given):
    p = position("Long", "1", "100")
    with pytest.raises(TypeError) as raised:
        getattr(p, method)(*arguments)
    assert str(raised.value) == f"argument '{name}': '{given}' object cannot be converted to 'Decimal'"
    assert fields_of(p) == ("Long", "1", "100")


def test_method_signatures_and_keywords():
    signatures = {
        "avg_pnl": "($self, price)",
        "unrealized_pnl": "($self, price)",
        "increase": "($self, price, amount)",
        "decrease": "($self, price, amount)",
        "cross_over": "($self, price, amount)",
        "bankruptcy_price": "($self, mark_price, account_total_value)",
    }
    for name, signature in signatures.items():
        assert getattr(Position, name).__text_signature__ == signature
        assert getattr(Position, name).__doc__ is None
    p = position("Short", "2", "100")
    assert str(p.bankruptcy_price(account_total_value=Decimal(50), mark_price=Decimal(100))) == "125"
    assert fields_of(p.decrease(amount=Decimal(1), price=Decimal(90))[0]) == ("Short", "1", "100")


# ----------------------------------------------------------------------------------------------
# Mark price


@pytest.mark.parametrize(
    "index_price, ema, mark",
    [
        ("100", "1", "100.5"),
        ("100", "0.3", "100.3"),
        ("100", "-1", "99.5"),
        ("100", "-0.2", "99.8"),
        ("100", "0", "100"),
        ("100", "0.5", "100.5"),
        ("100", "-0.5", "99.5"),
        ("123.456789", "10", "124.074072"),
        ("0.000001", "1", "0.000001"),
        ("0", "1", "0"),
        # A negative index price swaps the caps.
        ("-100", "1", "-100.5"),
        ("-100", "-1", "-99.5"),
        ("-100", "-0.2", "-99.5"),
        # The sum is recorded: clamped at the largest recorded amount.
        (HUGE, "1", HUGE),
    ],
)
def test_mark_price(index_price, ema, mark):
    price = Price(index_price, ema, 0, 0)
    assert str(price.mark_price) == mark
    assert ref.text(ref.mark_price(*std_decimals(str(price.index_price), str(price.ema)))) == mark


@PROPERTY
@given(index_price=recorded_texts, ema=recorded_texts)
def test_mark_price_matches_reference(index_price, ema):
    assert str(Price(index_price, ema, 1, 1).mark_price) == ref.text(ref.mark_price(*std_decimals(index_price, ema)))


def test_mark_price_is_read_only_and_computed_on_each_read():
    price = Price("100", "1", 0, 0)
    with pytest.raises(AttributeError):
        price.mark_price = 5
    first = price.mark_price
    price.ema = "-1"
    assert (str(first), str(price.mark_price)) == ("100.5", "99.5")
    assert price.mark_price is not price.mark_price


# ----------------------------------------------------------------------------------------------
# Borrows: the accounting reads its position and its Decimal arguments under shared borrows


@pytest.mark.parametrize(
    "action, reads_position",
    [
        (lambda p, d: p.avg_pnl(d), True),
        (lambda p, d: p.increase(d, d), True),
        (lambda p, d: p.cross_over(d, d), True),
        (lambda p, d: p.bankruptcy_price(d, d), True),
        (lambda p, d: TradeSide.Taker.trading_fee(d, d), False),
    ],
)
def test_exclusively_borrowed_operands_are_refused(action, reads_position):
    p, d = position("Long", "1", "100"), Decimal("2")
    for held in (p, d) if reads_position else (d,):
        with held_borrow(held, -1):
            with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
                action(p, d)
    # Shared borrows held elsewhere do not stand in the way, and nothing was left borrowed.
    with held_borrow(p, 1), held_borrow(d, 1):
        action(p, d)
    p.balance = 3
    assert fields_of(p) == ("Long", "3", "100")
