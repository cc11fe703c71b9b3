"""Helpers shared by the frame's tests (test_frame.py, test_frame_classes.py)."""

import pytest

import qzr_frame_testmod as tm
from qzr_frame_testmod import Toy

PanicException = tm.panic_exception()


class Index:
    """An int-like argument whose __index__ runs `action` (a callable or an exception)."""

    def __init__(self, action):
        self.action = action

    def __index__(self):
        if isinstance(self.action, BaseException):
            raise self.action
        return self.action()


class UnprintableText:
    def __str__(self):
        raise ValueError("no text")


class CountingMeta(type):
    """Counts reads of __qualname__, the name the frame's conversion error uses."""

    reads = 0

    def __getattribute__(cls, name):
        if name == "__qualname__":
            CountingMeta.reads += 1
        return type.__getattribute__(cls, name)


class Counted(metaclass=CountingMeta):
    pass


class NamelessMeta(type):
    def __getattribute__(cls, name):
        if name == "__qualname__":
            raise AttributeError("no qualname")
        return type.__getattribute__(cls, name)


class Nameless(metaclass=NamelessMeta):
    pass


def toy():
    return Toy(3, "toy", [1, 2, 3])


def raise_type_error_with_cause():
    try:
        raise ValueError("root cause")
    except ValueError as cause:
        raise TypeError("bad index") from cause


def error_of(call):
    try:
        call()
    except BaseException as error:  # noqa: B902 - PanicException is a BaseException
        return error
    pytest.fail("no exception raised")
