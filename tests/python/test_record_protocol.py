"""The state record class protocol, on Trader: construction, properties, texts, equality, copies,
item conversions, the item ABI value and hostile callers.

Independent references: the ABI encoder of abi_reference.py and Python's `decimal` for the
recorded amounts.
"""

import decimal

import pytest
from hypothesis import given, strategies as st

import abi_reference as ref
from borrow_support import held_borrow
from hostile import NOT_EXCEPTIONS, IndexEmptiesKeywords, LoggedIndex, raising_in
from qzr_python.common import QzrCommonError
from qzr_python.common.state import Item, ItemKind, Trader
from qzr_python.decimal import Decimal, DecimalError

ADDRESS = "ab" * 20
OTHER = "0123456789abcdef0123456789ABCDEF01234567"


def trader(avail="1.5", locked="0", referral=ADDRESS, pay_fees=False):
    return Trader(avail, locked, referral, pay_fees)


# ---- construction -------------------------------------------------------------------------------


def test_class_options():
    assert Trader.__doc__ == "An individual trader"
    assert Trader.__text_signature__ == "(avail_qzr_balance, locked_qzr_balance, referral_address, pay_fees_in_qzr)"
    assert Trader.__module__ == "builtins"
    assert Trader.avail_qzr_balance.__doc__ == "The QZR balance stated / usable for trading"
    assert Trader.locked_qzr_balance.__doc__ == "The QZR balance locked for withdrawal"
    assert Trader.referral_address.__doc__ is None
    assert Trader.pay_fees_in_qzr.__doc__ == "Switch to paying fees with QZR"
    assert Trader.from_item.__text_signature__ == "($cls, item)"
    with pytest.raises(TypeError):
        type("Sub", (Trader,), {})
    with pytest.raises(TypeError, match="unhashable"):
        hash(trader())


def test_arguments_by_keyword_and_position():
    t = Trader(pay_fees_in_qzr=True, referral_address=ADDRESS, locked_qzr_balance=2, avail_qzr_balance="1")
    assert t == Trader(1, 2, ADDRESS, True)
    with pytest.raises(TypeError, match=r"^Trader.__new__\(\) missing 1 required positional argument: 'pay_fees_in_qzr'$"):
        Trader(1, 2, ADDRESS)
    with pytest.raises(TypeError, match=r"unexpected keyword argument 'inner'"):
        Trader(1, 2, ADDRESS, True, inner=1)


@pytest.mark.parametrize(
    "given, stored",
    [
        ("1.23456789", "1.234567"),
        (0.5, "0.5"),
        (7, "7"),
        (Decimal("1.9999999"), "1.999999"),
        ("1e3", "1000"),
        ("-0.0000001", "0"),
        ("1.50", "1.5"),
        (True, "1"),
        # The recording clamps both signs to the largest recorded amount.
        ("79228162514264337593543950335", "79228162514264337593543.950335"),
        ("-79228162514264337593543950335", "-79228162514264337593543.950335"),
    ],
)
def test_amounts_are_recorded(given, stored):
    t = trader(avail=given, locked=given)
    assert str(t.avail_qzr_balance) == stored and str(t.locked_qzr_balance) == stored
    assert type(t.avail_qzr_balance) is Decimal
    t.locked_qzr_balance = given
    assert str(t.locked_qzr_balance) == stored
    assert decimal.Decimal(stored) == ref.recorded(decimal.Decimal(str(Decimal(given))))


@pytest.mark.parametrize(
    "text, address",
    [
        ("0x" + ADDRESS, ADDRESS),
        (ADDRESS.upper(), ADDRESS),
        (OTHER, OTHER.lower()),
        ("0x 12" + "12" * 9 + "\t\n" + "34" * 10 + "\r", None),
        ("0x" + "00" * 20, "00" * 20),
    ],
)
def test_referral_address_text(text, address):
    t = trader(referral=text)
    expected = address if address is not None else "12" * 10 + "34" * 10
    assert t.referral_address == expected
    t.referral_address = t.referral_address
    assert t.referral_address == expected
    assert f"referral_address: 0x{expected}," in repr(t)


