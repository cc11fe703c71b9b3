"""The module entry and the module tree of qzr_python: __all__ lists, sys.modules entries,
re-import, the exception types and the refusal of a second interpreter.

TREE is the whole tree: each module's exact __all__.
"""

import importlib
import json
import os
import subprocess
import sys
import textwrap

import pytest

import qzr_python

# The whole tree: each module's members in registration order.
TREE = {
    "qzr_python": ["decimal", "h256", "common"],
    "qzr_python.decimal": ["Decimal", "DecimalError"],
    "qzr_python.h256": ["H256", "H256Error"],
    "qzr_python.common": [
        "requests", "enums", "state", "transactions", "get_operator_context",
        "ProductSymbol", "TokenSymbol", "OperatorContext", "QzrCommonError",
    ],
    "qzr_python.common.requests": [
        "AdvanceEpoch", "AdvanceTime", "AdvanceSettlementEpoch", "Block", "IndexPrice",
        "MintPriceCheckpoint", "SettlementAction", "intents",
    ],
    "qzr_python.common.requests.intents": [
        "OrderIntent", "CancelOrderIntent", "CancelAllIntent", "ProfileUpdateIntent", "WithdrawIntent",
        "WithdrawQZRIntent", "InsuranceFundWithdrawIntent",
    ],
    "qzr_python.common.enums": ["OrderSide", "OrderType", "PositionSide", "TradeSide", "PriceDirection"],
    "qzr_python.common.state": [
        "ItemKind", "Item", "SpecsKind", "VelmarindSMT", "MerkleProof", "Balance", "Trader", "Strategy",
        "Position", "BookOrder", "Price", "InsuranceFund", "Stats", "Signer", "Specs",
        "InsuranceFundContribution", "FeePool", "EpochMetadata", "keys",
    ],
    "qzr_python.common.state.keys": [
        "TraderKey", "StrategyKey", "PositionKey", "BookOrderKey", "PriceKey", "InsuranceFundKey", "StatsKey",
        "SignerKey", "SpecsKey", "InsuranceFundContributionKey", "FeePoolKey", "EpochMetadataKey",
    ],
    "qzr_python.common.transactions": ["StrategyUpdateKind", "InsuranceFundUpdateKind", "TraderUpdateKind"],
}


SUBMODULES = [name for name in TREE if name != "qzr_python"]

# The modules that have a docstring; the others have none.
DOCSTRINGS = {"qzr_python": "Bindings and utilities of the exchange's data model for Python."}

EXCEPTIONS = [
    # (module path, attribute, __module__)
    ("qzr_python.common", "QzrCommonError", "qzr_common"),
    ("qzr_python.decimal", "DecimalError", "decimal"),
    ("qzr_python.h256", "H256Error", "h256"),
]


def short_name(dotted):
    return dotted.rsplit(".", 1)[-1]


def module_at(dotted):
    module = qzr_python
    for part in dotted.split(".")[1:]:
        module = getattr(module, part)
    return module


@pytest.mark.parametrize("dotted", list(TREE))
def test_all_lists_the_members_in_registration_order(dotted):
    module = module_at(dotted)
    assert getattr(module, "__all__", []) == TREE[dotted]  # created on the first registration
    for name in TREE[dotted]:
        assert hasattr(module, name)


@pytest.mark.parametrize("dotted", list(TREE))
def test_every_submodule_is_registered_in_its_parent(dotted):
    children = [name for name in TREE[dotted] if f"{dotted}.{name}" in TREE]
    registered = getattr(module_at(dotted), "__all__", [])
    assert [name for name in registered if name in children] == children
    for child in children:
        assert getattr(module_at(dotted), child) is module_at(f"{dotted}.{child}")


@pytest.mark.parametrize("dotted", list(TREE))
def test_sys_modules_entries(dotted):
    module = sys.modules[dotted]
    assert module is module_at(dotted)
    assert module.__name__ == short_name(dotted)
    assert module.__doc__ == DOCSTRINGS.get(dotted)


def test_sys_modules_holds_nothing_else_of_the_tree():
    entered = sorted(name for name in sys.modules if name.startswith("qzr_python."))
    assert entered == sorted(SUBMODULES)


@pytest.mark.parametrize("dotted", SUBMODULES)
def test_dotted_names_import_through_sys_modules(dotted):
    assert importlib.import_module(dotted) is module_at(dotted)


def test_from_import_of_nested_submodules():
    from qzr_python.common.requests import intents
    from qzr_python.common.state import keys

    assert intents is sys.modules["qzr_python.common.requests.intents"]
    assert keys is sys.modules["qzr_python.common.state.keys"]


