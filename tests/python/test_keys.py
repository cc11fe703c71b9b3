"""The tree key classes and SpecsKind: layouts, round trips, hashes, order, texts and errors.

Independent references: the key layout and the field hash streams written out here in Python,
a pure-Python SipHash-1-3 (checked against the worked hash values), and pycryptodome's Keccak.
"""

import copy
import string
import struct
from collections import namedtuple

import pytest
from Cryptodome.Hash import keccak
from hypothesis import given, strategies as st

from qzr_python.common import ProductSymbol, QzrCommonError
from qzr_python.common.state import SpecsKind
from qzr_python.common.state.keys import (
    BookOrderKey,
    EpochMetadataKey,
    FeePoolKey,
    InsuranceFundContributionKey,
    InsuranceFundKey,
    PositionKey,
    PriceKey,
    SignerKey,
    SpecsKey,
    StatsKey,
    StrategyKey,
    TraderKey,
)
from qzr_python.h256 import H256

CHARSET = "0ABCDEFGHIJKLMNOPQRSTUVWXYZ"
MASK = 2**64 - 1
ADDRESS = "0x00" + "11" * 20
OTHER_ADDRESS = "0x01" + bytes(range(1, 21)).hex()
INSURANCE_FUND_NAME = b"OrganicInsuranceFund" + bytes(11)


# ---- references -------------------------------------------------------------------------------


def _rotl(x, b):
    return ((x << b) | (x >> (64 - b))) & MASK


def siphash13(message):
    """SipHash-1-3 with both keys zero."""
    v0, v1, v2, v3 = 0x736F6D6570736575, 0x646F72616E646F6D, 0x6C7967656E657261, 0x7465646279746573

    def rounds(count):
        nonlocal v0, v1, v2, v3
        for _ in range(count):
            v0 = (v0 + v1) & MASK
            v1 = _rotl(v1, 13) ^ v0
            v0 = _rotl(v0, 32)
            v2 = (v2 + v3) & MASK
            v3 = _rotl(v3, 16) ^ v2
            v0 = (v0 + v3) & MASK
            v3 = _rotl(v3, 21) ^ v0
            v2 = (v2 + v1) & MASK
            v1 = _rotl(v1, 17) ^ v2
            v2 = _rotl(v2, 32)

    full = len(message) - len(message) % 8
    for i in range(0, full, 8):
        word = int.from_bytes(message[i : i + 8], "little")
        v3 ^= word
        rounds(1)
        v0 ^= word
    last = (len(message) & 0xFF) << 56 | int.from_bytes(message[full:], "little")
    v3 ^= last
    rounds(1)
    v0 ^= last
    v2 ^= 0xFF
    rounds(3)
    return v0 ^ v1 ^ v2 ^ v3


def python_hash(message):
    h = siphash13(message)
    h = MASK - 1 if h == MASK else h
    return h - 2**64 if h >= 2**63 else h


def u64(n):
    return struct.pack("<Q", n)


def packed(symbol_text):
    return sum(CHARSET.index(c) * 32**i for i, c in enumerate(symbol_text)).to_bytes(6, "little")


def h256(raw):
    return H256.from_bytes(bytes(raw))


def test_reference_siphash_matches_the_worked_hash_values():
    assert python_hash(bytes(8)) == -4800647303603446203
    assert python_hash(u64(6) + packed("ETHP")) == -3601349284326933603
    assert python_hash(u64(6) + packed("BTCP")) == 8651313395501770510


# ---- one model per class: the key and what it must encode to, hash and sort like --------------

# `encoded`: the 32-byte tree key; `message`: the field hash streams; `order`: a Python tuple of
# the fields in declared order that sorts like the key.
Model = namedtuple("Model", "key encoded message order")

addresses = st.binary(min_size=21, max_size=21)
strategy_hashes = st.binary(min_size=4, max_size=4)
hashes25 = st.binary(min_size=25, max_size=25)
symbols = st.text(alphabet=string.ascii_uppercase, min_size=1, max_size=4).map(lambda u: u + "P")
epochs = st.integers(min_value=0, max_value=2**64 - 1)
specs_names = st.text(max_size=28).filter(lambda name: len(name.encode()) <= 28)
specs_kinds = st.sampled_from([SpecsKind.SingleNamePerpetual, SpecsKind.MarketGateway])


