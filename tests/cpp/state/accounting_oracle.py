"""The oracle of the accounting tests' tables: the inputs of every row, the expected values
recomputed with Python's `decimal`, and the C++ rows printed from them.

Run `python3 tests/cpp/state/accounting_oracle.py` to print the tables of
position_accounting_test.cpp, price_test.cpp and trading_fee_test.cpp (each table as it stands
between `cases[] = {` and its `};`); tests/python/test_accounting_oracle.py checks that the
committed tables are what this prints.

The arithmetic and the steps are tests/python/accounting_reference.py's, shared with pytest: each
step is recomputed in the same order of operations as the C++ code (e.g. increase:
n = avg x balance, m = price x amount, q = (n + m) / (balance + amount)). Exact results are
taken as they are; the 96-bit decimal model is imitated only where a result does not fit it: the
result is rounded half to even to the largest scale <= 28 whose mantissa is below 2^96, else the
operation's overflow message. A product with a zero factor is a zero of scale 0. Stored amounts
follow the recording rule: clamp the magnitude, round toward zero to 6 places, strip zeros.
"""

import decimal as std
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "python"))

from accounting_reference import (  # noqa: E402 (the arithmetic and the steps, shared with pytest)
    Fault,
    avg_pnl,
    bankruptcy_price,
    cross_over,
    decrease,
    increase,
    mark_price,
    recorded,
    text,
    trading_fee,
    unrealized_pnl,
)

CROSS_OVER_EMPTY = "cross_over_empty"  # the C++ table's name of that message
BANKRUPTCY_OF_EMPTY = "Bankruptcy price not applicable to empty position"


def increase_step(side, balance, avg_entry_price, price, amount):
    position, _ = increase(side, balance, avg_entry_price, price, amount)
    return (*position, std.Decimal(0))


def decrease_step(side, balance, avg_entry_price, price, amount):
    position, realized = decrease(side, balance, avg_entry_price, price, amount)
    return (*position, realized)


def cross_over_step(side, balance, avg_entry_price, price, amount):
    if side == "Empty":
        raise Fault(CROSS_OVER_EMPTY)
    position, realized = cross_over(side, balance, avg_entry_price, price, amount)
    return (*position, realized)


def bankruptcy_price_value(side, balance, avg_entry_price, x, y):
    if side == "Empty":
        raise Fault(BANKRUPTCY_OF_EMPTY)
    return bankruptcy_price(side, balance, x, y)


STEPS = {"Increase": increase_step, "Decrease": decrease_step, "CrossOver": cross_over_step}
VALUES = {
    "AvgPnl": lambda side, balance, avg, x, y: avg_pnl(side, avg, x),
    "UnrealizedPnl": lambda side, balance, avg, x, y: unrealized_pnl(side, balance, avg, x),
    "BankruptcyPrice": bankruptcy_price_value,
}


def quoted(value):
    return value if value == CROSS_OVER_EMPTY else f'"{value}"'


def step_row(step, side, balance, avg_entry_price, price, amount):
    """A row of PositionAccounting.StepsMatchTheRecomputation: the position is built recorded."""
    inputs = f'Step::{step}, PositionSide::{side}, "{balance}", "{avg_entry_price}", "{price}", "{amount}"'
    try:
        new_side, new_balance, new_avg, realized = STEPS[step](
            side, recorded(std.Decimal(balance)), recorded(std.Decimal(avg_entry_price)), std.Decimal(price),
            std.Decimal(amount))
    except Fault as fault:
        return f'{{{inputs}, {{}}, "", "", "", {quoted(str(fault))}}},'
    outputs = f'PositionSide::{new_side}, "{text(new_balance)}", "{text(new_avg)}", "{text(realized)}"'
    return f'{{{inputs}, {outputs}, ""}},'


def value_row(value, side, balance, avg_entry_price, x, y):
    """A row of PositionAccounting.ValuesMatchTheRecomputation."""
    inputs = f'Value::{value}, PositionSide::{side}, "{balance}", "{avg_entry_price}", "{x}", "{y}"'
    try:
        result = VALUES[value](side, recorded(std.Decimal(balance)), recorded(std.Decimal(avg_entry_price)),
                               std.Decimal(x), std.Decimal(y))
    except Fault as fault:
        return f'{{{inputs}, "", "{fault}"}},'
    return f'{{{inputs}, "{text(result)}", ""}},'


# ---- the mark price and the trading fee ----------------------------------------------------------


