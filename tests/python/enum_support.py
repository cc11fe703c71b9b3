"""The enumeration classes of the module, shared by the tests of every enumeration family: one table
holding each class with its member names in number order, its docstring and its text signature
(none where the class has no constructor). test_enums.py checks the table against the module."""

from collections import namedtuple

from qzr_python.common import TokenSymbol
from qzr_python.common.enums import OrderSide, OrderType, PositionSide, PriceDirection, TradeSide
from qzr_python.common.requests import SettlementAction
from qzr_python.common.state import ItemKind, SpecsKind
from qzr_python.common.transactions import InsuranceFundUpdateKind, StrategyUpdateKind, TraderUpdateKind

Enumeration = namedtuple("Enumeration", "cls names doc signature")

STRATEGY_UPDATE_KIND_DOC = (
    "Differentiates various types of strategy updates.\n\nEnumerates different scenarios like deposits, "
    "withdrawals, and other events\nthat impact a trader's strategy, enabling appropriate response and adjustment "
    "in the strategy."
)

ENUMERATIONS = [
    Enumeration(TokenSymbol, ["USDC", "QZR"], "Well-known ERC20 tokens used in the underpinning of the protocol", None),
    Enumeration(OrderSide, ["Bid", "Ask"], "", "(name)"),
    Enumeration(OrderType, ["Limit", "Market", "StopLimit"], None, None),
    Enumeration(PositionSide, ["Empty", "Long", "Short"], None, None),
    Enumeration(TradeSide, ["Maker", "Taker"], None, None),
    Enumeration(
        PriceDirection, ["Up", "Down", "Flat", "Unknown"],
        "Direction of the price movement compared to the last price update executed.", None,
    ),
    Enumeration(SettlementAction, ["TradeMining", "PnlRealization", "FundingDistribution"], None, None),
    Enumeration(
        ItemKind,
        [
            "Empty", "Trader", "Strategy", "Position", "BookOrder", "Price", "InsuranceFund", "Stats", "Signer",
            "Specs", "InsuranceFundContribution", "FeePool", "EpochMetadata",
        ],
        "", "(value)",
    ),
    Enumeration(SpecsKind, ["SingleNamePerpetual", "MarketGateway"], "", "(kind)"),
    Enumeration(
        StrategyUpdateKind,
        ["Unassigned", "Deposit", "Withdraw", "WithdrawIntent", "FundingPayment", "RealizedPnl"],
        STRATEGY_UPDATE_KIND_DOC, "(name)",
    ),
    Enumeration(InsuranceFundUpdateKind, ["Unassigned", "Deposit", "Withdraw"], "", "(name)"),
    Enumeration(
        TraderUpdateKind,
        ["Unassigned", "Deposit", "Withdraw", "WithdrawQZRIntent", "TradeMiningReward", "Profile"],
        "Differentiates various types of trader updates.", "(name)",
    ),
]

# Each class's member names in number order.
NAMES = {enumeration.cls: enumeration.names for enumeration in ENUMERATIONS}
CLASSES = list(NAMES)
# (class, docstring, text signature).
CLASS_TEXTS = [(enumeration.cls, enumeration.doc, enumeration.signature) for enumeration in ENUMERATIONS]
WITHOUT_CONSTRUCTOR = [enumeration.cls for enumeration in ENUMERATIONS if enumeration.signature is None]