def hex0x(raw):
    return "0x" + raw.hex()


def address_model(cls, kind):
    return addresses.map(lambda a: Model(cls(hex0x(a)), bytes([kind]) + a + bytes(10), u64(21) + a, (a,)))


@st.composite
def strategy_models(draw):
    a, h = draw(addresses), draw(strategy_hashes)
    return Model(StrategyKey(hex0x(a), hex0x(h)), b"\x02" + a + h + bytes(6), u64(21) + a + u64(4) + h, (a, h))


@st.composite
def position_models(draw):
    a, h, s = draw(addresses), draw(strategy_hashes), draw(symbols)
    symbol = draw(st.sampled_from([s, ProductSymbol(s)]))
    p = packed(s)
    return Model(
        PositionKey(hex0x(a), hex0x(h), symbol),
        b"\x03" + p + a + h,
        u64(21) + a + u64(4) + h + u64(6) + p,
        (a, h, p),
    )


def symbol_hash_model(cls, kind):
    @st.composite
    def models(draw):
        s, o = draw(symbols), draw(hashes25)
        p = packed(s)
        return Model(cls(s, hex0x(o)), bytes([kind]) + p + o, u64(6) + p + u64(25) + o, (p, o))

    return models()


@st.composite
def specs_models(draw):
    kind, name = draw(specs_kinds), draw(specs_names)
    raw = name.encode()
    return Model(
        SpecsKey(kind, name),
        bytes([9, 0, int(kind), len(raw)]) + raw + bytes(28 - len(raw)),
        u64(int(kind)) + raw + b"\xff",
        (int(kind), raw),
    )


@st.composite
def fee_pool_models(draw):
    epoch = draw(st.none() | epochs)
    if epoch is None:
        return Model(draw(st.sampled_from([FeePoolKey(), FeePoolKey(None)])), b"\x0b" + bytes(31), u64(0), ())
    return Model(FeePoolKey(epoch), b"\x0b\x78" + epoch.to_bytes(8, "big") + bytes(22), u64(1) + u64(epoch), (epoch,))


MODELS = {
    "TraderKey": address_model(TraderKey, 1),
    "StrategyKey": strategy_models(),
    "PositionKey": position_models(),
    "BookOrderKey": symbol_hash_model(BookOrderKey, 4),
    "PriceKey": symbol_hash_model(PriceKey, 5),
    "InsuranceFundKey": st.just(
        Model(InsuranceFundKey(), b"\x06" + INSURANCE_FUND_NAME, u64(31) + INSURANCE_FUND_NAME, ())
    ),
    "StatsKey": address_model(StatsKey, 7),
    "SignerKey": address_model(SignerKey, 8),
    "SpecsKey": specs_models(),
    "InsuranceFundContributionKey": address_model(InsuranceFundContributionKey, 10),
    "FeePoolKey": fee_pool_models(),
    "EpochMetadataKey": epochs.map(
        lambda e: Model(EpochMetadataKey(e), b"\x0c" + e.to_bytes(8, "big") + bytes(23), u64(e), (e,))
    ),
}


@pytest.mark.parametrize("models", MODELS.values(), ids=MODELS.keys())
@given(data=st.data())
def test_layout_round_trip_and_hash(models, data):
    model = data.draw(models)
    encoded = model.key.encode_key()
    assert encoded.as_bytes() == model.encoded
    decoded = type(model.key).decode_key(encoded)
    assert decoded == model.key
    assert decoded is not model.key
    assert hash(model.key) == hash(decoded) == python_hash(model.message)
    # Asked again, the hash comes from the instance: it must be the same value.
    assert hash(model.key) == hash(decoded) == python_hash(model.message)


@pytest.mark.parametrize("models", MODELS.values(), ids=MODELS.keys())
@given(data=st.data())
def test_order_and_equality_follow_the_declared_fields(models, data):
    a, b = data.draw(models), data.draw(models)
    assert (a.key < b.key) == (a.order < b.order)
    assert (a.key > b.key) == (b.order < a.order)
    assert (a.key == b.key) == (a.order == b.order)
    assert (a.key != b.key) == (a.order != b.order)


# ---- encodings, hashes and texts of the worked examples --------------------------------------


