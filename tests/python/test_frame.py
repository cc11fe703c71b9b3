"""The Python frame's calls, checked through the toy classes and functions of the test-only module
qzr_frame_testmod: argument parsing, argument and result conversions, borrows, faults, special
methods, module functions and reference counts. Type objects, registration and the module entry
are in test_frame_classes.py.

Expected texts are the frame's documented texts; where an exception comes from the interpreter
itself (unsupported operands, weak references, subclassing) only its type is checked, since its
wording belongs to CPython.
"""

import ctypes
import gc
import subprocess
import sys
import types

import pytest

import qzr_frame_testmod as tm
from frame_support import (
    Counted,
    CountingMeta,
    Index,
    Nameless,
    PanicException,
    UnprintableText,
    error_of,
    raise_type_error_with_cause,
    toy,
)
from hostile import (
    BIG_SIZE,
    NOT_EXCEPTIONS,
    UNDER_ASAN,
    IndexEmptiesKeywords,
    LoggedIndex,
    LoggedList,
    no_room_for_a_copy_of,
    raising_in,
)
from qzr_frame_testmod import Color, Opaque, Point, Toy, Unit


class EqualityRaises:
    def __eq__(self, other):
        raise ValueError("no equality")


class NoTruth:
    def __bool__(self):
        raise ValueError("no truth")


class EqualityOfNoTruth:
    def __eq__(self, other):
        return NoTruth()


class EqualityPanics:
    def __eq__(self, other):
        raise PanicException("equality panicked")


# ---- argument parser ------------------------------------------------------------------------

X = toy()

PARSER_CASES = [
    # too many positional, all parameters required ("was" for one, "were" otherwise)
    (lambda: Unit(1), "Unit.__new__() takes 0 positional arguments but 1 was given"),
    (lambda: Unit(1, 2), "Unit.__new__() takes 0 positional arguments but 2 were given"),
    (lambda: Point(1, 2, 3), "Point.__new__() takes 2 positional arguments but 3 were given"),
    (lambda: X.add(1, 2), "Toy.add() takes 1 positional arguments but 2 were given"),
    (lambda: X.scaled_sum(1, 2, 3, bogus=4), "Toy.scaled_sum() takes 2 positional arguments but 3 were given"),
    # too many positional, some optional
    (lambda: Toy(1, "a", [], 4), "Toy.__new__() takes from 1 to 3 positional arguments but 4 were given"),
    (lambda: X.options(1, 2, 3, 4, 5), "Toy.options() takes from 1 to 3 positional arguments but 5 were given"),
    # repeated argument
    (lambda: X.scaled_sum(1, scale=2), "Toy.scaled_sum() got multiple values for argument 'scale'"),
    (lambda: Toy(1, number=2), "Toy.__new__() got multiple values for argument 'number'"),
    (lambda: X.options(1, 2, b=3), "Toy.options() got multiple values for argument 'b'"),
    # unknown keyword, reported before missing arguments
    (lambda: X.scaled_sum(1, 2, bogus=3), "Toy.scaled_sum() got an unexpected keyword argument 'bogus'"),
    (lambda: X.scaled_sum(bogus=3), "Toy.scaled_sum() got an unexpected keyword argument 'bogus'"),
    (lambda: Toy(1, colour="red"), "Toy.__new__() got an unexpected keyword argument 'colour'"),
    (lambda: Toy.sum_of(1, c=2), "Toy.sum_of() got an unexpected keyword argument 'c'"),
    # missing arguments: one, two joined by " and ", three as "'a', 'b', and 'c'"
    (lambda: Toy(), "Toy.__new__() missing 1 required positional argument: 'number'"),
    (lambda: Toy(label="a"), "Toy.__new__() missing 1 required positional argument: 'number'"),
    (lambda: X.options(b=1), "Toy.options() missing 1 required positional argument: 'a'"),
    (lambda: X.scaled_sum(), "Toy.scaled_sum() missing 2 required positional arguments: 'scale' and 'offset'"),
    (lambda: X.triple(), "Toy.triple() missing 3 required positional arguments: 'x', 'y', and 'z'"),
    (lambda: X.triple(y=1), "Toy.triple() missing 2 required positional arguments: 'x' and 'z'"),
    (lambda: X.triple(1, z=3), "Toy.triple() missing 1 required positional argument: 'y'"),
    (lambda: Toy.from_label(), "Toy.from_label() missing 1 required positional argument: 'label'"),
    (lambda: Toy.sum_of(1), "Toy.sum_of() missing 1 required positional argument: 'b'"),
    # members without parameters: the interpreter refuses arguments before the frame runs
    (lambda: X.describe(1), "Toy.describe() takes no arguments (1 given)"),
    (lambda: X.describe(a=1), "Toy.describe() takes no keyword arguments"),
    (lambda: Toy.default(1), "Toy.default() takes no arguments (1 given)"),
    (lambda: Toy.zero(1), "Toy.zero() takes no arguments (1 given)"),
]


