"""What every enumeration class of the module shares: its members, class texts, the refusal of
construction where a class has no constructor, equality with members and integers, no ordering,
hashing, and that a class is closed. The classes, their member names, docstrings and text
signatures come from the one table of enum_support.py, checked here against the module.

What one class adds is tested with its family: the constructors from names (OrderSide in
test_common_enums.py, the update kinds in test_request_enums.py, SpecsKind in test_keys.py),
ItemKind's numbers and its constructor from a number (test_state_items.py), the hashes of
TokenSymbol and SettlementAction, TokenSymbol's addresses and TradeSide's trading fee.
"""

import operator
import sys

import pytest

from enum_support import CLASS_TEXTS, CLASSES, NAMES, WITHOUT_CONSTRUCTOR
from hostile import NOT_EXCEPTIONS, raising_in
from index_support import Indexable, Number
from qzr_python.common import TokenSymbol
from qzr_python.common.enums import OrderSide, OrderType, PositionSide, PriceDirection, TradeSide
from qzr_python.common.requests import SettlementAction
from qzr_python.common.state import ItemKind, SpecsKind
from qzr_python.common.transactions import InsuranceFundUpdateKind, StrategyUpdateKind, TraderUpdateKind

# The members of every class: (class, member name, number).
MEMBERS = [(cls, name, number) for cls, names in NAMES.items() for number, name in enumerate(names)]
MEMBER_IDS = [f"{cls.__name__}.{name}" for cls, name, _ in MEMBERS]
ALL_MEMBERS = [getattr(cls, name) for cls, name, _ in MEMBERS]
# The two classes whose members hash; the others' are unhashable.
HASHABLE = [TokenSymbol, SettlementAction]


def describe(value):
    """A test id for a value: a class's name, a value's repr where it has one of its own (marked
    "new" for a member that is not its class's attribute), else the name of its type."""
    if isinstance(value, type):
        return value.__name__
    if type(value) in NAMES and value is not getattr(type(value), repr(value).split(".")[1]):
        return "new " + repr(value)
    return type(value).__name__ if type(value).__repr__ is object.__repr__ else repr(value)


def test_the_table_holds_every_enumeration_class_of_the_module():
    # An enumeration class is one whose class attributes include instances of itself.
    found = {
        value for name, module in sys.modules.items() if name.split(".")[0] == "qzr_python"
        for value in vars(module).values()
        if isinstance(value, type) and any(type(member) is value for member in vars(value).values())
    }
    assert found == set(CLASSES)


@pytest.mark.parametrize("cls, name, number", MEMBERS, ids=MEMBER_IDS)
def test_members(cls, name, number):
    member = getattr(cls, name)
    assert type(member) is cls
    assert getattr(cls, name) is member
    assert repr(member) == str(member) == f"{cls.__name__}.{name}"
    assert int(member) == number and type(int(member)) is int
    # Every member is true, the one numbered 0 too.
    assert bool(member) is True
    assert member == number and not member != number
    assert member == member
    assert member != number + 1
    assert member != float(number) and member != name


@pytest.mark.parametrize("cls", CLASSES, ids=describe)
def test_class_attributes_in_number_order(cls):
    assert [name for name, value in vars(cls).items() if type(value) is cls] == NAMES[cls]


@pytest.mark.parametrize("cls, doc, signature", CLASS_TEXTS, ids=[cls.__name__ for cls, _, _ in CLASS_TEXTS])
def test_class_texts(cls, doc, signature):
    assert cls.__doc__ == doc
    assert cls.__text_signature__ == signature
    assert cls.__module__ == "builtins"


@pytest.mark.parametrize("cls", WITHOUT_CONSTRUCTOR, ids=describe)
@pytest.mark.parametrize("args", [(), (0,), ("Long",), ("USDC",)], ids=repr)
def test_no_constructor(cls, args):
    with pytest.raises(TypeError, match="^No constructor defined$"):
        cls(*args)


@pytest.mark.parametrize("cls", CLASSES, ids=describe)
def test_class_is_closed(cls):
    with pytest.raises(TypeError):
        type("Sub", (cls,), {})
    member = getattr(cls, NAMES[cls][0])
    with pytest.raises(AttributeError):
        member.value = 3
    # Not a Python enum: the class is neither iterable nor read by member name.
    with pytest.raises(TypeError):
        list(cls)
    with pytest.raises(TypeError):
        cls[NAMES[cls][0]]


