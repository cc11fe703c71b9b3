"""The seven intent classes: construction and argument reading, getters and their docstrings, the
signature setter, repr, the request dict form, EIP-712 digests (against the test's own encoder),
signer recovery and order hashes (against signatures made in the test).

Digests with an explicit (chain id, contract) pair run in this process; everything that reads the
application context (hash_eip712 without a pair, recover_signer, OrderIntent.hash) runs in one
child process per test (app_context_support), fed a list of cases and returning their outcomes."""

import decimal
import json

import pytest
from hypothesis import given, settings
from hypothesis import strategies as st

import eip712_support as eip712
from app_context_support import SNAPSHOT_CONTRACT, SNAPSHOT_DEPLOYMENT, run_with_context, write_addresses
from index_support import Indexable
from qzr_python.common import ProductSymbol, QzrCommonError
from qzr_python.common.enums import OrderSide, OrderType
from qzr_python.common.requests.intents import (
    CancelAllIntent,
    CancelOrderIntent,
    InsuranceFundWithdrawIntent,
    OrderIntent,
    ProfileUpdateIntent,
    WithdrawIntent,
    WithdrawQZRIntent,
)
from qzr_python.decimal import Decimal, DecimalError

CLASSES = {
    cls.__name__: cls
    for cls in (
        OrderIntent,
        CancelOrderIntent,
        CancelAllIntent,
        WithdrawIntent,
        WithdrawQZRIntent,
        InsuranceFundWithdrawIntent,
        ProfileUpdateIntent,
    )
}
VARIANTS = {
    "OrderIntent": "Order",
    "CancelOrderIntent": "CancelOrder",
    "CancelAllIntent": "CancelAll",
    "WithdrawIntent": "Withdraw",
    "WithdrawQZRIntent": "WithdrawQZR",
    "InsuranceFundWithdrawIntent": "InsuranceFundWithdraw",
    "ProfileUpdateIntent": "ProfileUpdate",
}

UNSIGNED = "0x" + "00" * 65
NONCE_ONE = "0x" + "00" * 31 + "01"
NONCE_FF = "0x" + "ff" * 32
NONCE_MIXED = "0x" + "0123456789abcdef" * 4
RECORDED_MAX = "79228162514264337593543.950335"
SIGNATURE = "0x" + "11" * 32 + "22" * 32 + "1b"
CURRENCY = "0x" + "ab" * 20
ORDER_HASH = "0x" + "cd" * 25
SNAPSHOT_CHAIN = SNAPSHOT_DEPLOYMENT["chainId"]


def order(symbol="ETHP", strategy="main", side=OrderSide.Bid, order_type=OrderType.Limit, nonce=NONCE_ONE,
          amount="1.5", price="2000", stop_price="0", signature=None):
    return OrderIntent(symbol, strategy, side, order_type, nonce, amount, price, stop_price, signature)


