"""The application context from Python: get_operator_context, OperatorContext, and every rule of
the context's build (environment, addresses file, once per process) that Python can observe.

Each test that reads the context runs in a fresh interpreter (app_context_support), since the
context is built once per process."""

import json

import pytest

import qzr_python.common
from app_context_support import (
    SNAPSHOT_CONTRACT,
    SNAPSHOT_DEPLOYMENT,
    run_with_context,
    write_addresses,
)
from qzr_python.common import OperatorContext, get_operator_context

OPERATOR_CONTEXT_DOC = (
    "Holds application-layer environment information\n\nInformation in here as analogous to something like "
    "the operating system locale, but at the application layer.\nIn the git application for instance, such "
    "context includes name and email.\nStoring this information globally saves us the noise of repeating the "
    "same informational arguments\nin multiple functions throughout the application.\n\nThis does NOT include "
    "logic inputs of individual units like configuration parameters (like db credentials),\nbusiness rules "
    "(like epoch sizes), etc. We capture these in `TrustedContext` and `NodeContext`, and\npass them "
    "explicitly to individual components (in the name of functional testability).\n\nThis information does "
    "not impact logic routes (testability)"
)

# Reads the context once and reports the outcome.
READ_CONTEXT = """
from qzr_python.common import get_operator_context
def read():
    context = get_operator_context()
    return [context.chain_id, context.contract_address]
print(json.dumps(outcome(read)))
"""


def deployment(chain_id, contract="0x" + "11" * 20, **extra):
    """A deployment object with distinct addresses; `extra` adds or replaces top-level keys."""
    value = {
        "addresses": {"velmarindAddress": contract, "qzrAddress": "0x" + "33" * 20, "usdcAddress": "0x" + "44" * 20},
        "chainId": chain_id,
    }
    value.update(extra)
    return value


# ---- the function and the class, without reading the context ------------------------------------


def test_function_object():
    assert get_operator_context.__name__ == "get_operator_context"
    assert get_operator_context.__text_signature__ == "()"
    assert get_operator_context.__doc__ is None
    assert get_operator_context.__module__ == "common"
    assert get_operator_context.__self__ is qzr_python.common
    assert qzr_python.common.__all__.index("get_operator_context") < qzr_python.common.__all__.index("TokenSymbol")
    with pytest.raises(TypeError, match=r"takes no arguments \(1 given\)"):
        get_operator_context(1)


def test_class_cannot_be_made_from_python():
    assert OperatorContext.__doc__ == OPERATOR_CONTEXT_DOC
    assert OperatorContext.__text_signature__ is None
    with pytest.raises(TypeError, match="^No constructor defined$"):
        OperatorContext()
    with pytest.raises(TypeError):
        type("Derived", (OperatorContext,), {})


# ---- successful builds ---------------------------------------------------------------------


def test_defaults_and_attributes(tmp_path):
    # CHAIN_ID and CONTRACT_DEPLOYMENT unset: chain 1337, deployment "snapshot"; the contract
    # address is printed in lower case whatever case the file used.
    write_addresses(tmp_path, {"snapshot": SNAPSHOT_DEPLOYMENT, "other": deployment(1)})
    result = run_with_context(
        """
        from qzr_python.common import get_operator_context, OperatorContext
        first = get_operator_context()
        second = get_operator_context()
        print(json.dumps({
            "chain_id": first.chain_id,
            "chain_id type": type(first.chain_id).__name__,
            "contract_address": first.contract_address,
            "type": type(first) is OperatorContext,
            "distinct": first is not second,
            "equal attributes": [first.chain_id, first.contract_address] == [second.chain_id, second.contract_address],
            "repr": repr(first).startswith("<builtins.OperatorContext object at 0x"),
            "set": outcome(lambda: setattr(first, "chain_id", 5)),
            "delete": outcome(lambda: delattr(first, "contract_address")),
            "new attribute": outcome(lambda: setattr(first, "other", 5)),
        }))
        """,
        QZR_SHARE=tmp_path,
    )
    assert result["chain_id"] == 1337
    assert result["chain_id type"] == "int"
    assert result["contract_address"] == SNAPSHOT_CONTRACT
    assert result["type"] is True
    assert result["distinct"] is True
    assert result["equal attributes"] is True
    assert result["repr"] is True
    assert result["set"][0] == "AttributeError"
    assert result["delete"][0] == "AttributeError"
    assert result["new attribute"][0] == "AttributeError"


