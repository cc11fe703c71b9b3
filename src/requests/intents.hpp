// The signed intents of traders, as plain records with their fields in declared order (the order
// of the Python constructors' parameters, the debug text and the request dict form); the list of
// them is signed_intents.hpp. Amount fields hold recorded amounts: build them with
// recorded_amount(). Negative amounts may be stored; they fail later, when a digest is computed
// (requests/eip712.hpp). An unsigned intent holds 65 zero bytes as its signature.
#pragma once

#include <string>
#include <string_view>
#include <tuple>

#include "core/field_list.hpp"
#include "requests/request_enums.hpp"
#include "values/debug_form.hpp"
#include "values/fixed_bytes.hpp"
#include "values/order_side.hpp"
#include "values/recorded_amount.hpp"
#include "values/symbols.hpp"

namespace qzr {

// round_recorded_decimal of `value` as the amount type of records: clamped to RECORDED_MAX, rounded
// toward zero to 6 places, trailing zeros stripped. Negative values pass through (toward zero).
inline UnscaledI128 recorded_amount(const Decimal& value) noexcept { return {round_recorded_decimal(value)}; }

struct OrderIntent {
  ProductSymbol symbol;
  StrategyId strategy;
  OrderSide side = OrderSide::Bid;
  OrderType order_type = OrderType::Limit;
  Hash nonce;
  UnscaledI128 amount;
  UnscaledI128 price;
  UnscaledI128 stop_price;
  Signature signature;
};

template <>
struct FieldList<OrderIntent> {
  static constexpr std::string_view name = "OrderIntent";
  static constexpr auto fields = std::tuple{
      field("symbol", &OrderIntent::symbol),       field("strategy", &OrderIntent::strategy),
      field("side", &OrderIntent::side),           field("order_type", &OrderIntent::order_type),
      field("nonce", &OrderIntent::nonce),         field("amount", &OrderIntent::amount),
      field("price", &OrderIntent::price),         field("stop_price", &OrderIntent::stop_price),
      field("signature", &OrderIntent::signature),
  };
};

struct CancelOrderIntent {
  ProductSymbol symbol;
  Bytes25 order_hash;
  Hash nonce;
  Signature signature;
};

template <>
struct FieldList<CancelOrderIntent> {
  static constexpr std::string_view name = "CancelOrderIntent";
  static constexpr auto fields = std::tuple{
      field("symbol", &CancelOrderIntent::symbol),
      field("order_hash", &CancelOrderIntent::order_hash),
      field("nonce", &CancelOrderIntent::nonce),
      field("signature", &CancelOrderIntent::signature),
  };
};

struct CancelAllIntent {
  ProductSymbol symbol;
  StrategyId strategy;
  Hash nonce;
  Signature signature;
};

template <>
struct FieldList<CancelAllIntent> {
  static constexpr std::string_view name = "CancelAllIntent";
  static constexpr auto fields = std::tuple{
      field("symbol", &CancelAllIntent::symbol),
      field("strategy", &CancelAllIntent::strategy),
      field("nonce", &CancelAllIntent::nonce),
      field("signature", &CancelAllIntent::signature),
  };
};

struct WithdrawIntent {
  StrategyId strategy_id;
  TokenAddress currency;
  UnscaledI128 amount;
  Hash nonce;
  Signature signature;
};

template <>
struct FieldList<WithdrawIntent> {
  static constexpr std::string_view name = "WithdrawIntent";
  static constexpr auto fields = std::tuple{
      field("strategy_id", &WithdrawIntent::strategy_id), field("currency", &WithdrawIntent::currency),
      field("amount", &WithdrawIntent::amount),           field("nonce", &WithdrawIntent::nonce),
      field("signature", &WithdrawIntent::signature),
  };
};

struct WithdrawQZRIntent {
  UnscaledI128 amount;
  Hash nonce;
  Signature signature;
};

template <>
struct FieldList<WithdrawQZRIntent> {
  static constexpr std::string_view name = "WithdrawQZRIntent";
  static constexpr auto fields = std::tuple{
      field("amount", &WithdrawQZRIntent::amount),
      field("nonce", &WithdrawQZRIntent::nonce),
      field("signature", &WithdrawQZRIntent::signature),
  };
};

struct InsuranceFundWithdrawIntent {
  TokenAddress currency;
  UnscaledI128 amount;
  Hash nonce;
  Signature signature;
};

template <>
struct FieldList<InsuranceFundWithdrawIntent> {
  static constexpr std::string_view name = "InsuranceFundWithdrawIntent";
  static constexpr auto fields = std::tuple{
      field("currency", &InsuranceFundWithdrawIntent::currency),
      field("amount", &InsuranceFundWithdrawIntent::amount),
      field("nonce", &InsuranceFundWithdrawIntent::nonce),
      field("signature", &InsuranceFundWithdrawIntent::signature),
  };
};

// The record of the Python class ProfileUpdateIntent (its debug text and dict variant say
// ProfileUpdate). Its EIP-712 words put pay_fees_in_qzr before nonce.
struct ProfileUpdate {
  Hash nonce;
  bool pay_fees_in_qzr = false;
  Signature signature;
};

template <>
struct FieldList<ProfileUpdate> {
  static constexpr std::string_view name = "ProfileUpdate";
  static constexpr auto fields = std::tuple{
      field("nonce", &ProfileUpdate::nonce),
      field("pay_fees_in_qzr", &ProfileUpdate::pay_fees_in_qzr),
      field("signature", &ProfileUpdate::signature),
  };
};

}  // namespace qzr
