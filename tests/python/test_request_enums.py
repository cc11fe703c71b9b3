"""What the request and transaction enumerations add to the enumeration classes (test_enums.py):
the update kinds' constructors from names (the member names of enum_support.py), and
SettlementAction's fixed hash (an independent SipHash-1-3 of the test checks the table)."""

import pytest

from enum_support import NAMES
from qzr_python.common import QzrCommonError
from qzr_python.common.requests import SettlementAction
from qzr_python.common.transactions import InsuranceFundUpdateKind, StrategyUpdateKind, TraderUpdateKind

UPDATE_KINDS = [StrategyUpdateKind, TraderUpdateKind, InsuranceFundUpdateKind]


@pytest.mark.parametrize("cls, name", [(cls, name) for cls in UPDATE_KINDS for name in NAMES[cls][1:]])
def test_update_kind_constructor(cls, name):
    made = cls(name)
    assert made == getattr(cls, name) and made is not getattr(cls, name)
    assert type(made) is cls
    assert cls(name=name) == made


@pytest.mark.parametrize("cls, name", [
    (StrategyUpdateKind, "Unassigned"),
    (TraderUpdateKind, "Unassigned"),
    (InsuranceFundUpdateKind, "Unassigned"),
    (TraderUpdateKind, "deposit"),
    (TraderUpdateKind, " Deposit"),
    (TraderUpdateKind, "Deposit "),
    (StrategyUpdateKind, "WithdrawQZRIntent"),
    (TraderUpdateKind, "WithdrawIntent"),
    (InsuranceFundUpdateKind, "WithdrawIntent"),
    (InsuranceFundUpdateKind, "Profile"),
    (StrategyUpdateKind, ""),
    (StrategyUpdateKind, "Deposit\x00"),
    (StrategyUpdateKind, "Dépôt"),
])
def test_update_kind_refusals(cls, name):
    with pytest.raises(QzrCommonError) as raised:
        cls(name)
    assert raised.value.args == (f"Invalid {cls.__name__} value {name}",)


@pytest.mark.parametrize("call, text", [
    (lambda: StrategyUpdateKind(), "StrategyUpdateKind.__new__() missing 1 required positional argument: 'name'"),
    (lambda: StrategyUpdateKind(5), "argument 'name': 'int' object cannot be converted to 'PyString'"),
    (lambda: TraderUpdateKind(TraderUpdateKind.Deposit),
     "argument 'name': 'TraderUpdateKind' object cannot be converted to 'PyString'"),
    (lambda: InsuranceFundUpdateKind("Deposit", "Withdraw"),
     "InsuranceFundUpdateKind.__new__() takes 1 positional arguments but 2 were given"),
    (lambda: InsuranceFundUpdateKind(kind="Deposit"),
     "InsuranceFundUpdateKind.__new__() got an unexpected keyword argument 'kind'"),
])
def test_constructor_argument_errors(call, text):
    with pytest.raises(TypeError) as raised:
        call()
    assert str(raised.value) == text


def siphash13(data, k0=0, k1=0):
    """SipHash-1-3 of `data` (bytes) with the 64-bit keys k0, k1, written from its definition."""
    mask = 2**64 - 1

    def rotl(x, b):
        return ((x << b) | (x >> (64 - b))) & mask

    v = [k0 ^ 0x736F6D6570736575, k1 ^ 0x646F72616E646F6D, k0 ^ 0x6C7967656E657261, k1 ^ 0x7465646279746573]

    def round_():
        v[0] = (v[0] + v[1]) & mask; v[1] = rotl(v[1], 13); v[1] ^= v[0]; v[0] = rotl(v[0], 32)
        v[2] = (v[2] + v[3]) & mask; v[3] = rotl(v[3], 16); v[3] ^= v[2]
        v[0] = (v[0] + v[3]) & mask; v[3] = rotl(v[3], 21); v[3] ^= v[0]
        v[2] = (v[2] + v[1]) & mask; v[1] = rotl(v[1], 17); v[1] ^= v[2]; v[2] = rotl(v[2], 32)

    tail = len(data) % 8
    for i in range(0, len(data) - tail, 8):
        m = int.from_bytes(data[i:i + 8], "little")
        v[3] ^= m
        round_()
        v[0] ^= m
    last = (len(data) & 0xFF) << 56 | int.from_bytes(data[len(data) - tail:], "little")
    v[3] ^= last
    round_()
    v[0] ^= last
    v[2] ^= 0xFF
    for _ in range(3):
        round_()
    return v[0] ^ v[1] ^ v[2] ^ v[3]


@pytest.mark.parametrize("member, value", [
    (SettlementAction.TradeMining, -4800647303603446203),
    (SettlementAction.PnlRealization, 2206609067086327257),
    (SettlementAction.FundingDistribution, -6569889354672326634),
])
def test_settlement_action_hash(member, value):
    assert hash(member) == value
    h = min(siphash13(int(member).to_bytes(8, "little")), 2**64 - 2)
    assert (h - 2**64 if h >= 2**63 else h) == value


def test_settlement_actions_as_keys():
    actions = {SettlementAction.TradeMining, SettlementAction.PnlRealization, SettlementAction.TradeMining}
    assert len(actions) == 2
    assert len({0, SettlementAction.TradeMining}) == 2
    assert {SettlementAction.FundingDistribution: "x"}[SettlementAction.FundingDistribution] == "x"
