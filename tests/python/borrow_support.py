"""Borrows held from the test side, shared by the tests of record classes, the accounting and the
enumeration classes: the frame test module sets an instance's borrow flag the way a call in
progress would."""

import qzr_frame_testmod as tm


class held_borrow:
    """Holds a borrow of an instance of a frame class the way a call in progress would: the borrow
    flag is `flag` inside the block (n > 0: n shared borrows, -1: exclusive) and 0 again after it."""

    def __init__(self, obj, flag):
        self.obj = obj
        self.value = flag

    def __enter__(self):
        assert tm.swap_borrow_flag(self.obj, self.value) == 0

    def __exit__(self, *exc):
        tm.swap_borrow_flag(self.obj, 0)