@pytest.mark.parametrize(
    "text, message",
    [
        ("0X" + ADDRESS, "Invalid character 'X' at position 1"),
        ("abcdeg" + "0" * 34, "Invalid character 'g' at position 5"),
        ("0x" + "a" * 39, "Invalid input length"),
        ("a" * 41, "Invalid input length"),
        ("", "Invalid input length"),
        ("0x0x" + "a" * 38, "Invalid character 'x' at position 1"),
    ],
)
def test_malformed_referral_address(text, message):
    with pytest.raises(QzrCommonError) as raised:
        trader(referral=text)
    assert raised.value.args == (message,)
    t = trader()
    with pytest.raises(QzrCommonError) as raised:
        t.referral_address = text
    assert raised.value.args == (message,)
    assert t.referral_address == ADDRESS


@pytest.mark.parametrize(
    "arguments, exception, text",
    [
        (("x", 0, ADDRESS, False), DecimalError, "Invalid value for decimal"),
        ((None, 0, ADDRESS, False), DecimalError, "invalid value for decimal"),
        ((float("nan"), 0, ADDRESS, False), DecimalError, "Invalid value for decimal"),
        ((0, [], ADDRESS, False), DecimalError, "invalid value for decimal"),
        ((0, 0, 5, False), TypeError, "argument 'referral_address': 'int' object cannot be converted to 'PyString'"),
        ((0, 0, b"ab" * 20, False), TypeError, "argument 'referral_address': 'bytes' object cannot be converted to 'PyString'"),
        ((0, 0, ADDRESS, 1), TypeError, "argument 'pay_fees_in_qzr': 'int' object cannot be converted to 'PyBool'"),
        ((0, 0, ADDRESS, None), TypeError, "argument 'pay_fees_in_qzr': 'NoneType' object cannot be converted to 'PyBool'"),
        # Conversions come first, in parameter order; the address text is read after them.
        (("x", 0, 5, 1), DecimalError, "Invalid value for decimal"),
        ((0, 0, "zz", 1), TypeError, "argument 'pay_fees_in_qzr': 'int' object cannot be converted to 'PyBool'"),
        ((0, 0, "zz", True), QzrCommonError, "Invalid character 'z' at position 0"),
    ],
)
def test_constructor_errors(arguments, exception, text):
    with pytest.raises(exception) as raised:
        Trader(*arguments)
    assert type(raised.value) is exception and str(raised.value) == text


# ---- properties ---------------------------------------------------------------------------------


@pytest.mark.parametrize(
    "name, value, exception, text",
    [
        ("avail_qzr_balance", "abc", DecimalError, "Invalid value for decimal"),
        ("locked_qzr_balance", object(), DecimalError, "invalid value for decimal"),
        ("referral_address", 5, TypeError, "'int' object cannot be converted to 'PyString'"),
        ("pay_fees_in_qzr", 0, TypeError, "'int' object cannot be converted to 'PyBool'"),
    ],
)
def test_setter_errors_name_no_argument_and_change_nothing(name, value, exception, text):
    t = trader(avail="3", locked="4", pay_fees=True)
    before = repr(t)
    with pytest.raises(exception) as raised:
        setattr(t, name, value)
    assert type(raised.value) is exception and str(raised.value) == text
    assert repr(t) == before


@pytest.mark.parametrize("name", ["avail_qzr_balance", "locked_qzr_balance", "referral_address", "pay_fees_in_qzr"])
def test_properties_cannot_be_deleted(name):
    t = trader()
    with pytest.raises(AttributeError, match="^can't delete attribute$"):
        delattr(t, name)
    assert getattr(t, name) == getattr(trader(), name)


def test_setters_replace_one_field():
    t = trader()
    t.avail_qzr_balance = Decimal("-2.5")
    t.locked_qzr_balance = 0.25
    t.referral_address = "0x" + OTHER
    t.pay_fees_in_qzr = True
    assert t == Trader("-2.5", "0.25", OTHER, True)


