// What the member tables of the seven intent classes share: the readings of their constructors'
// text arguments, the docstrings of fields that intents of more than one file have, and
// IntentMembers (the field getters, the signature setter, the shared record members and the
// hashing methods). The helpers are templates and inline functions in intent_members, shared by
// the three files that hold the intents' member tables.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "context/token_symbol.hpp"
#include "python/classes/requests/intent_classes.hpp"
#include "python/classes/requests/request_arguments.hpp"
#include "python/classes/requests/request_record_members.hpp"
#include "requests/intent_hashing.hpp"

namespace qzr::py {
namespace intent_members {

// The readings of the constructors' text arguments (two different hex rules, see values/hex.hpp):
using StrategyText = TextArgument<StrategyId, &strategy_id_from_text>;
using NonceText = TextArgument<qzr::Hash, &bytes32_from_hex>;           // fixed: optional "0x", 64 digits
using CurrencyText = TextArgument<TokenAddress, &parse_token_address>;  // fixed: optional "0x", 40 digits
using OrderHashText = TextArgument<Bytes25, &bytes25_from_hex>;         // strip: every "0x" removed
using SignatureText = TextArgument<Signature, &signature_from_hex>;     // strip: every "0x" removed
using Amount = RecordedAmountArgument;

// Absent or None: the 65 zero bytes of an unsigned intent.
inline Signature signature_or_unsigned(const std::optional<SignatureText>& signature) {
  return signature ? signature->value : Signature{};
}

// The value is read before the receiver is borrowed, so a refused text leaves the old signature.
template <SignedIntent Intent>
void set_signature(Intent& intent, SignatureText signature) {
  intent.signature = signature.value;
}

// "0x" and 64 digits. With a (chain id, contract text) pair the pair is the whole domain and the
// application context is not read; otherwise the context's domain (built on first read).
template <SignedIntent Intent>
Result<std::string> hash_eip712(const Intent& intent, std::optional<U64StrPair> message_metadata) {
  Result<qzr::Hash> digest = [&]() -> Result<qzr::Hash> {
    if (!message_metadata) return eip712_digest_in_app_context(intent);
    Result<Eip712Domain> domain =
        eip712_domain_from_metadata(message_metadata->number, message_metadata->text);
    if (!domain) return fail(std::move(domain.error()));
    return eip712_digest(intent, *domain);
  }();
  if (!digest) return fail(std::move(digest.error()));
  return to_hex(*digest);
}

// (digest text, signer text "0x00" and 40 digits), always in the application context's domain.
template <SignedIntent Intent>
Result<std::pair<std::string, std::string>> recover_signer_texts(const Intent& intent) {
  Result<SignerRecovery> recovery = recover_signer(intent);
  if (!recovery) return fail(std::move(recovery.error()));
  return std::pair{to_hex(recovery->digest), to_hex(recovery->signer)};
}

inline constexpr char nonce_doc[] =
    "A salt for uniqueness of the EIP-712 hash function. May optionally have business meaning to the client.";
inline constexpr char order_signature_doc[] = "EIP-712 signature of the order intent attributes";

}  // namespace intent_members

// The getters of every field with the docstrings of Docs, the setter of the signature (the last
// field, under its getter's docstring), the shared members and the hashing methods of every intent.
template <SignedIntent Intent, class Docs>
requires(field_at<Intent, field_count<Intent> - 1>.name == "signature") using IntentMembers = Members<
    FieldGetters<Intent, Docs>,
    Setter<"signature", &intent_members::set_signature<Intent>, Docs::template at<field_count<Intent> - 1>()>,
    RequestRecordMembers<Intent>,
    Method<"hash_eip712", &intent_members::hash_eip712<Intent>, "message_metadata=None">,
    Method<"recover_signer", &intent_members::recover_signer_texts<Intent>>>;

}  // namespace qzr::py
