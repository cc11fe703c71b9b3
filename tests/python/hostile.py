"""Arguments that attack the frame from inside a conversion: Python code that runs while the
module converts an argument (`__index__`, `__float__`) and drops the caller's references."""

import gc
import os


def clear_dicts_holding(obj):
    """Empties every dict that refers to `obj`, the call's keyword dict included."""
    for referrer in gc.get_referrers(obj):
        if isinstance(referrer, dict):
            referrer.clear()


class Logged:
    """Appends "del" to `events` when it is destroyed."""

    def __init__(self, events):
        self.events = events

    def __del__(self):
        self.events.append("del")


class IndexEmptiesKeywords(Logged):
    """Its __index__ empties every dict holding it, logs "index", then raises a new `outcome`
    when that is an exception class (a new one: a kept exception's traceback would refer back to
    the object) and returns it otherwise; its __float__ logs "float" and returns 1.5."""

    def __init__(self, events, outcome):
        super().__init__(events)
        self.outcome = outcome

    def __index__(self):
        clear_dicts_holding(self)
        self.events.append("index")
        if isinstance(self.outcome, type) and issubclass(self.outcome, BaseException):
            raise self.outcome("raised by __index__")
        return self.outcome

    def __float__(self):
        self.events.append("float")
        return 1.5


class LoggedList(Logged, list):
    """A list that logs "del" when it is destroyed."""

    def __init__(self, events, items):
        Logged.__init__(self, events)
        list.__init__(self, items)


class LoggedIndex(Logged):
    """An integer argument that logs "del" when it is destroyed."""

    def __init__(self, events, value):
        super().__init__(events)
        self.value = value

    def __index__(self):
        return self.value


class CustomBaseException(BaseException):
    pass


# Errors that do not derive from Exception: a conversion must raise them as they are, never
# take them for a failed conversion step.
NOT_EXCEPTIONS = [KeyboardInterrupt, SystemExit, GeneratorExit, CustomBaseException]


def raising_in(method, error, base=object):
    """An instance of a `base` subclass whose special method `method` raises a new `error`."""

    def special(self, *args):
        raise error("raised by " + method)

    return type("Raising", (base,), {method: special})()


# The address-space limit below cannot work under AddressSanitizer, which reserves terabytes.
UNDER_ASAN = "libasan" in os.environ.get("LD_PRELOAD", "")

BIG_SIZE = 200_000_000


def no_room_for_a_copy_of(expression):
    """A prelude for a child process: `big` is the value of `expression`, and the address space
    is then limited to 64 MiB more than is in use, so that no copy of `big` can be made."""
    return f"""
import resource
big = {expression}
with open("/proc/self/status") as status:
    in_use = next(int(line.split()[1]) * 1024 for line in status if line.startswith("VmSize:"))
resource.setrlimit(resource.RLIMIT_AS, (in_use + 2**26, in_use + 2**26))
"""