def test_getters_return_new_objects():
    t = trader(avail="1.5")
    first = t.avail_qzr_balance
    assert first is not t.avail_qzr_balance
    first.__setstate__(Decimal(9).__getstate__())
    assert str(t.avail_qzr_balance) == "1.5"
    source = Decimal("2")
    t.avail_qzr_balance = source
    source.__setstate__(Decimal(7).__getstate__())
    assert str(t.avail_qzr_balance) == "2"


def test_no_instance_attributes():
    t = trader()
    with pytest.raises(AttributeError):
        t.other = 1
    with pytest.raises(AttributeError):
        t.__dict__


# ---- texts, equality and copies -----------------------------------------------------------------


def test_repr():
    assert repr(Trader.default()) == (
        "Trader { avail_qzr_balance: UnscaledI128(0), locked_qzr_balance: UnscaledI128(0), "
        "referral_address: 0x0000000000000000000000000000000000000000, pay_fees_in_qzr: false }"
    )
    t = Trader("-1.50", "2", "0x" + ADDRESS.upper(), True)
    assert str(t) == repr(t) == (
        "Trader { avail_qzr_balance: UnscaledI128(-1.5), locked_qzr_balance: UnscaledI128(2), "
        f"referral_address: 0x{ADDRESS}, pay_fees_in_qzr: true }}"
    )


@pytest.mark.parametrize(
    "left, right, equal",
    [
        (trader(avail="1.5"), trader(avail="1.50"), True),
        (trader(avail="0"), trader(avail="-0"), True),
        (trader(avail="1.5"), trader(avail="1.6"), False),
        (trader(locked="1"), trader(locked="2"), False),
        (trader(referral=ADDRESS), trader(referral=OTHER), False),
        (trader(pay_fees=True), trader(pay_fees=False), False),
    ],
)
def test_equality_compares_every_field(left, right, equal):
    assert (left == right) is equal and (right == left) is equal
    assert (left != right) is (not equal)


@pytest.mark.parametrize("other", [5, None, "Trader", trader().as_item(), [trader()]])
def test_unrelated_values_are_unequal(other):
    t = trader()
    assert (t == other) is False and (other == t) is False
    assert (t != other) is True


def test_reflected_equality_is_consulted():
    class ClaimsEquality:
        def __eq__(self, other):
            return True

    t = trader()
    assert (t == ClaimsEquality()) is True
    assert (t != ClaimsEquality()) is False


def test_not_equal_propagates_errors_of_the_equality():
    class Refuses:
        def __eq__(self, other):
            raise ValueError("no comparison")

    with pytest.raises(ValueError, match="no comparison"):
        trader() != Refuses()


@pytest.mark.parametrize("op", ["<", "<=", ">", ">="])
def test_no_ordering(op):
    with pytest.raises(TypeError):
        eval(f"a {op} b", {"a": trader(), "b": trader()})


def test_deep_copy():
    t = trader(avail="1.5", pay_fees=True)
    copied = t.__deepcopy__({})
    assert copied == t and copied is not t and type(copied) is Trader
    copied.avail_qzr_balance = 3
    assert str(t.avail_qzr_balance) == "1.5"

    class Memo(dict):
        def __getitem__(self, key):
            raise AssertionError("the memo is not read")

    assert t.__deepcopy__(Memo()) == t
    import copy

    assert copy.deepcopy(t) == t


@pytest.mark.parametrize("memo", [None, [], (), "memo"])
def test_deep_copy_needs_a_dict(memo):
    with pytest.raises(TypeError) as raised:
        trader().__deepcopy__(memo)
    assert str(raised.value) == f"argument '_memo': '{type(memo).__name__}' object cannot be converted to 'PyDict'"


def test_default_and_is_void():
    default = Trader.default()
    assert default == Trader(0, 0, "00" * 20, False)
    assert default.is_void() is False
    assert Trader.default() is not Trader.default()
    with pytest.raises(TypeError):
        Trader.default(1)


# ---- items and ABI values -----------------------------------------------------------------------


