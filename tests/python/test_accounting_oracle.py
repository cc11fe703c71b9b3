"""The accounting tables of the C++ tests are what their committed oracle prints: every expected
value there was recomputed with Python's `decimal` (tests/cpp/state/accounting_oracle.py), and a
table edited by hand, or an oracle changed without its tables, fails here."""

import decimal
import importlib.util
from pathlib import Path

import pytest

import accounting_reference as ref

STATE_TESTS = Path(__file__).resolve().parents[1] / "cpp" / "state"


def load_oracle():
    spec = importlib.util.spec_from_file_location("accounting_oracle", STATE_TESTS / "accounting_oracle.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


oracle = load_oracle()


@pytest.mark.parametrize("name", sorted(oracle.TABLES))
def test_committed_tables_are_the_oracles(name):
    assert oracle.committed(STATE_TESTS / name) == oracle.generated()[name]


@pytest.mark.parametrize(
    "index_price, ema, expected",
    [
        # Amounts set field by field, not recorded (Price.MarkPriceOfAmountsBuiltFieldByField).
        ("79228162514264337593543950335", "1000000000000000000000000000", "Addition overflowed"),
        ("79228162514264337593543950335", "-1", "79228162514264337593543.950335"),
        ("100", "-0", "100"),
    ],
)
def test_mark_price_of_unrecorded_amounts(index_price, ema, expected):
    try:
        result = ref.text(ref.mark_price(decimal.Decimal(index_price), decimal.Decimal(ema)))
    except ref.Fault as fault:
        result = str(fault)
    assert result == expected


@pytest.mark.parametrize(
    "value, scale_and_text",
    [
        # Fits as it is; rounded half to even to the largest scale that fits; zeros keep a scale up to 28.
        ("79228162514264337593543950335", "79228162514264337593543950335"),
        ("7.92281625142643375935439503355", "7.922816251426433759354395034"),
        ("0.00000000000000000000000000005", "0.0000000000000000000000000000"),
        ("0.00000000000000000000000000015", "0.0000000000000000000000000002"),
        ("79228162514264337593543950336", "overflow"),
    ],
)
def test_the_reference_fits_results_to_the_model(value, scale_and_text):
    try:
        result = ref.text(ref.fit(decimal.Decimal(value), "overflow"))
    except ref.Fault as fault:
        result = str(fault)
    assert result == scale_and_text
