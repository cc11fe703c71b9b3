// Member tables of the seven intent classes: constructors, field getters with their docstrings,
// the signature setter and the hashing methods.
#include "python/classes/requests/intent_classes.hpp"

#include <optional>
#include <string>
#include <utility>

#include "context/token_symbol.hpp"
#include "python/classes/requests/request_arguments.hpp"
#include "python/classes/requests/request_record_members.hpp"
#include "requests/intent_hashing.hpp"

namespace qzr::py {
namespace {

// The readings of the constructors' text arguments (two different hex rules, see values/hex.hpp):
using StrategyText = TextArgument<StrategyId, &strategy_id_from_text>;
using NonceText = TextArgument<qzr::Hash, &bytes32_from_hex>;           // fixed: optional "0x", 64 digits
using CurrencyText = TextArgument<TokenAddress, &parse_token_address>;  // fixed: optional "0x", 40 digits
using OrderHashText = TextArgument<Bytes25, &bytes25_from_hex>;         // strip: every "0x" removed
using SignatureText = TextArgument<Signature, &signature_from_hex>;     // strip: every "0x" removed
using Amount = RecordedAmountArgument;

// Absent or None: the 65 zero bytes of an unsigned intent.
Signature signature_or_unsigned(const std::optional<SignatureText>& signature) {
  return signature ? signature->value : Signature{};
}

OrderIntent make_order(ProductSymbolArgument symbol, StrategyText strategy, OrderSide side,
                       OrderType order_type, NonceText nonce, Amount amount, Amount price, Amount stop_price,
                       std::optional<SignatureText> signature) {
  return OrderIntent{symbol.value, strategy.value,   side,
                     order_type,   nonce.value,      amount.value,
                     price.value,  stop_price.value, signature_or_unsigned(signature)};
}

CancelOrderIntent make_cancel_order(ProductSymbolArgument symbol, OrderHashText order_hash, NonceText nonce,
                                    std::optional<SignatureText> signature) {
  return CancelOrderIntent{symbol.value, order_hash.value, nonce.value, signature_or_unsigned(signature)};
}

CancelAllIntent make_cancel_all(ProductSymbolArgument symbol, StrategyText strategy, NonceText nonce,
                                std::optional<SignatureText> signature) {
  return CancelAllIntent{symbol.value, strategy.value, nonce.value, signature_or_unsigned(signature)};
}

WithdrawIntent make_withdraw(StrategyText strategy_id, CurrencyText currency, Amount amount, NonceText nonce,
                             std::optional<SignatureText> signature) {
  return WithdrawIntent{strategy_id.value, currency.value, amount.value, nonce.value,
                        signature_or_unsigned(signature)};
}

WithdrawQZRIntent make_withdraw_qzr(Amount amount, NonceText nonce, std::optional<SignatureText> signature) {
  return WithdrawQZRIntent{amount.value, nonce.value, signature_or_unsigned(signature)};
}

InsuranceFundWithdrawIntent make_insurance_fund_withdraw(CurrencyText currency, Amount amount,
                                                         NonceText nonce,
                                                         std::optional<SignatureText> signature) {
  return InsuranceFundWithdrawIntent{currency.value, amount.value, nonce.value,
                                     signature_or_unsigned(signature)};
}

ProfileUpdate make_profile_update(NonceText nonce, bool pay_fees_in_qzr,
                                  std::optional<SignatureText> signature) {
  return ProfileUpdate{nonce.value, pay_fees_in_qzr, signature_or_unsigned(signature)};
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

Result<std::string> order_hash_text(const OrderIntent& intent) {
  Result<Bytes25> hash = order_hash(intent);
  if (!hash) return fail(std::move(hash.error()));
  return to_hex(*hash);
}

constexpr char nonce_doc[] =
    "A salt for uniqueness of the EIP-712 hash function. May optionally have business meaning to the client.";
constexpr char withdraw_signature_doc[] = "EIP-712 signature of the withdraw intent attributes";
constexpr char cancel_signature_doc[] = "EIP-712 signature of the order cancellation intent attributes";
constexpr char order_signature_doc[] = "EIP-712 signature of the order intent attributes";
constexpr char currency_doc[] = "Ethereum address of the collateral token (ERC-20)";
constexpr char withdraw_amount_doc[] = "Amount to withdraw";
constexpr char cancel_nonce_doc[] =
    "`nonce` specified in the order intent to cancel (to lookup the order without storing its hash)\n"
    "A salt for uniqueness of the EIP-712 hash function. May optionally have business meaning to the client.";

// The getters of every field with the docstrings of Docs, the setter of the signature (the last
// field, under its getter's docstring), the shared members and the hashing methods of every intent.
template <SignedIntent Intent, class Docs>
requires(field_at<Intent, field_count<Intent> - 1>.name == "signature") using IntentMembers = Members<
    FieldGetters<Intent, Docs>,
    Setter<"signature", &set_signature<Intent>, Docs::template at<field_count<Intent> - 1>()>,
    RequestRecordMembers<Intent>, Method<"hash_eip712", &hash_eip712<Intent>, "message_metadata=None">,
    Method<"recover_signer", &recover_signer_texts<Intent>>>;

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

void ClassDef<WithdrawIntent>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_withdraw, "strategy_id", "currency", "amount", "nonce", "signature=None">,
          IntentMembers<WithdrawIntent,
                        FieldDocs<"Strategy Id (label)", currency_doc, withdraw_amount_doc, nonce_doc,
                                  withdraw_signature_doc>>>::add_to<WithdrawIntent>(builder);
}

void ClassDef<WithdrawQZRIntent>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_withdraw_qzr, "amount", "nonce", "signature=None">,
          IntentMembers<WithdrawQZRIntent,
                        FieldDocs<withdraw_amount_doc,
                                  "A salt for uniqueness of the EIP-712 hash function. May optionally have\n"
                                  "business meaning to the client.",
                                  "EIP-712 signature of the withdraw qzr intent attributes">>>::
      add_to<WithdrawQZRIntent>(builder);
}

void ClassDef<InsuranceFundWithdrawIntent>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_insurance_fund_withdraw, "currency", "amount", "nonce", "signature=None">,
          IntentMembers<InsuranceFundWithdrawIntent,
                        FieldDocs<currency_doc, withdraw_amount_doc, nonce_doc, withdraw_signature_doc>>>::
      add_to<InsuranceFundWithdrawIntent>(builder);
}

void ClassDef<ProfileUpdate>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_profile_update, "nonce", "pay_fees_in_qzr", "signature=None">,
          IntentMembers<ProfileUpdate, FieldDocs<nonce_doc, "Sets the flag in the trader profile",
                                                 order_signature_doc>>>::add_to<ProfileUpdate>(builder);
}

}  // namespace qzr::py