def test_item_conversions():
    t = trader(avail="-1", locked="2.25", pay_fees=True)
    item = t.as_item()
    assert type(item) is Item and item.item_kind() == ItemKind.Trader
    assert Trader.from_item(item) == t
    assert t.as_item() is not item
    assert repr(item) == f"Item {{ inner: Trader({t!r}) }}"


@pytest.mark.parametrize(
    "item, exception, text",
    [
        (Item.abi_decode_value_into_item(ItemKind.Empty, b""), QzrCommonError, "invalid item kind"),
        (Item.abi_decode_value_into_item(ItemKind.Stats, ref.item_value(7, ref.tuple_of(ref.uint(0), ref.uint(0)))),
         QzrCommonError, "invalid item kind"),
        (trader(), TypeError, "argument 'item': 'Trader' object cannot be converted to 'Item'"),
        (None, TypeError, "argument 'item': 'NoneType' object cannot be converted to 'Item'"),
    ],
)
def test_from_item_errors(item, exception, text):
    with pytest.raises(exception) as raised:
        Trader.from_item(item)
    assert type(raised.value) is exception and str(raised.value) == text


@given(
    # Within the 96-bit mantissa, so the text is read exactly and the recording alone rounds.
    avail=st.decimals(min_value=-(10**19), max_value=10**19, places=8, allow_nan=False),
    locked=st.decimals(min_value=-(10**22), max_value=10**22, places=6, allow_nan=False),
    referral=st.binary(min_size=20, max_size=20),
    pay_fees=st.booleans(),
)
def test_abi_value_matches_reference_and_round_trips(avail, locked, referral, pay_fees):
    t = Trader(str(avail), str(locked), referral.hex(), pay_fees)
    encoded = t.abi_encoded_value()
    assert encoded == ref.item_value(1, ref.trader_value(avail, locked, referral, pay_fees))
    assert len(encoded) == 160
    assert encoded == t.as_item().abi_encoded_value()
    decoded = Trader.abi_decode_value_into_item(encoded)
    assert decoded == t.as_item()
    assert Trader.from_item(decoded) == t


def test_negative_balance_word():
    encoded = trader(avail=-1).abi_encoded_value()
    word = encoded[32:64]
    assert word[:15] == bytes(15) and word[15] == 1 and int.from_bytes(word[16:], "big") == 1_000_000
    assert str(Trader.from_item(Trader.abi_decode_value_into_item(encoded)).avail_qzr_balance) == "-1"


@pytest.mark.parametrize("value", [bytearray(160), memoryview(bytes(160)), "00" * 160, None, [0] * 160])
def test_decoder_takes_bytes_only(value):
    with pytest.raises(TypeError) as raised:
        Trader.abi_decode_value_into_item(value)
    assert str(raised.value) == (
        f"argument 'abi_encoded_value': '{type(value).__name__}' object cannot be converted to 'PyBytes'"
    )


def test_decoder_result_takes_the_kind_of_the_bytes():
    stats_bytes = ref.item_value(7, ref.tuple_of(ref.amount(1), ref.amount(2), ref.address(bytes(20)), ref.boolean(True)))
    item = Trader.abi_decode_value_into_item(stats_bytes)
    assert item.item_kind() == ItemKind.Stats
    with pytest.raises(QzrCommonError, match="^invalid abi representation: all schemas failed$"):
        Trader.abi_decode_value_into_item(trader().abi_encoded_value()[:-1])


# ---- borrows and hostile callers ----------------------------------------------------------------


@pytest.mark.parametrize(
    "action, text",
    [
        (lambda t: t.avail_qzr_balance, "Already mutably borrowed"),
        (lambda t: repr(t), "Already mutably borrowed"),
        (lambda t: t.abi_encoded_value(), "Already mutably borrowed"),
        (lambda t: t.as_item(), "Already mutably borrowed"),
        (lambda t: t.is_void(), "Already mutably borrowed"),
        (lambda t: t.__deepcopy__({}), "Already mutably borrowed"),
        (lambda t: setattr(t, "pay_fees_in_qzr", True), "Already borrowed"),
    ],
)
def test_exclusively_borrowed_record(action, text):
    t = trader()
    with held_borrow(t, -1):
        with pytest.raises(RuntimeError) as raised:
            action(t)
        assert str(raised.value) == text
        # An exclusively borrowed object compares as an unrelated value.
        assert (t == trader()) is False and (trader() == t) is False
    assert t == trader() and t.pay_fees_in_qzr is False