# ---- the dict form of every class over a table of values -------------------------------------
#
# (class name, constructor arguments, the dict content written out by hand). The expected texts are
# the recorded amounts: rounded toward zero to 6 places, clamped to RECORDED_MAX, normalised.
CASES = [
    ("OrderIntent",
     ["ETHP", "main", OrderSide.Bid, OrderType.Limit, NONCE_ONE, "1.5", 2000, "0"],
     {"symbol": "ETHP", "strategy": "main", "side": "Bid", "orderType": "Limit", "nonce": NONCE_ONE,
      "amount": "1.5", "price": "2000", "stopPrice": "0", "signature": UNSIGNED}),
    ("OrderIntent",
     [ProductSymbol("BTCP"), "", OrderSide.Ask, OrderType.Market, NONCE_FF, "0.000001", "0", 0, SIGNATURE],
     {"symbol": "BTCP", "strategy": "", "side": "Ask", "orderType": "Market", "nonce": NONCE_FF,
      "amount": "0.000001", "price": "0", "stopPrice": "0", "signature": SIGNATURE}),
    ("OrderIntent",
     ["ABCDP", "x" * 31, OrderSide.Bid, OrderType.StopLimit, NONCE_MIXED.upper().replace("0X", "0x"),
      "2.500000", "1234.56789012", "100000000000000000000000000"],
     {"symbol": "ABCDP", "strategy": "x" * 31, "side": "Bid", "orderType": "StopLimit", "nonce": NONCE_MIXED,
      "amount": "2.5", "price": "1234.56789", "stopPrice": RECORDED_MAX, "signature": UNSIGNED}),
    ("OrderIntent",
     ["EP", "é\"q\\", OrderSide.Ask, OrderType.Limit, "00" * 32, Decimal("3.0000001"), 0.1, "0.0000001"],
     {"symbol": "EP", "strategy": "é\"q\\", "side": "Ask", "orderType": "Limit", "nonce": "0x" + "00" * 32,
      "amount": "3", "price": "0.1", "stopPrice": "0", "signature": UNSIGNED}),
    ("OrderIntent",
     ["ETHP", "main", OrderSide.Bid, OrderType.Limit, NONCE_ONE, "-1.2345678", "-0.0000001", "12345678901234567.123456"],
     {"symbol": "ETHP", "strategy": "main", "side": "Bid", "orderType": "Limit", "nonce": NONCE_ONE,
      "amount": "-1.234567", "price": "0", "stopPrice": "12345678901234567.123456", "signature": UNSIGNED}),
    ("CancelOrderIntent",
     ["ETHP", ORDER_HASH, NONCE_ONE],
     {"symbol": "ETHP", "orderHash": ORDER_HASH, "nonce": NONCE_ONE, "signature": UNSIGNED}),
    ("CancelOrderIntent",
     ["BTCP", "0x0x" + "01" * 25, NONCE_FF, SIGNATURE],
     {"symbol": "BTCP", "orderHash": "0x" + "01" * 25, "nonce": NONCE_FF, "signature": SIGNATURE}),
    ("CancelAllIntent",
     ["ETHP", "main", NONCE_ONE],
     {"symbol": "ETHP", "strategy": "main", "nonce": NONCE_ONE, "signature": UNSIGNED}),
    ("CancelAllIntent",
     ["ABCDP", "", NONCE_MIXED, "0x0x" + SIGNATURE[2:]],
     {"symbol": "ABCDP", "strategy": "", "nonce": NONCE_MIXED, "signature": SIGNATURE}),
    ("WithdrawIntent",
     ["main", CURRENCY, "100.25", NONCE_ONE],
     {"strategyId": "main", "currency": CURRENCY, "amount": "100.25", "nonce": NONCE_ONE, "signature": UNSIGNED}),
    ("WithdrawIntent",
     ["y" * 31, CURRENCY[2:].upper(), RECORDED_MAX, NONCE_FF, SIGNATURE],
     {"strategyId": "y" * 31, "currency": CURRENCY, "amount": RECORDED_MAX, "nonce": NONCE_FF,
      "signature": SIGNATURE}),
    ("WithdrawIntent",
     ["main", CURRENCY, -5, NONCE_ONE],
     {"strategyId": "main", "currency": CURRENCY, "amount": "-5", "nonce": NONCE_ONE, "signature": UNSIGNED}),
    ("WithdrawQZRIntent",
     ["0", NONCE_ONE],
     {"amount": "0", "nonce": NONCE_ONE, "signature": UNSIGNED}),
    ("WithdrawQZRIntent",
     ["1e3", NONCE_FF, SIGNATURE],
     {"amount": "1000", "nonce": NONCE_FF, "signature": SIGNATURE}),
    ("InsuranceFundWithdrawIntent",
     [CURRENCY, "0.999999999", NONCE_ONE],
     {"currency": CURRENCY, "amount": "0.999999", "nonce": NONCE_ONE, "signature": UNSIGNED}),
    ("InsuranceFundWithdrawIntent",
     ["0x" + "00" * 20, "-0.5", NONCE_FF],
     {"currency": "0x" + "00" * 20, "amount": "-0.5", "nonce": NONCE_FF, "signature": UNSIGNED}),
    ("ProfileUpdateIntent",
     [NONCE_ONE, True],
     {"nonce": NONCE_ONE, "payFeesInQzr": True, "signature": UNSIGNED}),
    ("ProfileUpdateIntent",
     [NONCE_FF, False, SIGNATURE],
     {"nonce": NONCE_FF, "payFeesInQzr": False, "signature": SIGNATURE}),
]

CASE_IDS = [f"{name}-{i}" for i, (name, _, _) in enumerate(CASES)]
AMOUNT_KEYS = ("amount", "price", "stopPrice")


def has_negative_amount(content):
    return any(key in content and content[key].startswith("-") for key in AMOUNT_KEYS)


@pytest.mark.parametrize("name, arguments, content", CASES, ids=CASE_IDS)
def test_dict_form(name, arguments, content):
    intent = CLASSES[name](*arguments)
    form = intent.json
    assert form == {"t": VARIANTS[name], "c": content}
    assert list(form) == ["t", "c"]
    assert list(form["c"]) == list(content)
    assert json.loads(json.dumps(form)) == form
    # Each read is a new dict the caller owns.
    form["c"]["nonce"] = "changed"
    assert intent.json == {"t": VARIANTS[name], "c": content}


SNAKE_NAMES = {"orderType": "order_type", "stopPrice": "stop_price", "orderHash": "order_hash",
               "strategyId": "strategy_id", "payFeesInQzr": "pay_fees_in_qzr"}


@pytest.mark.parametrize("name, arguments, content", CASES, ids=CASE_IDS)
def test_getters(name, arguments, content):
    intent = CLASSES[name](*arguments)
    for key, written in content.items():
        value = getattr(intent, SNAKE_NAMES.get(key, key))
        if key == "symbol":
            assert type(value) is ProductSymbol and str(value) == written
        elif key == "side":
            assert type(value) is OrderSide and value == getattr(OrderSide, written)
        elif key == "orderType":
            assert type(value) is OrderType and value == getattr(OrderType, written)
        elif key in AMOUNT_KEYS:
            assert type(value) is Decimal and str(value) == written
        else:
            assert value == written and type(value) is type(written)


@pytest.mark.parametrize("chain_id, contract", [
    (SNAPSHOT_CHAIN, SNAPSHOT_CONTRACT),
    (0, "0x" + "00" * 20),
    (1, "0x" + "ff" * 20),
    (2**64 - 1, SNAPSHOT_CONTRACT),
])
@pytest.mark.parametrize("name, arguments, content", CASES, ids=CASE_IDS)
def test_digest_against_the_encoder(name, arguments, content, chain_id, contract):
    intent = CLASSES[name](*arguments)
    if has_negative_amount(content):
        negative = next(content[key] for key in AMOUNT_KEYS if key in content and content[key].startswith("-"))
        with pytest.raises(QzrCommonError, match=f"^Negatives don't scale into unsigned: {negative}$"):
            intent.hash_eip712((chain_id, contract))
        # The process stays healthy and the intent usable.
        assert intent.json["c"] == content
        assert order().hash_eip712((chain_id, contract)).startswith("0x")
        return
    expected = "0x" + eip712.digest(name, content, chain_id, contract).hex()
    assert intent.hash_eip712((chain_id, contract)) == expected
    assert intent.hash_eip712(message_metadata=(chain_id, contract)) == expected


