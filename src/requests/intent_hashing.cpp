// Digests in the application context's domain, signer recovery of intents and order hashes.
#include "requests/intent_hashing.hpp"

#include <algorithm>
#include <tuple>

#include "context/app_context.hpp"
#include "requests/signer_recovery.hpp"
#include "values/keccak.hpp"

namespace qzr {

Result<Eip712Domain> eip712_domain_from_metadata(std::uint64_t chain_id, std::string_view contract_text) {
  Result<AccountAddress> contract = parse_h160(contract_text);
  if (!contract) return fail(std::move(contract.error()));
  return Eip712Domain{chain_id, *contract};
}

template <SignedIntent Intent>
Result<Hash> eip712_digest_in_app_context(const Intent& intent) {
  const AppContextReadGuard context = get_app_context();
  return eip712_digest(intent, Eip712Domain{context->chain_id, context->contract_address});
}

template <SignedIntent Intent>
Result<SignerRecovery> recover_signer(const Intent& intent) {
  Result<Hash> digest = eip712_digest_in_app_context(intent);
  if (!digest) return fail(std::move(digest.error()));
  Result<AccountAddress> address = recover_signer_address(*digest, intent.signature);
  if (!address) return fail(std::move(address.error()));
  return SignerRecovery{*digest, trader_address_from_h160(*address)};
}

Result<Bytes25> order_hash(const OrderIntent& intent) {
  Result<Hash> digest = eip712_digest_in_app_context(intent);
  if (!digest) return fail(std::move(digest.error()));
  Result<AccountAddress> address = recover_signer_address(*digest, intent.signature);
  if (!address) return fail(std::move(address.error()));
  std::array<std::uint8_t, 52> preimage{};
  std::ranges::copy(address->bytes, preimage.begin());
  std::ranges::copy(digest->bytes, preimage.begin() + 20);
  const Keccak256Digest hash = keccak256(preimage);
  return Bytes25::prefix_of(std::span<const std::uint8_t, 32>(hash));
}

// Every intent of the list (signed_intents.hpp) has its digest in the context's domain and its
// signer recovery defined here (see Eip712Instances in eip712.cpp).
template <class Intents>
struct IntentHashingInstances;
template <class... Intent>
struct IntentHashingInstances<std::tuple<Intent...>> {
  static constexpr std::tuple functions{&eip712_digest_in_app_context<Intent>..., &recover_signer<Intent>...};
};
template struct IntentHashingInstances<SignedIntentTypes<std::tuple>>;

}  // namespace qzr