@pytest.mark.parametrize(
    "chain_id_variable, deployment_name, addresses, expected_chain_id",
    [
        ("+5", None, {"snapshot": deployment(5)}, 5),
        ("0", None, {"snapshot": deployment(0)}, 0),
        ("007", None, {"snapshot": deployment(7)}, 7),
        ("18446744073709551615", None, {"snapshot": deployment(18446744073709551615)}, 18446744073709551615),
        # Not valid UTF-8: the default is used.
        ("\udcff", None, {"snapshot": deployment(1337)}, 1337),
        ("1", "prod", {"snapshot": deployment(1337), "prod": deployment(1)}, 1),
        # CONTRACT_DEPLOYMENT not valid UTF-8: "snapshot".
        (None, "\udcff", {"snapshot": deployment(1337)}, 1337),
        # A repeated deployment name: the later entry wins.
        (None, None, f'{{"snapshot": {json.dumps(deployment(1))}, "snapshot": {json.dumps(deployment(1337))}}}', 1337),
    ],
)
def test_environment_choices(tmp_path, chain_id_variable, deployment_name, addresses, expected_chain_id):
    write_addresses(tmp_path, addresses)
    result = run_with_context(
        READ_CONTEXT, QZR_SHARE=tmp_path, CHAIN_ID=chain_id_variable, CONTRACT_DEPLOYMENT=deployment_name
    )
    assert result == ["ok", [expected_chain_id, "0x" + "11" * 20]]


@pytest.mark.parametrize(
    "addresses",
    [
        # Without "faucet", with null, with a faucet object (extra keys skipped), extra keys
        # everywhere, addresses without "0x" or in upper case, the array forms.
        {"snapshot": deployment(1337)},
        {"snapshot": deployment(1337, faucet=None)},
        {"snapshot": deployment(1337, faucet={"address": "0x" + "55" * 20, "privateKey": "66" * 32, "note": 1})},
        {"snapshot": deployment(1337, extra={"nested": [1, 2, {"x": None}]}, name="local")},
        {"snapshot": deployment(1337, contract="11" * 20)},
        {"snapshot": deployment(1337, contract="0x" + "AA" * 20)},
        {"snapshot": [deployment(1337)["addresses"], 1337, None]},
        {"snapshot": [deployment(1337)["addresses"], 1337, ["0x" + "55" * 20, "0x" + "66" * 32]]},
        {"snapshot": deployment(1337, addresses=dict(deployment(1337)["addresses"], other="anything"))},
    ],
)
def test_accepted_files(tmp_path, addresses):
    write_addresses(tmp_path, addresses)
    result = run_with_context(READ_CONTEXT, QZR_SHARE=tmp_path)
    assert result[0] == "ok"
    assert result[1][0] == 1337
    assert result[1][1] in ("0x" + "11" * 20, "0x" + "aa" * 20)


def test_share_path_with_trailing_slash(tmp_path):
    write_addresses(tmp_path, {"snapshot": deployment(1337)})
    assert run_with_context(READ_CONTEXT, QZR_SHARE=str(tmp_path) + "/")[0] == "ok"


def test_file_is_read_once(tmp_path):
    write_addresses(tmp_path, {"snapshot": deployment(1337, contract="0x" + "11" * 20)})
    result = run_with_context(
        f"""
        import pathlib, os
        from qzr_python.common import get_operator_context, TokenSymbol
        first = get_operator_context().contract_address
        pathlib.Path({str(tmp_path)!r}, "ethereum", "addresses.json").write_text("not json")
        os.environ["CHAIN_ID"] = "1"
        second = get_operator_context()
        print(json.dumps([first, second.contract_address, second.chain_id, TokenSymbol.USDC.address()]))
        """,
        QZR_SHARE=tmp_path,
    )
    assert result == ["0x" + "11" * 20, "0x" + "11" * 20, 1337, "0x" + "44" * 20]