@pytest.mark.parametrize("call, text", PARSER_CASES)
def test_parser_errors(call, text):
    error = error_of(call)
    assert type(error) is TypeError
    assert error.args == (text,)


PARSED_CALLS = [
    (lambda: X.options(1), "a=1 b=None c=None"),
    (lambda: X.options(1, c=3), "a=1 b=None c=3"),
    (lambda: X.options(c=3, a=1, b=2), "a=1 b=2 c=3"),
    (lambda: X.options(1, None, 3), "a=1 b=None c=3"),
    (lambda: X.scaled_sum(offset=1, scale=2), 7),
    (lambda: X.triple(1, 2, z=3), [1, 2, 3]),
    (lambda: Toy(label="a", number=5).describe(), "a=5"),
    (lambda: Toy(5, None, None).describe(), "=5"),
    (lambda: Toy.sum_of(b=1, a=2), 3),
    (lambda: Toy.from_label(label="q").label, "q"),
    (lambda: Toy.default().label, "default"),
    (lambda: Toy.zero().number, 0),
    (lambda: Toy(1, items=(4, 5)).items, [4, 5]),
]


@pytest.mark.parametrize("call, expected", PARSED_CALLS)
def test_parsed_calls(call, expected):
    assert call() == expected


def test_keyword_that_cannot_be_encoded_is_unknown():
    error = error_of(lambda: X.scaled_sum(1, 2, **{"sc\udc80le": 3}))
    assert type(error) is TypeError
    assert error.args[0].startswith("Toy.scaled_sum() got an unexpected keyword argument '")


# ---- module functions -----------------------------------------------------------------------

# The toy Function rows, registered into a module of their own (the test module's rows are its
# classes): toy_options(a, b=None) and default_toy().
FUNCTIONS = types.ModuleType("functions")
tm.add_toy_functions(FUNCTIONS)


@pytest.mark.parametrize(
    "name, signature",
    [("toy_options", "(a, b=None)"), ("default_toy", "()")],
)
def test_module_function_is_a_builtin_bound_to_its_module(name, signature):
    function = getattr(FUNCTIONS, name)
    assert type(function) is type(len)
    assert (function.__name__, function.__qualname__) == (name, name)
    assert function.__text_signature__ == signature
    assert function.__doc__ is None
    assert function.__self__ is FUNCTIONS
    assert function.__module__ == "functions"
    assert repr(function) == f"<built-in function {name}>"


def test_module_functions_are_registered_in_order():
    assert FUNCTIONS.__all__ == ["toy_options", "default_toy"]


MODULE_FUNCTION_CALLS = [
    (lambda: FUNCTIONS.toy_options(1), "a=1 b=None"),
    (lambda: FUNCTIONS.toy_options(1, 2), "a=1 b=2"),
    (lambda: FUNCTIONS.toy_options(b=3, a=1), "a=1 b=3"),
    (lambda: FUNCTIONS.toy_options(1, None), "a=1 b=None"),
    (lambda: FUNCTIONS.toy_options(Index(lambda: 4)), "a=4 b=None"),
    (lambda: FUNCTIONS.default_toy().describe(), "default=0"),
]


@pytest.mark.parametrize("call, expected", MODULE_FUNCTION_CALLS)
def test_module_function_calls(call, expected):
    assert call() == expected


MODULE_FUNCTION_ERRORS = [
    # the parser's texts name the function alone
    (lambda: FUNCTIONS.toy_options(), "toy_options() missing 1 required positional argument: 'a'"),
    (lambda: FUNCTIONS.toy_options(1, 2, 3), "toy_options() takes from 1 to 2 positional arguments but 3 were given"),
    (lambda: FUNCTIONS.toy_options(1, c=2), "toy_options() got an unexpected keyword argument 'c'"),
    (lambda: FUNCTIONS.toy_options(1, a=2), "toy_options() got multiple values for argument 'a'"),
    # conversion errors name the argument
    (lambda: FUNCTIONS.toy_options("x"), "argument 'a': 'str' object cannot be interpreted as an integer"),
    (lambda: FUNCTIONS.toy_options(1, b="y"), "argument 'b': 'str' object cannot be interpreted as an integer"),
]