@pytest.mark.parametrize(
    "key, encoded",
    [
        (TraderKey(ADDRESS), "01" + "00" + "11" * 20 + "00" * 10),
        (FeePoolKey(), "0b" + "00" * 31),
        (FeePoolKey(5), "0b78" + "0000000000000005" + "00" * 22),
        (FeePoolKey(0), "0b78" + "00" * 30),
        (EpochMetadataKey(5), "0c" + "0000000000000005" + "00" * 23),
        (SpecsKey(SpecsKind.MarketGateway, "ETHP"), "09000104" + "45544850" + "00" * 24),
        (SpecsKey(SpecsKind.SingleNamePerpetual, ""), "09000000" + "00" * 28),
        (PositionKey(ADDRESS, "0xdeadbeef", "ETHP"), "03" + "852208000000" + "00" + "11" * 20 + "deadbeef"),
    ],
)
def test_encode_key_worked_examples(key, encoded):
    assert key.encode_key().as_bytes().hex() == encoded


def test_worked_hash_values():
    assert hash(EpochMetadataKey(0)) == hash(FeePoolKey()) == -4800647303603446203
    keys = {EpochMetadataKey(0): "epoch", FeePoolKey(): "pool"}
    assert keys[copy.deepcopy(FeePoolKey())] == "pool"


ADDRESS_TEXT = '"0x00' + "1" * 40 + '"'


@pytest.mark.parametrize(
    "key, text",
    [
        (TraderKey(ADDRESS), "TraderKey { inner: TraderAddress(" + ADDRESS_TEXT + ") }"),
        (SignerKey(ADDRESS), "SignerKey { inner: SignerAddress(" + ADDRESS_TEXT + ") }"),
        (
            InsuranceFundContributionKey(ADDRESS),
            "InsuranceFundContributionKey { inner: InsuranceFundContributorAddress(" + ADDRESS_TEXT + ") }",
        ),
        (StatsKey(ADDRESS), "StatsKey { trader: TraderAddress(" + ADDRESS_TEXT + ") }"),
        (
            StrategyKey(ADDRESS, "0xdeadbeef"),
            "StrategyKey { trader_address: TraderAddress(" + ADDRESS_TEXT + '), strategy_id_hash: '
            'StrategyIdHash("0xdeadbeef") }',
        ),
        (
            PositionKey(ADDRESS, "0xdeadbeef", "ETHP"),
            "PositionKey { trader_address: TraderAddress(" + ADDRESS_TEXT + '), strategy_id_hash: '
            'StrategyIdHash("0xdeadbeef"), symbol: ProductSymbol("ETHP") }',
        ),
        (
            BookOrderKey("BTCP", "0x" + bytes(range(1, 26)).hex()),
            'BookOrderKey { symbol: ProductSymbol("BTCP"), order_hash: Bytes25(['
            + ", ".join(str(i) for i in range(1, 26))
            + "]) }",
        ),
        (
            PriceKey("ETHP", "00" * 25),
            'PriceKey { symbol: ProductSymbol("ETHP"), index_price_hash: Bytes25([' + ", ".join(["0"] * 25) + "]) }",
        ),
        (InsuranceFundKey(), "InsuranceFundKey([" + ", ".join(str(b) for b in INSURANCE_FUND_NAME) + "])"),
        (SpecsKey(SpecsKind.MarketGateway, "ETHP"), 'SpecsKey { kind: MarketGateway, name: "ETHP" }'),
        (SpecsKey(SpecsKind.SingleNamePerpetual, 'a"\n'), 'SpecsKey { kind: SingleNamePerpetual, name: "a\\"\\n" }'),
        (FeePoolKey(), "FeePoolKey { epoch_id: None }"),
        (FeePoolKey(3), "FeePoolKey { epoch_id: Some(3) }"),
        (EpochMetadataKey(7), "EpochMetadataKey { epoch_id: 7 }"),
    ],
)
def test_repr_and_str(key, text):
    assert repr(key) == text
    assert str(key) == text


# ---- comparison rules -------------------------------------------------------------------------


def test_orderings_other_than_less_than():
    a, b = FeePoolKey(), FeePoolKey(0)
    assert a < b and not b < a
    assert b > a and not a > b
    with pytest.raises(TypeError):
        a <= b
    with pytest.raises(TypeError):
        a >= b
    keys = [EpochMetadataKey(3), EpochMetadataKey(1), EpochMetadataKey(2)]
    assert sorted(keys) == [EpochMetadataKey(1), EpochMetadataKey(2), EpochMetadataKey(3)]
    assert max(keys) == EpochMetadataKey(3) and min(keys) == EpochMetadataKey(1)


