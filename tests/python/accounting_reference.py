"""The accounting steps restated with Python's `decimal`, in the same order of operations, as an
independent reference for the module's arithmetic (test_accounting.py, test_market_records.py,
and the C++ tests' tables printed by tests/cpp/state/accounting_oracle.py).

Every function takes and returns `decimal.Decimal` values computed in an exact context, and
follows the number model where it differs from Python's own rules:
- a result that does not fit the 96-bit model (mantissa below 2^96, scale 0 to 28) is rounded
  half to even to the largest scale that fits, else the operation's overflow message is raised
  as `Fault`; a zero divisor raises Fault("Division by zero");
- a product with a zero factor is a plain zero of scale 0 (Python keeps the exponent sum);
- amounts stored in a record are recorded: clamped to the largest 6-place value, rounded toward
  zero to 6 places, trailing zeros stripped, never a negative zero.
"""

import decimal as std

# Exact for the operands of these tests: nothing is rounded by the context. Every operation names
# this context, never the thread's default.
EXACT = std.Context(prec=200, Emax=999999, Emin=-999999, traps=[std.InvalidOperation, std.DivisionByZero])
MANTISSA_LIMIT = 2**96
MAX_SCALE = 28

RECORDED_MAX = std.Decimal("79228162514264337593543.950335")
TAKER_FEE_RATE = std.Decimal("0.002")
MAKER_FEE_RATE = std.Decimal("0")
MARK_PRICE_BOUND = std.Decimal("0.005")


def text(value):
    """The model's text of a value: plain notation, the scale kept."""
    return format(value, "f")


class Fault(Exception):
    """A fault of the module's arithmetic; its message is the fault's text."""


def fit(value, overflow):
    """The exact `value` as the 96-bit model holds it, or Fault(`overflow`)."""
    scale = min(max(0, -value.as_tuple().exponent), MAX_SCALE)
    while True:
        rounded = value.quantize(std.Decimal(1).scaleb(-scale), rounding=std.ROUND_HALF_EVEN, context=EXACT)
        if abs(int(rounded.scaleb(scale, context=EXACT))) < MANTISSA_LIMIT:
            return rounded
        if scale == 0:
            raise Fault(overflow)
        scale -= 1


def mul(a, b):
    if a.is_zero() or b.is_zero():
        return std.Decimal(0)
    return fit(EXACT.multiply(a, b), "Multiplication overflowed")


def add(a, b):
    return fit(EXACT.add(a, b), "Addition overflowed")


def sub(a, b):
    return fit(EXACT.subtract(a, b), "Subtraction overflowed")


def div(a, b):
    if b.is_zero():
        raise Fault("Division by zero")
    return fit(EXACT.divide(a, b), "Division overflowed")


def recorded(value):
    """round_recorded_decimal: clamp, toward zero to 6 places, strip trailing zeros."""
    value = max(min(value, RECORDED_MAX), EXACT.minus(RECORDED_MAX))
    if value.as_tuple().exponent < -6:
        value = value.quantize(std.Decimal("1e-6"), rounding=std.ROUND_DOWN, context=EXACT)
    if value.is_zero():
        return std.Decimal(0)
    value = value.normalize(EXACT)
    # normalize() writes 100 as 1E+2: bring integers back to scale 0.
    return value.quantize(std.Decimal(1), context=EXACT) if value.as_tuple().exponent > 0 else value


def trading_fee(side, amount, price):
    rate = TAKER_FEE_RATE if side == "Taker" else MAKER_FEE_RATE
    notional = mul(amount, price)
    return mul(notional, rate)


def avg_pnl(side, avg_entry_price, ref_price):
    if side == "Long":
        return sub(ref_price, avg_entry_price)
    if side == "Short":
        return sub(avg_entry_price, ref_price)
    return std.Decimal(0)


def unrealized_pnl(side, balance, avg_entry_price, ref_price):
    return mul(avg_pnl(side, avg_entry_price, ref_price), balance)


def increase(side, balance, avg_entry_price, price, amount):
    """(side, balance, avg_entry_price) after the step, and the unrounded quotient (None for Empty)."""
    if side == "Empty":
        return (side, recorded(add(balance, amount)), recorded(price)), None
    n = mul(avg_entry_price, balance)
    m = mul(price, amount)
    q = div(add(n, m), add(balance, amount))
    return (side, recorded(add(balance, amount)), recorded(q)), q


def decrease(side, balance, avg_entry_price, price, amount):
    """((side, balance, avg_entry_price) after the step, realized)."""
    realized = mul(amount, avg_pnl(side, avg_entry_price, price))
    new_balance = recorded(sub(balance, amount))
    new_side = "Empty" if new_balance.is_zero() else side
    return (new_side, new_balance, avg_entry_price), realized


def cross_over(side, balance, avg_entry_price, price, amount):
    realized = unrealized_pnl(side, balance, avg_entry_price, price)
    other = {"Long": "Short", "Short": "Long"}[side]
    return (other, recorded(sub(amount, balance)), recorded(price)), realized


def bankruptcy_price(side, balance, mark_price, account_total_value):
    s = std.Decimal(1) if side == "Long" else std.Decimal(-1)
    p = mul(s, div(account_total_value, balance))
    return sub(mark_price, p)


def mark_price(index_price, ema):
    if ema.is_signed():
        bound = mul(EXACT.minus(MARK_PRICE_BOUND), index_price)
        t = max(ema, bound)
    else:
        bound = mul(MARK_PRICE_BOUND, index_price)
        t = min(ema, bound)
    return recorded(add(index_price, t))
