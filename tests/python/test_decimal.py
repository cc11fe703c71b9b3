"""Decimal: conversions, text, state bytes, hash, operators, quantize, recorded amounts, grains.

Expected values come from worked examples of the number model, from independent computations
with Python's `decimal` module (exact contexts, then the model's rounding applied by hand), and
from the small reference functions below, which restate the model's rules in plain Python.
"""

import copy
import decimal as std
import gc
import math
import pickle
import re
import sys
from fractions import Fraction

import pytest
from hypothesis import given, settings, strategies as st

from hostile import (
    BIG_SIZE,
    NOT_EXCEPTIONS,
    UNDER_ASAN,
    IndexEmptiesKeywords,
    no_room_for_a_copy_of,
    raising_in,
)
from index_support import Indexable
from qzr_python.decimal import Decimal, DecimalError

MAX_MANTISSA = 2**96 - 1
MAX_SCALE = 28
RECORDED_MAX_TEXT = "79228162514264337593543.950335"
NEG_ZERO = -Decimal(0)

# Exact arithmetic on operands of at most 29 digits: no result is rounded by the context.
EXACT = std.Context(prec=200, Emax=999999, Emin=-999999, traps=[std.InvalidOperation, std.DivisionByZero])

# Applied to each property test here (a loaded profile would change other files' tests too).
PROPERTY = settings(max_examples=200, deadline=None)


# ----------------------------------------------------------------------------------------------
# Reference functions


def text_of(negative, mantissa, scale):
    """The model's text of (sign, mantissa, scale): no exponent, trailing zeros kept, "-0" kept."""
    digits = str(mantissa).rjust(scale + 1, "0")
    body = digits[: len(digits) - scale] + ("." + digits[len(digits) - scale :] if scale else "")
    return ("-" if negative else "") + body


def parts_of(text):
    """(negative, mantissa, scale) of a plain text such as "-0.0015"."""
    negative = text.startswith("-")
    body = text.lstrip("+-")
    whole, _, fraction = body.partition(".")
    return negative, int(whole + fraction), len(fraction)


def state_of(negative, mantissa, scale):
    """The 16-byte form: flags word (scale bits 16-23, sign bit 31), then low, middle, high."""
    flags = scale << 16 | (1 << 31 if negative else 0)
    return flags.to_bytes(4, "little") + mantissa.to_bytes(12, "little")


def normalized_parts(negative, mantissa, scale):
    if mantissa == 0:
        return False, 0, 0
    while scale > 0 and mantissa % 10 == 0:
        mantissa //= 10
        scale -= 1
    return negative, mantissa, scale


def hash_of(negative, mantissa, scale):
    """The normalised 16-byte form folded into 8 bytes by XOR, read big-endian, signed."""
    raw = state_of(*normalized_parts(negative, mantissa, scale))
    folded = bytearray(8)
    for index, byte in enumerate(raw):
        folded[index % 8] ^= byte
    value = int.from_bytes(folded, "big")
    if value >= 2**63:
        value -= 2**64
    return -2 if value == -1 else value


def std_text(value):
    """Python's decimal as the model's text (plain notation, sign of a zero kept)."""
    return format(value, "f")


def fit_half_even(exact, max_scale):
    """The text of `exact` (a std Decimal) rounded half to even at the largest scale not above
    `max_scale` whose mantissa fits 96 bits; None when it does not fit even at scale 0."""
    for scale in range(max_scale, -1, -1):
        rounded = exact.quantize(std.Decimal(1).scaleb(-scale), rounding=std.ROUND_HALF_EVEN, context=EXACT)
        if int(rounded.copy_abs().scaleb(scale, context=EXACT)) <= MAX_MANTISSA:
            return std_text(rounded)
    return None


def float_reference(value):
    """The model's value of a float: its exact binary value at the largest scale (at most 28)
    whose half-even rounded mantissa fits 96 bits, then shortened while the mantissa is 2^52 or
    more (dropping a digit adds one when it was 5 or more), then trailing zeros stripped."""
    negative = math.copysign(1.0, value) < 0
    exact = abs(Fraction(value))
    for scale in range(MAX_SCALE, -1, -1):
        scaled = exact * 10**scale
        mantissa = round(scaled)  # Fraction rounding is half to even
        if mantissa <= MAX_MANTISSA:
            break
    else:
        return None
    while mantissa >= 2**52 and scale > 0:
        mantissa, dropped = divmod(mantissa, 10)
        mantissa += dropped >= 5
        scale -= 1
    while scale > 0 and mantissa % 10 == 0:
        mantissa //= 10
        scale -= 1
    return text_of(negative, mantissa, scale)


def quantize_reference(text, places):
    negative, mantissa, scale = parts_of(text)
    if scale <= places:
        return text
    if mantissa == 0:
        return text_of(negative, 0, places)
    kept = mantissa // 10 ** (scale - places)
    return text_of(negative and kept != 0, kept, places)


def recorded_reference(text):
    negative, mantissa, scale = parts_of(text)
    if Fraction(mantissa, 10**scale) > Fraction(MAX_MANTISSA, 10**6):
        mantissa, scale = MAX_MANTISSA, 6
    if scale > 6:
        mantissa //= 10 ** (scale - 6)
        scale = 6
    return text_of(*normalized_parts(negative, mantissa, scale))


def grains_reference(text, decimals):
    """value x 10^decimals as the checked product computes it (exact, or rounded half to even to
    the largest scale that fits), truncated; the error text where the conversion fails."""
    negative, mantissa, scale = parts_of(text)
    if mantissa == 0:
        return 0
    product = fit_half_even(std.Decimal(text).scaleb(decimals, context=EXACT), scale)
    if product is None:
        return "Multiplication overflowed"
    if negative:
        return "Couldn't cast to u128 because overflow"
    return int(std.Decimal(product))


# ----------------------------------------------------------------------------------------------
# Strategies

small_parts = st.tuples(st.booleans(), st.integers(0, 10**12), st.integers(0, 8))
small_texts = small_parts.map(lambda p: text_of(*p))
any_parts = st.tuples(st.booleans(), st.integers(0, MAX_MANTISSA), st.integers(0, MAX_SCALE))
any_texts = any_parts.map(lambda p: text_of(*p))
# Mantissas spread over all magnitudes, so that sums and products hit the 96-bit limit.
wide_texts = st.tuples(
    st.booleans(), st.integers(0, 96).flatmap(lambda bits: st.integers(0, 2**bits - 1)), st.integers(0, MAX_SCALE)
).map(lambda p: text_of(*p))


def raises_decimal_error(text):
    return pytest.raises(DecimalError, match="^" + re.escape(text) + "$")


# ----------------------------------------------------------------------------------------------
# Construction


class Floatable:
    def __init__(self, value):
        self.value = value

    def __float__(self):
        return self.value


class IndexFailsFloatWorks:
    def __index__(self):
        raise ValueError("not an index")

    def __float__(self):
        return 2.5


class FloatWithIndex(float):
    def __index__(self):
        return 7


class PlainFloat(float):
    pass


