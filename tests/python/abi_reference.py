"""An independent Solidity ABI encoder for the state item tests: the standard head and tail
layout written out in Python, and the item ABI value built on it.

Values are tagged pairs: ("uint", n), ("bool", b), ("address", 20 bytes), ("fixed", bytes of
1 to 32), ("string", str), ("array", [values]), ("tuple", [values]).
"""

import decimal

RECORDED_MAX = decimal.Decimal("79228162514264337593543.950335")
# Exact for every amount here: Python decimal arithmetic outside this context rounds to 28 digits.
_CONTEXT = decimal.Context(prec=80)


def uint(n):
    return ("uint", n)


def boolean(b):
    return ("bool", b)


def address(raw):
    assert len(raw) == 20
    return ("address", raw)


def fixed(raw):
    assert 1 <= len(raw) <= 32
    return ("fixed", raw)


def string(text):
    return ("string", text)


def array(values):
    return ("array", list(values))


def tuple_of(*values):
    return ("tuple", list(values))


def recorded(value):
    """The recorded amount: clamped to +-RECORDED_MAX, rounded toward zero to 6 places."""
    value = _CONTEXT.create_decimal(value)
    magnitude = min(value.copy_abs(), RECORDED_MAX)
    magnitude = magnitude.quantize(decimal.Decimal("0.000001"), rounding=decimal.ROUND_DOWN, context=_CONTEXT)
    return magnitude.copy_negate() if value < 0 else magnitude


def amount(value):
    """The signed decimal word of a record's amount: byte 15 the sign, bytes 16 to 31 the magnitude
    in millionths, of the recorded amount (which a record holds; its zero has no sign)."""
    value = recorded(value)
    magnitude = int(_CONTEXT.multiply(value.copy_abs(), 10**6))
    return uint(((1 << 128) if value < 0 else 0) | magnitude)


def _word(n):
    return n.to_bytes(32, "big")


def _padded(raw):
    return raw + bytes(-len(raw) % 32)


def is_dynamic(value):
    kind, payload = value
    if kind in ("string", "array"):
        return True
    if kind == "tuple":
        return any(is_dynamic(v) for v in payload)
    return False


def _encode_sequence(values):
    heads, tails = [], []
    head_size = sum(32 if is_dynamic(v) else len(encode(v)) for v in values)
    for v in values:
        if is_dynamic(v):
            heads.append(_word(head_size + sum(len(t) for t in tails)))
            tails.append(encode(v))
        else:
            heads.append(encode(v))
    return b"".join(heads) + b"".join(tails)


def encode(value):
    """The encoding of one value in place (a dynamic value's own encoding, without its offset)."""
    kind, payload = value
    if kind == "uint":
        return _word(payload)
    if kind == "bool":
        return _word(1 if payload else 0)
    if kind == "address":
        return bytes(12) + payload
    if kind == "fixed":
        return _padded(payload)
    if kind == "string":
        raw = payload.encode()
        return _word(len(raw)) + _padded(raw)
    if kind == "array":
        return _word(len(payload)) + _encode_sequence(payload)
    if kind == "tuple":
        return _encode_sequence(payload)
    raise ValueError(kind)


def encode_parameters(*values):
    """The ABI encoding of a parameter list."""
    return _encode_sequence(list(values))


def item_value(kind, record_value):
    """The item ABI value: one parameter, the tuple (uint kind, record value)."""
    return encode_parameters(tuple_of(uint(kind), record_value))


def trader_value(avail, locked, referral, pay_fees):
    return tuple_of(amount(avail), amount(locked), address(referral), boolean(pay_fees))
