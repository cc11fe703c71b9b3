// The seven signed intents of traders, as plain records with their fields in declared order (the
// order of the constructor's parameters, the debug text and the request dict form). Amount fields
// hold recorded amounts: build them with recorded_amount(). Negative amounts may be stored; they
// fail later, when a digest is computed (requests/eip712.hpp). An unsigned intent holds 65 zero
// bytes as its signature.
//
// The constructors' text arguments are read by the readers of values/ (two different hex rules):
//   symbol        product_symbol_from_text (a ProductSymbol object: reparse_product_symbol)
//   strategy(_id) strategy_id_from_text
//   nonce         bytes32_from_hex      fixed reading: one optional leading "0x", exactly 64 digits
//   currency      parse_token_address   fixed reading: one optional leading "0x", exactly 40 digits
//   order_hash    bytes25_from_hex      strip reading: every "0x" removed, then 25 bytes
//   signature     signature_from_hex    strip reading: every "0x" removed, then 65 bytes
//   amounts       recorded_amount of the Decimal argument
#pragma once

#include <type_traits>

#include "requests/request_enums.hpp"
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

struct CancelOrderIntent {
  ProductSymbol symbol;
  Bytes25 order_hash;
  Hash nonce;
  Signature signature;
};

struct CancelAllIntent {
  ProductSymbol symbol;
  StrategyId strategy;
  Hash nonce;
  Signature signature;
};

struct WithdrawIntent {
  StrategyId strategy_id;
  TokenAddress currency;
  UnscaledI128 amount;
  Hash nonce;
  Signature signature;
};

struct WithdrawQZRIntent {
  UnscaledI128 amount;
  Hash nonce;
  Signature signature;
};

struct InsuranceFundWithdrawIntent {
  TokenAddress currency;
  UnscaledI128 amount;
  Hash nonce;
  Signature signature;
};

// The record of the Python class ProfileUpdateIntent (its debug text and dict variant say
// ProfileUpdate). Its EIP-712 words put pay_fees_in_qzr before nonce.
struct ProfileUpdate {
  Hash nonce;
  bool pay_fees_in_qzr = false;
  Signature signature;
};

template <class T>
concept SignedIntent = std::is_same_v<T, OrderIntent> || std::is_same_v<T, CancelOrderIntent> ||
    std::is_same_v<T, CancelAllIntent> || std::is_same_v<T, WithdrawIntent> ||
    std::is_same_v<T, WithdrawQZRIntent> || std::is_same_v<T, InsuranceFundWithdrawIntent> ||
    std::is_same_v<T, ProfileUpdate>;

}  // namespace qzr