class IntWithFloat(int):
    def __float__(self):
        return 0.5


@pytest.mark.parametrize(
    "argument, expected",
    [
        # Worked examples of the number model.
        ("0", "0"),
        ("1.50", "1.50"),
        ("-0.0015", "-0.0015"),
        ("-0.00", "-0.00"),
        ("00012.30", "12.30"),
        ("+7", "7"),
        ("1_000.5", "1000.5"),
        ("1._5", "1.5"),
        ("1_", "1"),
        ("1.", "1"),
        (".5", "0.5"),
        ("79228162514264337593543950335", "79228162514264337593543950335"),
        ("1.2345678901234567890123456789", "1.2345678901234567890123456789"),
        # Beyond 28 places: dropped digits round the last kept one up from 5.
        ("0.00000000000000000000000000015", "0.0000000000000000000000000002"),
        ("0.000000000000000000000000000149", "0.0000000000000000000000000001"),
        ("0.000000000000000000000000000049", "0.0000000000000000000000000000"),
        # Beyond 96 bits of mantissa: fraction digits are dropped the same way.
        ("12.3456789012345678901234567891", "12.345678901234567890123456789"),
        ("12.3456789012345678901234567895", "12.345678901234567890123456790"),
        # Rounding the one place that fits overflows it, so no place is kept.
        ("7922816251426433759354395033.55", "7922816251426433759354395034"),
        # Scientific text.
        ("1.5e-3", "0.0015"),
        ("1.5E-3", "0.0015"),
        ("1.50e1", "15.0"),
        ("1.50e2", "150"),
        ("1.5e3", "1500"),
        ("1.50e3", "1500"),
        ("100e1", "1000"),
        ("0.1e1", "1"),
        ("1E+2", "100"),
        ("1e-0", "1"),
        ("1e-28", "0.0000000000000000000000000001"),
        ("10e-28", "0.0000000000000000000000000010"),
        ("12e27", "12000000000000000000000000000"),
        # Integers: exact at scale 0, bool and __index__ included.
        (True, "1"),
        (False, "0"),
        (0, "0"),
        (-7, "-7"),
        (-1, "-1"),
        # Both sides of the 64-bit boundary (a machine-word fast path and the wide path).
        (2**63 - 1, "9223372036854775807"),
        (2**63, "9223372036854775808"),
        (-(2**63), "-9223372036854775808"),
        (-(2**63) - 1, "-9223372036854775809"),
        (2**95, "39614081257132168796771975168"),
        (MAX_MANTISSA, "79228162514264337593543950335"),
        (-MAX_MANTISSA, "-79228162514264337593543950335"),
        (Indexable(42), "42"),
        # The kind of object picks the step: __index__ first, also for a float subclass.
        (FloatWithIndex(2.5), "7"),
        (IntWithFloat(3), "3"),
        (PlainFloat(2.5), "2.5"),
        # Floats: the double's own precision, trailing zeros stripped.
        (0.1, "0.1"),
        (2.5, "2.5"),
        (2.50, "2.5"),
        (-0.0, "-0"),
        (1e-30, "0"),
        (1e-28, "0.0000000000000000000000000001"),
        (123456.789, "123456.789"),
        (1e25, "10000000000000000905969664"),
        (2**-29, "0.000000001862645149230957"),
        (Floatable(0.25), "0.25"),
        (IndexFailsFloatWorks(), "2.5"),
        # Python's decimal converts through its float value.
        (std.Decimal("0.1"), "0.1"),
        (std.Decimal("0.12345678901234567890123"), "0.1234567890123457"),
    ],
)
def test_constructor_converts(argument, expected):
    assert str(Decimal(argument)) == expected


def test_constructor_without_value_is_zero():
    for value in (Decimal(), Decimal(None), Decimal(maybe_value=None)):
        assert str(value) == "0"
        assert value.__getstate__() == bytes(16)
    assert str(Decimal(maybe_value="1.5")) == "1.5"


@pytest.mark.parametrize(
    "argument, text",
    [
        ("", "Invalid value for decimal"),
        (" 1", "Invalid value for decimal"),
        ("1 ", "Invalid value for decimal"),
        ("1,5", "Invalid value for decimal"),
        ("-", "Invalid value for decimal"),
        (".", "Invalid value for decimal"),
        ("1.5.", "Invalid value for decimal"),
        ("+-1", "Invalid value for decimal"),
        ("_1", "Invalid value for decimal"),
        ("-_1", "Invalid value for decimal"),
        ("1e", "Invalid value for decimal"),
        ("e5", "Invalid value for decimal"),
        ("1ee5", "Invalid value for decimal"),
        ("1e+-5", "Invalid value for decimal"),
        ("1e5_", "Invalid value for decimal"),
        ("1\x00", "Invalid value for decimal"),
        ("\u0663", "Invalid value for decimal"),
        ("\uff11", "Invalid value for decimal"),
        ("nan", "Invalid value for decimal"),
        ("79228162514264337593543950336", "Invalid value for decimal"),
        ("1e-29", "Invalid value for decimal"),
        ("1.5e-28", "Invalid value for decimal"),
        ("1.0e-28", "Invalid value for decimal"),
        ("1e29", "Invalid value for decimal"),
        ("8e28", "Invalid value for decimal"),
        # Integers of 2^96 or more fit no mantissa; beyond 128 bits they go on as floats.
        (2**96, "Invalid value for decimal"),
        (-(2**96), "Invalid value for decimal"),
        (2**127, "Invalid value for decimal"),
        (2**200, "Invalid value for decimal"),
        (2**2000, "invalid value for decimal"),
        # An __index__ too large for 128 bits goes on to the float step through the same __index__.
        (Indexable(2**200), "Invalid value for decimal"),
        (Indexable(2**2000), "invalid value for decimal"),
        (1e29, "Invalid value for decimal"),
        (79228162514264337593543950335.0, "Invalid value for decimal"),
        (float("nan"), "Invalid value for decimal"),
        (float("inf"), "Invalid value for decimal"),
        (float("-inf"), "Invalid value for decimal"),
        (b"1", "invalid value for decimal"),
        (bytearray(b"1"), "invalid value for decimal"),
        ([1], "invalid value for decimal"),
        (object(), "invalid value for decimal"),
        (1j, "invalid value for decimal"),
    ],
)
def test_constructor_refuses(argument, text):
    with raises_decimal_error(text):
        Decimal(argument)


@pytest.mark.parametrize(
    "call",
    [
        lambda error: Decimal(raising_in("__index__", error)),
        lambda error: Decimal(raising_in("__float__", error)),
        lambda error: Decimal(1) + raising_in("__index__", error),
        lambda error: raising_in("__float__", error) * Decimal(1),
        lambda error: Decimal(1) == raising_in("__index__", error),
    ],
)
@pytest.mark.parametrize("raised", NOT_EXCEPTIONS, ids=lambda e: e.__name__)
def test_conversion_raises_errors_that_are_not_exceptions(call, raised):
    # Only an Exception lets the conversion go on to its next step.
    with pytest.raises(raised):
        call(raised)


