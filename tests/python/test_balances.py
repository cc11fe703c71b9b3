"""Balances in Python: the class Balance and the two records that are nothing but a balance,
InsuranceFund and FeePool, which share every balance member with it.

Independent references: Python's `decimal` for the recorded amounts, sums and splits, a list of
(address, amount) pairs with swap removal as the model of a balance, and the ABI encoder of
abi_reference.py for the item ABI values. Token addresses come from this process's application
context (balance_support.py).
"""

import contextlib
import copy
import decimal

import pytest
from hypothesis import settings, strategies as st
from hypothesis.stateful import RuleBasedStateMachine, invariant, rule

import abi_reference as ref
from qzr_python.common import QzrCommonError, TokenSymbol
from qzr_python.common.state import Balance, FeePool, InsuranceFund, InsuranceFundContribution, Item, ItemKind, Strategy
from qzr_python.decimal import Decimal
from balance_support import address_bytes, address_of, balance_tuple, token_addresses, words

USDC, QZR = TokenSymbol.USDC, TokenSymbol.QZR
SYMBOLS = (USDC, QZR)
# Each class with the name of its constructor's token parameter.
CLASSES = [(Balance, "address"), (InsuranceFund, "symbol"), (FeePool, "symbol")]
FUNDS = [InsuranceFund, FeePool]
KINDS = {InsuranceFund: 6, FeePool: 11}
# Two token addresses that are neither token's: only decoded values can hold them.
FOREIGN_A = bytes([0xAA] * 20)
FOREIGN_B = bytes([0xBB] * 20)
EXACT = decimal.Context(prec=100)


# This process's context, before collection makes any balance.
token_addresses()


# ---- the model ----------------------------------------------------------------------------------


def recorded_text(value):
    """The recorded amount's text: rounded toward zero to 6 places, trailing zeros stripped."""
    text = format(ref.recorded(value), "f")
    if "." in text:
        text = text.rstrip("0").rstrip(".")
    return "0" if text == "-0" else text


def plain(value):
    """A Python decimal as our Decimal."""
    return Decimal(format(value, "f"))


def py(value):
    """Our Decimal as a Python decimal."""
    return decimal.Decimal(str(value))


def balance_text(entries):
    """The debug text of a balance whose entries are (address text, amount text) pairs."""
    inner = ", ".join(f"TokenAddress({address}): UnscaledI128({amount})" for address, amount in entries)
    return "Balance({" + inner + "})"


def text_of(cls, entries):
    """The repr of an object of `cls` holding these entries."""
    if cls is Balance:
        return balance_text(entries)
    return f"{cls.__name__} {{ inner: {balance_text(entries)} }}"


class Model:
    """A balance as a list of [address text, recorded Python decimal] in entry order."""

    def __init__(self, entries=()):
        self.entries = [list(e) for e in entries]

    def find(self, address):
        return next((i for i, e in enumerate(self.entries) if e[0] == address), None)

    def insert(self, address, amount):
        i = self.find(address)
        if amount.is_zero():
            if i is not None:
                self.entries[i] = self.entries[-1]
                self.entries.pop()
            return
        value = decimal.Decimal(recorded_text(amount))
        if i is None:
            assert len(self.entries) < 2
            self.entries.append([address, value])
        else:
            self.entries[i][1] = value

    def assign(self, address, amount):
        value = decimal.Decimal(recorded_text(amount))
        i = self.find(address)
        if i is None:
            self.entries.append([address, value])
        else:
            self.entries[i][1] = value

    def amount(self, address):
        i = self.find(address)
        return decimal.Decimal(0) if i is None else self.entries[i][1]

    def plus(self, other):
        result = Model(self.entries)
        for address, amount in other.entries:
            result.assign(address, EXACT.add(result.amount(address), amount))
        return result

    def text_entries(self):
        return [(address, recorded_text(amount)) for address, amount in self.entries]


def model_of_pairs(pairs):
    model = Model()
    for symbol, amount in pairs:
        model.assign(address_of(symbol), amount)
    return model


def assert_matches(obj, model):
    assert repr(obj) == text_of(type(obj), model.text_entries())
    assert len(obj) == len(model.entries)
    assert [py(a) for a in obj.amounts()] == [amount for _, amount in model.entries]
    for symbol in SYMBOLS:
        value = obj[symbol]
        assert type(value) is Decimal and py(value) == model.amount(address_of(symbol))
    assert py(obj.total_value()) == sum((amount for _, amount in model.entries), decimal.Decimal(0))
    if type(obj) is not Balance:
        assert obj.is_void() == all(amount.is_zero() for _, amount in model.entries)