def test_insurance_fund_keys_are_equal_and_never_less():
    assert InsuranceFundKey() == InsuranceFundKey()
    assert not InsuranceFundKey() < InsuranceFundKey()


@pytest.mark.parametrize("other", [StatsKey(ADDRESS), SignerKey(ADDRESS), 5, None, ADDRESS])
def test_comparing_with_another_class(other):
    key = TraderKey(ADDRESS)
    assert not key == other
    assert key != other
    with pytest.raises(TypeError):
        key < other


def test_specs_and_position_orders():
    assert SpecsKey(SpecsKind.SingleNamePerpetual, "Z") < SpecsKey(SpecsKind.MarketGateway, "A")
    assert SpecsKey(SpecsKind.MarketGateway, "ETH") < SpecsKey(SpecsKind.MarketGateway, "ETHP")
    # Strategy id hash before symbol, although the tree key begins with the symbol.
    assert PositionKey(ADDRESS, "0x00000000", "ETHP") < PositionKey(ADDRESS, "0x00000001", "BTCP")


# ---- constructors and getters -----------------------------------------------------------------


def test_address_text_forms():
    digits = "00" + "11" * 20
    assert TraderKey(digits) == TraderKey("0x" + digits) == TraderKey("0x0x" + digits[:10] + "0x" + digits[10:])
    assert StatsKey(digits.upper()).trader == "0x" + digits


def test_getters():
    s = StrategyKey(ADDRESS, "0xDEADBEEF")
    assert (s.trader_address, s.strategy_id_hash) == (ADDRESS, "0xdeadbeef")
    p = PositionKey(ADDRESS, "deadbeef", "ETH P")
    assert (p.trader_address, p.strategy_id_hash) == (ADDRESS, "0xdeadbeef")
    assert p.symbol == ProductSymbol("ETHP") and p.symbol is not p.symbol
    order_hash = "0x" + "ab" * 25
    assert BookOrderKey("BTCP", order_hash).order_hash == order_hash
    assert BookOrderKey("BTCP", order_hash).symbol == ProductSymbol("BTCP")
    assert PriceKey(ProductSymbol("ETHP"), order_hash).index_price_hash == order_hash
    assert StatsKey(ADDRESS).trader == ADDRESS
    specs = SpecsKey(SpecsKind.MarketGateway, "api.example")
    assert specs.kind == SpecsKind.MarketGateway and specs.name == "api.example"
    assert FeePoolKey().epoch_id is None and FeePoolKey(epoch_id=None).epoch_id is None
    assert FeePoolKey(0).epoch_id == 0
    assert EpochMetadataKey(2**64 - 1).epoch_id == 2**64 - 1


def test_conversions_between_keys():
    symbol = ProductSymbol("ETHP")
    strategy = StrategyKey(ADDRESS, "0xdeadbeef")
    assert strategy.as_position_key(symbol) == PositionKey(ADDRESS, "0xdeadbeef", "ETHP")
    assert PositionKey(ADDRESS, "0xdeadbeef", symbol).as_strategy_key() == strategy
    assert StatsKey(ADDRESS).as_trader_key() == TraderKey(ADDRESS)
    with pytest.raises(TypeError, match="^argument 'symbol': 'str' object cannot be converted to 'ProductSymbol'$"):
        strategy.as_position_key("ETHP")


def test_deep_copy():
    key = SpecsKey(SpecsKind.MarketGateway, "ETHP")
    assert key.__deepcopy__({}) == key and key.__deepcopy__({}) is not key
    assert copy.deepcopy(key) == key
    with pytest.raises(TypeError, match="^argument '_memo': 'NoneType' object cannot be converted to 'PyDict'$"):
        key.__deepcopy__(None)


