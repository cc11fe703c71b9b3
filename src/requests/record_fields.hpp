// The field lists of the request records: for each record its debug name and, in declared order,
// every field's snake_case name (debug text, Python property), its camelCase key (request dict
// form) and its member. The debug texts and the dict writer are both driven by these lists, so a
// record's field order and names are written down once. Internal to the requests layer.
#pragma once

#include <string_view>
#include <tuple>

#include "requests/intents.hpp"
#include "requests/request.hpp"
#include "requests/sequencer_records.hpp"

namespace qzr::record_fields {

template <class Record, class T>
struct Field {
  std::string_view name;
  std::string_view dict_key;
  T Record::*member;
};

template <class Record, class T>
constexpr Field<Record, T> field(std::string_view name, std::string_view dict_key, T Record::*member) {
  return {name, dict_key, member};
}

// Specialised for every record written as a struct: `name` and the tuple `fields`.
template <class Record>
struct Of;

// Calls visit(name, dict_key, value) for each field of `record` in declared order.
template <class Record, class Visit>
void for_each_field(const Record& record, Visit&& visit) {
  std::apply(
      [&](const auto&... fields) { (visit(fields.name, fields.dict_key, record.*(fields.member)), ...); },
      Of<Record>::fields);
}

template <>
struct Of<OrderIntent> {
  static constexpr std::string_view name = "OrderIntent";
  static constexpr auto fields = std::tuple{
      field("symbol", "symbol", &OrderIntent::symbol),
      field("strategy", "strategy", &OrderIntent::strategy),
      field("side", "side", &OrderIntent::side),
      field("order_type", "orderType", &OrderIntent::order_type),
      field("nonce", "nonce", &OrderIntent::nonce),
      field("amount", "amount", &OrderIntent::amount),
      field("price", "price", &OrderIntent::price),
      field("stop_price", "stopPrice", &OrderIntent::stop_price),
      field("signature", "signature", &OrderIntent::signature),
  };
};

template <>
struct Of<CancelOrderIntent> {
  static constexpr std::string_view name = "CancelOrderIntent";
  static constexpr auto fields = std::tuple{
      field("symbol", "symbol", &CancelOrderIntent::symbol),
      field("order_hash", "orderHash", &CancelOrderIntent::order_hash),
      field("nonce", "nonce", &CancelOrderIntent::nonce),
      field("signature", "signature", &CancelOrderIntent::signature),
  };
};

template <>
struct Of<CancelAllIntent> {
  static constexpr std::string_view name = "CancelAllIntent";
  static constexpr auto fields = std::tuple{
      field("symbol", "symbol", &CancelAllIntent::symbol),
      field("strategy", "strategy", &CancelAllIntent::strategy),
      field("nonce", "nonce", &CancelAllIntent::nonce),
      field("signature", "signature", &CancelAllIntent::signature),
  };
};

template <>
struct Of<WithdrawIntent> {
  static constexpr std::string_view name = "WithdrawIntent";
  static constexpr auto fields = std::tuple{
      field("strategy_id", "strategyId", &WithdrawIntent::strategy_id),
      field("currency", "currency", &WithdrawIntent::currency),
      field("amount", "amount", &WithdrawIntent::amount),
      field("nonce", "nonce", &WithdrawIntent::nonce),
      field("signature", "signature", &WithdrawIntent::signature),
  };
};

template <>
struct Of<WithdrawQZRIntent> {
  static constexpr std::string_view name = "WithdrawQZRIntent";
  static constexpr auto fields = std::tuple{
      field("amount", "amount", &WithdrawQZRIntent::amount),
      field("nonce", "nonce", &WithdrawQZRIntent::nonce),
      field("signature", "signature", &WithdrawQZRIntent::signature),
  };
};

template <>
struct Of<InsuranceFundWithdrawIntent> {
  static constexpr std::string_view name = "InsuranceFundWithdrawIntent";
  static constexpr auto fields = std::tuple{
      field("currency", "currency", &InsuranceFundWithdrawIntent::currency),
      field("amount", "amount", &InsuranceFundWithdrawIntent::amount),
      field("nonce", "nonce", &InsuranceFundWithdrawIntent::nonce),
      field("signature", "signature", &InsuranceFundWithdrawIntent::signature),
  };
};

template <>
struct Of<ProfileUpdate> {
  static constexpr std::string_view name = "ProfileUpdate";
  static constexpr auto fields = std::tuple{
      field("nonce", "nonce", &ProfileUpdate::nonce),
      field("pay_fees_in_qzr", "payFeesInQzr", &ProfileUpdate::pay_fees_in_qzr),
      field("signature", "signature", &ProfileUpdate::signature),
  };
};

template <>
struct Of<StampedTimeValue> {
  static constexpr std::string_view name = "StampedTimeValue";
  static constexpr auto fields = std::tuple{
      field("value", "value", &StampedTimeValue::value),
      field("timestamp", "timestamp", &StampedTimeValue::timestamp),
  };
};

template <>
struct Of<IndexPrice> {
  static constexpr std::string_view name = "IndexPrice";
  static constexpr auto fields = std::tuple{
      field("symbol", "symbol", &IndexPrice::symbol),
      field("price", "price", &IndexPrice::price),
      field("prev_price", "prevPrice", &IndexPrice::prev_price),
      field("metadata", "metadata", &IndexPrice::metadata),
      field("timestamp", "timestamp", &IndexPrice::timestamp),
  };
};

template <>
struct Of<AdvanceEpoch> {
  static constexpr std::string_view name = "AdvanceEpoch";
  static constexpr auto fields = std::tuple{
      field("epoch_id", "epochId", &AdvanceEpoch::epoch_id),
      field("time", "time", &AdvanceEpoch::time),
  };
};

template <>
struct Of<AdvanceSettlementEpoch> {
  static constexpr std::string_view name = "AdvanceSettlementEpoch";
  static constexpr auto fields = std::tuple{
      field("epoch_id", "epochId", &AdvanceSettlementEpoch::epoch_id),
      field("time", "time", &AdvanceSettlementEpoch::time),
      field("actions", "actions", &AdvanceSettlementEpoch::actions),
  };
};

template <>
struct Of<MintPriceCheckpoint> {
  static constexpr std::string_view name = "MintPriceCheckpoint";
  static constexpr auto fields = std::tuple{
      field("time_value", "timeValue", &MintPriceCheckpoint::time_value),
  };
};

template <>
struct Of<DisasterRecovery> {
  static constexpr std::string_view name = "DisasterRecovery";
  static constexpr auto fields = std::tuple{
      field("request_index", "requestIndex", &DisasterRecovery::request_index),
      field("signatures", "signatures", &DisasterRecovery::signatures),
  };
};

}  // namespace qzr::record_fields