def test_reimport_returns_the_same_root_without_running_the_body_again():
    before = {dotted: list(getattr(module_at(dotted), "__all__", [])) for dotted in TREE}
    root = sys.modules.pop("qzr_python")
    try:
        again = importlib.import_module("qzr_python")
        assert again is root
        assert {dotted: list(getattr(module_at(dotted), "__all__", [])) for dotted in TREE} == before
    finally:
        sys.modules["qzr_python"] = root


@pytest.mark.parametrize("path, name, module", EXCEPTIONS)
def test_exception_types(path, name, module):
    error_type = getattr(module_at(path), name)
    assert issubclass(error_type, Exception)
    assert error_type.__bases__ == (Exception,)
    assert error_type.__doc__ is None
    assert error_type.__module__ == module
    assert error_type.__name__ == name
    assert error_type.__qualname__ == name
    assert name in module_at(path).__all__


def test_operator_context_function():
    common = qzr_python.common
    function = common.get_operator_context
    assert function.__text_signature__ == "()"
    assert function.__doc__ is None
    assert function.__module__ == "common"
    assert function.__self__ is common


def run_child(code, **environment):
    """Runs `code` in a fresh interpreter (a variable set to None is removed); returns its last line."""
    env = {**os.environ, **environment}
    env = {key: value for key, value in env.items() if value is not None}
    completed = subprocess.run(
        [sys.executable, "-c", textwrap.dedent(code)], capture_output=True, text=True, timeout=120, env=env
    )
    assert completed.returncode == 0, completed.stderr
    return completed.stdout.strip().splitlines()[-1]


SUBINTERPRETER = """
import os, sys
try:
    from _testcapi import run_in_subinterp as run
except ImportError:
    try:
        import _xxsubinterpreters as interpreters
    except ImportError:
        print("skip")
        sys.exit(0)

    def run(code):
        interpreter = interpreters.create()
        try:
            interpreters.run_string(interpreter, code)
        finally:
            interpreters.destroy(interpreter)
read_end, write_end = os.pipe()
snippet = '''
import os
try:
    import qzr_python
    outcome = "imported"
except ImportError as error:
    outcome = "ImportError: " + str(error)
os.write({fd}, outcome.encode())
'''.format(fd=write_end)
{order}
os.close(write_end)
print(os.read(read_end, 4096).decode())
"""


# From CPython 3.13 on, when a second interpreter imports a module of single-phase init, the
# interpreter runs the module's init function in the main interpreter first and then again in the
# second one: the main interpreter is the first importer, so the second interpreter is refused
# even though it asked first, and the main interpreter's own import succeeds.
INIT_RUNS_IN_MAIN_INTERPRETER_FIRST = sys.version_info >= (3, 13)


@pytest.mark.parametrize(
    "order, expected_start, expected_end",
    [
        # the main interpreter imports first: the second interpreter is refused
        ("import qzr_python\nrun(snippet)", "ImportError: ", ""),
        # a second interpreter imports first: the main interpreter is refused afterwards (before 3.13)
        (
            "run(snippet)\n"
            "try:\n"
            "    import qzr_python\n"
            "    os.write(write_end, b' main imported')\n"
            "except ImportError as error:\n"
            "    os.write(write_end, (' main ImportError: ' + str(error)).encode())",
            *(("ImportError: ", " main imported") if INIT_RUNS_IN_MAIN_INTERPRETER_FIRST
              else ("imported main ImportError: ", "")),
        ),
    ],
    ids=["main first", "second interpreter first"],
)
def test_second_interpreter_is_refused(order, expected_start, expected_end):
    outcome = run_child(SUBINTERPRETER.replace("{order}", order))
    if outcome == "skip":
        pytest.skip("neither _testcapi nor _xxsubinterpreters can run a second interpreter")
    assert outcome.startswith(expected_start) and outcome.endswith(expected_end)
    assert "first imported by another interpreter" in outcome


def test_panic_exception_type():
    # Without QZR_SHARE the first context read faults (in a child: the context is read once).
    outcome = run_child(
        """
        import json
        from qzr_python.common import get_operator_context
        try:
            get_operator_context()
        except BaseException as error:
            kind = type(error)
            doc = kind.__doc__
            print(json.dumps([kind.__module__, kind.__qualname__, [base.__name__ for base in kind.__bases__],
                              doc.startswith("\\n") and doc.endswith("\\n"), isinstance(error, Exception),
                              len(error.args)]))
        """,
        QZR_SHARE=None,
    )
    assert json.loads(outcome) == ["pyo3_runtime", "PanicException", ["BaseException"], True, False, 1]
