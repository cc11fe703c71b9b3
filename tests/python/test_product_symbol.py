"""ProductSymbol: parsing texts and errors, packing, hashing, equality and the argument reading."""

import copy

import pytest

from qzr_python.common import ProductSymbol, QzrCommonError

CHARSET = "0ABCDEFGHIJKLMNOPQRSTUVWXYZ"


@pytest.mark.parametrize(
    "text, shown",
    [("ETHP", "ETHP"), ("ETH P", "ETHP"), ("ETH\tP", "ETHP"), ("BTCP", "BTCP"), ("ABCDP", "ABCDP"), ("AP", "AP")],
)
def test_texts_that_parse(text, shown):
    symbol = ProductSymbol(text)
    assert str(symbol) == shown
    assert repr(symbol) == f'ProductSymbol {{ inner: ProductSymbol("{shown}") }}'
    assert len(symbol) == 6


@pytest.mark.parametrize(
    "text, message",
    [
        ("P", "Error parsing string into struct: Expected at least 2 characters for product symbol"),
        ("", "Error parsing string into struct: Expected at least 2 characters for product symbol"),
        ("ABCDEP", 'Error parsing string into struct: Expected up to 4 ASCII characters for underlying symbol; '
                   'got Ok("ABCDE")'),
        (" ETHP", f"Conversion error: Illegal character in 32 charset={CHARSET}"),
        ("ethp", f"Conversion error: Illegal character in 101 charset={CHARSET}"),
        ("ETHp", "Error parsing string into struct: Unknown product kind p"),
        ("E1P", f"Conversion error: Illegal character in 49 charset={CHARSET}"),
        ("E\vP", f"Conversion error: Illegal character in 11 charset={CHARSET}"),
        # Texts holding the padding character or an empty underlying would be stored under bytes
        # that print and parse back as another symbol: they are refused.
        (" P", "Error parsing string into struct: Expected at least 1 character for underlying symbol"),
        ("0P", "Conversion error: Illegal padding character 0 in underlying symbol"),
        ("A0BP", "Conversion error: Illegal padding character 0 in underlying symbol"),
    ],
)
def test_texts_that_fail(text, message):
    with pytest.raises(QzrCommonError) as raised:
        ProductSymbol(text)
    assert raised.value.args == (message,)


@pytest.mark.parametrize(
    "text, shown",
    [
        # The kind letter is the last byte, so a text ending in a two-byte character leaves the
        # underlying cut inside that character.
        ("ABCDÉ", "Err(Utf8Error { valid_up_to: 4, error_len: None })"),
        ("ABCDÉP", 'Ok("ABCDÉ")'),
    ],
)
def test_long_non_ascii_underlying_shows_its_utf8_reading(text, shown):
    with pytest.raises(QzrCommonError) as raised:
        ProductSymbol(text)
    assert str(raised.value) == (
        "Error parsing string into struct: Expected up to 4 ASCII characters for underlying symbol; got " + shown
    )


def test_hash_values_and_equality():
    eth = ProductSymbol("ETHP")
    assert hash(eth) == -3601349284326933603
    assert hash(ProductSymbol("BTCP")) == 8651313395501770510
    assert eth == ProductSymbol("ETH P") and hash(eth) == hash(ProductSymbol("ETH P"))
    assert eth != ProductSymbol("BTCP")
    assert (eth == "ETHP") is False and (eth != "ETHP") is True
    with pytest.raises(TypeError):
        eth < eth
    assert {eth: 1}[ProductSymbol("ETHP")] == 1


def test_argument_errors_and_copies():
    with pytest.raises(TypeError, match="^argument 'symbol': 'int' object cannot be converted to 'PyString'$"):
        ProductSymbol(1)
    with pytest.raises(TypeError, match="^argument '_memo': 'list' object cannot be converted to 'PyDict'$"):
        ProductSymbol("ETHP").__deepcopy__([])
    eth = ProductSymbol("ETHP")
    assert copy.deepcopy(eth) == eth and copy.deepcopy(eth) is not eth
    assert ProductSymbol.__text_signature__ == "(symbol)" and ProductSymbol.__doc__ == ""
    with pytest.raises(TypeError, match="^ProductSymbol.__new__\\(\\) missing 1 required positional argument: 'symbol'$"):
        ProductSymbol()