@contextlib.contextmanager
def panics(message):
    with pytest.raises(BaseException) as raised:
        yield
    assert type(raised.value).__name__ == "PanicException"
    assert str(raised.value) == message


# ---- class options and construction -------------------------------------------------------------


@pytest.mark.parametrize("cls, parameter", CLASSES)
def test_class_options(cls, parameter):
    assert cls.__text_signature__ == f"(amount, {parameter})"
    assert cls.__module__ == "builtins"
    assert cls.split.__text_signature__ == "($self, symbol, weights)"
    assert cls.new_from_many.__text_signature__ == "($cls, amounts)"
    with pytest.raises(TypeError):
        type("Sub", (cls,), {})


def test_balance_compares_by_identity_and_funds_by_value():
    assert Balance.__doc__ == "Maps token address to balance amount"
    a, b = Balance(Decimal(1), USDC), Balance(Decimal(1), USDC)
    assert a == a and a != b and not (a == b)
    assert hash(a) == hash(a)
    for cls in FUNDS:
        assert cls(Decimal("1.5"), USDC) == cls(Decimal("1.50"), USDC)
        assert cls(Decimal(0), USDC) == cls(Decimal("-0.000"), USDC)
        assert cls(Decimal(1), USDC) != cls(Decimal(1), QZR)
        assert cls(Decimal(1), USDC) != 1 and not (cls(Decimal(1), USDC) == "x")
        with pytest.raises(TypeError, match="unhashable"):
            hash(cls.default())
        with pytest.raises(TypeError):
            cls.default() < cls.default()
    fund, pool = InsuranceFund(Decimal(1), USDC), FeePool(Decimal(1), USDC)
    assert not (fund == pool) and fund != pool and pool != fund


@pytest.mark.parametrize("cls, parameter", CLASSES)
@pytest.mark.parametrize(
    "amount, stored",
    [("1.50", "1.5"), ("0", "0"), ("-0.000", "0"), ("0.0000004", "0"), ("-1.2345678", "-1.234567"), ("2.0000009", "2")],
)
def test_one_entry_with_the_recorded_amount(cls, parameter, amount, stored):
    obj = cls(Decimal(amount), USDC)
    assert repr(obj) == text_of(cls, [(address_of(USDC), stored)])
    assert len(obj) == 1 and str(obj[USDC]) == stored and str(obj[QZR]) == "0"
    assert obj.amounts()[0] == Decimal(stored)
    keyword = cls(**{"amount": Decimal(amount), parameter: QZR})
    assert repr(keyword) == text_of(cls, [(address_of(QZR), stored)])


@pytest.mark.parametrize("cls, parameter", CLASSES)
@pytest.mark.parametrize(
    "arguments, message",
    [
        ((1, USDC), "argument 'amount': 'int' object cannot be converted to 'Decimal'"),
        (("1", USDC), "argument 'amount': 'str' object cannot be converted to 'Decimal'"),
        ((1.0, USDC), "argument 'amount': 'float' object cannot be converted to 'Decimal'"),
        ((Decimal(1), 0), "argument '{p}': 'int' object cannot be converted to 'TokenSymbol'"),
        ((Decimal(1), "USDC"), "argument '{p}': 'str' object cannot be converted to 'TokenSymbol'"),
    ],
)
def test_constructor_argument_errors(cls, parameter, arguments, message):
    with pytest.raises(TypeError) as raised:
        cls(*arguments)
    assert str(raised.value) == message.format(p=parameter)


@pytest.mark.parametrize("cls, parameter", CLASSES)
def test_default_is_empty(cls, parameter):
    empty = cls.default()
    assert type(empty) is cls and len(empty) == 0 and empty.amounts() == [] and str(empty.total_value()) == "0"
    assert repr(empty) == text_of(cls, [])
    assert not bool(empty) and bool(cls(Decimal(0), USDC))
    assert empty.split(USDC, [Decimal(1)]) is None


# ---- new_from_many ------------------------------------------------------------------------------


