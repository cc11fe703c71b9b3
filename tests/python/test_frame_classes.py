"""The Python frame's classes and modules, checked through the test-only module
qzr_frame_testmod: type objects, docstrings and text signatures, class attributes, instances
made behind the frame's back, registration in modules and the module entry.
"""

import functools
import gc
import inspect
import sys
import types
import weakref

import pytest

import qzr_frame_testmod as tm
from frame_support import Index, PanicException, error_of, toy
from qzr_frame_testmod import Color, Opaque, Point, Scratch, Toy, Unit


# ---- classes and their type objects -------------------------------------------------------------

DOC_CASES = [
    # (object, __text_signature__, __doc__)
    (Toy, "(number, label=None, items=None)", "A toy value with a number, a label and a list of items."),
    (Point, "(x, y)", ""),
    (Unit, "()", ""),
    (Color, "(name)", ""),
    (Opaque, None, None),
    (Scratch, None, "Scratch values, made by make_scratch()."),
    (Toy.describe, "($self)", None),
    (Toy.add, "($self, amount)", None),
    (Toy.scaled_sum, "($self, scale, offset)", None),
    (Toy.options, "($self, a, b=None, c=None)", None),
    (Toy.from_label, "($cls, label)", None),
    (Toy.default, "($cls)", None),
    (Toy.zero, "()", None),
    (Toy.sum_of, "(a, b)", None),
    (Point.moved, "($self, dx, dy)", None),
]


@pytest.mark.parametrize("obj, signature, doc", DOC_CASES, ids=lambda value: getattr(value, "__qualname__", None))
def test_docstrings_and_text_signatures(obj, signature, doc):
    assert obj.__text_signature__ == signature
    assert obj.__doc__ == doc


def test_method_signatures_are_introspectable():
    assert str(inspect.signature(Toy.options)) == "(self, /, a, b=None, c=None)"
    assert str(inspect.signature(toy().options)) == "(a, b=None, c=None)"
    assert str(inspect.signature(Toy)) == "(number, label=None, items=None)"


def test_property_docstrings():
    assert Toy.number.__doc__ == "The toy's number."
    assert Toy.label.__doc__ == "The label."
    assert Toy.items.__doc__ is None


@pytest.mark.parametrize("cls", [Toy, Point, Color, Unit, Opaque, Scratch], ids=lambda c: c.__name__)
def test_class_type_object(cls):
    name = cls.__name__
    assert cls.__module__ == "builtins"
    assert cls.__qualname__ == name
    assert repr(cls) == f"<class 'builtins.{name}'>"
    assert cls.__bases__ == (object,)
    with pytest.raises(TypeError):
        type("Sub", (cls,), {})


INSTANCES = [toy, lambda: Point(1, 2), lambda: Color.Red, Unit, lambda: tm.make_opaque("o"), lambda: tm.make_scratch(1)]


@pytest.mark.parametrize("make", INSTANCES)
def test_instances_have_no_attributes_and_no_weak_references(make):
    obj = make()
    with pytest.raises(AttributeError):
        obj.undeclared = 1
    assert not hasattr(obj, "__dict__")
    with pytest.raises(TypeError):
        weakref.ref(obj)
    assert not gc.is_tracked(obj)


def test_default_repr_names_builtins():
    assert repr(tm.make_scratch(1)).startswith("<builtins.Scratch object at 0x")


def test_type_attributes_can_be_set():
    Unit.extra = 1
    assert Unit().extra == 1
    del Unit.extra


@pytest.mark.parametrize("call", [lambda: Opaque(), lambda: Opaque(1, key=2)])
def test_class_without_constructor(call):
    error = error_of(call)
    assert type(error) is TypeError
    assert error.args == ("No constructor defined",)


def test_enumeration_members_are_single_instances_of_their_class():
    assert Color.Red is Color.Red
    assert type(Color.Red) is Color
    assert [repr(c) for c in (Color.Red, Color.Green, Color.Blue)] == ["Color.Red", "Color.Green", "Color.Blue"]
    assert [int(c) for c in (Color.Red, Color.Green, Color.Blue)] == [0, 1, 2]
    made = Color("Green")
    assert made == Color.Green and made is not Color.Green


def test_constructor_error_value_becomes_its_exception():
    error = error_of(lambda: Color("Purple"))
    assert type(error) is ValueError
    assert error.args == ("unknown color: 'Purple'",)


def test_instance_made_by_replaced_new_fails_the_type_check():
    # Scratch exists for this test: replacing __new__ stays for the rest of the process.
    assert error_of(Scratch).args == ("No constructor defined",)
    assert type(error_of(lambda: object.__new__(Toy))) is TypeError
    gc.collect()
    live = tm.live_toy_values()
    Scratch.__new__ = staticmethod(lambda cls: object.__new__(cls))
    hollow = Scratch()
    assert type(hollow) is Scratch
    for error in [error_of(hollow.number), error_of(functools.partial(getattr, hollow, "label"))]:
        assert type(error) is TypeError
        assert error.args == ("'Scratch' object cannot be converted to 'Scratch'",)
    assert tm.make_scratch(4).number() == 4
    del hollow
    gc.collect()
    assert tm.live_toy_values() == live