@pytest.mark.parametrize("call, text", MODULE_FUNCTION_ERRORS)
def test_module_function_errors(call, text):
    error = error_of(call)
    assert type(error) is TypeError
    assert error.args == (text,)


def test_module_function_without_parameters_refuses_arguments_in_the_interpreter():
    # The interpreter's own texts (METH_NOARGS): only the type is the frame's to keep.
    for call in (lambda: FUNCTIONS.default_toy(1), lambda: FUNCTIONS.default_toy(a=1)):
        assert type(error_of(call)) is TypeError


# ---- argument conversion errors ---------------------------------------------------------------

WRAPPED_CASES = [
    (lambda: X.add("x"), "argument 'amount': 'str' object cannot be interpreted as an integer"),
    (lambda: X.add(Index(lambda: "x")), "argument 'amount': __index__ returned non-int (type str)"),
    (lambda: X.same_number(5), "argument 'other': 'int' object cannot be converted to 'Toy'"),
    (lambda: X.same_number(Point(1, 2)), "argument 'other': 'Point' object cannot be converted to 'Toy'"),
    (lambda: X.same_number(Counted()), "argument 'other': 'Counted' object cannot be converted to 'Toy'"),
    (
        lambda: X.same_number(Nameless()),
        "argument 'other': '<failed to extract type name>' object cannot be converted to 'Toy'",
    ),
    (lambda: Toy(1, label=5), "argument 'label': 'int' object cannot be converted to 'PyString'"),
    (lambda: Toy(1, items="abc"), "argument 'items': Can't extract `str` to `Vec`"),
    (lambda: Toy(1, items=[1, "x"]), "argument 'items': 'str' object cannot be interpreted as an integer"),
    (lambda: Toy(1, items=5), "argument 'items': 'int' object cannot be converted to 'Sequence'"),
    (lambda: tm.make_opaque(5), "'int' object cannot be converted to 'PyString'"),
    (lambda: X["a"], "argument 'index': 'str' object cannot be interpreted as an integer"),
    (lambda: X.__setitem__(0, "a"), "argument 'value': 'str' object cannot be interpreted as an integer"),
    # a setter converts without naming the argument
    (lambda: setattr(toy(), "number", "x"), "'str' object cannot be interpreted as an integer"),
]


@pytest.mark.parametrize("call, text", WRAPPED_CASES)
def test_conversion_type_errors_name_the_argument(call, text):
    error = error_of(call)
    assert type(error) is TypeError
    assert error.args == (text,)
    assert error.__cause__ is None


def test_wrapped_type_error_takes_the_cause_of_the_original():
    error = error_of(lambda: X.add(Index(raise_type_error_with_cause)))
    assert type(error) is TypeError
    assert error.args == ("argument 'amount': bad index",)
    assert type(error.__cause__) is ValueError
    assert error.__cause__.args == ("root cause",)


class TypeErrorSubclass(TypeError):
    pass


UNCHANGED_ERRORS = [
    TypeErrorSubclass("subclass of TypeError"),
    ValueError("not a number"),
    RuntimeError("busy"),
    KeyError("k"),
]


@pytest.mark.parametrize("raised", UNCHANGED_ERRORS, ids=lambda e: type(e).__name__)
def test_other_conversion_errors_pass_unchanged(raised):
    error = error_of(lambda: X.add(Index(raised)))
    assert error is raised


# Calls where a failed conversion of an ordinary kind is dropped: an operand of a number slot
# (NotImplemented) and the length hint of a list argument.
DROPPING_CALLS = [
    lambda error: X + raising_in("__index__", error),
    lambda error: raising_in("__index__", error) + X,
    lambda error: Toy(1, items=raising_in("__len__", error, base=list)),
]


@pytest.mark.parametrize("call", DROPPING_CALLS)
@pytest.mark.parametrize("raised", NOT_EXCEPTIONS, ids=lambda e: e.__name__)
def test_errors_that_are_not_exceptions_are_never_dropped(call, raised):
    error = error_of(lambda: call(raised))
    assert type(error) is raised
    assert X.add(0) == X.number  # no borrow is left behind


def test_integer_out_of_range_passes_unchanged():
    assert type(error_of(lambda: X.add(2**70))) is OverflowError


KEYWORD_DICT_EMPTIED_CASES = [
    (lambda e: Toy(**{"number": IndexEmptiesKeywords(e, 1), "items": LoggedList(e, [2, 3])}).items, [2, 3]),
    (lambda e: X.options(**{"a": IndexEmptiesKeywords(e, 1), "b": LoggedIndex(e, 2)}), "a=1 b=2 c=None"),
]