def test_keyword_argument_outlives_a_conversion_that_empties_the_keyword_dict():
    # __index__ drops the last reference the caller held (the keyword dict's); the constructor
    # still holds one, so the float step reads a live object, which is destroyed after the call.
    for _ in range(50):
        events = []
        value = Decimal(**{"maybe_value": IndexEmptiesKeywords(events, TypeError)})
        assert str(value) == "1.5"
        assert events == ["index", "float", "del"]


@pytest.mark.parametrize(
    "call, text",
    [
        (lambda: Decimal(1, 2), "Decimal.__new__() takes from 0 to 1 positional arguments but 2 were given"),
        (lambda: Decimal(x=1), "Decimal.__new__() got an unexpected keyword argument 'x'"),
    ],
)
def test_constructor_argument_errors(call, text):
    with pytest.raises(TypeError) as raised:
        call()
    assert str(raised.value) == text


def test_class_signature():
    assert Decimal.__text_signature__ == "(maybe_value=None)"
    assert issubclass(DecimalError, Exception)


@PROPERTY
@given(st.floats(allow_nan=False, allow_infinity=False, min_value=-1e28, max_value=1e28))
def test_float_conversion_follows_shortening_rule(value):
    assert str(Decimal(value)) == float_reference(value)


# Doubles whose digits dropped by the shortening begin with two to six 4s (found by a search over
# random doubles): each one-digit step's carry decides whether the next rounds up, so a single
# rounding of all of them would differ from the rule (2631422.68114986, not 2631422.681149859).
@pytest.mark.parametrize(
    "value",
    [
        1816034837426.5544,
        2631422.6811498594,
        2.6641871930116444e-06,
        -0.050268238975091944,
        0.008626044576623144,
        2878555539.7361774,
        60748.537105228344,
        70201170.94067664,
    ],
)
def test_float_shortening_carries_digit_by_digit(value):
    assert str(Decimal(value)) == float_reference(value)


# ----------------------------------------------------------------------------------------------
# Text, state bytes, hash, copies


@pytest.mark.parametrize(
    "value, text, representation",
    [
        (Decimal(), "0", "Decimal { inner: 0 }"),
        (Decimal("1.50"), "1.50", "Decimal { inner: 1.50 }"),
        (Decimal("2.50"), "2.50", "Decimal { inner: 2.50 }"),
        (Decimal("-0.0015"), "-0.0015", "Decimal { inner: -0.0015 }"),
        (NEG_ZERO, "-0", "Decimal { inner: -0 }"),
        (-Decimal("0.00"), "-0.00", "Decimal { inner: -0.00 }"),
        (Decimal(MAX_MANTISSA), "79228162514264337593543950335", "Decimal { inner: 79228162514264337593543950335 }"),
        (
            -Decimal("7.9228162514264337593543950335"),
            "-7.9228162514264337593543950335",
            "Decimal { inner: -7.9228162514264337593543950335 }",
        ),
    ],
)
def test_texts(value, text, representation):
    assert str(value) == text
    assert repr(value) == representation


@PROPERTY
@given(any_parts)
def test_text_state_hash_and_copy_follow_sign_mantissa_and_scale(parts):
    text = text_of(*parts)
    value = Decimal(text)
    assert str(value) == text
    assert value.__getstate__() == state_of(*parts)
    assert hash(value) == hash_of(*parts)
    duplicate = copy.copy(value)
    assert duplicate is not value and str(duplicate) == text
    assert str(copy.deepcopy(value)) == text


@pytest.mark.parametrize(
    "value, expected",
    [
        # Worked examples of the hash; equal values hash alike whatever their scale or sign of zero.
        (Decimal(1), 16777216),
        (Decimal("1.00"), 16777216),
        (Decimal("1.5"), 1099763286016),
        (Decimal("1.50"), 1099763286016),
        (Decimal(-1), 549772591104),
        (Decimal(0), 0),
        (Decimal("0.000"), 0),
        (NEG_ZERO, 0),
        (-Decimal("0.00"), 0),
    ],
)
def test_hash_examples(value, expected):
    assert hash(value) == expected


def test_hash_never_minus_one():
    # Flags word 0x80000000 (sign) XOR middle word 0x7fffffff gives 0xffffffff, and low 0xffffffff
    # XOR high 0 gives 0xffffffff: the fold is all ones, which reads as -1 and is returned as -2.
    assert hash(-Decimal((0x7FFFFFFF << 32) | 0xFFFFFFFF)) == -2


def test_hash_follows_a_changed_value():
    # The hash is kept once computed; __setstate__ changes the value in place.
    value = Decimal("1.5")
    assert hash(value) == hash(value) == 1099763286016
    value.__setstate__(Decimal(-1).__getstate__())
    assert hash(value) == 549772591104
    value.__setstate__(Decimal(1).__getstate__())
    assert hash(value) == 16777216


@pytest.mark.parametrize(
    "value, state",
    [
        (Decimal("1.5"), "00000100" "0f000000" "00000000" "00000000"),
        (Decimal("1.50"), "00000200" "96000000" "00000000" "00000000"),
        (NEG_ZERO, "00000080" "00000000" "00000000" "00000000"),
        (Decimal(-(2**64)), "00000080" "00000000" "00000000" "01000000"),
        (Decimal(2**32), "00000000" "00000000" "01000000" "00000000"),
        (Decimal("-7.9228162514264337593543950335"), "00001c80" "ffffffff" "ffffffff" "ffffffff"),
    ],
)
def test_state_bytes(value, state):
    assert value.__getstate__() == bytes.fromhex(state)


def set_state(flags, mantissa):
    value = Decimal("123.4")
    assert value.__setstate__(flags.to_bytes(4, "little") + mantissa.to_bytes(12, "little")) is None
    return str(value)


@pytest.mark.parametrize(
    "flags, mantissa, expected",
    [
        (0x0001_0000, 15, "1.5"),
        (0x8002_0000, 150, "-1.50"),
        (0x8000_0000, 0, "-0"),
        (0x001C_0000, MAX_MANTISSA, "7.9228162514264337593543950335"),
        # Only the scale field (bits 16-20) and the sign are read.
        (0x0020_0000, 15, "15"),
        (0x00E1_0000, 15, "1.5"),
        (0x7FE0_FFFF, 15, "15"),
        (0xFFE1_FFFF, 15, "-1.5"),
        # Scales 29-31 come down to 28, dropped digits rounded half up (2.5 gives 3, not 2).
        (0x001D_0000, 15, "0.0000000000000000000000000002"),
        (0x001D_0000, 14, "0.0000000000000000000000000001"),
        (0x001F_0000, 1499, "0.0000000000000000000000000001"),
        (0x001F_0000, 1500, "0.0000000000000000000000000002"),
        (0x001F_0000, 2500, "0.0000000000000000000000000003"),
        (0x001E_0000, 2549, "0.0000000000000000000000000025"),
        (0x00FF_0000, 2500, "0.0000000000000000000000000003"),
        (0x801F_0000, 4, "-0.0000000000000000000000000000"),
        (0x001D_0000, MAX_MANTISSA, "0.7922816251426433759354395034"),
        (0x001F_0000, MAX_MANTISSA, "0.0079228162514264337593543950"),
    ],
)
def test_setstate_masks_flags(flags, mantissa, expected):
    assert set_state(flags, mantissa) == expected