def test_calling_a_class_follows_a_replaced_new_or_init(run_python):
    # Calling a class skips the argument tuple while its own __new__ and object's __init__ are in
    # place; once either is replaced, the call is the interpreter's (__new__, then __init__).
    result = run_python(
        """
        import json
        from qzr_frame_testmod import Point
        seen = [[Point(1, 2).x, Point(1, y=2).y, Point(y=4, x=3).x]]
        calls = []
        Point.__init__ = lambda self, *args, **kwargs: calls.append([self.x, list(args), kwargs])
        made = Point(5, y=6)
        seen.append([made.x, made.y, calls])
        Point.__new__ = staticmethod(lambda cls, *args, **kwargs: ["new", list(args), kwargs])
        seen.append(Point(7, y=8))
        print(json.dumps(seen))
        """
    )
    assert result == [[1, 2, 3], [5, 6, [[5, [5], {"y": 6}]]], ["new", [7], {"y": 8}]]


# ---- kept cells and cached hashes -------------------------------------------------------------


def test_kept_cells_hold_new_values_and_class_references():
    # Point keeps 4 freed cells; each round makes more instances than that, so some cells are
    # reused and some come from the allocator. A reused cell must not show an earlier hash.
    gc.collect()
    before = sys.getrefcount(Point)
    for offset in range(3):
        points = [Point(i, offset) for i in range(10)]
        assert [(p.x, p.y, hash(p)) for p in points] == [(i, offset, 31 * i + offset) for i in range(10)]
        assert sys.getrefcount(Point) == before + len(points)
        del points
    moved = Point(1, 2).moved(3, 4)
    assert (moved.x, moved.y, hash(moved)) == (4, 6, 31 * 4 + 6)
    del moved
    gc.collect()
    assert sys.getrefcount(Point) == before


def test_kept_cells_of_instances_the_frame_never_built(run_python):
    # Scratch keeps 2 freed cells, also those of instances a replaced __new__ made without a value.
    result = run_python(
        """
        import gc, json, sys
        import qzr_frame_testmod as tm
        from qzr_frame_testmod import Scratch
        Scratch.__new__ = staticmethod(lambda cls: object.__new__(cls))
        gc.collect()
        live, references = tm.live_toy_values(), sys.getrefcount(Scratch)
        hollow = [Scratch() for _ in range(3)]
        del hollow
        made = [tm.make_scratch(n) for n in range(3)]
        seen = [[s.number() for s in made], tm.live_toy_values() - live]
        del made
        gc.collect()
        print(json.dumps(seen + [tm.live_toy_values() - live, sys.getrefcount(Scratch) - references]))
        """
    )
    assert result == [[0, 1, 2], 3, 0, 0]


@pytest.mark.parametrize(
    "change",
    [
        lambda x: setattr(x, "number", 9),
        lambda x: x.add(4),
        lambda x: x.absorb(Toy(4)),
    ],
)
def test_cached_hash_follows_every_change(change):
    x = Toy(5)
    assert hash(x) == hash(x) == 5
    change(x)
    assert hash(x) == x.number == 9


def test_cached_hash_is_refused_while_the_value_is_being_changed():
    x = Toy(5)
    assert hash(x) == 5
    error = error_of(lambda: x.add(Index(lambda: hash(x))))
    assert type(error) is RuntimeError and error.args == ("Already mutably borrowed",)
    assert hash(x) == x.number == 5


def test_failed_class_attribute_fill_is_retried():
    holder = types.ModuleType("holder")
    tm.set_flaky_attributes_fail(True)
    error = error_of(lambda: tm.add_class_named(holder, "Flaky"))
    assert type(error) is RuntimeError
    assert error.args == ("An error occurred while initializing class Flaky",)
    assert type(error.__cause__) is RuntimeError
    assert error.__cause__.args == ("An error occurred while initializing `Flaky.answer`",)
    assert type(error.__cause__.__cause__) is ValueError
    assert error.__cause__.__cause__.args == ("flaky attribute refused",)
    assert not hasattr(holder, "Flaky")

    tm.set_flaky_attributes_fail(False)
    tm.add_class_named(holder, "Flaky")
    flaky = holder.Flaky
    assert holder.__all__ == ["Flaky"]
    assert flaky.answer == 42
    assert type(flaky.itself) is flaky
    assert flaky.itself is flaky.itself
    assert flaky.itself.number == 7


def test_class_whose_type_cannot_be_built():
    holder = types.ModuleType("holder")
    for _ in range(2):  # nothing is cached after a failure
        error = error_of(lambda: tm.add_class_named(holder, "Broken"))
        assert type(error) is RuntimeError
        assert error.args == ("An error occurred while initializing class Broken",)
        assert type(error.__cause__) is ValueError
        assert error.__cause__.args == ("class doc cannot contain nul bytes",)
    assert not hasattr(holder, "__all__")


