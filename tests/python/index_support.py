"""Integer-like arguments, shared by the tests of number arguments and of comparisons with integers:
objects that are integers only through the index protocol (`__index__`), and an IntEnum."""

import enum


class Indexable:
    """An object that converts to the integer `value` only through __index__."""

    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value

    def __repr__(self):
        return f"Indexable({self.value!r})"


class Number(enum.IntEnum):
    ZERO = 0
    ONE = 1
    TWO = 2
