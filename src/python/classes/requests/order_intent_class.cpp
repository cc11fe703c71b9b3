// Member table of OrderIntent: its constructor, the intent members and `hash` (the order hash).
#include "python/classes/requests/intent_class_members.hpp"
#include "python/classes/requests/intent_classes.hpp"

namespace qzr::py {
namespace {

using namespace intent_members;

OrderIntent make_order(ProductSymbolArgument symbol, StrategyText strategy, OrderSide side,
                       OrderType order_type, NonceText nonce, Amount amount, Amount price, Amount stop_price,
                       std::optional<SignatureText> signature) {
  return OrderIntent{symbol.value, strategy.value,   side,
                     order_type,   nonce.value,      amount.value,
                     price.value,  stop_price.value, signature_or_unsigned(signature)};
}

Result<std::string> order_hash_text(const OrderIntent& intent) {
  Result<Bytes25> hash = order_hash(intent);
  if (!hash) return fail(std::move(hash.error()));
  return to_hex(*hash);
}

}  // namespace

void ClassDef<OrderIntent>::add_members(TypeBuilder& builder) {
  Members<
      Constructor<&make_order, "symbol", "strategy", "side", "order_type", "nonce", "amount", "price",
                  "stop_price", "signature=None">,
      IntentMembers<OrderIntent,
                    FieldDocs<"Symbol of the market", "Strategy Id (label)", "Side: 0-Long, 1-Short",
                              "0-Limit, 1-Market, 2-Stop-Limit", nonce_doc, "Order amount",
                              "Order price. For a limit order, it is the limit price.",
                              "Stop price. Set to 0 if the order is not a Stop-Limit.", order_signature_doc>>,
      Method<"hash", &order_hash_text>>::add_to<OrderIntent>(builder);
}

}  // namespace qzr::py