@pytest.mark.parametrize("call, expected", KEYWORD_DICT_EMPTIED_CASES)
def test_parsed_arguments_outlive_a_conversion_that_empties_the_keyword_dict(call, expected):
    # Converting the first argument drops the caller's last reference to the second; the call
    # holds its own until it returns.
    events = []
    assert call(events) == expected
    assert events == ["index", "del", "del"]


def test_unprintable_type_error_is_reported_and_replaced(monkeypatch):
    reported = []
    monkeypatch.setattr(sys, "unraisablehook", reported.append)
    error = error_of(lambda: X.add(Index(TypeError(UnprintableText()))))
    assert error.args == ("argument 'amount': <unprintable TypeError object>",)
    assert len(reported) == 1
    assert reported[0].exc_type is ValueError


def test_dropped_conversion_error_never_reads_the_type_name():
    before = CountingMeta.reads
    assert (X == Counted()) is False
    assert X != Counted()
    assert CountingMeta.reads == before
    error_of(lambda: X.same_number(Counted()))
    assert CountingMeta.reads > before


# ---- conversions of arguments and results ------------------------------------------------------

C = tm.Conversions


class IterOnly:
    """A sequence whose __len__ fails and whose __getitem__ must not be used for reading."""

    def __len__(self):
        raise RuntimeError("no length")

    def __getitem__(self, index):
        raise AssertionError("read by index")

    def __iter__(self):
        return iter([4, 5])


class HugeLength:
    """Claims a length far beyond memory; only two elements exist."""

    def __len__(self):
        return sys.maxsize

    def __getitem__(self, index):
        if index < 2:
            return index
        raise IndexError(index)


CONVERSIONS = [
    # (call, expected result); integer bounds by Python arithmetic
    (lambda: C.i8(-(2**7)), -128),
    (lambda: C.i8(2**7 - 1), 127),
    (lambda: C.u8(2**8 - 1), 255),
    (lambda: C.i32(-(2**31)), -(2**31)),
    (lambda: C.i64(-(2**63)), -(2**63)),
    (lambda: C.i64(2**63 - 1), 2**63 - 1),
    (lambda: C.i64(True), 1),
    (lambda: C.i64(Index(lambda: 7)), 7),
    (lambda: C.u64(2**64 - 1), 2**64 - 1),
    (lambda: C.u64(Index(lambda: 7)), 7),
    (lambda: C.i128(-(2**127)), -(2**127)),
    (lambda: C.i128(2**127 - 1), 2**127 - 1),
    (lambda: C.i128(-1), -1),
    (lambda: C.u128(2**128 - 1), 2**128 - 1),
    (lambda: C.u128(2**64), 2**64),
    (lambda: C.boolean(False), False),
    (lambda: C.double(1), 1.0),
    (lambda: C.double(-0.5), -0.5),
    (lambda: C.text("h\u00e9\u4e16"), "h\u00e9\u4e16"),
    (lambda: C.text(""), ""),
    (lambda: C.bytes(b"\x00ab"), b"\x00ab"),
    (lambda: C.list((1, 2)), [1, 2]),
    (lambda: C.list([]), []),
    (lambda: C.list(range(3)), [0, 1, 2]),
    (lambda: C.list(IterOnly()), [4, 5]),
    (lambda: C.list(HugeLength()), [0, 1]),
    (lambda: C.texts(["a", "b"]), ["a", "b"]),
    (lambda: C.optional(), None),
    (lambda: C.optional(None), None),
    (lambda: C.optional(3), 3),
    (lambda: C.pair(1, "a"), (1, "a")),
    (lambda: C.nothing(), None),
    (lambda: C.not_implemented(), NotImplemented),
    (lambda: C.checked_half(4), 2),
    (lambda: C.checked_even(2), None),
    (lambda: repr(C.point(Point(1, 2))), "Point(1, 2)"),
    (lambda: X.same_or_none(), None),
    (lambda: X.same_or_none(None), None),
    (lambda: X.same_or_none(toy()), True),
    (lambda: X.same_or_none(Toy(4)), False),
]


@pytest.mark.parametrize("call, expected", CONVERSIONS)
def test_conversions(call, expected):
    result = call()
    assert result == expected
    assert type(result) is type(expected)


def test_object_argument_is_returned_as_the_same_object():
    marker = object()
    assert C.object(marker) is marker
    assert C.object(Toy) is Toy


OUT_OF_RANGE = "out of range integral type conversion attempted"

