// The Python classes of the seven intents (qzr_python.common.requests.intents): each holds its
// record (requests/intents.hpp), is built from Python values, has a getter per field, a
// `signature` setter, repr, `json`, `hash_eip712` and `recover_signer` (and `hash` on OrderIntent).
#pragma once

#include "python/frame/frame.hpp"
#include "requests/intents.hpp"

namespace qzr::py {

template <>
struct ClassDef<OrderIntent> {
  static constexpr const char* name = "OrderIntent";
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
  static constexpr bool frozen = false;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<CancelOrderIntent> {
  static constexpr const char* name = "CancelOrderIntent";
  static constexpr const char* doc = "";
  static constexpr bool frozen = false;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<CancelAllIntent> {
  static constexpr const char* name = "CancelAllIntent";
  static constexpr const char* doc = "Batch cancel all orders for a given strategy";
  static constexpr bool frozen = false;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<ProfileUpdate> {
  static constexpr const char* name = "ProfileUpdateIntent";
  static constexpr const char* doc = "";
  static constexpr bool frozen = false;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<WithdrawIntent> {
  static constexpr const char* name = "WithdrawIntent";
  static constexpr const char* doc =
      "Traders signal their intent to withdraw which freezes the requested collateral in their account.\n"
      "Funds may be available on-chain at the next checkpoint the operator is kind enough to \"prove\"\n"
      "the withdrawals on behalf of traders. Otherwise, traders may submit a merkle proof\n"
      "at any time after a `Checkpoint` to collect their funds.";
  static constexpr bool frozen = false;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<WithdrawQZRIntent> {
  static constexpr const char* name = "WithdrawQZRIntent";
  static constexpr const char* doc =
      "Traders signal their intent to withdraw qzr which freezes the specified amount\n"
      "in their account.  Funds may be available on-chain at the next checkpoint\n"
      "the operator is kind enough to \"prove\" the withdrawals on behalf of traders.\n"
      "Otherwise, traders may submit a merkle proof at any time after a `Checkpoint`\n"
      "to collect their funds.";
  static constexpr bool frozen = false;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<InsuranceFundWithdrawIntent> {
  static constexpr const char* name = "InsuranceFundWithdrawIntent";
  static constexpr const char* doc = "";
  static constexpr bool frozen = false;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