@pytest.mark.parametrize(
    "state, exception, text",
    [
        (bytearray(16), TypeError, "argument 'state': 'bytearray' object cannot be converted to 'PyBytes'"),
        ("0" * 16, TypeError, "argument 'state': 'str' object cannot be converted to 'PyBytes'"),
        (None, TypeError, "argument 'state': 'NoneType' object cannot be converted to 'PyBytes'"),
        (bytes(15), DecimalError, "Invalid value for decimal"),
        (bytes(17), DecimalError, "Invalid value for decimal"),
        (b"", DecimalError, "Invalid value for decimal"),
    ],
)
def test_setstate_refuses_and_keeps_value(state, exception, text):
    value = Decimal("1.50")
    with pytest.raises(exception) as raised:
        value.__setstate__(state)
    assert str(raised.value) == text
    assert str(value) == "1.50"


@pytest.mark.skipif(UNDER_ASAN, reason="needs an address-space limit")
def test_setstate_refuses_long_bytes_before_any_copy(run_python):
    result = run_python(
        no_room_for_a_copy_of(f"bytes({BIG_SIZE})")
        + """
import json
from qzr_python.decimal import Decimal, DecimalError
value = Decimal("1.50")
try:
    value.__setstate__(big)
except DecimalError as error:
    print(json.dumps([str(error), str(value)]))
"""
    )
    assert result == ["Invalid value for decimal", "1.50"]


@pytest.mark.parametrize("text", ["0", "-0", "-0.00", "1.50", "-2.500", "79228162514264337593543950335", "-0.0000000000000000000000000001"])
def test_copy_round_trips_scale_and_sign(text):
    value = Decimal(text)
    for duplicate in (copy.copy(value), copy.deepcopy(value)):
        assert type(duplicate) is Decimal
        assert str(duplicate) == text
        assert duplicate.__getstate__() == value.__getstate__()


def test_pickle_fails():
    with pytest.raises(pickle.PicklingError):
        pickle.dumps(Decimal("1.5"))


# ----------------------------------------------------------------------------------------------
# Operators: worked examples


@pytest.mark.parametrize(
    "compute, expected",
    [
        (lambda: Decimal("1.5") + Decimal("2.25"), "3.75"),
        (lambda: Decimal("1.50") + 1, "2.50"),
        (lambda: Decimal(1) + "0.5", "1.5"),
        (lambda: Decimal(1) + 0.5, "1.5"),
        (lambda: Decimal(1) - Decimal(1), "0"),
        (lambda: Decimal("-1.0") + NEG_ZERO, "-1.0"),
        (lambda: NEG_ZERO + NEG_ZERO, "-0"),
        (lambda: NEG_ZERO - Decimal(0), "-0"),
        (lambda: Decimal("-1") + Decimal("1"), "0"),
        (lambda: Decimal("1.5") * Decimal("1.5"), "2.25"),
        (lambda: Decimal("1.50") * 2, "3.00"),
        # A product with a zero operand is positive zero with scale 0.
        (lambda: Decimal("0.00") * Decimal("-1.5"), "0"),
        (lambda: Decimal("-1.5") * NEG_ZERO, "0"),
        (lambda: Decimal(10) / Decimal(4), "2.5"),
        (lambda: Decimal(1) / Decimal(3), "0.3333333333333333333333333333"),
        (lambda: Decimal(2) / Decimal(3), "0.6666666666666666666666666667"),
        (lambda: Decimal(100) / Decimal(3), "33.333333333333333333333333333"),
        (lambda: Decimal(1) / Decimal(MAX_MANTISSA), "0.0000000000000000000000000000"),
        # Remainder truncated toward zero: the sign of the left operand.
        (lambda: Decimal(-7) % 2, "-1"),
        (lambda: Decimal(7) % -2, "1"),
        (lambda: Decimal("7.5") % 2, "1.5"),
        (lambda: Decimal(-4) % 2, "-0"),
        # Beyond 96 bits the result is rounded half to even at the largest scale that fits.
        (lambda: Decimal(MAX_MANTISSA - 1) + Decimal("0.5"), "79228162514264337593543950334"),
        (lambda: Decimal(MAX_MANTISSA - 2) + Decimal("0.5"), "79228162514264337593543950334"),
        (lambda: Decimal(MAX_MANTISSA) * Decimal("0.1"), "7922816251426433759354395033.5"),
        (lambda: Decimal("0.0000000000000000000000000025") * Decimal("0.1"), "0.0000000000000000000000000002"),
        (lambda: Decimal("0.0000000000000000000000000035") * Decimal("0.1"), "0.0000000000000000000000000004"),
        (lambda: Decimal("1e-20") * Decimal("-1e-20"), "-0.0000000000000000000000000000"),
    ],
)
def test_operator_examples(compute, expected):
    assert str(compute()) == expected


@pytest.mark.parametrize(
    "compute, expected",
    [
        # The left operand is no Decimal: the reflected step computes other op self.
        (lambda: 5 + Decimal(1), "6"),
        (lambda: 1 - Decimal(3), "-2"),
        (lambda: 3 * Decimal("1.5"), "4.5"),
        (lambda: 1 / Decimal(4), "0.25"),
        (lambda: 7 % Decimal(-2), "1"),
        (lambda: -7 % Decimal(2), "-1"),
        (lambda: 2 ** Decimal(3), "8"),
        (lambda: 0.5 + Decimal(1), "1.5"),
        (lambda: 0.5 - Decimal(1), "-0.5"),
        (lambda: True + Decimal(1), "2"),
        (lambda: "2" + Decimal(1), "3"),
        (lambda: "10" / Decimal(4), "2.5"),
        (lambda: std.Decimal("0.5") * Decimal(3), "1.5"),
    ],
)
def test_reflected_operators(compute, expected):
    assert str(compute()) == expected


@pytest.mark.parametrize(
    "left, right",
    [
        # Decimal and int operands that read without Python code (an exact int of 64 bits) and the
        # wider ints next to them, which take the general conversion: both agree with the stdlib.
        ("1.5", 2**63 - 1),
        ("-12.25", -(2**63)),
        ("-0.5", 2**63),
        ("0.25", -(2**63) - 1),
        ("3", 2**64),
        ("-1.5", 0),
        ("7.25", "-2.5"),
    ],
)
def test_operators_on_ints_and_decimals_match_the_stdlib(left, right):
    ours = Decimal(left), right if isinstance(right, int) else Decimal(right)
    theirs = std.Decimal(left), std.Decimal(right)
    with std.localcontext() as context:
        context.prec = 60
        for op in ["__add__", "__sub__", "__mul__", "__radd__", "__rsub__", "__rmul__"]:
            assert std.Decimal(str(getattr(ours[0], op)(ours[1]))) == getattr(theirs[0], op)(theirs[1]), op
    for op in ["__eq__", "__ne__", "__lt__", "__le__", "__gt__", "__ge__"]:
        assert getattr(ours[0], op)(ours[1]) == getattr(theirs[0], op)(theirs[1]), op