# ---- failed builds ---------------------------------------------------------------------------

PARSE = "Cannot parse addresses.json: "


@pytest.mark.parametrize(
    "variables, addresses, message",
    [
        ({"CHAIN_ID": " 5"}, {"snapshot": deployment(5)}, "Cannot parse CHAIN_ID: invalid digit found in string"),
        ({"CHAIN_ID": "-5"}, {"snapshot": deployment(5)}, "Cannot parse CHAIN_ID: invalid digit found in string"),
        ({"CHAIN_ID": "+"}, {"snapshot": deployment(5)}, "Cannot parse CHAIN_ID: invalid digit found in string"),
        ({"CHAIN_ID": "5 "}, {"snapshot": deployment(5)}, "Cannot parse CHAIN_ID: invalid digit found in string"),
        ({"CHAIN_ID": ""}, {"snapshot": deployment(5)}, "Cannot parse CHAIN_ID: cannot parse integer from empty string"),
        ({"CHAIN_ID": "18446744073709551616"}, {"snapshot": deployment(5)},
         "Cannot parse CHAIN_ID: number too large to fit in target type"),
        ({"CHAIN_ID": "1"}, {"snapshot": deployment(1337), "prod": deployment(1)},
         "chain id from addresses.json doesn't match CHAIN_ID"),
        ({}, {"snapshot": deployment(1)}, "chain id from addresses.json doesn't match CHAIN_ID"),
        ({"CONTRACT_DEPLOYMENT": "staging"}, {"snapshot": deployment(1337)},
         "CONTRACT_DEPLOYMENT not found in addresses.json"),
        ({"CONTRACT_DEPLOYMENT": "Snapshot"}, {"snapshot": deployment(1337)},
         "CONTRACT_DEPLOYMENT not found in addresses.json"),
    ],
)
def test_build_faults_with_fixed_messages(tmp_path, variables, addresses, message):
    write_addresses(tmp_path, addresses)
    result = run_with_context(READ_CONTEXT, QZR_SHARE=tmp_path, **variables)
    assert result == ["PanicException", message]


def test_missing_share_variable():
    result = run_with_context(READ_CONTEXT, QZR_SHARE=None)
    assert result == ["PanicException", "QZR_SHARE not set: NotPresent"]


def test_share_variable_not_unicode(tmp_path):
    result = run_with_context(READ_CONTEXT, QZR_SHARE=str(tmp_path) + "/\udcff")
    assert result[0] == "PanicException"
    assert result[1].startswith("QZR_SHARE not set: NotUnicode(")


def test_missing_file(tmp_path):
    result = run_with_context(READ_CONTEXT, QZR_SHARE=tmp_path)
    assert result == [
        "PanicException",
        'Cannot initialize app context without addresses.json: Os { code: 2, message: "No such file or directory" }',
    ]