@pytest.mark.parametrize("cls, parameter", CLASSES)
def test_new_from_many_takes_the_dict_order(cls, parameter):
    forward = cls.new_from_many({USDC: Decimal("1.0000001"), QZR: Decimal(0)})
    backward = cls.new_from_many({QZR: Decimal(0), USDC: Decimal("1.0000001")})
    assert type(forward) is cls
    assert repr(forward) == text_of(cls, [(address_of(USDC), "1"), (address_of(QZR), "0")])
    assert repr(backward) == text_of(cls, [(address_of(QZR), "0"), (address_of(USDC), "1")])

    class Amounts(dict):
        pass

    assert repr(cls.new_from_many(Amounts({QZR: Decimal(3)}))) == text_of(cls, [(address_of(QZR), "3")])


@pytest.mark.parametrize("cls, parameter", CLASSES)
@pytest.mark.parametrize(
    "amounts, error, message",
    [
        ({}, QzrCommonError, "Cannot create balance with no collateral addresses"),
        ([(USDC, Decimal(1))], TypeError, "argument 'amounts': 'list' object cannot be converted to 'PyDict'"),
        ({USDC: 1}, TypeError, "argument 'amounts': 'int' object cannot be converted to 'Decimal'"),
        ({"USDC": Decimal(1)}, TypeError, "argument 'amounts': 'str' object cannot be converted to 'TokenSymbol'"),
        ({QZR: Decimal(1), 5: Decimal(1)}, TypeError, "argument 'amounts': 'int' object cannot be converted to 'TokenSymbol'"),
    ],
)
def test_new_from_many_errors(cls, parameter, amounts, error, message):
    with pytest.raises(error) as raised:
        cls.new_from_many(amounts)
    assert type(raised.value) is error and str(raised.value) == message


# ---- item assignment ----------------------------------------------------------------------------


@pytest.mark.parametrize("cls, parameter", CLASSES)
def test_assignment_rules(cls, parameter):
    usdc, qzr = address_of(USDC), address_of(QZR)
    obj = cls.new_from_many({USDC: Decimal(1), QZR: Decimal(2)})
    obj[USDC] = Decimal("0.000")  # removal moves the last entry into place
    assert repr(obj) == text_of(cls, [(qzr, "2")])
    obj[USDC] = Decimal("-0")  # nothing to remove
    assert repr(obj) == text_of(cls, [(qzr, "2")])
    obj[USDC] = Decimal("0.0000004")  # not zero before recording: an entry of amount 0
    assert repr(obj) == text_of(cls, [(qzr, "2"), (usdc, "0")])
    obj[QZR] = Decimal("7.12345678")  # replaced in place
    assert repr(obj) == text_of(cls, [(qzr, "7.123456"), (usdc, "0")])
    obj[QZR] = Decimal(0)
    assert repr(obj) == text_of(cls, [(usdc, "0")])


@pytest.mark.parametrize("cls, parameter", CLASSES)
@pytest.mark.parametrize(
    "key, value, message",
    [
        (0, Decimal(1), "argument 'key': 'int' object cannot be converted to 'TokenSymbol'"),
        (USDC, 1, "argument 'value': 'int' object cannot be converted to 'Decimal'"),
        (USDC, "1", "argument 'value': 'str' object cannot be converted to 'Decimal'"),
    ],
)
def test_assignment_argument_errors_change_nothing(cls, parameter, key, value, message):
    obj = cls(Decimal(1), USDC)
    before = repr(obj)
    with pytest.raises(TypeError) as raised:
        obj[key] = value
    assert str(raised.value) == message and repr(obj) == before
    with pytest.raises(TypeError, match="argument 'key': 'str' object cannot be converted to 'TokenSymbol'"):
        obj["USDC"]


@pytest.mark.parametrize("cls, parameter", CLASSES)
def test_items_cannot_be_deleted(cls, parameter):
    obj = cls(Decimal(1), USDC)
    for key in (USDC, QZR, "not even a symbol"):
        with pytest.raises(NotImplementedError, match="^can't delete item$"):
            del obj[key]
    assert len(obj) == 1 and str(obj[USDC]) == "1"


# ---- addition -----------------------------------------------------------------------------------


