"""What TokenSymbol and OrderSide add to the enumeration classes (test_enums.py): the OrderSide
constructor from names, TokenSymbol's hash and its address lookups through the application
context."""

import pytest

from app_context_support import (
    SNAPSHOT_DEPLOYMENT,
    SNAPSHOT_QZR,
    SNAPSHOT_USDC,
    run_with_context,
    write_addresses,
)
from qzr_python.common import QzrCommonError, TokenSymbol
from qzr_python.common.enums import OrderSide


def test_token_symbol_method_texts():
    assert TokenSymbol.from_address.__text_signature__ == "($cls, address)"
    assert TokenSymbol.address.__text_signature__ == "($self)"


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


@pytest.mark.parametrize("member, discriminant", [(TokenSymbol.USDC, 0), (TokenSymbol.QZR, 1)])
def test_token_symbol_hashes_like_its_integer(member, discriminant):
    assert hash(member) == hash(discriminant) == hash(int(member))
    # Equal objects hash alike, so members, integers and bools find each other as keys.
    assert {member: "member"}[discriminant] == "member"
    assert {discriminant: "integer"}[member] == "integer"
    assert len({member, discriminant, bool(discriminant)}) == 1
    assert len({TokenSymbol.USDC, TokenSymbol.QZR, member}) == 2


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