@pytest.mark.parametrize(
    "text, fragment",
    [
        (str({"snapshot": deployment(1337)}), ""),  # single quotes: not JSON
        (json.dumps({"snapshot": deployment(1337)}) + " trailing", ""),
        ('{"snapshot": {"addresses": {"velmarindAddress": "0x' + "11" * 20 + '", "qzrAddress": "0x' + "33" * 20
         + '"}, "chainId": 1337}}', "usdcAddress"),
        ('{"snapshot": {"addresses": {"velmarindAddress": "0x' + "11" * 20 + '", "qzrAddress": "0x' + "33" * 20
         + '", "usdcAddress": "0x' + "44" * 20 + '"}, "chainId": 1337, "chainId": 1337}}', "chainId"),
        ('{"snapshot": {"addresses": {"velmarindAddress": "0x' + "11" * 19 + '", "qzrAddress": "0x' + "33" * 20
         + '", "usdcAddress": "0x' + "44" * 20 + '"}, "chainId": 1337}}', ""),
        ('{"snapshot": {"addresses": {"velmarindAddress": "0x' + "11" * 20 + '", "qzrAddress": "0x' + "33" * 20
         + '", "usdcAddress": "0x' + "44" * 20 + '"}, "chainId": 1337.0}}', ""),
        ('{"snapshot": {"addresses": {"velmarindAddress": "0x' + "11" * 20 + '", "qzrAddress": "0x' + "33" * 20
         + '", "usdcAddress": "0x' + "44" * 20 + '"}, "chainId": -1}}', ""),
        (json.dumps({"snapshot": [deployment(1337)["addresses"], 1337]}), "struct DeploymentMeta with 3 elements"),
        ('{"snapshot": 5}', "struct DeploymentMeta"),
        ('{"snapshot": {"addresses": 5, "chainId": 1337}}', "struct ContractAddresses"),
        (json.dumps({"snapshot": deployment(1337, faucet=5)}), "struct Faucet"),
        (json.dumps({"snapshot": deployment(1337, faucet=["0x" + "55" * 20])}), "struct Faucet with 2 elements"),
        ("[" * 200 + "]" * 200, ""),
        ("", ""),
    ],
)
def test_unparsable_files(tmp_path, text, fragment):
    # Every deployment of the file must be valid, and the failure names the line and column.
    write_addresses(tmp_path, text)
    result = run_with_context(READ_CONTEXT, QZR_SHARE=tmp_path)
    assert result[0] == "PanicException"
    assert result[1].startswith(PARSE)
    assert "line " in result[1] and "column " in result[1]
    assert fragment in result[1]


def test_fault_text_that_is_not_utf8_keeps_its_message(tmp_path):
    # The parser's message quotes the raw byte of the bad key; it reaches Python with U+FFFD.
    (tmp_path / "ethereum").mkdir()
    (tmp_path / "ethereum" / "addresses.json").write_bytes(b'{"snap\xffshot": 1}')
    result = run_with_context(READ_CONTEXT, QZR_SHARE=tmp_path)
    assert result[0] == "PanicException"
    assert result[1].startswith(PARSE + "parse error at line 1, column 7: ")
    assert "'\"snap\ufffd'" in result[1]


def test_failed_build_is_never_retried(tmp_path):
    # After a failed first read, every read faults with "Once has panicked", also once the
    # environment and the file are fixed, and whichever call reads the context.
    write_addresses(tmp_path, {"snapshot": deployment(1337)})
    result = run_with_context(
        f"""
        import os
        from qzr_python.common import get_operator_context, TokenSymbol
        first = outcome(get_operator_context)
        os.environ["QZR_SHARE"] = {str(tmp_path)!r}
        second = outcome(get_operator_context)
        third = outcome(lambda: TokenSymbol.USDC.address())
        fourth = outcome(lambda: TokenSymbol.from_address("0x" + "44" * 20))
        # PanicException derives from BaseException, not Exception.
        try:
            get_operator_context()
        except Exception:
            caught_as = "Exception"
        except BaseException:
            caught_as = "BaseException"
        print(json.dumps([first, second, third, fourth, caught_as]))
        """,
        QZR_SHARE=None,
    )
    once = ["PanicException", "Once has panicked"]
    assert result == [["PanicException", "QZR_SHARE not set: NotPresent"], once, once, once, "BaseException"]


def test_token_lookup_can_be_the_first_read(tmp_path):
    # TokenSymbol's address lookups build the context like get_operator_context, and report its
    # build failure the same way.
    write_addresses(tmp_path, {"snapshot": deployment(1)})
    result = run_with_context(
        """
        from qzr_python.common import TokenSymbol, get_operator_context
        print(json.dumps([outcome(lambda: TokenSymbol.QZR.address()), outcome(get_operator_context)]))
        """,
        QZR_SHARE=tmp_path,
    )
    assert result == [
        ["PanicException", "chain id from addresses.json doesn't match CHAIN_ID"],
        ["PanicException", "Once has panicked"],
    ]