@pytest.mark.parametrize("cls, parameter", CLASSES)
def test_addition(cls, parameter):
    usdc, qzr = address_of(USDC), address_of(QZR)
    one, two = cls(Decimal(1), USDC), cls(Decimal(2), QZR)
    total = one + two
    assert type(total) is cls and total is not one
    assert repr(total) == text_of(cls, [(usdc, "1"), (qzr, "2")])
    assert repr(two + one) == text_of(cls, [(qzr, "2"), (usdc, "1")])
    assert repr(one) == text_of(cls, [(usdc, "1")]) and repr(two) == text_of(cls, [(qzr, "2")])
    assert repr(one + cls(Decimal(-1), USDC)) == text_of(cls, [(usdc, "0")])
    assert repr(one + one) == text_of(cls, [(usdc, "2")])
    assert repr(cls.default() + cls.default()) == text_of(cls, [])
    for other in (1, None, 2.5):
        with pytest.raises(TypeError, match="unsupported operand"):
            one + other
        with pytest.raises(TypeError, match="unsupported operand"):
            other + one


def test_addition_refuses_other_balance_classes():
    for left in (Balance(Decimal(1), USDC), InsuranceFund(Decimal(1), USDC), FeePool(Decimal(1), USDC)):
        for right in (Balance(Decimal(1), USDC), InsuranceFund(Decimal(1), USDC), FeePool(Decimal(1), USDC)):
            if type(left) is not type(right):
                with pytest.raises(TypeError, match="unsupported operand"):
                    left + right


def test_amounts_add_exactly_and_record_the_sum():
    a = Balance(Decimal("0.0000019"), USDC)  # recorded 0.000001
    b = Balance(Decimal("0.9999999"), USDC)  # recorded 0.999999
    assert str((a + b)[USDC]) == "1"
    big = Balance(Decimal("79228162514264337593543.950335"), USDC)
    assert str((big + Balance(Decimal("-0.000001"), USDC))[USDC]) == "79228162514264337593543.950334"


# ---- split, total_value -------------------------------------------------------------------------


@pytest.mark.parametrize("cls, parameter", CLASSES)
@pytest.mark.parametrize(
    "amount, weights, parts",
    [
        ("10", ["1", "1", "2"], ["2.5", "2.5", "5"]),
        ("10", ["1", "3"], ["2.5", "7.5"]),
        ("1", ["0.5", "0.25", "0.25"], ["0.5", "0.25", "0.25"]),
        ("-7.5", ["2", "-1", "3"], ["-3.75", "1.875", "-5.625"]),
        ("0.000001", ["3", "5"], ["0.000000375", "0.000000625"]),
        ("3", ["-1", "1"], None),
        ("3", ["-1"], None),
        ("3", [], None),
        ("0", ["1"], None),
    ],
)
def test_split_terminating(cls, parameter, amount, weights, parts):
    obj = cls(Decimal(amount), USDC)
    result = obj.split(USDC, [Decimal(w) for w in weights])
    if parts is None:
        assert result is None
        return
    assert all(type(p) is Decimal for p in result)
    assert [py(p) for p in result] == [decimal.Decimal(p) for p in parts]
    # The independent computation: amount / sum, times each weight.
    factor = EXACT.divide(decimal.Decimal(amount), sum(decimal.Decimal(w) for w in weights))
    assert [py(p) for p in result] == [EXACT.multiply(decimal.Decimal(w), factor) for w in weights]
    assert str(obj[USDC]) == amount  # unchanged


def test_split_of_a_third_is_not_rounded():
    parts = Balance(Decimal(1), USDC).split(USDC, (Decimal(1), Decimal(1), Decimal(1)))
    assert [str(p) for p in parts] == ["0.3333333333333333333333333333"] * 3
    assert sum(py(p) for p in parts) < 1


@pytest.mark.parametrize("cls, parameter", CLASSES)
def test_split_on_a_token_without_entry_is_none(cls, parameter):
    assert cls(Decimal(5), QZR).split(USDC, [Decimal(1)]) is None
    # The entry is looked up before the weights are added: weights whose sum overflows give None
    # too, where a token with an entry faults on them.
    overflowing = [Decimal(2**96 - 1)] * 2
    assert cls(Decimal(1), USDC).split(QZR, overflowing) is None
    with panics("Addition overflowed"):
        cls(Decimal(1), USDC).split(USDC, overflowing)