def test_shared_borrowed_record():
    t = trader()
    with held_borrow(t, 1):
        assert t.referral_address == ADDRESS and t == trader()
        with pytest.raises(RuntimeError, match="^Already borrowed$"):
            t.avail_qzr_balance = 2
        # The setter converts before it borrows: a bad value's own error comes first ...
        with pytest.raises(DecimalError):
            t.avail_qzr_balance = "bad"
        # ... but the address text is read after the borrow.
        with pytest.raises(RuntimeError, match="^Already borrowed$"):
            t.referral_address = "zz"
    t.avail_qzr_balance = 2
    assert str(t.avail_qzr_balance) == "2"


def test_setter_value_converted_before_the_borrow():
    t = trader()

    class Reentrant:
        def __float__(self):
            t.avail_qzr_balance = 5  # the object is not borrowed yet
            t.pay_fees_in_qzr = True
            return 0.25

    t.avail_qzr_balance = Reentrant()
    assert str(t.avail_qzr_balance) == "0.25" and t.pay_fees_in_qzr is True


def test_reentrant_index_during_construction():
    seen = []

    class Index:
        def __index__(self):
            seen.append(Trader(1, 2, ADDRESS, True))
            return 3

    t = Trader(Index(), Index(), ADDRESS, False)
    assert str(t.avail_qzr_balance) == "3" and len(seen) == 2


def test_a_key_error_raised_in_a_conversion_is_replaced_by_a_decimal_error():
    class Broken:
        def __index__(self):
            raise KeyError("inside __index__")

        def __float__(self):
            raise KeyError("inside __float__")

    with pytest.raises(DecimalError):
        trader(avail=Broken())


HOSTILE_CALLS = [
    lambda error: trader(avail=raising_in("__index__", error)),
    lambda error: trader(locked=raising_in("__float__", error)),
    lambda error: setattr(trader(), "avail_qzr_balance", raising_in("__float__", error)),
    lambda error: setattr(trader(), "locked_qzr_balance", raising_in("__index__", error)),
]


@pytest.mark.parametrize("call", HOSTILE_CALLS)
@pytest.mark.parametrize("raised", NOT_EXCEPTIONS, ids=lambda e: e.__name__)
def test_errors_that_are_not_exceptions_pass_through_conversions(call, raised):
    # Only an Exception lets the decimal conversion go on to its next step.
    with pytest.raises(raised):
        call(raised)


def test_keyword_arguments_outlive_a_conversion_that_empties_the_keyword_dict():
    for _ in range(20):
        events = []
        t = Trader(**{
            "avail_qzr_balance": IndexEmptiesKeywords(events, TypeError),
            "locked_qzr_balance": LoggedIndex(events, 2),
            "referral_address": ADDRESS,
            "pay_fees_in_qzr": False,
        })
        assert str(t.avail_qzr_balance) == "1.5" and str(t.locked_qzr_balance) == "2"
        assert events == ["index", "float", "del", "del"]


def test_decimal_being_changed_is_not_copied():
    t = trader()
    value = Decimal("1.234")

    class SetsDuringQuantize:
        outcome = None

        def __index__(self):
            try:
                t.avail_qzr_balance = value  # `value` is exclusively borrowed by quantize
            except RuntimeError as error:
                SetsDuringQuantize.outcome = error
            return 2

    assert str(value.quantize(SetsDuringQuantize())) == "1.23"
    assert str(SetsDuringQuantize.outcome) == "Already mutably borrowed"
    assert str(t.avail_qzr_balance) == "1.5"