def mark_price_row(index_price, ema):
    """A row of Price.MarkPriceMatchesTheRecomputation: both inputs are recorded first."""
    result = mark_price(recorded(std.Decimal(index_price)), recorded(std.Decimal(ema)))
    return f'{{"{index_price}", "{ema}", "{text(result)}"}},'


def fee_row(side, amount, price):
    """A row of TradingFee.MatchesTheRecomputation: the inputs are taken as they are."""
    inputs = f'TradeSide::{side}, "{amount}", "{price}"'
    try:
        fee = trading_fee(side, std.Decimal(amount), std.Decimal(price))
    except Fault as fault:
        return f'{{{inputs}, "", "{fault}"}},'
    return f'{{{inputs}, "{text(fee)}", ""}},'


# ---- the tables ----------------------------------------------------------------------------------
# A string is a comment line of the table; a tuple is the arguments of the table's row maker.

STEP_ROWS = [
    "Worked examples.",
    ("Increase", "Empty", "0", "0", "105.1234567", "2"),
    ("Increase", "Long", "1", "100", "103", "1"),
    ("Increase", "Long", "1", "100", "103", "-1"),
    ("Decrease", "Long", "2", "100", "110", "2"),
    ("Decrease", "Long", "1", "100", "110", "0.9999999"),
    ("Decrease", "Short", "1", "100", "90", "3"),
    ("CrossOver", "Long", "1", "100", "90", "3"),
    ("CrossOver", "Empty", "0", "0", "90", "3"),
    "increase: repeating quotients recorded toward zero; negative and dust amounts; Empty keeps its side.",
    ("Increase", "Long", "3", "100", "101", "1"),
    ("Increase", "Long", "3", "100", "102", "3"),
    ("Increase", "Short", "0.333333", "99.999999", "100.123457", "0.666666"),
    ("Increase", "Short", "7", "1", "2", "-4"),
    ("Increase", "Long", "2", "100", "0", "1"),
    ("Increase", "Long", "-1", "100", "50", "3"),
    ("Increase", "Empty", "1.5", "7", "0.0000001", "-1.5"),
    ("Increase", "Empty", "0", "0", "-3.25", "1.0000009"),
    ("Increase", "Long", "1", "100", "103", "0.0000001"),
    "increase: products that only fit rounded, the largest recorded amount, overflow of a product and of the sum.",
    ("Increase", "Long", "79228162514264.337593", "1000000.123456", "1000000.123457", "1"),
    ("Increase", "Long", "79228162514264337593543.950335", "0", "0", "79228162514264337593543.950335"),
    ("Increase", "Long", "100000000000000000", "1000000000000", "1", "1"),
    ("Increase", "Long", "1", "1", "79228162514264337593543.950335", "1000000"),
    "n overflows before balance + amount does: the products come first.",
    ("Increase", "Long", "10000000000000000000000", "10000000", "1", "79228162514264337593543950335"),
    "decrease: partial, on Empty, beyond the balance only below the sixth place, zero and negative amounts.",
    ("Decrease", "Long", "2", "100.123456", "99.654321", "0.5"),
    ("Decrease", "Short", "2", "100.123456", "99.654321", "0.5"),
    ("Decrease", "Empty", "2", "100", "110", "2"),
    ("Decrease", "Long", "1", "100", "110", "1.0000001"),
    ("Decrease", "Long", "1", "100", "110", "0"),
    ("Decrease", "Short", "1", "100", "110", "-1"),
    "A balance pushed below the most negative recorded amount is recorded at it.",
    ("Decrease", "Short", "1", "100", "90", "79228162514264337593545"),
    ("Decrease", "Long", "79228162514264337593543.950335", "79228162514264337593543.950335",
     "-79228162514264337593543.950335", "2"),
    "cross_over: Short to Long, a price recorded toward zero, an amount below the balance, equal to it.",
    ("CrossOver", "Short", "2", "100", "110", "5"),
    ("CrossOver", "Long", "2", "100", "110.1234567", "1.5"),
    ("CrossOver", "Short", "1", "100", "110", "1"),
]