@pytest.mark.parametrize("cls, parameter", CLASSES)
@pytest.mark.parametrize(
    "symbol, weights, message",
    [
        (USDC, "12", "argument 'weights': Can't extract `str` to `Vec`"),
        (USDC, 5, "argument 'weights': 'int' object cannot be converted to 'Sequence'"),
        (USDC, {Decimal(1)}, "argument 'weights': 'set' object cannot be converted to 'Sequence'"),
        (USDC, [Decimal(1), 1], "argument 'weights': 'int' object cannot be converted to 'Decimal'"),
        (USDC, [Decimal(1), "1"], "argument 'weights': 'str' object cannot be converted to 'Decimal'"),
        (1, [Decimal(1)], "argument 'symbol': 'int' object cannot be converted to 'TokenSymbol'"),
    ],
)
def test_split_argument_errors(cls, parameter, symbol, weights, message):
    with pytest.raises(TypeError) as raised:
        cls(Decimal(1), USDC).split(symbol, weights)
    assert str(raised.value) == message


@pytest.mark.parametrize("cls, parameter", CLASSES)
def test_split_weights_that_change_the_object_are_refused(cls, parameter):
    obj = cls(Decimal(10), USDC)

    class Weights(list):
        def __iter__(self):
            obj[USDC] = Decimal(1)  # the split holds a shared borrow
            return super().__iter__()

    with pytest.raises(RuntimeError, match="^Already borrowed$"):
        obj.split(USDC, Weights([Decimal(1)]))
    assert str(obj[USDC]) == "10"
    # A sequence whose length fails is still read by iteration.

    class NoLength(list):
        def __len__(self):
            raise ValueError("no length")

    assert [str(p) for p in obj.split(USDC, NoLength([Decimal(1), Decimal(4)]))] == ["2", "8"]


def test_total_value():
    obj = Balance.new_from_many({USDC: Decimal("1.000001"), QZR: Decimal(2)})
    assert str(obj.total_value()) == "3.000001"
    assert str(Balance.new_from_many({USDC: Decimal("-1.5"), QZR: Decimal("1.5")}).total_value()) == "0.0"


# ---- the limit of two tokens ----------------------------------------------------------------------


def foreign_fund(cls):
    """A fund decoded from bytes, holding two addresses that are neither token's."""
    data = ref.item_value(KINDS[cls], balance_tuple((FOREIGN_A, 1), (FOREIGN_B, 2)))
    return cls.from_item(cls.abi_decode_value_into_item(data))


def strategy_value(avail, locked, max_leverage=3, frozen=False, strategy_id=b"\x04main"):
    return ref.tuple_of(
        ref.fixed(strategy_id.ljust(32, b"\0")), balance_tuple(*avail), balance_tuple(*locked), ref.uint(max_leverage),
        ref.boolean(frozen),
    )


def foreign_strategy():
    data = ref.item_value(2, strategy_value([(FOREIGN_A, 1), (FOREIGN_B, 2)], [(FOREIGN_B, 3), (FOREIGN_A, 4)]))
    return Strategy.from_item(Strategy.abi_decode_value_into_item(data))


def foreign_objects():
    strategy = foreign_strategy()
    return [foreign_fund(InsuranceFund), foreign_fund(FeePool), strategy.avail_collateral]


def limit_text(address, amount):
    return f"collaterals limit exceeded: (TokenAddress({address}), UnscaledI128({amount}))"


@pytest.mark.parametrize("index", range(3))
def test_a_third_token_faults_before_anything_changes(index):
    obj = foreign_objects()[index]
    cls = type(obj)
    before = repr(obj)
    assert before == text_of(cls, [("0x" + "aa" * 20, "1"), ("0x" + "bb" * 20, "2")])
    with panics(limit_text(address_of(USDC), "1.5")):
        obj[USDC] = Decimal("1.5000009")
    assert repr(obj) == before
    # Addition never drops a token: it faults as the insert does, and changes neither operand.
    other = cls(Decimal(7), QZR)
    with panics(limit_text(address_of(QZR), "7")):
        obj + other
    with panics(limit_text("0x" + "bb" * 20, "2")):
        other + obj
    assert repr(obj) == before and repr(other) == text_of(cls, [(address_of(QZR), "7")])
    # Zero removes nothing that is absent, and an entry that is present is still replaced.
    obj[USDC] = Decimal(0)
    assert repr(obj) == before
    assert obj.split(USDC, [Decimal(1)]) is None


def foreign_contribution():
    strategy = foreign_strategy()
    return InsuranceFundContribution(strategy.avail_collateral, strategy.locked_collateral)