@pytest.mark.parametrize(
    "left, right, equal",
    [
        # Members of one class compare by number; a member made by a constructor equals the class's.
        (TokenSymbol.USDC, TokenSymbol.USDC, True),
        (TokenSymbol.USDC, TokenSymbol.QZR, False),
        (OrderSide.Ask, OrderSide("Ask"), True),
        (OrderSide.Bid, OrderSide.Ask, False),
        (PositionSide.Short, PositionSide.Short, True),
        (PositionSide.Long, PositionSide.Short, False),
        (ItemKind.Trader, ItemKind.Trader, True),
        (ItemKind.Trader, ItemKind(1), True),
        (ItemKind.Trader, ItemKind.Strategy, False),
        (SpecsKind.SingleNamePerpetual, SpecsKind("SINGLENAMEPERP"), True),
        (SpecsKind.SingleNamePerpetual, SpecsKind.MarketGateway, False),
        # Integers through the index protocol: int, bool, __index__, IntEnum.
        (TokenSymbol.USDC, 0, True),
        (TokenSymbol.USDC, 1, False),
        (TokenSymbol.QZR, 1, True),
        (TokenSymbol.QZR, True, True),
        (TokenSymbol.USDC, False, True),
        (TokenSymbol.QZR, Number.ONE, True),
        (TokenSymbol.QZR, -1, False),
        (OrderSide.Ask, 1, True),
        (OrderSide.Ask, Indexable(1), True),
        (OrderSide.Ask, Indexable(0), False),
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
        (StrategyUpdateKind.Deposit, 1, True),
        (TraderUpdateKind.Deposit, 1, True),
        (ItemKind.Trader, 1, True),
        (ItemKind.Trader, True, True),
        (ItemKind.Empty, False, True),
        (ItemKind.Trader, Indexable(1), True),
        (ItemKind.Trader, 2, False),
        (SpecsKind.SingleNamePerpetual, 0, True),
        (SpecsKind.SingleNamePerpetual, 1, False),
        (SpecsKind.MarketGateway, True, True),
        # ItemKind reads an unsigned byte: 257 and -1 are not the kind numbered 1.
        (ItemKind.Trader, 257, False),
        (ItemKind.Trader, -1, False),
        # Beyond 64 signed bits an int is no number to the comparison, and raises nothing.
        (TokenSymbol.USDC, 2**64, False),
        (TokenSymbol.USDC, -(2**63) - 1, False),
        (PositionSide.Long, 2**70, False),
        (PositionSide.Empty, 2**64, False),
        (PositionSide.Empty, -(2**63) - 1, False),
        (PositionSide.Long, Indexable(2**70), False),
        (OrderType.Limit, 2**70, False),
        (ItemKind.Trader, Indexable(2**70), False),
        (SpecsKind.MarketGateway, 2**64 + 1, False),
        (SpecsKind.MarketGateway, 2**70, False),
        # Floats, texts and None have no __index__: no member equals them.
        (TokenSymbol.QZR, 1.0, False),
        (TokenSymbol.USDC, None, False),
        (TokenSymbol.USDC, "USDC", False),
        (OrderSide.Bid, "Bid", False),
        (PositionSide.Long, 1.0, False),
        (PositionSide.Long, "Long", False),
        (PositionSide.Long, None, False),
        (ItemKind.Trader, 1.0, False),
        (ItemKind.Trader, "Trader", False),
        (ItemKind.Trader, None, False),
        (SpecsKind.SingleNamePerpetual, "0", False),
        # Members of two classes are never equal, even at one number.
        (TokenSymbol.USDC, OrderSide.Bid, False),
        (PositionSide.Long, TradeSide.Taker, False),
        (TradeSide.Maker, PriceDirection.Up, False),
        (TradeSide.Maker, OrderSide.Bid, False),
        (PriceDirection.Down, OrderType.Market, False),
        (OrderType.Market, OrderSide.Ask, False),
        (OrderType.Limit, SettlementAction.TradeMining, False),
        (StrategyUpdateKind.Deposit, TraderUpdateKind.Deposit, False),
        # An __index__ that raises an Exception is a failed conversion, not an error.
        (TokenSymbol.USDC, raising_in("__index__", ValueError), False),
        (PositionSide.Long, raising_in("__index__", ValueError), False),
        (ItemKind.Trader, raising_in("__index__", KeyError), False),
    ],
    ids=describe,
)
def test_equality(left, right, equal):
    assert (left == right) is equal
    assert (right == left) is equal
    assert (left != right) is not equal
    assert (right != left) is not equal


@pytest.mark.parametrize("member", ALL_MEMBERS, ids=MEMBER_IDS)
@pytest.mark.parametrize("raised", NOT_EXCEPTIONS, ids=lambda e: e.__name__)
def test_equality_raises_errors_that_are_not_exceptions(member, raised):
    # A failed __index__ falls back to the other comparisons only when it raised an Exception.
    with pytest.raises(raised):
        member == raising_in("__index__", raised)


@pytest.mark.parametrize("operator_name", ["lt", "le", "gt", "ge"])
@pytest.mark.parametrize(
    "left, right",
    [
        (TokenSymbol.USDC, TokenSymbol.QZR),
        (0, TokenSymbol.QZR),
        (OrderSide.Bid, OrderSide.Ask),
        (OrderSide.Bid, 1),
        (OrderType.Limit, OrderType.Market),
        (PositionSide.Long, PositionSide.Short),
        (TradeSide.Maker, 1),
        (0, PriceDirection.Down),
        (SettlementAction.TradeMining, SettlementAction.PnlRealization),
        (ItemKind.Trader, ItemKind.Strategy),
        (SpecsKind.SingleNamePerpetual, 1),
        (SpecsKind.SingleNamePerpetual, SpecsKind.MarketGateway),
        (SpecsKind.MarketGateway, SpecsKind.SingleNamePerpetual),
        (SpecsKind.SingleNamePerpetual, 0),
        (StrategyUpdateKind.Deposit, StrategyUpdateKind.Withdraw),
        (InsuranceFundUpdateKind.Deposit, 1),
        (TraderUpdateKind.Deposit, TraderUpdateKind.Profile),
    ],
    ids=describe,
)
def test_ordering_is_not_supported(left, right, operator_name):
    with pytest.raises(TypeError, match="not supported between instances of"):
        getattr(operator, operator_name)(left, right)


@pytest.mark.parametrize(
    "member",
    [member for member in ALL_MEMBERS if type(member) not in HASHABLE] + [OrderSide("Ask")],
    ids=describe,
)
def test_unhashable(member):
    with pytest.raises(TypeError, match="unhashable type"):
        hash(member)
    with pytest.raises(TypeError):
        {member}
    with pytest.raises(TypeError):
        {member: 1}


@pytest.mark.parametrize("member", ALL_MEMBERS, ids=MEMBER_IDS)
def test_a_member_is_no_index(member):
    with pytest.raises(TypeError):
        [10, 20, 30, 40][member]
    with pytest.raises(TypeError):
        operator.index(member)