CONVERSION_ERRORS = [
    # (call, exception type, text or None where the interpreter words it)
    (lambda: C.i8(2**7), OverflowError, OUT_OF_RANGE),
    (lambda: C.i8(-(2**7) - 1), OverflowError, OUT_OF_RANGE),
    (lambda: C.u8(2**8), OverflowError, OUT_OF_RANGE),
    (lambda: C.u8(-1), OverflowError, OUT_OF_RANGE),
    (lambda: C.i32(2**31), OverflowError, OUT_OF_RANGE),
    (lambda: C.i64(2**63), OverflowError, None),
    (lambda: C.u64(2**64), OverflowError, None),
    (lambda: C.u64(-1), OverflowError, None),
    (lambda: C.i128(2**127), OverflowError, None),
    (lambda: C.i128(-(2**127) - 1), OverflowError, None),
    (lambda: C.u128(2**128), OverflowError, None),
    (lambda: C.u128(-1), OverflowError, None),
    (lambda: C.double(2**2000), OverflowError, None),
    (lambda: C.text("\udc80"), UnicodeEncodeError, None),
    (lambda: C.i64(1.5), TypeError, "argument 'v': 'float' object cannot be interpreted as an integer"),
    (lambda: C.u64("1"), TypeError, "argument 'v': 'str' object cannot be interpreted as an integer"),
    (lambda: C.i128(1.5), TypeError, "argument 'v': 'float' object cannot be interpreted as an integer"),
    (lambda: C.u128(1.5), TypeError, "argument 'v': 'float' object cannot be interpreted as an integer"),
    (lambda: C.boolean(1), TypeError, "argument 'v': 'int' object cannot be converted to 'PyBool'"),
    (lambda: C.boolean(None), TypeError, "argument 'v': 'NoneType' object cannot be converted to 'PyBool'"),
    (lambda: C.text(b"x"), TypeError, "argument 'v': 'bytes' object cannot be converted to 'PyString'"),
    (lambda: C.bytes(bytearray(b"a")), TypeError, "argument 'v': 'bytearray' object cannot be converted to 'PyBytes'"),
    (lambda: C.bytes("a"), TypeError, "argument 'v': 'str' object cannot be converted to 'PyBytes'"),
    (lambda: C.list(5), TypeError, "argument 'v': 'int' object cannot be converted to 'Sequence'"),
    (lambda: C.list({1: 2}), TypeError, "argument 'v': 'dict' object cannot be converted to 'Sequence'"),
    (lambda: C.list("ab"), TypeError, "argument 'v': Can't extract `str` to `Vec`"),
    (lambda: C.texts(["a", 1]), TypeError, "argument 'v': 'int' object cannot be converted to 'PyString'"),
    (lambda: C.optional("x"), TypeError, "argument 'v': 'str' object cannot be interpreted as an integer"),
    (lambda: C.point(1), TypeError, "argument 'v': 'int' object cannot be converted to 'Point'"),
    (lambda: X.same_or_none(5), TypeError, "argument 'other': 'int' object cannot be converted to 'Toy'"),
    (lambda: C.checked_half(3), ValueError, "odd number: 3"),
    (lambda: C.checked_even(3), ValueError, "odd number: 3"),
]


@pytest.mark.parametrize("call, error_type, text", CONVERSION_ERRORS)
def test_conversion_errors(call, error_type, text):
    error = error_of(call)
    assert type(error) is error_type
    if text is not None:
        assert error.args == (text,)


# ---- borrows ----------------------------------------------------------------------------------


def test_exclusive_borrow_refuses_reads_during_argument_conversion():
    x = toy()
    error = error_of(lambda: x.add(Index(lambda: x.number)))
    assert type(error) is RuntimeError
    assert error.args == ("Already mutably borrowed",)
    assert x.add(1) == 4


BORROW_CONFLICTS = [
    # (call on x, exception type, text)
    (lambda x: x.absorb(x), RuntimeError, "Already mutably borrowed"),
    (lambda x: x.adopt_items(x), RuntimeError, "Already mutably borrowed"),
    (lambda x: x.append(Index(lambda: len(x))), RuntimeError, "Already mutably borrowed"),
    (lambda x: x.__setitem__(0, Index(lambda: x[1])), RuntimeError, "Already mutably borrowed"),
    (lambda x: x.call_back(lambda: x.add(1)), RuntimeError, "Already borrowed"),
    (lambda x: x.call_back(lambda: setattr(x, "number", 1)), RuntimeError, "Already borrowed"),
    (lambda x: x.call_back(lambda: x.__setitem__(0, 1)), RuntimeError, "Already borrowed"),
    # a borrow stated exclusive in the declaration, on a body that takes const ToyValue&
    (lambda x: x.call_back(lambda: x.describe_exclusively()), RuntimeError, "Already borrowed"),
    (lambda x: x.add(Index(lambda: len(x.describe_exclusively()))), RuntimeError, "Already borrowed"),
    # inside the exclusive borrow, `x + 1` cannot take x and falls through to NotImplemented
    (lambda x: x.add(Index(lambda: x + 1)), TypeError, None),
]