@pytest.mark.parametrize(
    "make, method",
    [
        (foreign_strategy, "update_avail_collateral"),
        (foreign_strategy, "update_locked_collateral"),
        (foreign_contribution, "update_avail_balance"),
        (foreign_contribution, "update_locked_balance"),
    ],
)
@pytest.mark.parametrize("symbol", SYMBOLS)
def test_record_updates_fault_on_a_third_token_and_leave_the_record(make, method, symbol):
    record = make()
    before = repr(record)
    with panics(limit_text(address_of(symbol), "3")):
        getattr(record, method)(symbol, Decimal("3.0000001"))
    assert repr(record) == before


@pytest.mark.parametrize("cls", FUNDS)
def test_bytes_with_a_third_address_do_not_decode(cls):
    data = ref.item_value(KINDS[cls], balance_tuple((FOREIGN_A, 1), (FOREIGN_B, 2), (bytes(20), 3)))
    with pytest.raises(QzrCommonError, match="^invalid abi representation: all schemas failed$"):
        cls.abi_decode_value_into_item(data)
    # A repeated address keeps its last amount and is no third token.
    data = ref.item_value(KINDS[cls], balance_tuple((FOREIGN_A, 1), (FOREIGN_B, 2), (FOREIGN_A, 3)))
    fund = cls.from_item(cls.abi_decode_value_into_item(data))
    assert repr(fund) == text_of(cls, [("0x" + "aa" * 20, "3"), ("0x" + "bb" * 20, "2")])


# ---- the record members of the funds ------------------------------------------------------------


@pytest.mark.parametrize("cls", FUNDS)
def test_fund_item_values(cls):
    kind = KINDS[cls]
    assert cls.default().abi_encoded_value() == words(0x20, kind, 0x40, 0x40, 0x60, 0, 0)
    fund = cls(Decimal("1.5"), USDC)
    assert fund.abi_encoded_value() == words(0x20, kind, 0x40, 0x40, 0x80, 1, address_bytes(USDC), 1, 1_500_000)
    negative = cls.new_from_many({QZR: Decimal("-2"), USDC: Decimal(0)})
    assert negative.abi_encoded_value() == ref.item_value(
        kind, balance_tuple((address_bytes(QZR), decimal.Decimal(-2)), (address_bytes(USDC), 0))
    )
    assert negative.abi_encoded_value() == negative.as_item().abi_encoded_value()


@pytest.mark.parametrize("cls", FUNDS)
def test_equal_balances_in_two_orders_encode_apart(cls):
    forward = cls.new_from_many({USDC: Decimal(1), QZR: Decimal(2)})
    backward = cls.new_from_many({QZR: Decimal("2.0"), USDC: Decimal(1)})
    assert forward == backward and forward.as_item() == backward.as_item()
    assert forward.abi_encoded_value() != backward.abi_encoded_value()
    usdc, qzr = address_bytes(USDC), address_bytes(QZR)
    assert forward.abi_encoded_value() == ref.item_value(KINDS[cls], balance_tuple((usdc, 1), (qzr, 2)))
    assert backward.abi_encoded_value() == ref.item_value(KINDS[cls], balance_tuple((qzr, 2), (usdc, 1)))


@pytest.mark.parametrize("cls", FUNDS)
def test_fund_round_trips(cls):
    other = FeePool if cls is InsuranceFund else InsuranceFund
    for fund in (cls.default(), cls(Decimal("-3.25"), QZR), cls.new_from_many({QZR: Decimal(1), USDC: Decimal(0)})):
        item = fund.as_item()
        assert type(item) is Item and item.item_kind() == getattr(ItemKind, cls.__name__)
        assert cls.from_item(item) == fund
        assert cls.abi_decode_value_into_item(fund.abi_encoded_value()) == item
        inner = repr(fund).removeprefix(f"{cls.__name__} {{ inner: ").removesuffix(" }")
        assert inner.startswith("Balance(") and repr(item) == f"Item {{ inner: {cls.__name__}({inner}) }}"
        clone = fund.__deepcopy__({})
        assert clone == fund and clone is not fund
        clone[USDC] = Decimal(9)
        assert clone != fund
        assert copy.deepcopy(fund) == fund
    # The kind word decides: the other class's bytes decode into the other kind.
    item = other.abi_decode_value_into_item(cls(Decimal(1), USDC).abi_encoded_value())
    assert item.item_kind() == getattr(ItemKind, cls.__name__)
    for item in (other.default().as_item(), Item.abi_decode_value_into_item(ItemKind.Empty, b"")):
        with pytest.raises(QzrCommonError, match="^invalid item kind$"):
            cls.from_item(item)


