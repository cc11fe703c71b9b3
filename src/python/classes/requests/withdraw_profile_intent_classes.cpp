// Member tables of the three withdraw intents (WithdrawIntent, WithdrawQZRIntent,
// InsuranceFundWithdrawIntent) and of ProfileUpdate.
#include "python/classes/requests/intent_class_members.hpp"
#include "python/classes/requests/intent_classes.hpp"

namespace qzr::py {
namespace {

using namespace intent_members;

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

constexpr char withdraw_signature_doc[] = "EIP-712 signature of the withdraw intent attributes";
constexpr char currency_doc[] = "Ethereum address of the collateral token (ERC-20)";
constexpr char withdraw_amount_doc[] = "Amount to withdraw";

}  // namespace

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