@pytest.mark.parametrize("call, error_type, text", BORROW_CONFLICTS)
def test_borrow_conflicts_and_release(call, error_type, text):
    x = toy()
    error = error_of(lambda: call(x))
    assert type(error) is error_type
    if text is not None:
        assert error.args == (text,)
    # every flag is back: exclusive and shared borrows succeed again
    assert x.add(0) == 3
    assert x.items == [1, 2, 3]
    x.number = 5
    assert x.number == 5


SHARED_BORROWS = [
    (lambda x: x.same_number(x), True),
    (lambda x: x == x, True),
    (lambda x: x.call_back(lambda: x.number + len(x)), 6),
    (lambda x: x.call_back(lambda: x.call_back(lambda: x.describe())), "toy=3"),
    (lambda x: x.scaled_sum(Index(lambda: x.number), 0), 9),
]


@pytest.mark.parametrize("call, expected", SHARED_BORROWS)
def test_shared_borrows_coexist(call, expected):
    assert call(toy()) == expected


def test_comparison_during_exclusive_borrow_falls_back_to_identity():
    x = toy()
    twin = toy()
    seen = []
    x.add(Index(lambda: seen.append(x == twin) or 0))
    assert seen == [False]
    assert x == twin


def test_enum_member_compares_with_itself():
    assert Color.Red == Color.Red
    assert Color.Red != Color.Blue


def test_setter_converts_the_value_before_borrowing_the_receiver():
    x = toy()
    x.number = Index(lambda: x.number + 10)
    assert x.number == 13


def test_copied_argument_is_independent():
    source = Toy(0, "source", [1, 2])
    target = toy()
    target.adopt_items(source)
    source.append(3)
    assert target.items == [1, 2]
    assert source.items == [1, 2, 3]


@pytest.mark.skipif(UNDER_ASAN, reason="needs an address-space limit")
@pytest.mark.parametrize(
    "value, call", [(f"bytes({BIG_SIZE})", "Conversions.bytes(big)"), (f"'x' * {BIG_SIZE}", "Conversions.text(big)")]
)
def test_memory_exhaustion_names_the_size_of_a_copied_argument(value, call):
    # Memory exhaustion is not an exception: the process reports the refused size and aborts.
    code = no_room_for_a_copy_of(value) + "from qzr_frame_testmod import Conversions\n" + call
    completed = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, timeout=120)
    assert completed.returncode < 0
    assert completed.stderr == f"memory allocation of {BIG_SIZE} bytes failed\n"


# ---- faults and PanicException -----------------------------------------------------------------


def test_panic_exception_type():
    assert issubclass(PanicException, BaseException)
    assert not issubclass(PanicException, Exception)
    assert PanicException.__module__ == "pyo3_runtime"
    assert PanicException.__qualname__ == "PanicException"
    assert PanicException.__doc__.startswith("\n") and PanicException.__doc__.endswith("\n")


def test_fault_becomes_panic_exception_and_releases_the_borrow(capfd):
    x = Toy(1, "boom")
    with pytest.raises(PanicException) as raised:
        try:
            x.fail()
        except Exception:  # a fault must not be caught as an ordinary error
            pytest.fail("PanicException caught by `except Exception`")
    assert raised.value.args == ("toy fault: boom",)
    assert "toy fault: boom" in capfd.readouterr().err
    assert x.add(1) == 2
    assert x.describe() == "boom=2"


PANICS_FROM_PYTHON = [
    (PanicException("from python"), "from python"),
    (PanicException(UnprintableText()), "Unwrapped panic from Python code"),
]


@pytest.mark.parametrize("raised, text", PANICS_FROM_PYTHON)
@pytest.mark.parametrize("route", ["callback", "argument conversion"])
def test_panic_raised_by_python_is_resumed_as_a_new_panic(capfd, raised, text, route):
    x = toy()

    def panic():
        raise raised

    call = (lambda: x.call_back(panic)) if route == "callback" else (lambda: x.add(Index(raised)))
    error = error_of(call)
    assert type(error) is PanicException
    assert error is not raised
    assert error.args == (text,)
    assert "Python stack trace below:" in capfd.readouterr().err
    assert x.add(1) == 4


