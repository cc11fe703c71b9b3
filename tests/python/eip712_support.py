"""An independent EIP-712 encoder and secp256k1 signer for the intents' tests.

The encoder works from the struct type strings and the word rules of the intents' typed data, and
reads each field from the intent's request dict content (camelCase keys, texts as written there),
so it shares nothing with the module but the published form. Keccak-256 is pycryptodome's; curve
arithmetic is python3-ecdsa's; the signatures are made here with low-s normalisation.
"""

import decimal
import re
import secrets

from Cryptodome.Hash import keccak as keccak_module
from ecdsa import SECP256k1
from ecdsa.ellipticcurve import PointJacobi

N = SECP256k1.order
P = SECP256k1.curve.p()
G = SECP256k1.generator
HALF_N = (N - 1) // 2

DOMAIN_TYPE = b"EIP712Domain(string name,string version,uint256 chainId,address verifyingContract)"

# The struct type string of each intent class.
TYPE_STRINGS = {
    "OrderIntent": "OrderParams(bytes32 symbol,bytes32 strategy,uint256 side,uint256 orderType,bytes32 nonce,"
    "uint256 amount,uint256 price,uint256 stopPrice)",
    "CancelOrderIntent": "CancelOrderParams(bytes32 symbol,bytes32 orderHash,bytes32 nonce)",
    "CancelAllIntent": "CancelAllParams(bytes32 symbol,bytes32 strategy,bytes32 nonce)",
    "WithdrawIntent": "WithdrawParams(bytes32 strategyId,address currency,uint128 amount,bytes32 nonce)",
    "WithdrawQZRIntent": "WithdrawQZRParams(uint128 amount,bytes32 nonce)",
    "InsuranceFundWithdrawIntent": "InsuranceFundWithdrawParams(address currency,uint128 amount,bytes32 nonce)",
    "ProfileUpdateIntent": "UpdateProfileParams(bool payFeesInQzr,bytes32 nonce)",
}

ORDER_SIDES = {"Bid": 0, "Ask": 1}
ORDER_TYPES = {"Limit": 0, "Market": 1, "StopLimit": 2}


def keccak(data):
    return keccak_module.new(digest_bits=256, data=bytes(data)).digest()


def hex_bytes(text):
    return bytes.fromhex(text[2:] if text.startswith("0x") else text)


def uint_word(number):
    return number.to_bytes(32, "big")


def text_word(text):
    encoded = text.encode("utf-8")
    return bytes([len(encoded)]) + encoded + bytes(31 - len(encoded))


def amount_word(text):
    with decimal.localcontext() as context:
        context.prec = 100
        millionths = decimal.Decimal(text) * 10**6
    assert millionths == millionths.to_integral_value() and millionths >= 0, text
    return uint_word(int(millionths))


def field_word(kind, name, value):
    """The 32-byte word of one field: `kind` and `name` from the type string, `value` as the dict
    form writes it."""
    if kind == "bytes32" and name in ("symbol", "strategy", "strategyId"):
        return text_word(value)
    if kind == "bytes32" and name == "orderHash":
        return hex_bytes(value) + bytes(7)
    if kind == "bytes32":
        return hex_bytes(value)
    if name == "side":
        return uint_word(ORDER_SIDES[value])
    if name == "orderType":
        return uint_word(ORDER_TYPES[value])
    if kind in ("uint256", "uint128"):
        return amount_word(value)
    if kind == "address":
        return bytes(12) + hex_bytes(value)
    if kind == "bool":
        return uint_word(1 if value else 0)
    raise AssertionError(f"no word rule for {kind} {name}")


def struct_hash(type_string, content):
    fields = re.fullmatch(r"\w+\((.*)\)", type_string).group(1).split(",")
    words = [field_word(*field.split(" "), content[field.split(" ")[1]]) for field in fields]
    return keccak(keccak(type_string.encode()) + b"".join(words))


def domain_separator(chain_id, contract):
    return keccak(
        keccak(DOMAIN_TYPE) + keccak(b"Velmarind") + keccak(b"1") + uint_word(chain_id) + bytes(12) + hex_bytes(contract)
    )


def digest(class_name, content, chain_id, contract):
    """The EIP-712 digest (32 bytes) of an intent given by its class name and dict content."""
    return keccak(b"\x19\x01" + domain_separator(chain_id, contract) + struct_hash(TYPE_STRINGS[class_name], content))


# ---- keys, signatures and recovery -----------------------------------------------------------


def address_of_point(point):
    """The 20-byte account address of a public key point."""
    return keccak(point.x().to_bytes(32, "big") + point.y().to_bytes(32, "big"))[12:]


def address_of_key(secret):
    return address_of_point(G * secret)


def signer_text(address):
    """The signer as recover_signer writes it: chain byte 0, then the address."""
    return "0x00" + address.hex()


def signature_text(r, s, v):
    return "0x" + r.to_bytes(32, "big").hex() + s.to_bytes(32, "big").hex() + bytes([v]).hex()


def sign(secret, message_digest, nonce=None):
    """(r, s, v) over a 32-byte digest, s normalised to the lower half, v = 27 + recovery id."""
    z = int.from_bytes(message_digest, "big") % N
    while True:
        k = nonce if nonce is not None else secrets.randbelow(N - 1) + 1
        point = G * k
        r = point.x() % N
        s = pow(k, -1, N) * (z + r * secret) % N
        if r and s:
            break
        assert nonce is None, "a fixed nonce gave r or s zero"
    recovery_id = (point.y() & 1) | (2 if point.x() >= N else 0)
    if s > HALF_N:
        s = N - s
        recovery_id ^= 1
    return r, s, 27 + recovery_id


def point_with_x(x, odd):
    """The curve point with this x coordinate and y parity, or None when there is none."""
    alpha = (pow(x, 3, P) + 7) % P
    y = pow(alpha, (P + 1) // 4, P)
    if y * y % P != alpha:
        return None
    if y & 1 != odd:
        y = P - y
    return PointJacobi(SECP256k1.curve, x, y, 1, N)


def recover(message_digest, r, s, v):
    """SEC 1 public-key recovery done naively: the address of r^-1 (s R - e G)."""
    recovery_id = v - 27
    point = point_with_x(r + (N if recovery_id & 2 else 0), recovery_id & 1)
    e = int.from_bytes(message_digest, "big") % N
    public = (point * s + G * ((N - e) % N)) * pow(r, -1, N)
    return address_of_point(public)