def recorded_text(value):
    """The recorded amount by Python's decimal: at most RECORDED_MAX, truncated to 6 places,
    trailing zeros stripped, written without exponent."""
    with decimal.localcontext() as context:
        context.prec = 100
        value = min(value, decimal.Decimal(RECORDED_MAX))
        recorded = value.quantize(decimal.Decimal("1e-6"), rounding=decimal.ROUND_DOWN).normalize()
        return f"{recorded:f}" if recorded else "0"


@settings(max_examples=300, deadline=None)
@given(mantissa=st.integers(0, 2**96 - 1), scale=st.integers(0, 28), as_text=st.booleans())
def test_amounts_are_recorded_and_hashed_like_pythons_decimal(mantissa, scale, as_text):
    with decimal.localcontext() as context:
        context.prec = 100
        value = decimal.Decimal(mantissa).scaleb(-scale)
    argument = str(value) if as_text else Decimal(str(value))
    intent = WithdrawQZRIntent(argument, NONCE_ONE)
    expected = recorded_text(value)
    assert str(intent.amount) == expected
    content = {"amount": expected, "nonce": NONCE_ONE, "signature": UNSIGNED}
    assert intent.json["c"] == content
    pair = (SNAPSHOT_CHAIN, SNAPSHOT_CONTRACT)
    assert intent.hash_eip712(pair) == "0x" + eip712.digest("WithdrawQZRIntent", content, *pair).hex()


def test_digest_ignores_the_signature_and_follows_the_domain():
    unsigned, signed = order(), order(signature=SIGNATURE)
    pair = (1, SNAPSHOT_CONTRACT)
    assert unsigned.hash_eip712(pair) == signed.hash_eip712(pair)
    assert unsigned.hash_eip712((2, SNAPSHOT_CONTRACT)) != unsigned.hash_eip712(pair)
    assert unsigned.hash_eip712((1, "0x" + "00" * 20)) != unsigned.hash_eip712(pair)
    assert order(amount="1.5000001").hash_eip712(pair) == unsigned.hash_eip712(pair)
    assert order(amount="1.500001").hash_eip712(pair) != unsigned.hash_eip712(pair)


@pytest.mark.parametrize("contract", [
    SNAPSHOT_CONTRACT[2:],
    SNAPSHOT_CONTRACT.upper().replace("0X", "0x"),
    "0x " + " ".join(SNAPSHOT_CONTRACT[i:i + 2] for i in range(2, 42, 2)) + "\t\r\n",
    "0x" + SNAPSHOT_CONTRACT[2:3] + " " + SNAPSHOT_CONTRACT[3:],
])
def test_contract_text_forms(contract):
    assert order().hash_eip712((7, contract)) == order().hash_eip712((7, SNAPSHOT_CONTRACT))


class Pair(tuple):
    pass


def test_metadata_pair_forms():
    expected = order().hash_eip712((5, SNAPSHOT_CONTRACT))
    assert order().hash_eip712(Pair((5, SNAPSHOT_CONTRACT))) == expected
    assert order().hash_eip712((Indexable(5), SNAPSHOT_CONTRACT)) == expected
    assert order().hash_eip712((True, SNAPSHOT_CONTRACT)) == order().hash_eip712((1, SNAPSHOT_CONTRACT))


@pytest.mark.parametrize("metadata, error, text", [
    ([1, SNAPSHOT_CONTRACT], TypeError, "argument 'message_metadata': 'list' object cannot be converted to 'PyTuple'"),
    ((1, SNAPSHOT_CONTRACT, 3), TypeError,
     "argument 'message_metadata': expected tuple of length 2, but got tuple of length 3"),
    ((1,), TypeError, "argument 'message_metadata': expected tuple of length 2, but got tuple of length 1"),
    (("1", SNAPSHOT_CONTRACT), TypeError,
     "argument 'message_metadata': 'str' object cannot be interpreted as an integer"),
    ((1.0, SNAPSHOT_CONTRACT), TypeError,
     "argument 'message_metadata': 'float' object cannot be interpreted as an integer"),
    ((-1, SNAPSHOT_CONTRACT), OverflowError, "can't convert negative int to unsigned"),
    ((2**64, SNAPSHOT_CONTRACT), OverflowError, "int too big to convert"),
    ((1, 5), TypeError, "argument 'message_metadata': 'int' object cannot be converted to 'PyString'"),
    ((1, "0X" + SNAPSHOT_CONTRACT[2:]), QzrCommonError, "Invalid character 'X' at position 1"),
    ((1, "0x0x" + SNAPSHOT_CONTRACT[2:]), QzrCommonError, "Invalid character 'x' at position 1"),
    ((1, SNAPSHOT_CONTRACT[:-1]), QzrCommonError, "Invalid input length"),
    ((1, SNAPSHOT_CONTRACT + "a"), QzrCommonError, "Invalid input length"),
    ((1, SNAPSHOT_CONTRACT + "ab"), QzrCommonError, "Invalid input length"),
    ((1, SNAPSHOT_CONTRACT[:-2] + "g0"), QzrCommonError, "Invalid character 'g' at position 38"),
    ((1, ""), QzrCommonError, "Invalid input length"),
])
def test_metadata_refusals(metadata, error, text):
    intent = order()
    with pytest.raises(error) as raised:
        intent.hash_eip712(metadata)
    assert type(raised.value) is error
    assert str(raised.value) == text
    assert intent.hash_eip712((1, SNAPSHOT_CONTRACT)).startswith("0x")