def test_an_operand_may_be_the_receiver():
    value = Decimal("1.5")
    assert [str(value * value), str(value - value), str(value / value), str(value % value)] == ["2.25", "0.0", "1", "0.0"]
    assert value == value and not value < value


def test_results_keep_the_class_reference_count():
    # Results reuse the cells of dropped ones; each live instance holds one reference to the class.
    a, b = Decimal("12345.678901"), Decimal("987.654321")
    gc.collect()
    before = sys.getrefcount(Decimal)
    for _ in range(500):
        results = [a + b, a - b, a * b, a / b, a % b, a * 3, 3 * a, -a, abs(a), Decimal("1.5"), Decimal(7)]
    assert sys.getrefcount(Decimal) == before + len(results)
    x, y = std.Decimal("12345.678901"), std.Decimal("987.654321")
    assert [str(r) for r in results[:3]] == [str(x + y), str(x - y), str(x * y)]
    del results
    gc.collect()
    assert sys.getrefcount(Decimal) == before


def test_in_place_operators_make_new_objects():
    value = Decimal(1)
    alias = value
    value += 1
    value *= Decimal("1.5")
    assert str(value) == "3.0"
    assert str(alias) == "1"


@pytest.mark.parametrize(
    "compute, text",
    [
        (lambda: Decimal(1) / 0, "Check math operation error"),
        (lambda: Decimal(1) / NEG_ZERO, "Check math operation error"),
        (lambda: Decimal(1) % 0, "Check math operation error"),
        (lambda: Decimal("0.00") % Decimal("0.0"), "Check math operation error"),
        (lambda: Decimal(2**95) * 2, "Check math operation error"),
        (lambda: Decimal(2**95) + Decimal(2**95), "Check math operation error"),
        (lambda: Decimal(-(2**95)) - Decimal(2**95), "Check math operation error"),
        (lambda: Decimal(MAX_MANTISSA) + Decimal("0.5"), "Check math operation error"),
        (lambda: Decimal(MAX_MANTISSA) / Decimal("0.1"), "Check math operation error"),
        (lambda: 1 / Decimal(0), "Check math operation error"),
        # A failed conversion of the other operand is raised, not turned into NotImplemented.
        (lambda: Decimal(1) + "x", "Invalid value for decimal"),
        (lambda: Decimal(1) + None, "invalid value for decimal"),
        (lambda: Decimal(1) * [1], "invalid value for decimal"),
        (lambda: Decimal(1) - float("nan"), "Invalid value for decimal"),
        (lambda: "x" + Decimal(1), "Invalid value for decimal"),
        (lambda: None + Decimal(1), "invalid value for decimal"),
        (lambda: [1] - Decimal(1), "invalid value for decimal"),
    ],
)
def test_operator_failures(compute, text):
    with raises_decimal_error(text):
        compute()


def test_failed_operation_leaves_operands_unchanged():
    left, right = Decimal(2**95), Decimal("2.0")
    with raises_decimal_error("Check math operation error"):
        left * right
    assert (str(left), str(right)) == ("39614081257132168796771975168", "2.0")


@pytest.mark.parametrize(
    "compute",
    [
        lambda: +Decimal(1),
        lambda: Decimal(1) // 1,
        lambda: 1 // Decimal(1),
        lambda: round(Decimal("1.5")),
        lambda: [0, 1][Decimal(1)],
        lambda: Decimal(1) << 1,
        lambda: divmod(Decimal(7), 2),
    ],
)
def test_operations_that_do_not_exist(compute):
    with pytest.raises(TypeError):
        compute()


def test_every_decimal_is_true():
    assert bool(Decimal(0)) and bool(NEG_ZERO) and bool(Decimal("0.00"))


# ----------------------------------------------------------------------------------------------
# Operators against Python's decimal


def both(text):
    return Decimal(text), std.Decimal(text)


@PROPERTY
@given(small_texts, small_texts)
def test_sum_and_difference_match_reference(a, b):
    (x, sx), (y, sy) = both(a), both(b)
    # Exact: the scale is the larger of the two, and an exact zero is negative only when both
    # terms are, as in Python's decimal.
    assert str(x + y) == std_text(EXACT.add(sx, sy))
    assert str(x - y) == std_text(EXACT.subtract(sx, sy))


@PROPERTY
@given(small_texts, small_texts)
def test_product_matches_reference(a, b):
    (x, sx), (y, sy) = both(a), both(b)
    product = EXACT.multiply(sx, sy)
    # Scale s1 + s2; a zero operand gives positive zero with scale 0.
    expected = "0" if product.is_zero() else std_text(product)
    assert str(x * y) == expected


@PROPERTY
@given(small_texts, small_texts)
def test_remainder_and_quotient_match_reference(a, b):
    (x, sx), (y, sy) = both(a), both(b)
    if sy.is_zero():
        with raises_decimal_error("Check math operation error"):
            x % y
        with raises_decimal_error("Check math operation error"):
            x / y
        return
    # Remainder: exact, scale max(s1, s2), sign of the dividend (Python's decimal agrees).
    assert str(x % y) == std_text(EXACT.remainder(sx, sy))
    quotient = Fraction(sx) / Fraction(sy)
    places = next((k for k in range(MAX_SCALE + 1) if (quotient * 10**k).denominator == 1), None)
    if places is not None and abs(quotient) * 10**places <= MAX_MANTISSA:
        # It terminates within the model: exact (its scale is the library's choice).
        assert Fraction(std.Decimal(str(x / y))) == quotient
    else:
        expected = fit_half_even(EXACT.divide(std.Decimal(quotient.numerator), std.Decimal(quotient.denominator)), MAX_SCALE)
        assert str(x / y) == expected


def assert_text_or_failure(compute, expected):
    """compute() gives the text `expected`, or fails as an operator does when that is None."""
    if expected is None:
        with raises_decimal_error("Check math operation error"):
            compute()
    else:
        assert str(compute()) == expected


@PROPERTY
@given(wide_texts, wide_texts)
def test_wide_sums_and_products_round_half_even_or_fail(a, b):
    (x, sx), (y, sy) = both(a), both(b)
    scale_x, scale_y = parts_of(a)[2], parts_of(b)[2]
    product_of_zero = sx.is_zero() or sy.is_zero()
    cases = [
        (lambda: x + y, fit_half_even(EXACT.add(sx, sy), max(scale_x, scale_y))),
        (lambda: x - y, fit_half_even(EXACT.subtract(sx, sy), max(scale_x, scale_y))),
        (lambda: x * y, "0" if product_of_zero else fit_half_even(EXACT.multiply(sx, sy), min(scale_x + scale_y, MAX_SCALE))),
    ]
    for compute, expected in cases:
        assert_text_or_failure(compute, expected)


