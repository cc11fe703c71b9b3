"""Enumeration classes declared as tables, through the toy enums of qzr_frame_testmod: Shade
(the simple-enum family) and Level (read through an unsigned byte, with a number constructor),
both frozen as every enumeration class is; and the refusal of a class that declares one member
twice."""

import types

import pytest

import qzr_frame_testmod as tm
from borrow_support import held_borrow
from frame_support import Index, PanicException, error_of, toy
from index_support import Number
from qzr_frame_testmod import Color, Level, Shade

MEMBERS = [
    (Shade, "Light", 0),
    (Shade, "Dark", 1),
    (Shade, "Dim", 2),
    (Level, "Low", 0),
    (Level, "Mid", 1),
    (Level, "High", 2),
]


@pytest.mark.parametrize("cls, name, number", MEMBERS)
def test_members_come_from_the_table(cls, name, number):
    member = getattr(cls, name)
    assert type(member) is cls
    assert getattr(cls, name) is member
    assert repr(member) == str(member) == f"{cls.__name__}.{name}"
    assert int(member) == number and type(int(member)) is int
    assert bool(member) is True  # also the member numbered 0


def test_class_attributes_in_table_order():
    assert [name for name in vars(Shade) if name in ("Light", "Dark", "Dim")] == ["Light", "Dark", "Dim"]


def test_numbers_by_name_follow_the_table():
    assert list(Level.discriminants.items()) == [("Low", 0), ("Mid", 1), ("High", 2)]
    assert Level.discriminants is Level.discriminants
    assert [name for name in vars(Level) if name in ("Low", "Mid", "High", "discriminants")] == [
        "Low", "Mid", "High", "discriminants",
    ]


def test_simple_enum_has_no_constructor_docstring_or_signature():
    assert Shade.__doc__ is None and Shade.__text_signature__ is None
    assert error_of(Shade).args == ("No constructor defined",)
    assert error_of(lambda: Shade(0)).args == ("No constructor defined",)


@pytest.mark.parametrize(
    "left, right, equal",
    [
        (Shade.Dark, Shade.Dark, True),
        (Shade.Dark, Shade.Dim, False),
        (Shade.Dark, 1, True),
        (Shade.Dark, True, True),
        (Shade.Light, False, True),
        (Shade.Dark, Index(lambda: 1), True),
        (Shade.Dark, Number.ONE, True),
        (Shade.Dark, 2, False),
        (Shade.Dark, -1, False),
        (Shade.Dark, 2**64 + 1, False),  # beyond 64 signed bits: not a number, identity decides
        (Shade.Dark, 1.0, False),
        (Shade.Dark, "Dark", False),
        (Shade.Dark, None, False),
        (Shade.Dark, Index(ValueError("no index")), False),  # a failing __index__ is dropped
        (Shade.Dark, Level.Mid, False),  # another enum class, though both hold 1
        (Shade.Dark, Color.Green, False),
        (Level.Mid, Level(1), True),
        (Level.Mid, 1, True),
        (Level.Mid, 257, False),  # not a byte
        (Level.Mid, -255, False),
    ],
)
def test_equality(left, right, equal):
    assert (left == right) is equal
    assert (right == left) is equal
    assert (left != right) is not equal
    assert (right != left) is not equal


@pytest.mark.parametrize("left, right", [(Shade.Light, Shade.Dark), (Shade.Light, 1), (Level.Low, Level.High)])
@pytest.mark.parametrize("operator", ["<", "<=", ">", ">="])
def test_ordering_is_not_supported(left, right, operator):
    with pytest.raises(TypeError, match="not supported between instances of"):
        eval(f"left {operator} right", {"left": left, "right": right})


@pytest.mark.parametrize("member", [Shade.Light, Level.Low, Level(2)])
def test_unhashable_and_not_an_index(member):
    with pytest.raises(TypeError, match="unhashable type"):
        hash(member)
    with pytest.raises(TypeError):
        [10, 20, 30][member]


@pytest.mark.parametrize("flag", [-1, 1, 7], ids=["exclusive", "one shared", "seven shared"])
@pytest.mark.parametrize(
    "member, other, number",
    [(Shade.Dim, Shade.Dark, 2), (Level.Mid, Level.High, 1), (Level(1), Level.Low, 1)],
    ids=["Shade.Dim", "Level.Mid", "new Level.Mid"],
)
def test_a_frozen_member_neither_reads_nor_counts_borrows(member, other, number, flag):
    # Every enumeration class is frozen: a member's value never changes, so its borrow flag is
    # neither read nor written. With the flag set as if the member were borrowed exclusively (-1),
    # nothing is refused; with shared borrows counted, none is added or left behind.
    name = repr(member)
    with held_borrow(member, flag):
        assert repr(member) == str(member) == name
        assert int(member) == number and bool(member) is True
        assert member == member and not member != member
        assert member == number and number == member and member != number + 1
        assert member == Index(lambda: number) and member != other and other != member
        if type(member) is Level:
            assert member == Level(number) and Level(number) == member and member != Level(number + 1)
        assert tm.swap_borrow_flag(member, flag) == flag


def test_a_class_that_is_not_frozen_reads_the_borrow_flag():
    # The flag set above is the one a class that counts borrows reads: an exclusive one refuses.
    held = toy()
    with held_borrow(held, -1), pytest.raises(RuntimeError, match="^Already mutably borrowed$"):
        repr(held)


def test_number_constructor():
    assert Level.__text_signature__ == "(value)" and Level.__doc__ == ""
    made = Level(2)
    assert made == Level.High and made is not Level.High and type(made) is Level
    assert Level(value=0) == Level.Low
    assert Level(Index(lambda: 1)) == Level.Mid


@pytest.mark.parametrize(
    "call, error_type, text",
    [
        (lambda: Level(3), ValueError, "3 is not a valid Level"),
        (lambda: Level(255), ValueError, "255 is not a valid Level"),
        (lambda: Level(256), OverflowError, None),
        (lambda: Level(-1), OverflowError, None),
        (lambda: Level(Level.Mid), TypeError, None),
        (lambda: Level("1"), TypeError, None),
        (lambda: Level(), TypeError, "Level.__new__() missing 1 required positional argument: 'value'"),
    ],
)
def test_number_constructor_refusals(call, error_type, text):
    error = error_of(call)
    assert type(error) is error_type
    if text is not None:
        assert str(error) == text
    if error_type is TypeError and text is None:
        assert str(error).startswith("argument 'value': ")


@pytest.mark.parametrize(
    "name, member",
    [
        ("DuplicateName", "number"),  # a property and a method of one name
        ("DuplicateSlot", "__repr__"),  # a shared member list and the class both give __repr__
    ],
)
def test_member_declared_twice_fails_when_the_type_is_built(name, member, capfd):
    for _ in range(2):  # nothing is half built: the second request fails the same way
        error = error_of(lambda: tm.add_class_named(types.ModuleType("holder"), name))
        assert type(error) is PanicException
        assert error.args == (f"class {name} declares the member '{member}' twice",)
    assert f"class {name} declares the member '{member}' twice" in capfd.readouterr().err