def test_method_arguments_are_checked_by_the_binding():
    intent = order()
    with pytest.raises(TypeError, match=r"^OrderIntent.hash_eip712\(\) got an unexpected keyword argument 'x'$"):
        intent.hash_eip712(x=1)
    with pytest.raises(TypeError, match="takes"):
        intent.hash_eip712(None, None)
    with pytest.raises(TypeError, match="takes no arguments"):
        intent.recover_signer(1)
    with pytest.raises(TypeError, match="takes no arguments"):
        intent.hash(None)


# ---- constructors and their argument errors ---------------------------------------------------


@pytest.mark.parametrize("change, error, text", [
    ({"symbol": 5}, TypeError, "argument 'symbol': 'int' object cannot be converted to 'PyString'"),
    ({"symbol": "ETHX"}, QzrCommonError, None),
    ({"strategy": b"main"}, TypeError, "argument 'strategy': 'bytes' object cannot be converted to 'PyString'"),
    ({"strategy": "s" * 32}, QzrCommonError, "Bytes32 has 31 utf8 bytes prefixed with 1 length byte"),
    ({"strategy": "é" * 16}, QzrCommonError, "Bytes32 has 31 utf8 bytes prefixed with 1 length byte"),
    ({"side": 0}, TypeError, "argument 'side': 'int' object cannot be converted to 'OrderSide'"),
    ({"side": "Bid"}, TypeError, "argument 'side': 'str' object cannot be converted to 'OrderSide'"),
    ({"side": OrderType.Limit}, TypeError, "argument 'side': 'OrderType' object cannot be converted to 'OrderSide'"),
    ({"order_type": 0}, TypeError, "argument 'order_type': 'int' object cannot be converted to 'OrderType'"),
    ({"nonce": 1}, TypeError, "argument 'nonce': 'int' object cannot be converted to 'PyString'"),
    ({"nonce": "0X" + "00" * 32}, QzrCommonError, "Invalid character 'X' at position 1"),
    ({"nonce": "0x0x" + "00" * 32}, QzrCommonError, "Invalid character 'x' at position 1"),
    ({"nonce": "0x" + "0" * 63}, QzrCommonError, "Invalid input length"),
    ({"nonce": "0x" + "0" * 65}, QzrCommonError, "Invalid input length"),
    ({"amount": "abc"}, DecimalError, "Invalid value for decimal"),
    ({"amount": float("nan")}, DecimalError, "Invalid value for decimal"),
    ({"amount": []}, DecimalError, "invalid value for decimal"),
    ({"price": None}, DecimalError, "invalid value for decimal"),
    ({"stop_price": 2**96}, DecimalError, None),
    ({"signature": 5}, TypeError, "argument 'signature': 'int' object cannot be converted to 'PyString'"),
    ({"signature": "0x" + "00" * 64}, QzrCommonError, "Expected exactly 65 bytes"),
    ({"signature": "0x" + "0" * 129}, QzrCommonError, "Error parsing string into struct: Invalid input length"),
    ({"signature": "0x" + "zz" * 65}, QzrCommonError, "Error parsing string into struct: Invalid character 'z' at position 0"),
    # The first failing argument in signature order is reported.
    ({"symbol": "ETHX", "nonce": 1}, QzrCommonError, None),
    ({"nonce": 1, "amount": "abc"}, TypeError, "argument 'nonce': 'int' object cannot be converted to 'PyString'"),
])
def test_order_argument_errors(change, error, text):
    arguments = {"symbol": "ETHP", "strategy": "main", "side": OrderSide.Bid, "order_type": OrderType.Limit,
                 "nonce": NONCE_ONE, "amount": "1", "price": "1", "stop_price": "0"}
    arguments.update(change)
    with pytest.raises(error) as raised:
        OrderIntent(**arguments)
    assert type(raised.value) is error
    if text is not None:
        assert str(raised.value) == text
    if error is TypeError:
        assert raised.value.__cause__ is None
    if "symbol" in change and change["symbol"] == "ETHX":
        assert str(raised.value).startswith("Error parsing string into struct: ")


@pytest.mark.parametrize("call, error, text", [
    (lambda: OrderIntent(), TypeError, "OrderIntent.__new__() missing 8 required positional arguments: "
     "'symbol', 'strategy', 'side', 'order_type', 'nonce', 'amount', 'price', and 'stop_price'"),
    (lambda: CancelOrderIntent("ETHP", ORDER_HASH, NONCE_ONE, None, 5), TypeError,
     "CancelOrderIntent.__new__() takes from 3 to 4 positional arguments but 5 were given"),
    (lambda: CancelOrderIntent("ETHP", "0x" + "cd" * 24, NONCE_ONE), QzrCommonError, "Expected exactly 25 bytes"),
    (lambda: CancelOrderIntent("ETHP", "0x" + "c" * 49, NONCE_ONE), QzrCommonError,
     "Error parsing string into struct: Invalid input length"),
    (lambda: CancelOrderIntent("ETHP", 25, NONCE_ONE), TypeError,
     "argument 'order_hash': 'int' object cannot be converted to 'PyString'"),
    (lambda: WithdrawIntent("main", "0x" + "ab" * 19, "1", NONCE_ONE), QzrCommonError, "Invalid input length"),
    (lambda: WithdrawIntent("main", "0X" + "ab" * 20, "1", NONCE_ONE), QzrCommonError,
     "Invalid character 'X' at position 1"),
    (lambda: InsuranceFundWithdrawIntent(None, "1", NONCE_ONE), TypeError,
     "argument 'currency': 'NoneType' object cannot be converted to 'PyString'"),
    (lambda: ProfileUpdateIntent(NONCE_ONE, 1), TypeError,
     "argument 'pay_fees_in_qzr': 'int' object cannot be converted to 'PyBool'"),
    (lambda: ProfileUpdateIntent(NONCE_ONE, None), TypeError,
     "argument 'pay_fees_in_qzr': 'NoneType' object cannot be converted to 'PyBool'"),
    (lambda: WithdrawQZRIntent("1", NONCE_ONE, signature="1b", x=1), TypeError,
     "WithdrawQZRIntent.__new__() got an unexpected keyword argument 'x'"),
    (lambda: CancelAllIntent("ETHP", "main", NONCE_ONE, nonce=NONCE_ONE), TypeError,
     "CancelAllIntent.__new__() got multiple values for argument 'nonce'"),
])
def test_constructor_errors(call, error, text):
    with pytest.raises(error) as raised:
        call()
    assert type(raised.value) is error
    assert str(raised.value) == text