@PROPERTY
@given(
    st.booleans(), st.integers(0, 1000), st.integers(0, 27), st.integers(1, 9), st.integers(0, 10**9 - 1), st.booleans()
)
def test_sums_next_to_the_mantissa_limit_round_half_even(negative, below_max, scale, gap, digits, to_limit):
    # A term within 1000 of the largest mantissa and an addend up to 9 places finer: the aligned
    # sum needs more than 96 bits. With `to_limit` the digits kept are exactly 2^96 - 1, so that
    # rounding them up calls for one more digit to go.
    gap = min(gap, MAX_SCALE - scale)
    addend = (below_max * 10**gap if to_limit else 0) + digits % 10**gap
    (x, sx), (y, sy) = both(text_of(negative, MAX_MANTISSA - below_max, scale)), both(text_of(negative, addend, scale + gap))
    expected = fit_half_even(EXACT.add(sx, sy), scale + gap)
    for compute in (lambda: x + y, lambda: x - -y, lambda: -(-x - y)):
        assert_text_or_failure(compute, expected)


@PROPERTY
@given(st.booleans(), st.integers(1, 2**64 - 1), st.integers(0, MAX_SCALE), st.integers(1, 2**64 - 1), st.integers(0, MAX_SCALE))
def test_products_of_one_word_mantissas_round_half_even_or_fail(negative, a, scale_a, b, scale_b):
    # Products below 2^128 whose scale may reach 56: they drop up to 28 digits.
    (x, sx), (y, sy) = both(text_of(negative, a, scale_a)), both(text_of(False, b, scale_b))
    assert_text_or_failure(lambda: x * y, fit_half_even(EXACT.multiply(sx, sy), min(scale_a + scale_b, MAX_SCALE)))


@PROPERTY
@given(st.booleans(), st.integers(0, MAX_MANTISSA))
def test_halving_at_scale_28_rounds_ties_to_even(negative, mantissa):
    # Half of an odd mantissa at scale 28 needs scale 29: an exact tie at the last kept digit.
    x, sx = both(text_of(negative, mantissa, MAX_SCALE))
    half = EXACT.multiply(sx, std.Decimal("0.5"))
    assert str(x * Decimal("0.5")) == ("0" if mantissa == 0 else fit_half_even(half, MAX_SCALE))
    assert std.Decimal(str(x / 2)) == std.Decimal(fit_half_even(half, MAX_SCALE))


@PROPERTY
@given(small_texts, small_texts)
def test_comparisons_match_reference(a, b):
    (x, sx), (y, sy) = both(a), both(b)
    assert (x < y, x <= y, x == y, x != y, x > y, x >= y) == (sx < sy, sx <= sy, sx == sy, sx != sy, sx > sy, sx >= sy)
    if x == y:
        assert hash(x) == hash(y)


# ----------------------------------------------------------------------------------------------
# Comparisons


@pytest.mark.parametrize(
    "compute, expected",
    [
        (lambda: Decimal("1.5") == Decimal("1.50"), True),
        (lambda: Decimal(0) == NEG_ZERO, True),
        (lambda: Decimal("0.000") == NEG_ZERO, True),
        (lambda: NEG_ZERO < Decimal(0), False),
        (lambda: Decimal(1) == 1, True),
        (lambda: Decimal(1) != 1, False),
        (lambda: Decimal(1) < 1.5, True),
        (lambda: 2 > Decimal(1), True),
        (lambda: 1 <= Decimal("1.0"), True),
        (lambda: Decimal(1) < "2", True),
        (lambda: Decimal("0.1") == 0.1, True),
        # The float 0.1 + 0.2 is shortened to 16 digits, so it converts to exactly 0.3.
        (lambda: Decimal("0.3") == 0.1 + 0.2, True),
        (lambda: Decimal(1) == std.Decimal("1"), True),
        (lambda: Decimal(-(2**95)) < Decimal("-0.0000000000000000000000000001"), True),
        (lambda: Decimal(MAX_MANTISSA) >= Decimal("79228162514264337593543950335.0"), True),
    ],
)
def test_comparison_examples(compute, expected):
    assert compute() is expected


@pytest.mark.parametrize(
    "compute, text",
    [
        (lambda: Decimal(1) == None, "invalid value for decimal"),  # noqa: E711
        (lambda: None == Decimal(1), "invalid value for decimal"),  # noqa: E711
        (lambda: Decimal(1) == "a", "Invalid value for decimal"),
        (lambda: Decimal(1) < [1], "invalid value for decimal"),
        (lambda: Decimal(1) != float("nan"), "Invalid value for decimal"),
    ],
)
def test_comparison_failures(compute, text):
    with raises_decimal_error(text):
        compute()


# ----------------------------------------------------------------------------------------------
# Unary operations


@pytest.mark.parametrize(
    "compute, expected",
    [
        (lambda: -Decimal(0), "-0"),
        (lambda: -Decimal("1.50"), "-1.50"),
        (lambda: -Decimal("-1.50"), "1.50"),
        (lambda: abs(Decimal("-1.50")), "1.50"),
        (lambda: abs(-Decimal("0.00")), "0.00"),
        (lambda: abs(Decimal(MAX_MANTISSA)), "79228162514264337593543950335"),
    ],
)
def test_negation_and_absolute_value(compute, expected):
    assert str(compute()) == expected


@pytest.mark.parametrize(
    "text, integer",
    [
        ("-2.9", -2),
        ("2.9", 2),
        ("-0.5", 0),
        ("0.0000000000000000000000000001", 0),
        ("79228162514264337593543950335", MAX_MANTISSA),
        ("-7922816251426433759354395033.5", -7922816251426433759354395033),
    ],
)
def test_int_truncates(text, integer):
    assert int(Decimal(text)) == integer


@pytest.mark.parametrize(
    "text, expected",
    [
        ("0.1", 0.1),
        ("-2.5", -2.5),
        ("1.50", 1.5),
        ("0", 0.0),
        ("79228162514264337593543950335", 7.922816251426434e28),
        ("123456789.123456789", 123456789.12345679),
    ],
)
def test_float_examples(text, expected):
    assert float(Decimal(text)) == expected


@PROPERTY
@given(st.booleans(), st.integers(0, 2**50 - 1), st.integers(0, 22))
def test_float_of_short_values_is_correctly_rounded(negative, mantissa, scale):
    # With a mantissa below 2^50 the few rounding steps before the rounding to an integer stay
    # below half a unit, so that integer is the mantissa itself; with 10^scale exact in a double
    # the final division is then correctly rounded.
    text = text_of(negative, mantissa, scale)
    result = float(Decimal(text))
    assert result == float(text)
    assert math.copysign(1.0, result) == (-1.0 if negative else 1.0)


# ----------------------------------------------------------------------------------------------
# Power


