// Member tables of the two cancellation intents: CancelOrderIntent (one order, by its hash) and
// CancelAllIntent (every order of a strategy).
#include "python/classes/requests/intent_class_members.hpp"
#include "python/classes/requests/intent_classes.hpp"

namespace qzr::py {
namespace {

using namespace intent_members;

CancelOrderIntent make_cancel_order(ProductSymbolArgument symbol, OrderHashText order_hash, NonceText nonce,
                                    std::optional<SignatureText> signature) {
  return CancelOrderIntent{symbol.value, order_hash.value, nonce.value, signature_or_unsigned(signature)};
}

CancelAllIntent make_cancel_all(ProductSymbolArgument symbol, StrategyText strategy, NonceText nonce,
                                std::optional<SignatureText> signature) {
  return CancelAllIntent{symbol.value, strategy.value, nonce.value, signature_or_unsigned(signature)};
}

constexpr char cancel_signature_doc[] = "EIP-712 signature of the order cancellation intent attributes";
constexpr char cancel_nonce_doc[] =
    "`nonce` specified in the order intent to cancel (to lookup the order without storing its hash)\n"
    "A salt for uniqueness of the EIP-712 hash function. May optionally have business meaning to the client.";

}  // namespace

void ClassDef<CancelOrderIntent>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_cancel_order, "symbol", "order_hash", "nonce", "signature=None">,
          IntentMembers<CancelOrderIntent,
                        FieldDocs<"", "hash of the corresponding order intent", cancel_nonce_doc,
                                  cancel_signature_doc>>>::add_to<CancelOrderIntent>(builder);
}

void ClassDef<CancelAllIntent>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_cancel_all, "symbol", "strategy", "nonce", "signature=None">,
          IntentMembers<CancelAllIntent, FieldDocs<"", "Strategy to cancel orders for",
                                                   "A salt for uniqueness of the EIP-712 hash function.",
                                                   cancel_signature_doc>>>::add_to<CancelAllIntent>(builder);
}

}  // namespace qzr::py