def test_keyword_construction_and_symbol_forms():
    by_keyword = OrderIntent(signature=None, stop_price=0, price=1, amount=2, nonce=NONCE_ONE,
                             order_type=OrderType.Market, side=OrderSide.Ask, strategy="s", symbol=ProductSymbol("ETHP"))
    by_position = OrderIntent("ETHP", "s", OrderSide.Ask, OrderType.Market, NONCE_ONE, 2, 1, 0)
    assert by_keyword.json == by_position.json
    assert repr(by_keyword) == repr(by_position)
    # No comparison or hash of their own: identity.
    assert by_keyword != by_position and by_keyword == by_keyword
    assert {by_keyword: 1}.get(by_position) is None and {by_keyword: 1}[by_keyword] == 1


# ---- getters, docstrings, repr, the signature setter -------------------------------------------

NONCE_DOC = ("A salt for uniqueness of the EIP-712 hash function. May optionally have business meaning to the "
             "client.")

PROPERTY_DOCS = [
    (OrderIntent, "symbol", "Symbol of the market"),
    (OrderIntent, "strategy", "Strategy Id (label)"),
    (OrderIntent, "side", "Side: 0-Long, 1-Short"),
    (OrderIntent, "order_type", "0-Limit, 1-Market, 2-Stop-Limit"),
    (OrderIntent, "nonce", NONCE_DOC),
    (OrderIntent, "amount", "Order amount"),
    (OrderIntent, "price", "Order price. For a limit order, it is the limit price."),
    (OrderIntent, "stop_price", "Stop price. Set to 0 if the order is not a Stop-Limit."),
    (OrderIntent, "signature", "EIP-712 signature of the order intent attributes"),
    (CancelOrderIntent, "symbol", None),
    (CancelOrderIntent, "order_hash", "hash of the corresponding order intent"),
    (CancelOrderIntent, "nonce", "`nonce` specified in the order intent to cancel (to lookup the order without "
     "storing its hash)\n" + NONCE_DOC),
    (CancelOrderIntent, "signature", "EIP-712 signature of the order cancellation intent attributes"),
    (CancelAllIntent, "symbol", None),
    (CancelAllIntent, "strategy", "Strategy to cancel orders for"),
    (CancelAllIntent, "nonce", "A salt for uniqueness of the EIP-712 hash function."),
    (CancelAllIntent, "signature", "EIP-712 signature of the order cancellation intent attributes"),
    (WithdrawIntent, "strategy_id", "Strategy Id (label)"),
    (WithdrawIntent, "currency", "Ethereum address of the collateral token (ERC-20)"),
    (WithdrawIntent, "amount", "Amount to withdraw"),
    (WithdrawIntent, "nonce", NONCE_DOC),
    (WithdrawIntent, "signature", "EIP-712 signature of the withdraw intent attributes"),
    (WithdrawQZRIntent, "amount", "Amount to withdraw"),
    (WithdrawQZRIntent, "nonce", "A salt for uniqueness of the EIP-712 hash function. May optionally have\n"
     "business meaning to the client."),
    (WithdrawQZRIntent, "signature", "EIP-712 signature of the withdraw qzr intent attributes"),
    (InsuranceFundWithdrawIntent, "currency", "Ethereum address of the collateral token (ERC-20)"),
    (InsuranceFundWithdrawIntent, "amount", "Amount to withdraw"),
    (InsuranceFundWithdrawIntent, "nonce", NONCE_DOC),
    (InsuranceFundWithdrawIntent, "signature", "EIP-712 signature of the withdraw intent attributes"),
    (ProfileUpdateIntent, "nonce", NONCE_DOC),
    (ProfileUpdateIntent, "pay_fees_in_qzr", "Sets the flag in the trader profile"),
    (ProfileUpdateIntent, "signature", "EIP-712 signature of the order intent attributes"),
]


@pytest.mark.parametrize("cls, name, doc", PROPERTY_DOCS)
def test_property_docstrings(cls, name, doc):
    assert getattr(cls, name).__doc__ == doc