VALUE_ROWS = [
    "Worked examples.",
    ("BankruptcyPrice", "Short", "2", "0", "100", "50"),
    ("BankruptcyPrice", "Long", "2", "0", "100", "50"),
    ("BankruptcyPrice", "Empty", "2", "0", "100", "50"),
    ("AvgPnl", "Empty", "3", "100", "250", "0"),
    ("UnrealizedPnl", "Empty", "3", "100", "250", "0"),
    "Profit and loss keep the scale the arithmetic gives.",
    ("AvgPnl", "Long", "3", "100.5", "99.25", "0"),
    ("AvgPnl", "Short", "3", "100.5", "99.25", "0"),
    ("AvgPnl", "Long", "3", "100", "100.000", "0"),
    ("UnrealizedPnl", "Long", "1.5", "2000", "2100.10", "0"),
    ("UnrealizedPnl", "Short", "1.5", "2000", "2100.10", "0"),
    ("UnrealizedPnl", "Short", "0", "2000", "2100.10", "0"),
    ("UnrealizedPnl", "Long", "0.000001", "0.000001", "0.0000019", "0"),
    "Bankruptcy price: a repeating quotient at full precision, zero value, zero and negative balances.",
    ("BankruptcyPrice", "Long", "3", "0", "100", "10"),
    ("BankruptcyPrice", "Short", "3", "0", "100.5", "-10"),
    ("BankruptcyPrice", "Long", "2", "0", "100", "0"),
    ("BankruptcyPrice", "Short", "-2", "0", "100", "50"),
    ("BankruptcyPrice", "Long", "0", "0", "100", "10"),
    ("BankruptcyPrice", "Long", "0.000001", "0", "1", "79228162514264337593543950335"),
]

MARK_PRICE_ROWS = [
    "Worked examples: the cap on both sides, a result rounded toward zero (not 124.074073), a",
    "bound below the sixth place, the caps swapped by a negative index price.",
    ("100", "1"),
    ("100", "0.3"),
    ("100", "-1"),
    ("100", "-0.2"),
    ("100", "0"),
    ("123.456789", "10"),
    ("0.000001", "1"),
    ("-100", "1"),
    ("-100", "-1"),
    "ema exactly at the bound; negative sums rounded toward zero; a zero index caps every ema.",
    ("100", "0.5"),
    ("100", "-0.5"),
    ("-123.456789", "-10"),
    ("-123.456789", "0.1"),
    ("0", "5"),
    ("0", "-5"),
    ("2000.123456", "-0.000001"),
    ("99999.999999", "1000"),
    "The largest recorded index price: the sum is clamped back by the recording rule.",
    ("79228162514264337593543.950335", "1000000000000000000000"),
]

FEE_ROWS = [
    "Worked examples.",
    ("Maker", "2", "1500.5"),
    ("Taker", "2", "1500.5"),
    ("Taker", "0", "100"),
    ("Taker", "-2", "1500.5"),
    ("Taker", "1", "1"),
    ("Taker", "1000000000000000", "100000000000000"),
    ("Maker", "1000000000000000", "100000000000000"),
    "Scales add up; the maker's zero has scale 0 whatever the notional.",
    ("Taker", "1.000", "3"),
    ("Maker", "-2", "1500.5"),
    "Beyond scale 28: the fee rounds to a zero of scale 28; a notional that rounds to zero",
    "makes the fee a zero of scale 0.",
    ("Taker", "0.0000000000001", "0.00000000000001"),
    ("Taker", "0.5", "0.000000000000000000000000003"),
    ("Taker", "0.00000000000001", "0.000000000000001"),
    "Beyond 96 bits of mantissa: the scale is lowered with rounding instead.",
    ("Taker", "79228162514264337593543.950335", "1"),
    ("Taker", "281474976710655", "281474976710655"),
]

# Per test file (beside this one), its tables in the order they appear there.
TABLES = {
    "position_accounting_test.cpp": [(step_row, STEP_ROWS), (value_row, VALUE_ROWS)],
    "price_test.cpp": [(mark_price_row, MARK_PRICE_ROWS)],
    "trading_fee_test.cpp": [(fee_row, FEE_ROWS)],
}

INDENT = " " * 6


def table_lines(make_row, rows):
    return [INDENT + ("// " + row if isinstance(row, str) else make_row(*row)) for row in rows]


def generated():
    """{test file name: [its tables, each a list of lines]}."""
    return {name: [table_lines(*table) for table in tables] for name, tables in TABLES.items()}


def committed(path):
    """The tables of a C++ test file: the lines between each `cases[] = {` and its `};`, without
    the clang-format switches."""
    tables, current = [], None
    for line in Path(path).read_text(encoding="utf-8").splitlines():
        if current is None:
            if line.rstrip().endswith("cases[] = {"):
                current = []
        elif line.strip() == "};":
            tables.append(current)
            current = None
        elif not line.strip().startswith("// clang-format"):
            current.append(line)
    return tables


def main():
    for name, tables in generated().items():
        for number, lines in enumerate(tables, 1):
            print(f"// {name}, table {number}")
            print("\n".join(lines))
    return 0


if __name__ == "__main__":
    sys.exit(main())