@pytest.mark.parametrize(
    "make, error, text",
    [
        (lambda: TraderKey(5), TypeError, "argument 'inner': 'int' object cannot be converted to 'PyString'"),
        (lambda: TraderKey(b"00"), TypeError, "argument 'inner': 'bytes' object cannot be converted to 'PyString'"),
        (lambda: TraderKey("zz"), QzrCommonError, "Error parsing string into struct: Invalid character 'z' at position 0"),
        (lambda: TraderKey("0x" + "11" * 20), QzrCommonError, "Expected exactly 21 bytes"),
        (lambda: TraderKey("0x123"), QzrCommonError, "Error parsing string into struct: Invalid input length"),
        (lambda: StatsKey("0X" + "11" * 21), QzrCommonError,
         "Error parsing string into struct: Invalid character 'X' at position 1"),
        (lambda: StrategyKey(ADDRESS, "0xdead"), QzrCommonError, "Expected exactly 4 bytes"),
        (lambda: StrategyKey(ADDRESS, 1), TypeError,
         "argument 'strategy_id_hash': 'int' object cannot be converted to 'PyString'"),
        (lambda: PositionKey(ADDRESS, "0xdeadbeef", 5), TypeError,
         "argument 'symbol': 'int' object cannot be converted to 'PyString'"),
        (lambda: PositionKey(ADDRESS, "0xdeadbeef", "ETHX"), QzrCommonError,
         "Error parsing string into struct: Unknown product kind X"),
        (lambda: BookOrderKey("ETHP", "0x" + "11" * 24), QzrCommonError, "Expected exactly 25 bytes"),
        (lambda: PriceKey("ETHP", "0x" + "11" * 26), QzrCommonError, "Expected exactly 25 bytes"),
        (lambda: SpecsKey(0, "ETHP"), TypeError, "argument 'kind': 'int' object cannot be converted to 'SpecsKind'"),
        (lambda: SpecsKey(SpecsKind.MarketGateway, 5), TypeError,
         "argument 'name': 'int' object cannot be converted to 'PyString'"),
        (lambda: SpecsKey(SpecsKind.MarketGateway, "a" * 29), QzrCommonError, "Specs name too long " + "a" * 29),
        (lambda: SpecsKey(SpecsKind.MarketGateway, "\u20ac" * 10), QzrCommonError,
         "Specs name too long " + "\u20ac" * 10),
        (lambda: FeePoolKey("5"), TypeError, "argument 'epoch_id': 'str' object cannot be interpreted as an integer"),
        (lambda: EpochMetadataKey(), TypeError,
         "EpochMetadataKey.__new__() missing 1 required positional argument: 'epoch_id'"),
        (lambda: StrategyKey(), TypeError,
         "StrategyKey.__new__() missing 2 required positional arguments: 'trader_address' and 'strategy_id_hash'"),
        (lambda: InsuranceFundKey(1), TypeError,
         "InsuranceFundKey.__new__() takes 0 positional arguments but 1 was given"),
        (lambda: TraderKey(ADDRESS, inner=ADDRESS), TypeError,
         "TraderKey.__new__() got multiple values for argument 'inner'"),
    ],
)
def test_constructor_errors(make, error, text):
    with pytest.raises(error) as raised:
        make()
    assert type(raised.value) is error
    assert str(raised.value) == text


@pytest.mark.parametrize("value", [-1, 2**64])
@pytest.mark.parametrize("cls", [EpochMetadataKey, FeePoolKey])
def test_epoch_out_of_range(cls, value):
    with pytest.raises(OverflowError):
        cls(value)


@pytest.mark.parametrize(
    "cls, field", [(SignerKey, "SignerAddress.0"), (InsuranceFundContributionKey, "InsuranceFundContributorAddress.0")]
)
@pytest.mark.parametrize(
    "value, cause",
    [
        ("zz", QzrCommonError),
        ("0x" + "11" * 20, QzrCommonError),
        (5, TypeError),
    ],
)
def test_wrapped_address_errors(cls, field, value, cause):
    with pytest.raises(TypeError) as raised:
        cls(value)
    assert str(raised.value) == f"argument 'inner': failed to extract field {field}"
    assert type(raised.value.__cause__) is cause


def test_specs_key_name_limit_counts_bytes():
    assert SpecsKey(SpecsKind.SingleNamePerpetual, "a" * 28).name == "a" * 28
    assert SpecsKey(SpecsKind.SingleNamePerpetual, "\u20ac" * 9).name == "\u20ac" * 9


# ---- decode_key ------------------------------------------------------------------------------