def test_class_without_type_object_faults(capfd):
    error = error_of(tm.make_broken)
    assert type(error) is PanicException
    assert error.args == ("failed to create type object for Broken",)
    assert "class doc cannot contain nul bytes" in capfd.readouterr().err


# ---- special methods ----------------------------------------------------------------------------

SLOT_RESULTS = [
    (lambda x: repr(x), "Toy(3, 'toy')"),
    (lambda x: str(x), "toy"),
    (lambda x: int(x), 3),
    (lambda x: float(x), 1.5),
    (lambda x: repr(-x), "Toy(-3, 'toy')"),
    (lambda x: repr(abs(-x)), "Toy(3, 'toy')"),
    (lambda x: len(x), 3),
    (lambda x: x[2], 3),
    (lambda x: list(x), [1, 2, 3]),  # iteration through the derived sequence slot
    (lambda x: 2 in x, True),
    (lambda x: x < Toy(4), True),
    (lambda x: x >= Toy(4), False),
    (lambda x: x == Toy(3), True),
    (lambda x: x != Toy(3), False),
    (lambda x: (x + 5).number, 8),
    (lambda x: (x + 5).label, "toy"),
    (lambda x: (5 + x).number, 8),
    (lambda x: (5 + x).label, "reflected"),
    (lambda x: x**2, 9),
    (lambda x: 2**x, 8),
    (lambda x: pow(x, 2, 5), 4),
    (lambda x: pow(2, x, 5), 3),
    (lambda x: pow(x, 2, -5), -1),
    (lambda x: x == object(), False),
    (lambda x: x != object(), True),
    (lambda x: x == 3, False),
    (lambda x: Point(1, 2) == Point(1, 2), True),
    (lambda x: Point(1, 2) != Point(1, 2), False),
    (lambda x: Point(1, 2) != Point(1, 3), True),
    (lambda x: Point(1, 2) == (1, 2), False),
    (lambda x: Point(1, 2) != (1, 2), True),
    (lambda x: hash(Point(1, 2)), 33),
    (lambda x: repr(Point(1, 2).moved(2, dy=3)), "Point(3, 5)"),
]


@pytest.mark.parametrize("call, expected", SLOT_RESULTS)
def test_slot_results(call, expected):
    assert call(toy()) == expected


@pytest.mark.parametrize("number, expected", [(5, 5), (0, 0), (-2, -2), (-1, -2)])
def test_hash_of_minus_one_becomes_minus_two(number, expected):
    assert hash(Toy(number)) == expected


SLOT_ERRORS = [
    # both sides NotImplemented: the interpreter's own TypeError
    (lambda x: x + "s", TypeError, None),
    (lambda x: "s" + x, TypeError, None),
    (lambda x: x + x, TypeError, None),
    (lambda x: x ** "s", TypeError, None),
    (lambda x: x < object(), TypeError, None),
    (lambda x: Point(1, 2) < Point(1, 2), TypeError, None),
    (lambda x: Point(1, 2) >= Point(1, 2), TypeError, None),
    (lambda x: Color.Red < Color.Blue, TypeError, None),
    # `!=` without its own body negates the full `==`; errors of either step are raised
    (lambda x: Point(1, 2) != EqualityRaises(), ValueError, "no equality"),
    (lambda x: Point(1, 2) != EqualityOfNoTruth(), ValueError, "no truth"),
    (lambda x: Point(1, 2) != EqualityPanics(), PanicException, "equality panicked"),
    # errors of a body are raised, without trying the reflected side
    (lambda x: x ** -1, ValueError, "negative exponent"),
    (lambda x: pow(x, 2, 0), ValueError, "zero modulo"),
    (lambda x: x[3], IndexError, "toy index out of range"),
    (lambda x: x.__setitem__(-1, 0), IndexError, "toy assignment index out of range"),
    # deletions
    (lambda x: x.__delitem__(0), NotImplementedError, "can't delete item"),
    (lambda x: x.__delitem__("not an index"), NotImplementedError, "can't delete item"),
    (lambda x: delattr(x, "number"), AttributeError, "can't delete attribute"),
    (lambda x: delattr(x, "label"), AttributeError, None),
    (lambda x: setattr(x, "label", "new"), AttributeError, None),
    # a length above the largest Python size
    (lambda x: len(tm.make_opaque("o")), OverflowError, None),
    (lambda x: hash(Color.Red), TypeError, None),
]


