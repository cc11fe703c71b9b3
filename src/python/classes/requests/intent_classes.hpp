// The Python classes of the signed intents (qzr_python.common.requests.intents), one for each row of
// the list of signed intents (requests/signed_intents.hpp): each holds its record
// (requests/intents.hpp), is built from its fields, has a getter per field, a `signature` setter,
// repr, `json`, `hash_eip712` and `recover_signer` (and `hash` on OrderIntent).
#pragma once

#include "python/classes/core/field_members.hpp"
#include "python/frame/frame.hpp"
#include "requests/signed_intents.hpp"

namespace qzr::py {

// The traits of an intent class with their defaults: an intent's ClassDef<R> derives from
// IntentClassDef<R> and redeclares what differs. Its Python name is the record's name; it is not
// frozen, since the signature setter borrows exclusively. Its members (intent_classes.cpp): the
// constructor of every field, the signature last and optional ("signature=None": 65 zero bytes);
// the getters with the docstrings of field_docs; the signature setter; repr, `json`, `hash_eip712`
// and `recover_signer`. A class with members of its own redeclares add_members.
template <SignedIntent R>
struct IntentClassDef {
  static constexpr const char* name = record_class_name<R>;
  static constexpr const char* doc = "";
  static constexpr bool frozen = false;
  using field_docs = FieldDocs<>;
  static void add_members(TypeBuilder& builder);
};

// Field docstrings several intents share.
inline constexpr char nonce_doc[] =
    "A salt for uniqueness of the EIP-712 hash function. May optionally have business meaning to the client.";
inline constexpr char withdraw_signature_doc[] = "EIP-712 signature of the withdraw intent attributes";
inline constexpr char cancel_signature_doc[] =
    "EIP-712 signature of the order cancellation intent attributes";
inline constexpr char order_signature_doc[] = "EIP-712 signature of the order intent attributes";
inline constexpr char currency_doc[] = "Ethereum address of the collateral token (ERC-20)";
inline constexpr char withdraw_amount_doc[] = "Amount to withdraw";

template <>
struct ClassDef<OrderIntent> : IntentClassDef<OrderIntent> {
  static constexpr const char* doc =
      "Order intents are meta-transactions signed by traders Ethereum wallets and submitted to operators.\n"
      "\n"
      "They come in through the API, signed by their maker. We verify that:\n"
      "\n"
      "a) the signatures recovers the `trader_address`\n"
      "b) the maker has enough collateral to be solvent when the order gets filled\n"
      "\n"
      "Following verification, we match an order intent against the order book. This may result in\n"
      "fill(s) or posting into the order book depending on the matches found.";
  using field_docs = FieldDocs<"Symbol of the market", "Strategy Id (label)", "Side: 0-Long, 1-Short",
                               "0-Limit, 1-Market, 2-Stop-Limit", nonce_doc, "Order amount",
                               "Order price. For a limit order, it is the limit price.",
                               "Stop price. Set to 0 if the order is not a Stop-Limit.", order_signature_doc>;
  // The intent's members and `hash`.
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<CancelOrderIntent> : IntentClassDef<CancelOrderIntent> {
  using field_docs =
      FieldDocs<"", "hash of the corresponding order intent",
                "`nonce` specified in the order intent to cancel (to lookup the order without "
                "storing its hash)\n"
                "A salt for uniqueness of the EIP-712 hash function. May optionally have business "
                "meaning to the client.",
                cancel_signature_doc>;
};

template <>
struct ClassDef<CancelAllIntent> : IntentClassDef<CancelAllIntent> {
  static constexpr const char* doc = "Batch cancel all orders for a given strategy";
  using field_docs = FieldDocs<"", "Strategy to cancel orders for",
                               "A salt for uniqueness of the EIP-712 hash function.", cancel_signature_doc>;
};

// Its record's name (the debug text and the dict variant) is ProfileUpdate.
template <>
struct ClassDef<ProfileUpdate> : IntentClassDef<ProfileUpdate> {
  static constexpr const char* name = "ProfileUpdateIntent";
  using field_docs = FieldDocs<nonce_doc, "Sets the flag in the trader profile", order_signature_doc>;
};

template <>
struct ClassDef<WithdrawIntent> : IntentClassDef<WithdrawIntent> {
  static constexpr const char* doc =
      "Traders signal their intent to withdraw which freezes the requested collateral in their account.\n"
      "Funds may be available on-chain at the next checkpoint the operator is kind enough to \"prove\"\n"
      "the withdrawals on behalf of traders. Otherwise, traders may submit a merkle proof\n"
      "at any time after a `Checkpoint` to collect their funds.";
  using field_docs =
      FieldDocs<"Strategy Id (label)", currency_doc, withdraw_amount_doc, nonce_doc, withdraw_signature_doc>;
};

template <>
struct ClassDef<WithdrawQZRIntent> : IntentClassDef<WithdrawQZRIntent> {
  static constexpr const char* doc =
      "Traders signal their intent to withdraw qzr which freezes the specified amount\n"
      "in their account.  Funds may be available on-chain at the next checkpoint\n"
      "the operator is kind enough to \"prove\" the withdrawals on behalf of traders.\n"
      "Otherwise, traders may submit a merkle proof at any time after a `Checkpoint`\n"
      "to collect their funds.";
  using field_docs = FieldDocs<withdraw_amount_doc,
                               "A salt for uniqueness of the EIP-712 hash function. May optionally have\n"
                               "business meaning to the client.",
                               "EIP-712 signature of the withdraw qzr intent attributes">;
};

template <>
struct ClassDef<InsuranceFundWithdrawIntent> : IntentClassDef<InsuranceFundWithdrawIntent> {
  using field_docs = FieldDocs<currency_doc, withdraw_amount_doc, nonce_doc, withdraw_signature_doc>;
};

}  // namespace qzr::py