@pytest.mark.parametrize("cls", FUNDS)
@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda c: c.abi_decode_value_into_item(b""), QzrCommonError, "invalid abi representation: all schemas failed"),
        (
            lambda c: c.abi_decode_value_into_item(bytearray(c.default().abi_encoded_value())),
            TypeError,
            "argument 'abi_encoded_value': 'bytearray' object cannot be converted to 'PyBytes'",
        ),
        (lambda c: c.default().__deepcopy__(None), TypeError, "argument '_memo': 'NoneType' object cannot be converted to 'PyDict'"),
        (lambda c: c.from_item(c.default()), TypeError, None),
    ],
)
def test_fund_protocol_errors(cls, call, error, message):
    with pytest.raises(error) as raised:
        call(cls)
    assert type(raised.value) is error
    if message is not None:
        assert str(raised.value) == message


@pytest.mark.parametrize("cls", FUNDS)
def test_fund_void_rule(cls):
    assert cls.default().is_void()
    assert cls(Decimal("-0.0000009"), USDC).is_void()
    assert cls.new_from_many({USDC: Decimal(0), QZR: Decimal("0.000")}).is_void()
    assert not cls(Decimal("0.000001"), USDC).is_void()


# ---- a stateful comparison against the model -------------------------------------------------------

# Decimal amounts: mantissas below 10^16 at scales 0 to 9 (so more than 6 places are common), and
# the zeros of several scales and signs.
amounts = st.one_of(
    st.builds(lambda m, s: decimal.Decimal(m).scaleb(-s), st.integers(-(10**16), 10**16), st.integers(0, 9)),
    st.sampled_from(["0", "-0", "0.000", "0.0000004", "-0.0000009"]).map(decimal.Decimal),
)
symbols = st.sampled_from(SYMBOLS)


@st.composite
def terminating_weights(draw):
    """Weights whose sum is 2^a 5^b x 10^-k (so every part of a 6-place amount terminates), with
    some zero or negative weights."""
    total = draw(st.sampled_from([1, 2, 4, 5, 8, 10, 16, 20, 25, 40, 50, 80, 100, 125]))
    count = draw(st.integers(1, 4))
    weights = [draw(st.integers(-5, total + 5)) for _ in range(count - 1)]
    weights.append(total - sum(weights))
    shift = draw(st.integers(0, 2))
    return [decimal.Decimal(w).scaleb(-shift) for w in weights]


class BalanceMachine(RuleBasedStateMachine):
    """One object of each balance class, changed alike, against one model."""

    def __init__(self):
        super().__init__()
        self.objects = [cls.default() for cls, _ in CLASSES]
        self.model = Model()

    @rule(symbol=symbols, amount=amounts)
    def assign(self, symbol, amount):
        for obj in self.objects:
            obj[symbol] = plain(amount)
        self.model.insert(address_of(symbol), amount)

    @rule(pairs=st.lists(st.tuples(symbols, amounts), min_size=1, max_size=2, unique_by=lambda p: p[0]), keep=st.booleans())
    def add(self, pairs, keep):
        other = model_of_pairs(pairs)
        expected = self.model.plus(other)
        before = [repr(obj) for obj in self.objects]
        for i, obj in enumerate(self.objects):
            operand = type(obj).new_from_many({symbol: plain(amount) for symbol, amount in pairs})
            assert_matches(operand, other)
            total = obj + operand
            assert_matches(total, expected)
            assert repr(obj) == before[i]
            assert_matches(operand, other)
            if keep:
                self.objects[i] = total
        if keep:
            self.model = expected

    @rule(symbol=symbols, weights=terminating_weights())
    def split(self, symbol, weights):
        amount = self.model.amount(address_of(symbol))
        total = sum(weights, decimal.Decimal(0))
        for obj in self.objects:
            parts = obj.split(symbol, [plain(w) for w in weights])
            if amount.is_zero() or total <= 0:
                assert parts is None
            else:
                factor = EXACT.divide(amount, total)
                assert [py(p) for p in parts] == [EXACT.multiply(w, factor) for w in weights]

    @invariant()
    def objects_match_the_model(self):
        for obj in self.objects:
            assert_matches(obj, self.model)


TestBalanceMachine = BalanceMachine.TestCase
TestBalanceMachine.settings = settings(max_examples=150, stateful_step_count=25, deadline=None)