CLASS_TEXTS = [
    (OrderIntent, "(symbol, strategy, side, order_type, nonce, amount, price, stop_price, signature=None)",
     "Order intents are meta-transactions signed by traders Ethereum wallets and submitted to operators.\n\n"
     "They come in through the API, signed by their maker. We verify that:\n\n"
     "a) the signatures recovers the `trader_address`\n"
     "b) the maker has enough collateral to be solvent when the order gets filled\n\n"
     "Following verification, we match an order intent against the order book. This may result in\n"
     "fill(s) or posting into the order book depending on the matches found."),
    (CancelOrderIntent, "(symbol, order_hash, nonce, signature=None)", ""),
    (CancelAllIntent, "(symbol, strategy, nonce, signature=None)", "Batch cancel all orders for a given strategy"),
    (WithdrawIntent, "(strategy_id, currency, amount, nonce, signature=None)",
     "Traders signal their intent to withdraw which freezes the requested collateral in their account.\n"
     "Funds may be available on-chain at the next checkpoint the operator is kind enough to \"prove\"\n"
     "the withdrawals on behalf of traders. Otherwise, traders may submit a merkle proof\n"
     "at any time after a `Checkpoint` to collect their funds."),
    (WithdrawQZRIntent, "(amount, nonce, signature=None)",
     "Traders signal their intent to withdraw qzr which freezes the specified amount\n"
     "in their account.  Funds may be available on-chain at the next checkpoint\n"
     "the operator is kind enough to \"prove\" the withdrawals on behalf of traders.\n"
     "Otherwise, traders may submit a merkle proof at any time after a `Checkpoint`\n"
     "to collect their funds."),
    (InsuranceFundWithdrawIntent, "(currency, amount, nonce, signature=None)", ""),
    (ProfileUpdateIntent, "(nonce, pay_fees_in_qzr, signature=None)", ""),
]


@pytest.mark.parametrize("cls, signature, doc", CLASS_TEXTS)
def test_class_texts(cls, signature, doc):
    assert cls.__text_signature__ == signature
    assert cls.__doc__ == doc
    assert cls.__module__ == "builtins"
    assert cls.hash_eip712.__text_signature__ == "($self, message_metadata=None)"
    assert cls.hash_eip712.__doc__ is None
    assert cls.recover_signer.__text_signature__ == "($self)"
    assert cls.recover_signer.__doc__ is None
    assert cls.json.__doc__ is None
    assert hasattr(cls, "hash") == (cls is OrderIntent)
    with pytest.raises(TypeError):
        type("Derived", (cls,), {})


def test_order_hash_method_text():
    assert OrderIntent.hash.__text_signature__ == "($self)"
    assert OrderIntent.hash.__doc__ is None


ZEROS = "0x" + "0" * 130


@pytest.mark.parametrize("intent, text", [
    (order(),
     'OrderIntent { symbol: ProductSymbol("ETHP"), strategy: StrategyId("main"), side: Bid, order_type: Limit, '
     f"nonce: Hash({NONCE_ONE}), amount: UnscaledI128(1.5), price: UnscaledI128(2000), "
     f'stop_price: UnscaledI128(0), signature: Signature("{ZEROS}") }}'),
    (order(strategy='a"b\\c\n\t\x00\x7f', side=OrderSide.Ask, order_type=OrderType.StopLimit, amount="-0.25",
           signature=SIGNATURE),
     'OrderIntent { symbol: ProductSymbol("ETHP"), strategy: StrategyId("a\\"b\\\\c\\n\\t\\0\\u{7f}"), side: Ask, '
     f"order_type: StopLimit, nonce: Hash({NONCE_ONE}), amount: UnscaledI128(-0.25), price: UnscaledI128(2000), "
     f'stop_price: UnscaledI128(0), signature: Signature("{SIGNATURE}") }}'),
    (CancelOrderIntent("ETHP", "0x" + "00" * 24 + "ff", NONCE_FF),
     'CancelOrderIntent { symbol: ProductSymbol("ETHP"), order_hash: Bytes25([' + "0, " * 24 + "255]), "
     f'nonce: Hash({NONCE_FF}), signature: Signature("{ZEROS}") }}'),
    (CancelAllIntent("BTCP", "", NONCE_ONE),
     'CancelAllIntent { symbol: ProductSymbol("BTCP"), strategy: StrategyId(""), '
     f'nonce: Hash({NONCE_ONE}), signature: Signature("{ZEROS}") }}'),
    (WithdrawIntent("main", CURRENCY, "2000.000", NONCE_ONE),
     f'WithdrawIntent {{ strategy_id: StrategyId("main"), currency: TokenAddress({CURRENCY}), '
     f'amount: UnscaledI128(2000), nonce: Hash({NONCE_ONE}), signature: Signature("{ZEROS}") }}'),
    (WithdrawQZRIntent("0.000001", NONCE_ONE),
     f'WithdrawQZRIntent {{ amount: UnscaledI128(0.000001), nonce: Hash({NONCE_ONE}), signature: Signature("{ZEROS}") }}'),
    (InsuranceFundWithdrawIntent(CURRENCY, RECORDED_MAX, NONCE_ONE),
     f"InsuranceFundWithdrawIntent {{ currency: TokenAddress({CURRENCY}), amount: UnscaledI128({RECORDED_MAX}), "
     f'nonce: Hash({NONCE_ONE}), signature: Signature("{ZEROS}") }}'),
    (ProfileUpdateIntent(NONCE_ONE, False),
     f'ProfileUpdate {{ nonce: Hash({NONCE_ONE}), pay_fees_in_qzr: false, signature: Signature("{ZEROS}") }}'),
])
def test_repr(intent, text):
    assert repr(intent) == text
    assert str(intent) == text


