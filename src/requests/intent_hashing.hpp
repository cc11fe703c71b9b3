// What the intents' Python hashing methods compute: the digest in the application context's
// domain or in a caller's domain, the signer recovered from the intent's signature, and an
// order's 25-byte order hash. Negative amounts are errors here (Other "Negatives don't scale into
// unsigned: <amount>"), raised to Python as QzrCommonError.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/common_error.hpp"
#include "requests/eip712.hpp"
#include "requests/signed_intents.hpp"
#include "values/fixed_bytes.hpp"

namespace qzr {

// The domain of a caller's (chain id, contract text) pair, which replaces the context entirely
// (the context is not read). The text is read by the fixed reading of 20 bytes: one optional
// leading "0x", exactly 40 digits of either case, ASCII blanks skipped; its errors are Other with
// the bare texts ("Invalid character 'X' at position 1", "Invalid input length").
Result<Eip712Domain> eip712_domain_from_metadata(std::uint64_t chain_id, std::string_view contract_text);

// Faults as get_app_context does (with the build's error text when the process's one build of
// the application context fails, such as an unparsable CHAIN_ID or an unreadable addresses file,
// and with "Once has panicked" on every call after that), and as eip712_digest does for a symbol
// that does not unpack (a broken invariant). The intent's digest in the application context's
// domain. The context's read lock is held only while the digest is computed; the first read of
// the process builds the context.
template <SignedIntent Intent>
Result<Hash> eip712_digest_in_app_context(const Intent& intent);

struct SignerRecovery {
  // The digest in the application context's domain.
  Hash digest;
  // Chain byte 0 (Ethereum), then the recovered address.
  TraderAddress signer;
};

// Faults as eip712_digest_in_app_context does, and as recover_signer_address does where the
// library fails us ("secp256k1_context_create failed", "secp256k1 illegal argument: <message>").
// The digest in the application context's domain (lock held for the digest only), then recovery
// from the intent's signature (requests/signer_recovery.hpp), whose errors are returned.
template <SignedIntent Intent>
Result<SignerRecovery> recover_signer(const Intent& intent);

// Faults as recover_signer does. The first 25 bytes of keccak256(recovered 20-byte address ||
// digest), the digest in the application context's domain. Fails as recover_signer.
Result<Bytes25> order_hash(const OrderIntent& intent);

}  // namespace qzr