def test_class_attribute_the_type_refuses():
    holder = types.ModuleType("holder")
    for _ in range(2):  # the fill is repeated on the next request
        error = error_of(lambda: tm.add_class_named(holder, "BadAttribute"))
        assert error.args == ("An error occurred while initializing class BadAttribute",)
        assert type(error.__cause__) is RuntimeError
        assert error.__cause__.args == ("An error occurred while initializing `BadAttribute.__dict__`",)
        assert type(error.__cause__.__cause__) is TypeError


# ---- registration in modules ----------------------------------------------------------------------


class RefusingModule(types.ModuleType):
    """A module that refuses to set the attribute Unit."""

    def __setattr__(self, name, value):
        if name == "Unit":
            raise AttributeError("refused")
        super().__setattr__(name, value)


def nameless_module():
    module = types.ModuleType("nameless")
    del module.__name__
    return module


def module_named(name):
    module = types.ModuleType("placeholder")
    module.__name__ = name
    return module


def test_add_creates_all_then_appends_in_order():
    holder = types.ModuleType("holder")
    tm.add_class_named(holder, "Unit")
    tm.add_function(holder, len)
    tm.add_submodule(holder, types.ModuleType("child"))
    assert holder.__all__ == ["Unit", "len", "child"]
    assert holder.Unit is Unit and holder.len is len and holder.child.__name__ == "child"


def test_name_stays_in_all_when_setting_the_attribute_fails():
    holder = RefusingModule("holder")
    error = error_of(lambda: tm.add_class_named(holder, "Unit"))
    assert type(error) is AttributeError
    assert error.args == ("refused",)
    assert holder.__all__ == ["Unit"]


def test_all_that_is_not_a_list_is_a_fault(capfd):
    holder = types.ModuleType("holder")
    holder.__all__ = ("fixed",)
    error = error_of(lambda: tm.add_class_named(holder, "Unit"))
    assert type(error) is PanicException
    assert error.args[0].startswith("could not append __name__ to __all__")
    assert "could not append __name__ to __all__" in capfd.readouterr().err


REGISTRATION_ERRORS = [
    (lambda: tm.add_submodule(types.ModuleType("holder"), nameless_module()), SystemError, None),
    (lambda: tm.add_function(types.ModuleType("holder"), object()), AttributeError, None),
    (
        lambda: tm.add_submodule(types.ModuleType("holder"), module_named("bad\udc80name")),
        PanicException,
        "PyModule_GetName expected to return utf8",
    ),
]


@pytest.mark.parametrize("call, error_type, text", REGISTRATION_ERRORS)
def test_registration_errors(call, error_type, text, capfd):
    error = error_of(call)
    assert type(error) is error_type
    if text is not None:
        assert error.args == (text,)
    capfd.readouterr()


# ---- module entry ---------------------------------------------------------------------------------


MODULE_NAMES = ["Toy", "Point", "Color", "Unit", "Conversions", "Opaque", "Scratch", "Shade", "Level", "RawToy"]


def test_module_registers_classes_in_order():
    assert tm.__all__ == MODULE_NAMES
    assert [getattr(tm, name).__name__ for name in MODULE_NAMES] == MODULE_NAMES


def test_reimport_returns_the_same_module():
    import importlib

    root = sys.modules.pop("qzr_frame_testmod")
    try:
        again = importlib.import_module("qzr_frame_testmod")
        assert again is root
        assert again.__all__ == MODULE_NAMES
    finally:
        sys.modules["qzr_frame_testmod"] = root


def test_failed_module_build_keeps_earlier_steps_and_caches_nothing(run_python):
    result = run_python(
        """
        import importlib.machinery, importlib.util, json, sys
        path = importlib.util.find_spec("qzr_frame_testmod").origin
        loader = importlib.machinery.ExtensionFileLoader("qzr_frame_testmod_broken", path)
        spec = importlib.util.spec_from_loader("qzr_frame_testmod_broken", loader)
        attempts = []
        for _ in range(2):
            try:
                importlib.util.module_from_spec(spec)
                attempts.append(None)
            except RuntimeError as error:
                before = sys.modules.get("qzr_frame_testmod_broken.before")
                attempts.append([str(error), type(error.__cause__).__name__, str(error.__cause__),
                                 getattr(before, "__name__", None), id(before)])
        import qzr_frame_testmod
        print(json.dumps({"attempts": attempts, "toy": qzr_frame_testmod.Toy(2).number}))
        """
    )
    first, second = result["attempts"]
    expected = ["An error occurred while initializing class Broken", "ValueError", "class doc cannot contain nul bytes"]
    assert first[:3] == expected and second[:3] == expected
    assert first[3] == "before" and second[3] == "before"
    assert first[4] != second[4]  # the body ran again and entered a new submodule
    assert result["toy"] == 2
