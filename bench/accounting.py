"""Position accounting and trading fees from Python: qzr_python's Position and TradeSide against
the same steps written in Python with the standard library's decimal.

The peer holds a position as a plain tuple (side, balance, avg_entry_price) and computes each
step in the same order of operations, recording stored amounts the same way (6 places toward
zero, trailing zeros stripped). Both sides get the same operand values, and each repeat of our
call is timed right after a repeat of the peer's, in the same process. Every figure is the median
over `--repeats` runs of `timeit` with `--number` executions of the statement each.
The goal is a ratio ours/peer of at most 0.5 for every row.

Run: PYTHONPATH=<build>/python python3 bench/accounting.py [--repeats 15] [--number 100000]
"""

import decimal
import sys

import peer_table
from qzr_python.common.enums import PositionSide, TradeSide
from qzr_python.common.state import Position
from qzr_python.decimal import Decimal

NUMBER = 100_000
GOAL = 0.5

# A long position of 1.25 units at 2000.5, traded at 2010.25.
BALANCE, AVG_ENTRY_PRICE, PRICE, AMOUNT = "1.25", "2000.5", "2010.25", "0.75"

# The peer: stdlib decimals in a context wide enough that none of these steps is rounded.
CONTEXT = decimal.Context(prec=60)
decimal.setcontext(CONTEXT)
MILLIONTH = decimal.Decimal("0.000001")
ZERO = decimal.Decimal(0)
TAKER_RATE = decimal.Decimal("0.002")
MAKER_RATE = decimal.Decimal(0)


def recorded(value):
    """6 places toward zero, trailing zeros stripped, integers at scale 0."""
    value = value.quantize(MILLIONTH, rounding=decimal.ROUND_DOWN).normalize()
    return value.quantize(1) if value.as_tuple().exponent > 0 else value


def avg_pnl(position, price):
    side, _, avg_entry_price = position
    if side == "Long":
        return price - avg_entry_price
    if side == "Short":
        return avg_entry_price - price
    return ZERO


def unrealized_pnl(position, price):
    return avg_pnl(position, price) * position[1]


def increase(position, price, amount):
    side, balance, avg_entry_price = position
    if side == "Empty":
        return (side, recorded(balance + amount), recorded(price)), ZERO
    q = (avg_entry_price * balance + price * amount) / (balance + amount)
    return (side, recorded(balance + amount), recorded(q)), ZERO


def decrease(position, price, amount):
    side, balance, avg_entry_price = position
    realized = amount * avg_pnl(position, price)
    new_balance = recorded(balance - amount)
    return ("Empty" if new_balance.is_zero() else side, new_balance, avg_entry_price), realized


def trading_fee(side, amount, price):
    return amount * price * (TAKER_RATE if side == "Taker" else MAKER_RATE)


def namespaces():
    """The names the timed statements use, bound once to our objects and once to the peer's."""
    ours = {
        "p": Position(PositionSide.Long, BALANCE, AVG_ENTRY_PRICE),
        "price": Decimal(PRICE),
        "amount": Decimal(AMOUNT),
        "taker": TradeSide.Taker,
    }
    theirs = {
        "p": ("Long", decimal.Decimal(BALANCE), decimal.Decimal(AVG_ENTRY_PRICE)),
        "price": decimal.Decimal(PRICE),
        "amount": decimal.Decimal(AMOUNT),
        "increase": increase,
        "decrease": decrease,
        "unrealized_pnl": unrealized_pnl,
        "trading_fee": trading_fee,
    }
    return ours, theirs


# (name, our statement, the peer's statement)
CASES = [
    ("increase", "p.increase(price, amount)", "increase(p, price, amount)"),
    ("decrease", "p.decrease(price, amount)", "decrease(p, price, amount)"),
    ("unrealized_pnl", "p.unrealized_pnl(price)", "unrealized_pnl(p, price)"),
    ("trading_fee", "taker.trading_fee(amount, price)", "trading_fee('Taker', amount, price)"),
]


def texts(result):
    """Comparable texts of a result: a Decimal, or a (position, Decimal) pair of either side."""
    if isinstance(result, tuple) and len(result) == 2:
        position, realized = result
        if isinstance(position, Position):
            side = {0: "Empty", 1: "Long", 2: "Short"}[int(position.side)]
            position = (side, position.balance, position.avg_entry_price)
        return [str(value) for value in position] + [str(realized)]
    return [str(result)]


def check_same_results():
    """A benchmark that computes something else than its peer measures nothing: compare first."""
    ours_names, theirs_names = namespaces()
    for name, ours, theirs in CASES:
        mine, peer = texts(eval(ours, ours_names)), texts(eval(theirs, theirs_names))
        if mine != peer:
            sys.exit(f"{name}: ours gives {mine}, the peer {peer}")


def main():
    args = peer_table.arguments(__doc__.splitlines()[0], NUMBER)
    check_same_results()
    peer_table.print_table(CASES, namespaces(), args, GOAL, "peer")


if __name__ == "__main__":
    main()