@pytest.mark.parametrize(
    "compute, expected",
    [
        (lambda: Decimal(2) ** 10, "1024"),
        (lambda: Decimal("1.5") ** 2, "2.25"),
        (lambda: Decimal(-2) ** 3, "-8"),
        (lambda: Decimal(10) ** -2, "0.01"),
        (lambda: Decimal(-2) ** -1, "-0.5"),
        (lambda: Decimal(2) ** Decimal("2.0"), "4"),
        (lambda: Decimal("1.50") ** 1, "1.50"),
        (lambda: Decimal(0) ** 0, "1"),
        (lambda: Decimal(0) ** 5, "0"),
        (lambda: Decimal(0) ** Decimal("0.5"), "0"),
        (lambda: Decimal(0) ** (2**40), "0"),
        (lambda: Decimal(1) ** (2**40), "1"),
        (lambda: Decimal(1) ** Decimal("0.5"), "1"),
        (lambda: pow(Decimal(2), 3), "8"),
        (lambda: pow(Decimal(2), 3, None), "8"),
        # Fractional exponents: Python's decimal, rounded half to even to the largest scale.
        (lambda: Decimal(2) ** Decimal("0.5"), "1.4142135623730950488016887242"),
        (lambda: Decimal(2) ** Decimal("-0.5"), "0.7071067811865475244008443621"),
        (lambda: Decimal(10) ** Decimal("0.5"), "3.1622776601683793319988935444"),
        (lambda: Decimal("1.5") ** Decimal("2.5"), "2.7556759606310753604719445840"),
    ],
)
def test_power_examples(compute, expected):
    assert str(compute()) == expected


@pytest.mark.parametrize(
    "base, exponent",
    [("2", "0.5"), ("2", "-0.5"), ("10", "0.5"), ("1.5", "2.5"), ("4", "0.5"), ("0.5", "1.25"), ("123.456", "0.3")],
)
def test_fractional_power_matches_reference(base, exponent):
    # Python's decimal rounds a power correctly to the context's 200 digits.
    exact = EXACT.power(std.Decimal(base), std.Decimal(exponent))
    assert str(Decimal(base) ** Decimal(exponent)) == fit_half_even(exact, MAX_SCALE)


@pytest.mark.parametrize(
    "compute",
    [
        lambda: Decimal(0) ** -1,
        lambda: Decimal(0) ** Decimal("-0.5"),
        lambda: Decimal(-2) ** Decimal("0.5"),
        lambda: Decimal(-1) ** Decimal("0.5"),
        lambda: Decimal(2) ** 200,
        lambda: Decimal(2) ** (2**32),
        lambda: Decimal(2) ** -(2**32),
        lambda: Decimal(-1) ** (2**32),
    ],
)
def test_power_failures(compute):
    with raises_decimal_error("Check math operation error"):
        compute()


def test_power_refuses_modulo():
    with pytest.raises(TypeError):
        pow(Decimal(2), 3, 5)
    with pytest.raises(TypeError):
        pow(2, Decimal(3), 5)


# ----------------------------------------------------------------------------------------------
# quantize


@pytest.mark.parametrize(
    "text, places, expected",
    [
        ("2.579", 2, "2.57"),
        ("-2.579", 2, "-2.57"),
        ("1.5", 3, "1.5"),
        ("7", 2, "7"),
        ("1.50", 2, "1.50"),
        ("1.999", 0, "1"),
        ("-0.001", 2, "0.00"),
        ("-0.000", 2, "-0.00"),
        ("0.000", 1, "0.0"),
        ("0.0000000000000000000000000001", 27, "0.000000000000000000000000000"),
        ("79228162514264337593543950335", 0, "79228162514264337593543950335"),
        ("7.9228162514264337593543950335", 4294967295, "7.9228162514264337593543950335"),
    ],
)
def test_quantize_examples(text, places, expected):
    value = Decimal(text)
    assert str(value.quantize(places)) == expected
    assert str(value) == text


def test_quantize_keeps_sign_of_a_zero():
    assert str(NEG_ZERO.quantize(0)) == "-0"
    assert str((-Decimal("0.000")).quantize(1)) == "-0.0"


@PROPERTY
@given(any_texts, st.integers(0, 30))
def test_quantize_truncates(text, places):
    assert str(Decimal(text).quantize(places)) == quantize_reference(text, places)


@pytest.mark.parametrize(
    "call, exception, text",
    [
        (lambda d: d.quantize(), TypeError, "Decimal.quantize() missing 1 required positional argument: 'precision'"),
        (lambda d: d.quantize(1, 2), TypeError, "Decimal.quantize() takes 1 positional arguments but 2 were given"),
        (lambda d: d.quantize(p=2), TypeError, "Decimal.quantize() got an unexpected keyword argument 'p'"),
        (lambda d: d.quantize("a"), TypeError, "argument 'precision': 'str' object cannot be interpreted as an integer"),
        (lambda d: d.quantize(1.0), TypeError, "argument 'precision': 'float' object cannot be interpreted as an integer"),
        (lambda d: d.quantize(-1), OverflowError, "out of range integral type conversion attempted"),
        (lambda d: d.quantize(2**32), OverflowError, "out of range integral type conversion attempted"),
    ],
)
def test_quantize_argument_errors(call, exception, text):
    with pytest.raises(exception) as raised:
        call(Decimal("1.234"))
    assert str(raised.value) == text


def test_quantize_by_keyword_and_index():
    assert str(Decimal("1.234").quantize(precision=1)) == "1.2"
    assert str(Decimal("1.234").quantize(Indexable(2))) == "1.23"


class ReadsDuringConversion:
    """An index whose conversion uses the decimal that is being quantized; it keeps what that
    use gave (a value or an exception) and lets quantize go on with precision 2."""

    def __init__(self, target, action):
        self.target, self.action = target, action
        self.outcome = None

    def __index__(self):
        try:
            self.outcome = self.action(self.target)
        except Exception as error:  # the outcome under test
            self.outcome = error
        return 2


@pytest.mark.parametrize(
    "action, exception, text",
    [
        (lambda d: str(d), RuntimeError, "Already mutably borrowed"),
        (lambda d: hash(d), RuntimeError, "Already mutably borrowed"),
        (lambda d: d.to_usdc_grains(), RuntimeError, "Already mutably borrowed"),
        (lambda d: d.quantize(1), RuntimeError, "Already borrowed"),
        (lambda d: d.__getstate__(), RuntimeError, "Already borrowed"),
        (lambda d: d.__setstate__(bytes(16)), RuntimeError, "Already borrowed"),
        # As an operand, a Decimal that is being changed cannot be copied: that borrow error is
        # raised, not a conversion error.
        (lambda d: Decimal(d), RuntimeError, "Already mutably borrowed"),
        (lambda d: Decimal(1) + d, RuntimeError, "Already mutably borrowed"),
        (lambda d: Decimal(1) < d, RuntimeError, "Already mutably borrowed"),
        # As the receiver of an operator slot it gives NotImplemented: Python's own outcomes.
        (lambda d: d + 1, TypeError, "unsupported operand type(s) for +: 'builtins.Decimal' and 'int'"),
        (lambda d: d == 1, None, False),
    ],
)
def test_quantize_holds_receiver_exclusively(action, exception, text):
    value = Decimal("1.234")
    index = ReadsDuringConversion(value, action)
    assert str(value.quantize(index)) == "1.23"
    if exception is None:
        assert index.outcome is text
    else:
        assert type(index.outcome) is exception and str(index.outcome) == text
    # Every borrow was released: the value can be changed and read again.
    value.__setstate__(value.__getstate__())
    assert str(value) == "1.234"