@pytest.mark.parametrize(
    "cls, raw, text",
    [
        (TraderKey, b"\x07" + bytes(31), "Expected discriminant 1, got 7"),
        (TraderKey, b"\x01" + bytes(30) + b"\x01", "Expected only zeroes to remain after extracting the trader address"),
        (SignerKey, b"\x01" + bytes(31), "Expected discriminant 8, got 1"),
        (InsuranceFundContributionKey, bytes(32), "Expected discriminant 10, got 0"),
        (StatsKey, b"\x01" + bytes(31), "Expected a stats key, got 1"),
        (StrategyKey, b"\x02" + bytes(25) + b"\x01" + bytes(5),
         "Expected only zeroes to remain after extracting the trader address"),
        (PositionKey, b"\x02" + bytes(31), "Expected a position key, got 2"),
        (PositionKey, b"\x03\x1f" + bytes(30), f"Illegal characters packed in [31, 0, 0, 0, 0, 0] charset={CHARSET}"),
        (BookOrderKey, b"\x05" + bytes(31), "Expected a book order key, got 5"),
        (PriceKey, b"\x04" + bytes(31), "Expected a price key, got 4"),
        (InsuranceFundKey, b"\x07" + bytes(31), "Expected an insurance fund key, got 7"),
        (SpecsKey, b"\x08" + bytes(31), "Expected a specs key, got 8"),
        (SpecsKey, b"\x09\x01" + bytes(30), "Expected the Ethereum chain discriminant, got 1"),
        (SpecsKey, b"\x09\x00\x02" + bytes(29), "Unexpected specs kind discriminant 2"),
        (SpecsKey, b"\x09\x00\x01\x1d" + bytes(28),
         "Given size greater than available storage [1, 29, " + ", ".join(["0"] * 28) + "]"),
        (FeePoolKey, b"\x0c" + bytes(31), "Expected a FeePool fund key, got 12"),
        (FeePoolKey, b"\x0b\x78" + bytes(8) + b"\x01" + bytes(21),
         "Expected only zeroes to remain after extracting the epoch ID"),
        (EpochMetadataKey, b"\x0b" + bytes(31), "Expected a EpochMetadata key, got 11"),
        (EpochMetadataKey, b"\x0c" + bytes(8) + b"\x01" + bytes(22),
         "Expected only zeroes to remain after extracting the epoch ID"),
    ],
)
def test_decode_key_errors(cls, raw, text):
    with pytest.raises(QzrCommonError) as raised:
        cls.decode_key(h256(raw))
    assert raised.value.args == (text,)


@given(st.binary(min_size=31, max_size=31))
def test_insurance_fund_decoder_reads_byte_0_only(rest):
    assert InsuranceFundKey.decode_key(h256(b"\x06" + rest)) == InsuranceFundKey()


@given(st.binary(min_size=31, max_size=31).filter(lambda rest: rest[0] != 0x78))
def test_fee_pool_key_without_marker_has_no_epoch(rest):
    assert FeePoolKey.decode_key(h256(b"\x0b" + rest)) == FeePoolKey()


def test_lenient_specs_decoding():
    ignored_tail = SpecsKey.decode_key(h256(b"\x09\x00\x01\x03ETHP" + b"\xff" * 24))
    assert ignored_tail == SpecsKey(SpecsKind.MarketGateway, "ETH")
    assert SpecsKey.decode_key(h256(b"\x09\x00\x00\x03E\xffH" + bytes(25))).name == "E\ufffdH"
    assert SpecsKey.decode_key(h256(b"\x09\x00\x00\x1c" + b"A" * 28)).name == "A" * 28
    # A name whose replacement characters would not fit a specs key again is refused.
    with pytest.raises(QzrCommonError, match="^Specs name too long "):
        SpecsKey.decode_key(h256(b"\x09\x00\x00\x1c" + b"\xff" * 28))


def test_strategy_key_byte_25_is_part_of_the_hash():
    key = StrategyKey.decode_key(h256(b"\x02" + bytes(24) + b"\x07" + bytes(6)))
    assert key.strategy_id_hash == "0x00000007"


def test_decode_key_takes_only_h256():
    with pytest.raises(TypeError, match="^argument 'value': 'bytes' object cannot be converted to 'H256'$"):
        TraderKey.decode_key(bytes(32))


# ---- generate_strategy_id_hash ----------------------------------------------------------------


def keccak256(data):
    return keccak.new(digest_bits=256, data=data).digest()


def test_generate_strategy_id_hash_of_the_empty_text():
    assert StrategyKey.generate_strategy_id_hash("") == "0x290decd9"