def test_signature_setter():
    intent = order()
    assert intent.signature == UNSIGNED
    intent.signature = "0x0x" + SIGNATURE[2:].upper()
    assert intent.signature == SIGNATURE
    assert intent.json["c"]["signature"] == SIGNATURE
    for value, error, text in [
        ("0x" + "00" * 64, QzrCommonError, "Expected exactly 65 bytes"),
        ("0x" + "0" * 129, QzrCommonError, "Error parsing string into struct: Invalid input length"),
        (None, TypeError, "'NoneType' object cannot be converted to 'PyString'"),
        (b"\x00" * 65, TypeError, "'bytes' object cannot be converted to 'PyString'"),
    ]:
        with pytest.raises(error) as raised:
            intent.signature = value
        assert type(raised.value) is error and str(raised.value) == text
        assert intent.signature == SIGNATURE
    with pytest.raises(AttributeError, match="^can't delete attribute$"):
        del intent.signature
    intent.signature = UNSIGNED
    assert intent.signature == UNSIGNED
    for name in ("symbol", "amount", "nonce", "json"):
        with pytest.raises(AttributeError):
            setattr(intent, name, getattr(intent, name))


def test_getters_return_new_objects():
    intent = order()
    assert intent.amount is not intent.amount
    assert intent.symbol is not intent.symbol
    assert intent.side is not OrderSide.Bid and intent.side == OrderSide.Bid
    assert intent.json is not intent.json


# ---- through the application context ------------------------------------------------------------

KEY_ONE = 0x4C0883A69102937D6231471B5DBB6204FE5129617082792AE468D01A3F362318
KEY_TWO = 0xC85EF7D79691FE79573B1A7064C19C1A9819EBDBD1FAAAB1A8EC92344438AAF4

# Runs `cases` (class name, arguments, calls, signature to set or None) in a child with the
# snapshot deployment; returns, per case, {call: outcome}.
CONTEXT_RUNNER = """
from qzr_python.common.enums import OrderSide, OrderType
from qzr_python.common.requests import intents

ENUMS = {"side": OrderSide, "order_type": OrderType}
results = []
for name, arguments, calls, new_signature in json.loads(CASES):
    if name == "OrderIntent":
        arguments[2] = getattr(OrderSide, arguments[2])
        arguments[3] = getattr(OrderType, arguments[3])
    intent = getattr(intents, name)(*arguments)
    if new_signature is not None:
        intent.signature = new_signature
    results.append({call: outcome(lambda: eval("intent." + call)) for call in calls})
print(json.dumps(results))
"""


def run_cases(share, cases):
    code = f"CASES = {json.dumps(json.dumps(cases))}\n" + CONTEXT_RUNNER
    return run_with_context(code, QZR_SHARE=share)


@pytest.fixture(scope="module")
def share(tmp_path_factory):
    path = tmp_path_factory.mktemp("share")
    write_addresses(path, {"snapshot": SNAPSHOT_DEPLOYMENT})
    return path


def plain_arguments(arguments):
    """The constructor arguments as JSON values (enum members by name)."""
    return [argument.__repr__().split(".")[1] if isinstance(argument, (OrderSide, OrderType)) else
            str(argument) if isinstance(argument, (ProductSymbol, Decimal)) else argument
            for argument in arguments]


def context_digest(name, content):
    return eip712.digest(name, content, SNAPSHOT_CHAIN, SNAPSHOT_CONTRACT)


def test_every_intent_recovers_its_signer(share):
    cases, expected = [], []
    for name, arguments, content in CASES:
        if has_negative_amount(content):
            continue
        digest = context_digest(name, content)
        signature = eip712.signature_text(*eip712.sign(KEY_ONE, digest))
        calls = ["hash_eip712()", "hash_eip712(None)", f"hash_eip712(({SNAPSHOT_CHAIN}, {SNAPSHOT_CONTRACT!r}))",
                 "recover_signer()"]
        if name == "OrderIntent":
            calls.append("hash()")
        cases.append((name, plain_arguments(arguments[:len(content) - 1]), calls, signature))
        address = eip712.address_of_key(KEY_ONE)
        digest_text = "0x" + digest.hex()
        outcome = {call: ["ok", digest_text] for call in calls[:3]}
        outcome["recover_signer()"] = ["ok", [digest_text, eip712.signer_text(address)]]
        if name == "OrderIntent":
            outcome["hash()"] = ["ok", "0x" + eip712.keccak(address + digest)[:25].hex()]
        expected.append(outcome)
    assert len(cases) >= 10
    assert run_cases(share, cases) == expected


N = eip712.N


