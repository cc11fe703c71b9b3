// Recovery of the signer's account address from a secp256k1 signature (r, s, v) over a 32-byte
// digest, with libsecp256k1. Recovery only: the product never signs.
#pragma once

#include "core/common_error.hpp"
#include "values/fixed_bytes.hpp"

namespace qzr {

// Faults only where the library fails us: "secp256k1_context_create failed" when the process's
// one context cannot be built (and "Once has panicked" on every call after that), "secp256k1
// illegal argument: <message>" when the library reports an argument it refuses (the calls here
// give none). The address of the key that signed
// `digest`, checked in this order (the first failure wins):
// 1. v - 27 (mod 256) must be 0 to 3 (v = 27, 28, 29, 30; ids 2 and 3 take r + n as R's x
//    coordinate): else Crypto "InvalidRecoveryId" (so an all-zero signature reports this).
// 2. r and s must be below the group order n: else Crypto "InvalidSignature".
// 3. s must not exceed (n - 1) / 2 (EIP-2): else Other "Signature is not compliant with EIP-2".
// 4. SEC 1 public-key recovery (r or s zero, no curve point for R, a result at infinity): else
//    Crypto "InvalidSignature".
// The address is the last 20 bytes of keccak256 of the 64-byte public key X || Y. A wrong digest
// is not an error: it recovers some other address. Thread-safe; the library context is built once
// per process.
Result<AccountAddress> recover_signer_address(const Hash& digest, const Signature& signature);

}  // namespace qzr