def test_borrow_error_of_an_argument_passes_unchanged():
    value = Decimal("1.234")

    class Reads:
        def __index__(self):
            return len(str(value))

    with pytest.raises(RuntimeError) as raised:
        value.quantize(Reads())
    assert str(raised.value) == "Already mutably borrowed"
    assert str(value.quantize(2)) == "1.23"


# ----------------------------------------------------------------------------------------------
# Recorded amounts


@pytest.mark.parametrize(
    "value, expected",
    [
        (Decimal("1.23456789"), "1.234567"),
        (Decimal("0.1234567"), "0.123456"),
        (Decimal("-0.1234567"), "-0.123456"),
        (Decimal("2.500000"), "2.5"),
        (Decimal("5.000000"), "5"),
        (Decimal("-1.0000009"), "-1"),
        (Decimal("-0.0000001"), "0"),
        (Decimal("-0"), "0"),
        (NEG_ZERO, "0"),
        (Decimal("0.000"), "0"),
        (Decimal("100"), "100"),
        (Decimal("0.000001"), "0.000001"),
        # Clamped to RECORDED_MAX (2^96 - 1 at scale 6) on both sides.
        (Decimal(10**23), RECORDED_MAX_TEXT),
        (Decimal(-(10**23)), "-" + RECORDED_MAX_TEXT),
        (Decimal(RECORDED_MAX_TEXT), RECORDED_MAX_TEXT),
        (Decimal("79228162514264337593543.9503359"), RECORDED_MAX_TEXT),
        (Decimal("79228162514264337593543.9503351"), RECORDED_MAX_TEXT),
        (Decimal("79228162514264337593543.950334"), "79228162514264337593543.950334"),
        (Decimal(MAX_MANTISSA), RECORDED_MAX_TEXT),
        (Decimal(-MAX_MANTISSA), "-" + RECORDED_MAX_TEXT),
    ],
)
def test_recorded_amount_examples(value, expected):
    before = str(value)
    assert str(value.recorded_amount()) == expected
    assert str(value) == before


@PROPERTY
@given(any_texts)
def test_recorded_amount_matches_reference(text):
    assert str(Decimal(text).recorded_amount()) == recorded_reference(text)


# ----------------------------------------------------------------------------------------------
# Grains


@pytest.mark.parametrize(
    "value, usdc, qzr",
    [
        (Decimal("1.5"), 1500000, 1500000000000000000),
        (Decimal("1.2345678"), 1234567, 1234567800000000000),
        (Decimal("0.0000009"), 0, 900000000000),
        (Decimal("0.000000000000000000000000001"), 0, 0),
        (Decimal(0), 0, 0),
        (NEG_ZERO, 0, 0),
        (-Decimal("0.000"), 0, 0),
        (Decimal(RECORDED_MAX_TEXT), MAX_MANTISSA, "Multiplication overflowed"),
        (Decimal(79228162514264337593543), 79228162514264337593543000000, "Multiplication overflowed"),
        (Decimal(79228162514264337593544), "Multiplication overflowed", "Multiplication overflowed"),
        (Decimal(79228162514), 79228162514000000, 79228162514000000000000000000),
        (Decimal(79228162515), 79228162515000000, "Multiplication overflowed"),
        (Decimal(10**11), 10**17, "Multiplication overflowed"),
        (Decimal("7.9228162514264337593543950335"), 7922816, 7922816251426433759),
        (Decimal("-0.0000001"), "Couldn't cast to u128 because overflow", "Couldn't cast to u128 because overflow"),
        (Decimal(-1), "Couldn't cast to u128 because overflow", "Couldn't cast to u128 because overflow"),
        (Decimal(-(10**11)), "Couldn't cast to u128 because overflow", "Multiplication overflowed"),
    ],
)
def test_to_grains_examples(value, usdc, qzr):
    for convert, expected in ((value.to_usdc_grains, usdc), (value.to_qzr_grains, qzr)):
        if isinstance(expected, str):
            with raises_decimal_error(expected):
                convert()
        else:
            result = convert()
            assert type(result) is int and result == expected


@PROPERTY
@given(any_texts)
def test_to_grains_match_reference(text):
    value = Decimal(text)
    for convert, decimals in ((value.to_usdc_grains, 6), (value.to_qzr_grains, 18)):
        expected = grains_reference(text, decimals)
        if isinstance(expected, str):
            with raises_decimal_error(expected):
                convert()
        else:
            assert convert() == expected


@pytest.mark.parametrize(
    "grains, usdc, qzr",
    [
        (0, "0.000000", "0.000000000000000000"),
        (1, "0.000001", "0.000000000000000001"),
        (1500000, "1.500000", "0.000000000001500000"),
        (True, "0.000001", "0.000000000000000001"),
        (MAX_MANTISSA, "79228162514264337593543.950335", "79228162514.264337593543950335"),
    ],
)
def test_from_grains_examples(grains, usdc, qzr):
    assert str(Decimal.from_usdc_grains(grains)) == usdc
    assert str(Decimal.from_qzr_grains(u=grains)) == qzr


@pytest.mark.parametrize(
    "grains, exception, text",
    [
        # 2^96 up to 2^127 - 1 is beyond the number model: refused like 2^127 and above.
        (2**96, DecimalError, "out of range integral type conversion attempted"),
        (2**127 - 1, DecimalError, "out of range integral type conversion attempted"),
        (2**127, DecimalError, "out of range integral type conversion attempted"),
        (2**128 - 1, DecimalError, "out of range integral type conversion attempted"),
        (2**128, OverflowError, None),
        (-1, OverflowError, None),
        ("1", TypeError, "argument 'u': 'str' object cannot be interpreted as an integer"),
        (1.0, TypeError, "argument 'u': 'float' object cannot be interpreted as an integer"),
        (Decimal(1), TypeError, "argument 'u': 'builtins.Decimal' object cannot be interpreted as an integer"),
    ],
)
def test_from_grains_refuses(grains, exception, text):
    for convert in (Decimal.from_usdc_grains, Decimal.from_qzr_grains):
        with pytest.raises(exception) as raised:
            convert(grains)
        if text is not None:
            assert str(raised.value) == text


@PROPERTY
@given(st.integers(0, MAX_MANTISSA))
def test_grains_round_trip(grains):
    usdc = Decimal.from_usdc_grains(grains)
    qzr = Decimal.from_qzr_grains(grains)
    assert str(usdc) == text_of(False, grains, 6)
    assert str(qzr) == text_of(False, grains, 18)
    assert usdc.to_usdc_grains() == grains
    assert qzr.to_qzr_grains() == grains