@pytest.mark.parametrize("call, error_type, text", SLOT_ERRORS)
def test_slot_errors(call, error_type, text):
    x = toy()
    error = error_of(lambda: call(x))
    assert type(error) is error_type
    if text is not None:
        assert error.args == (text,)
    assert x.add(0) == 3


def test_length_overflow_has_no_text():
    assert error_of(lambda: len(tm.make_opaque("o"))).args == ()


def test_deleting_an_item_is_refused_before_the_receiver_is_borrowed():
    x = toy()
    seen = []

    def delete_during_exclusive_borrow():
        seen.append(error_of(lambda: x.__delitem__(0)))
        return 0

    x.add(Index(delete_during_exclusive_borrow))
    assert type(seen[0]) is NotImplementedError


def sequence_api():
    api = ctypes.pythonapi
    api.PySequence_GetItem.argtypes = [ctypes.py_object, ctypes.c_ssize_t]
    api.PySequence_GetItem.restype = ctypes.py_object
    api.PySequence_SetItem.argtypes = [ctypes.py_object, ctypes.c_ssize_t, ctypes.py_object]
    api.PySequence_SetItem.restype = ctypes.c_int
    api.PySequence_DelItem.argtypes = [ctypes.py_object, ctypes.c_ssize_t]
    api.PySequence_DelItem.restype = ctypes.c_int
    return api


def test_derived_sequence_slots_hand_the_index_to_the_mapping_slots():
    api = sequence_api()
    x = toy()
    assert api.PySequence_GetItem(x, 1) == 2
    assert api.PySequence_SetItem(x, 1, 20) == 0
    assert x.items == [1, 20, 3]
    with pytest.raises(IndexError, match="^toy index out of range$"):
        api.PySequence_GetItem(x, 7)
    with pytest.raises(NotImplementedError, match="^can't delete item$"):
        api.PySequence_DelItem(x, 0)


# ---- reference counts -------------------------------------------------------------------------------


def test_trampolines_keep_reference_counts(capfd):
    x = toy()
    scale = int("1000001")
    offset = int("1000002")
    label = "".join(["lab", "el"])
    point = Point(scale, offset)
    small = Toy(3)

    def give_scale():
        return scale

    watched = [scale, offset, label, give_scale, point, x, small, Toy, Point, Color, Counted, Index]
    gc.collect()
    before = [sys.getrefcount(obj) for obj in watched]
    live = tm.live_toy_values()

    for _ in range(200):
        x.scaled_sum(scale, offset=offset)
        x.options(scale, c=offset)
        x.describe()
        Toy.from_label(label)
        Toy.zero()
        Toy.default()
        Toy.sum_of(scale, offset)
        Toy(scale, label, [scale, offset])
        x.number = scale
        (x.number, x.label, x.items)
        (x == x, x == point, x < x, x != object())
        (x + scale, scale + x)
        (x**2, pow(x, 2, scale), 2**small, pow(2, small, offset))
        (hash(x), len(x), x[0])
        x[0] = offset
        (repr(x), str(x), int(x), float(x), -x, abs(x))
        x.call_back(give_scale)
        (FUNCTIONS.toy_options(scale, b=offset), FUNCTIONS.default_toy())
        list(x)
        x.same_number(x)
        x.adopt_items(Toy(0, label, [scale]))
        (point == Point(scale, offset), point != point, hash(point), point.moved(scale, offset))
        (Color.Red == Color.Red, Color(label.replace("label", "Blue")))
        (C.object(label), C.optional(scale), C.list([scale, offset]), C.texts((label,)), C.pair(scale, label))
        (C.i128(scale), C.u64(offset), C.double(scale), C.boolean(True), x.same_or_none(x), x.same_or_none())
        for call in [
            lambda: x.add(label),
            lambda: Toy(label),
            lambda: x.same_number(point),
            lambda: x.same_number(Counted()),
            lambda: x.add(Index(raise_type_error_with_cause)),
            lambda: x.add(Index(lambda: x.number)),
            lambda: x.fail(),
            lambda: x.__delitem__(0),
            lambda: delattr(x, "number"),
            lambda: Opaque(label),
            lambda: x.scaled_sum(scale, bogus=label),
            lambda: x[scale],
            lambda: x ** -1,
            lambda: x + label,
            lambda: FUNCTIONS.toy_options(label),
            lambda: FUNCTIONS.toy_options(scale, c=label),
        ]:
            error_of(call)
    capfd.readouterr()
    gc.collect()
    assert [sys.getrefcount(obj) for obj in watched] == before
    assert tm.live_toy_values() == live
