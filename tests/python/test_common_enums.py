"""TokenSymbol and OrderSide: members, texts, int conversion, equality, ordering, hashing, the
OrderSide constructor and TokenSymbol's address lookups through the application context."""

import enum

import pytest

from app_context_support import (
    SNAPSHOT_DEPLOYMENT,
    SNAPSHOT_QZR,
    SNAPSHOT_USDC,
    run_with_context,
    write_addresses,
)
from hostile import NOT_EXCEPTIONS, raising_in
from qzr_python.common import QzrCommonError, TokenSymbol
from qzr_python.common.enums import OrderSide

MEMBERS = [
    (TokenSymbol, "USDC", 0),
    (TokenSymbol, "QZR", 1),
    (OrderSide, "Bid", 0),
    (OrderSide, "Ask", 1),
]


class Indexable:
    """An object that converts to an integer only through __index__."""

    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value


class FailingIndex:
    def __index__(self):
        raise ValueError("no index here")


class Number(enum.IntEnum):
    ZERO = 0
    ONE = 1


@pytest.mark.parametrize("cls, name, discriminant", MEMBERS)
def test_members_are_single_class_attributes(cls, name, discriminant):
    member = getattr(cls, name)
    assert type(member) is cls
    assert getattr(cls, name) is member
    assert repr(member) == f"{cls.__name__}.{name}"
    assert str(member) == f"{cls.__name__}.{name}"
    assert int(member) == discriminant
    assert type(int(member)) is int


def test_class_texts():
    assert TokenSymbol.__doc__ == "Well-known ERC20 tokens used in the underpinning of the protocol"
    assert TokenSymbol.__text_signature__ is None
    assert OrderSide.__doc__ == ""
    assert OrderSide.__text_signature__ == "(name)"
    assert TokenSymbol.__module__ == OrderSide.__module__ == "builtins"
    assert TokenSymbol.from_address.__text_signature__ == "($cls, address)"
    assert TokenSymbol.address.__text_signature__ == "($self)"


def test_token_symbol_has_no_constructor():
    with pytest.raises(TypeError, match="^No constructor defined$"):
        TokenSymbol()
    with pytest.raises(TypeError, match="^No constructor defined$"):
        TokenSymbol("USDC")


@pytest.mark.parametrize("name, member", [("Bid", OrderSide.Bid), ("Ask", OrderSide.Ask)])
def test_order_side_from_name(name, member):
    side = OrderSide(name)
    assert side == member
    assert side is not member
    assert type(side) is OrderSide
    assert repr(side) == f"OrderSide.{name}"
    assert OrderSide(name=name) == member


@pytest.mark.parametrize("name", ["ask", "ASK", "Ask ", " Bid", "", "Bids", "B", "Ask\0", "Bid\n"])
def test_order_side_refuses_other_names(name):
    with pytest.raises(QzrCommonError) as raised:
        OrderSide(name)
    assert raised.value.args == ("Error parsing string into struct: Invalid order side: " + name,)


@pytest.mark.parametrize(
    "call, message",
    [
        (lambda: OrderSide(0), "argument 'name': 'int' object cannot be converted to 'PyString'"),
        (lambda: OrderSide(b"Bid"), "argument 'name': 'bytes' object cannot be converted to 'PyString'"),
        (lambda: OrderSide(), "OrderSide.__new__() missing 1 required positional argument: 'name'"),
        (lambda: OrderSide("Bid", "Ask"), "OrderSide.__new__() takes 1 positional arguments but 2 were given"),
        (lambda: OrderSide(side="Bid"), "OrderSide.__new__() got an unexpected keyword argument 'side'"),
    ],
)
def test_order_side_argument_errors(call, message):
    with pytest.raises(TypeError) as raised:
        call()
    assert str(raised.value) == message


@pytest.mark.parametrize(
    "left, right, equal",
    [
        (TokenSymbol.USDC, TokenSymbol.USDC, True),
        (TokenSymbol.USDC, TokenSymbol.QZR, False),
        (OrderSide.Ask, OrderSide("Ask"), True),
        (OrderSide.Bid, OrderSide.Ask, False),
        # Integers through the index protocol: int, bool, __index__, IntEnum.
        (TokenSymbol.USDC, 0, True),
        (TokenSymbol.USDC, 1, False),
        (TokenSymbol.QZR, 1, True),
        (TokenSymbol.QZR, True, True),
        (TokenSymbol.USDC, False, True),
        (OrderSide.Ask, 1, True),
        (OrderSide.Ask, Indexable(1), True),
        (OrderSide.Ask, Indexable(0), False),
        (TokenSymbol.QZR, Number.ONE, True),
        (TokenSymbol.QZR, -1, False),
        # Integers beyond 64 signed bits are not integers to the comparison: identity decides.
        (TokenSymbol.USDC, 2**64, False),
        (TokenSymbol.USDC, -(2**63) - 1, False),
        # Neither class accepts the other, although both discriminants are 0.
        (TokenSymbol.USDC, OrderSide.Bid, False),
        (OrderSide.Bid, TokenSymbol.USDC, False),
        (TokenSymbol.USDC, "USDC", False),
        (OrderSide.Bid, "Bid", False),
        (TokenSymbol.QZR, 1.0, False),
        (TokenSymbol.USDC, None, False),
        # An __index__ that raises is a failed conversion, not an error.
        (TokenSymbol.USDC, FailingIndex(), False),
    ],
)
def test_equality(left, right, equal):
    assert (left == right) is equal
    assert (right == left) is equal
    assert (left != right) is not equal
    assert (right != left) is not equal