@given(st.text().filter(lambda text: len(text.encode()) <= 31))
def test_generate_strategy_id_hash_matches_keccak(strategy_id):
    raw = strategy_id.encode()
    word = bytes([len(raw)]) + raw + bytes(31 - len(raw))
    assert StrategyKey.generate_strategy_id_hash(strategy_id) == "0x" + keccak256(word)[:4].hex()


@pytest.mark.parametrize(
    "strategy_id, error, text",
    [
        ("a" * 32, QzrCommonError, "Bytes32 has 31 utf8 bytes prefixed with 1 length byte"),
        ("\u00e9" * 16, QzrCommonError, "Bytes32 has 31 utf8 bytes prefixed with 1 length byte"),
        (5, TypeError, "argument 'strategy_id': 'int' object cannot be converted to 'PyString'"),
    ],
)
def test_generate_strategy_id_hash_errors(strategy_id, error, text):
    with pytest.raises(error) as raised:
        StrategyKey.generate_strategy_id_hash(strategy_id)
    assert str(raised.value) == text


# ---- class options ----------------------------------------------------------------------------

KEY_CLASSES = [
    (TraderKey, "(inner)", None),
    (StrategyKey, "(trader_address, strategy_id_hash)", None),
    (PositionKey, "(trader_address, strategy_id_hash, symbol)", None),
    (BookOrderKey, "(symbol, order_hash)", None),
    (PriceKey, "(symbol, index_price_hash)", None),
    (InsuranceFundKey, "()", None),
    (StatsKey, "(trader)", None),
    (SignerKey, "(inner)", None),
    (SpecsKey, "(kind, name)", "Common key for all specs kind."),
    (InsuranceFundContributionKey, "(inner)", None),
    (FeePoolKey, "(epoch_id=None)", "The Key for a fee_pool, which is an epoch id"),
    (EpochMetadataKey, "(epoch_id)", None),
]


@pytest.mark.parametrize("cls, signature, doc", KEY_CLASSES, ids=[c[0].__name__ for c in KEY_CLASSES])
def test_class_options(cls, signature, doc):
    assert cls.__module__ == "builtins"
    assert cls.__text_signature__ == signature
    assert cls.__doc__ == (doc or "")
    assert cls.encode_key.__text_signature__ == "($self)"
    assert cls.decode_key.__text_signature__ == "($cls, value)"
    assert cls.__deepcopy__.__text_signature__ == "($self, _memo)"


def test_method_signatures_and_getter_docs():
    assert StrategyKey.generate_strategy_id_hash.__text_signature__ == "(strategy_id)"
    assert StrategyKey.as_position_key.__text_signature__ == "($self, symbol)"
    assert SpecsKey.name.__doc__.splitlines()[:3] == [
        "Defined by convention associated with the specs kind.",
        "At the time of writing, the naming conventions are:",
        "",
    ]
    assert len(SpecsKey.name.__doc__.splitlines()) == 5
    assert SpecsKey.kind.__doc__ is None


def test_keys_are_frozen():
    key = StatsKey(ADDRESS)
    with pytest.raises(AttributeError):
        key.trader = OTHER_ADDRESS
    with pytest.raises(AttributeError):
        key.anything = 1


# ---- SpecsKind --------------------------------------------------------------------------------
# Its constructor from texts; what it shares with the other enumerations is in test_enums.py.


@pytest.mark.parametrize("text, member", [("GATEWAY", SpecsKind.MarketGateway),
                                          ("SINGLENAMEPERP", SpecsKind.SingleNamePerpetual)])
def test_specs_kind_from_text(text, member):
    made = SpecsKind(text)
    assert made == member and made is not member and type(made) is SpecsKind
    assert repr(made) == repr(member)
    assert SpecsKind(kind=text) == member


@pytest.mark.parametrize("text", ["MarketGateway", "gateway", "GATEWAY ", ""])
def test_specs_kind_unknown_texts(text):
    with pytest.raises(QzrCommonError) as raised:
        SpecsKind(text)
    assert raised.value.args == (f"Error parsing string into struct: Unable to parse {text} as SpecsKind",)


def test_specs_kind_needs_a_str():
    with pytest.raises(TypeError, match="^argument 'kind': 'int' object cannot be converted to 'PyString'$"):
        SpecsKind(1)
