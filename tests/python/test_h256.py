"""H256: bytes, bit operations against a plain-integer reference, texts, state and errors."""

import copy

import pytest
from hypothesis import given, strategies as st

from hostile import BIG_SIZE, UNDER_ASAN, no_room_for_a_copy_of
from qzr_python.h256 import H256, H256Error


def h256_with(**bytes_at):
    raw = bytearray(32)
    for index, value in bytes_at.items():
        raw[int(index[1:])] = value
    return H256.from_bytes(bytes(raw))


def as_int(h):
    """The value as the little-endian number whose bit i is the tree's bit i."""
    return int.from_bytes(h.as_bytes(), "little")


def from_int(n):
    return H256.from_bytes(n.to_bytes(32, "little"))


any_value = st.integers(min_value=0, max_value=2**256 - 1)
any_bit = st.integers(min_value=0, max_value=255)


@given(any_value, any_bit)
def test_bit_operations_match_integer_reference(n, i):
    h = from_int(n)
    assert h.get_bit(i) == bool(n >> i & 1)
    h.set_bit(i)
    assert as_int(h) == n | 1 << i
    h.clear_bit(i)
    assert as_int(h) == n & ~(1 << i)


@given(any_value, any_value)
def test_fork_height_is_highest_differing_bit(a, b):
    expected = max((a ^ b).bit_length() - 1, 0)
    assert from_int(a).fork_height(from_int(b)) == expected


@given(any_value, any_bit)
def test_copy_bits_and_parent_path_match_integer_reference(n, start):
    h = from_int(n)
    assert as_int(h.copy_bits(start)) == n >> start << start
    expected_parent = 0 if start == 255 else n >> (start + 1) << (start + 1)
    assert as_int(h.parent_path(start)) == expected_parent


def test_worked_examples():
    top = h256_with(b31=0x80)
    zero = H256.zero()
    assert top.get_bit(255)
    assert top.fork_height(zero) == 255
    assert top.parent_path(254) == top
    assert top.parent_path(255) == zero
    low = h256_with(b0=0x01)
    assert low.fork_height(zero) == 0 == zero.fork_height(zero)
    full = H256.from_bytes(bytes([0xFF] * 32))
    assert full.copy_bits(8).as_bytes() == bytes(1) + bytes([0xFF] * 31)
    assert full.copy_bits(9).as_bytes() == bytes(1) + bytes([0xFE]) + bytes([0xFF] * 30)
    assert full.copy_bits(255).as_bytes() == bytes(31) + bytes([0x80])
    assert full.parent_path(0).as_bytes() == bytes([0xFE]) + bytes([0xFF] * 31)


def test_texts():
    assert str(H256.zero()) == "0x" + "0" * 64 == repr(H256.zero())
    h = H256.from_bytes(bytes(range(32)))
    assert str(h) == "0x000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f"
    assert h.as_bytes() == bytes(range(32))


@pytest.mark.parametrize(
    "call, exception, text",
    [
        (lambda: H256.from_bytes(bytes(31)), H256Error, "Invalid length for H256: could not convert slice to array"),
        (lambda: H256.from_bytes(bytes(33)), H256Error, "Invalid length for H256: could not convert slice to array"),
        (lambda: H256.from_bytes(bytearray(32)), TypeError,
         "argument 'b': 'bytearray' object cannot be converted to 'PyBytes'"),
        (lambda: H256.zero().set_bit(256), OverflowError, "out of range integral type conversion attempted"),
        (lambda: H256.zero().get_bit(-1), OverflowError, "out of range integral type conversion attempted"),
        (lambda: H256.zero().get_bit("1"), TypeError, None),
        (lambda: H256.zero().fork_height(1), TypeError, "argument 'key': 'int' object cannot be converted to 'H256'"),
        (lambda: H256(), TypeError, "No constructor defined"),
        (lambda: H256.zero() < H256.zero(), TypeError, None),
        (lambda: hash(H256.zero()), TypeError, None),
        (lambda: copy.copy(H256.zero()), TypeError, "No constructor defined"),
    ],
)
def test_errors(call, exception, text):
    with pytest.raises(exception) as raised:
        call()
    if text is not None:
        assert str(raised.value) == text
    assert type(raised.value) is exception


def test_equality_is_by_value_and_falls_back_for_other_types():
    assert H256.zero() == H256.zero()
    assert H256.zero() is not H256.zero()
    assert (H256.zero() == 0) is False
    assert (H256.zero() != 0) is True
    assert (h256_with(b0=1) != H256.zero()) is True


def test_state_round_trip_and_wrong_length_leaves_value():
    h1 = H256.from_bytes(bytes(range(32)))
    h2 = H256.zero()
    h2.__setstate__(h1.__getstate__())
    assert h2 == h1
    with pytest.raises(H256Error):
        h2.__setstate__(bytes(5))
    assert h2 == h1


def test_set_bit_borrows_receiver_before_converting_argument():
    h = H256.zero()

    class ReadsReceiver:
        def __index__(self):
            h.get_bit(0)
            return 1

    with pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        h.set_bit(ReadsReceiver())
    h.set_bit(1)  # the receiver is free again
    assert h.get_bit(1)
    assert h.fork_height(h) == 0 and h == h


def test_equality_of_an_exclusively_borrowed_value_falls_back_to_identity():
    # Equality reads both values in place only when neither is exclusively borrowed; while one
    # is, both sides answer NotImplemented and `==` compares identity, as with the borrows taken.
    h = H256.zero()
    same = H256.zero()
    seen = []

    class ComparesReceiver:
        def __index__(self):
            seen.append((h == same, same == h, h != same, h == h))
            return 1

    h.set_bit(ComparesReceiver())
    assert seen == [(False, False, True, True)]
    assert h != same and h == h256_with(b0=2)


@pytest.mark.skipif(UNDER_ASAN, reason="needs an address-space limit")
def test_long_bytes_are_refused_before_any_copy(run_python):
    # With no room for a copy of `big`, only a check made on the argument in place can refuse it.
    result = run_python(
        no_room_for_a_copy_of(f"bytes({BIG_SIZE})")
        + """
import json
from qzr_python.h256 import H256, H256Error
h = H256.zero()
outcomes = []
for call in (lambda: H256.from_bytes(big), lambda: h.__setstate__(big)):
    try:
        call()
    except H256Error as error:
        outcomes.append(str(error))
print(json.dumps(outcomes + [h.is_zero()]))
"""
    )
    assert result == ["Invalid length for H256: could not convert slice to array"] * 2 + [True]