@pytest.mark.parametrize("member", [TokenSymbol.USDC, OrderSide.Bid])
@pytest.mark.parametrize("raised", NOT_EXCEPTIONS, ids=lambda e: e.__name__)
def test_equality_raises_errors_that_are_not_exceptions(member, raised):
    # A failed __index__ falls back to the other comparisons only when it raised an Exception.
    with pytest.raises(raised):
        member == raising_in("__index__", raised)

@pytest.mark.parametrize("left, right", [(TokenSymbol.USDC, TokenSymbol.QZR), (OrderSide.Bid, OrderSide.Ask),
                                         (OrderSide.Bid, 1), (0, TokenSymbol.QZR)])
@pytest.mark.parametrize("operator", ["<", "<=", ">", ">="])
def test_ordering_is_not_supported(left, right, operator):
    with pytest.raises(TypeError, match="not supported between instances of"):
        eval(f"left {operator} right", {"left": left, "right": right})


@pytest.mark.parametrize("member, discriminant", [(TokenSymbol.USDC, 0), (TokenSymbol.QZR, 1)])
def test_token_symbol_hashes_like_its_integer(member, discriminant):
    assert hash(member) == hash(discriminant) == hash(int(member))
    # Equal objects hash alike, so members, integers and bools find each other as keys.
    assert {member: "member"}[discriminant] == "member"
    assert {discriminant: "integer"}[member] == "integer"
    assert len({member, discriminant, bool(discriminant)}) == 1
    assert len({TokenSymbol.USDC, TokenSymbol.QZR, member}) == 2


def test_order_side_is_unhashable():
    for member in (OrderSide.Bid, OrderSide.Ask, OrderSide("Ask")):
        with pytest.raises(TypeError, match="unhashable type"):
            hash(member)
        with pytest.raises(TypeError):
            {member}


@pytest.mark.parametrize(
    "address, message",
    [
        ("0x" + "b0" * 19 + "b", "Invalid input length"),
        ("0x" + "b0" * 20 + "b", "Invalid input length"),
        ("b0" * 19 + "b", "Invalid input length"),
        ("", "Invalid input length"),
        ("0x" + "zz" + "b0" * 19, "Invalid character 'z' at position 0"),
    ],
)
def test_from_address_refuses_malformed_text(address, message):
    # The text is read before the application context, so no context is needed here.
    with pytest.raises(QzrCommonError) as raised:
        TokenSymbol.from_address(address)
    assert raised.value.args == (message,)


def test_from_address_requires_text():
    with pytest.raises(TypeError) as raised:
        TokenSymbol.from_address(b"\xb0" * 20)
    assert str(raised.value) == "argument 'address': 'bytes' object cannot be converted to 'PyString'"


def test_addresses_through_the_context(tmp_path):
    write_addresses(tmp_path, {"snapshot": SNAPSHOT_DEPLOYMENT})
    result = run_with_context(
        """
        from qzr_python.common import TokenSymbol
        usdc = TokenSymbol.USDC.address()
        qzr = TokenSymbol.QZR.address()
        def lookup(text):
            member = TokenSymbol.from_address(text)
            return [repr(member), member is TokenSymbol.USDC or member is TokenSymbol.QZR]
        print(json.dumps({
            "usdc": usdc,
            "qzr": qzr,
            "usdc back": outcome(lambda: lookup(usdc)),
            "usdc upper case": outcome(lambda: lookup("0x" + usdc[2:].upper())),
            "usdc without 0x": outcome(lambda: lookup(usdc[2:])),
            "qzr back": outcome(lambda: lookup(qzr)),
            "qzr upper case without 0x": outcome(lambda: lookup(qzr[2:].upper())),
            "unknown": outcome(lambda: lookup("0x" + "11" * 20)),
            "contract address": outcome(lambda: lookup("0xabcdef0123456789abcdef0123456789abcdef01")),
            "from usdc equals usdc": TokenSymbol.from_address(usdc) == TokenSymbol.USDC,
        }))
        """,
        QZR_SHARE=tmp_path,
    )
    assert result["usdc"] == SNAPSHOT_USDC
    assert result["qzr"] == SNAPSHOT_QZR
    # from_address returns a new instance of the member, equal to the class attribute.
    assert result["usdc back"] == ["ok", ["TokenSymbol.USDC", False]]
    assert result["usdc upper case"] == ["ok", ["TokenSymbol.USDC", False]]
    assert result["usdc without 0x"] == ["ok", ["TokenSymbol.USDC", False]]
    # The QZR token address is found too, though the context keeps it outside its token map.
    assert result["qzr back"] == ["ok", ["TokenSymbol.QZR", False]]
    assert result["qzr upper case without 0x"] == ["ok", ["TokenSymbol.QZR", False]]
    assert result["unknown"] == ["QzrCommonError", "Unknown token address: 0x" + "11" * 20]
    assert result["contract address"] == [
        "QzrCommonError",
        "Unknown token address: 0xabcdef0123456789abcdef0123456789abcdef01",
    ]
    assert result["from usdc equals usdc"] is True