def boundary_cases():
    """(label, signature (r, s, v), expected outcome of recover_signer) over the digest of order()."""
    content = order().json["c"]
    digest = context_digest("OrderIntent", content)
    r, s, v = eip712.sign(KEY_ONE, digest, nonce=0x1234567)
    signer = eip712.signer_text(eip712.address_of_key(KEY_ONE))
    digest_text = "0x" + digest.hex()

    def recovered(r_, s_, v_):
        return ["ok", [digest_text, eip712.signer_text(eip712.recover(digest, r_, s_, v_))]]

    invalid_id = ["QzrCommonError", "Error with crypto tooling: InvalidRecoveryId"]
    invalid = ["QzrCommonError", "Error with crypto tooling: InvalidSignature"]
    eip2 = ["QzrCommonError", "Signature is not compliant with EIP-2"]
    # A curve point whose x lies in [n, p): its r = x - n signs with recovery ids 2 and 3.
    offset = next(i for i in range(1, 1000) if eip712.point_with_x(N + i, 0) is not None)
    cases = [
        ("standard", (r, s, v), ["ok", [digest_text, signer]]),
        ("other parity", (r, s, 55 - v), recovered(r, s, 55 - v)),
        ("s = (n - 1) / 2", (r, (N - 1) // 2, v), recovered(r, (N - 1) // 2, v)),
        ("s = (n + 1) / 2", (r, (N + 1) // 2, v), eip2),
        ("high twin", (r, N - s, 55 - v), eip2),
        ("s = 1", (r, 1, v), recovered(r, 1, v)),
        ("r = 0", (0, s, v), invalid),
        ("s = 0", (r, 0, v), invalid),
        ("r = n", (N, s, v), invalid),
        ("s = n", (r, N, v), invalid),
        ("r = 2^256 - 1", (2**256 - 1, s, v), invalid),
        ("v = 29 with r + n beyond p", (r, s, 29), invalid),
        ("v = 29", (offset, s, 29), recovered(offset, s, 29)),
        ("v = 30", (offset, s, 30), recovered(offset, s, 30)),
        ("all zero", (0, 0, 0), invalid_id),
    ]
    cases += [(f"v = {bad}", (r, s, bad), invalid_id) for bad in (0, 1, 26, 31, 255)]
    return cases


def test_signature_boundaries(share):
    table = boundary_cases()
    arguments = ["ETHP", "main", "Bid", "Limit", NONCE_ONE, "1.5", "2000", "0"]
    cases = [("OrderIntent", arguments, ["recover_signer()"], eip712.signature_text(*sig)) for _, sig, _ in table]
    results = run_cases(share, cases)
    for (label, _, expected), result in zip(table, results):
        assert result["recover_signer()"] == expected, label


def test_negatives_unsigned_and_re_signing(share):
    digest = context_digest("OrderIntent", order().json["c"])
    first = eip712.signature_text(*eip712.sign(KEY_ONE, digest))
    again = eip712.signature_text(*eip712.sign(KEY_ONE, digest))
    other = eip712.signature_text(*eip712.sign(KEY_TWO, digest))
    base = ["ETHP", "main", "Bid", "Limit", NONCE_ONE, "1.5", "2000", "0"]
    negative = ["ETHP", "main", "Bid", "Limit", NONCE_ONE, "1.5", "2000", "-1.5"]
    calls = ["hash_eip712()", "recover_signer()", "hash()"]
    results = run_cases(share, [
        ("OrderIntent", negative, calls, first),
        ("OrderIntent", base, calls, None),
        ("OrderIntent", base, calls, first),
        ("OrderIntent", base + [other], ["hash()", "recover_signer()"], first),
        ("OrderIntent", base, ["hash()"], again),
        ("OrderIntent", base, ["hash()", "recover_signer()"], other),
        ("WithdrawQZRIntent", ["-0.000001", NONCE_ONE], ["hash_eip712()", "recover_signer()"], first),
    ])
    negative_error = ["QzrCommonError", "Negatives don't scale into unsigned: -1.5"]
    assert results[0] == {call: negative_error for call in calls}
    invalid_id = ["QzrCommonError", "Error with crypto tooling: InvalidRecoveryId"]
    assert results[1] == {"hash_eip712()": ["ok", "0x" + digest.hex()], "recover_signer()": invalid_id,
                          "hash()": invalid_id}
    signer_one = eip712.address_of_key(KEY_ONE)
    order_hash_one = "0x" + eip712.keccak(signer_one + digest)[:25].hex()
    assert results[2]["hash()"] == ["ok", order_hash_one]
    # The setter replaced the constructor's signature of the other key.
    assert results[3]["hash()"] == ["ok", order_hash_one]
    # Two signatures of one order by one key give one order hash; another key another one.
    assert results[4]["hash()"] == ["ok", order_hash_one]
    signer_two = eip712.address_of_key(KEY_TWO)
    assert results[5] == {
        "hash()": ["ok", "0x" + eip712.keccak(signer_two + digest)[:25].hex()],
        "recover_signer()": ["ok", ["0x" + digest.hex(), eip712.signer_text(signer_two)]],
    }
    assert results[6] == {call: ["QzrCommonError", "Negatives don't scale into unsigned: -0.000001"]
                          for call in ("hash_eip712()", "recover_signer()")}


def test_without_a_context_only_the_pair_works():
    code = f"""
from qzr_python.common.enums import OrderSide, OrderType
from qzr_python.common.requests.intents import OrderIntent
intent = OrderIntent("ETHP", "main", OrderSide.Bid, OrderType.Limit, {NONCE_ONE!r}, "1.5", "2000", "0")
results = [outcome(lambda: intent.hash_eip712((1, {SNAPSHOT_CONTRACT!r})))]
results.append(outcome(lambda: intent.hash_eip712()))
results.append(outcome(lambda: intent.recover_signer()))
results.append(outcome(lambda: intent.hash_eip712((1, {SNAPSHOT_CONTRACT!r}))))
print(json.dumps(results))
"""
    results = run_with_context(code)
    expected = "0x" + eip712.digest("OrderIntent", order().json["c"], 1, SNAPSHOT_CONTRACT).hex()
    assert results[0] == ["ok", expected] == results[3]
    assert results[1][0] == results[2][0] == "PanicException"
    assert "QZR_SHARE" in results[1][1]


def test_a_conversion_that_touches_the_intent_meets_its_borrow():
    intent = order(signature=SIGNATURE)
    seen = []

    class ChainId:
        def __index__(self):
            try:
                intent.signature = UNSIGNED
            except RuntimeError as error:
                seen.append(str(error))
            seen.append(intent.signature)  # reading while shared-borrowed is fine
            return 1

    assert intent.hash_eip712((ChainId(), SNAPSHOT_CONTRACT)) == intent.hash_eip712((1, SNAPSHOT_CONTRACT))
    assert seen == ["Already borrowed", SIGNATURE]
    intent.signature = UNSIGNED  # the borrow ended with the call
    assert intent.signature == UNSIGNED
