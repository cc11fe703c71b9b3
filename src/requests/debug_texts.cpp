// Debug texts of the request records, driven by their field lists.
#include "requests/debug_texts.hpp"

#include <vector>

#include "requests/record_fields.hpp"
#include "values/debug_shapes.hpp"

namespace qzr {
namespace {

template <class Record>
std::string struct_debug_text(const Record& record);

std::string field_debug(const ProductSymbol& value) { return debug_text(value); }
std::string field_debug(const StrategyId& value) { return debug_text(value); }
std::string field_debug(const Hash& value) { return debug_text(value); }
std::string field_debug(const Bytes25& value) { return debug_text(value); }
std::string field_debug(const TokenAddress& value) { return debug_text(value); }
std::string field_debug(const Signature& value) { return debug_text(value); }
std::string field_debug(const UnscaledI128& value) { return value.debug_text(); }
std::string field_debug(OrderSide value) { return std::string(enum_name(value)); }
std::string field_debug(OrderType value) { return std::string(enum_name(value)); }
std::string field_debug(PriceMetadata value) { return std::string(enum_name(value)); }
std::string field_debug(SettlementAction value) { return std::string(enum_name(value)); }
std::string field_debug(bool value) { return value ? "true" : "false"; }
std::string field_debug(std::uint64_t value) { return std::to_string(value); }
std::string field_debug(std::int64_t value) { return std::to_string(value); }
std::string field_debug(const StampedTimeValue& value) { return struct_debug_text(value); }

std::string field_debug(const std::vector<SettlementAction>& values) {
  std::string text = "[";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += ", ";
    text += field_debug(values[i]);
  }
  return text + "]";
}

template <class Record>
std::string struct_debug_text(const Record& record) {
  std::string text(record_fields::Of<Record>::name);
  text += " { ";
  bool first = true;
  record_fields::for_each_field(record, [&](std::string_view name, std::string_view, const auto& value) {
    if (!first) text += ", ";
    first = false;
    text += name;
    text += ": ";
    text += field_debug(value);
  });
  return text + " }";
}

}  // namespace

template <DebugPrintedRecord Record>
std::string record_debug_text(const Record& record) {
  if constexpr (std::is_same_v<Record, Block>) {
    return debug_tuple("Block", std::to_string(record.number));
  } else {
    return struct_debug_text(record);
  }
}

template std::string record_debug_text(const OrderIntent&);
template std::string record_debug_text(const CancelOrderIntent&);
template std::string record_debug_text(const CancelAllIntent&);
template std::string record_debug_text(const WithdrawIntent&);
template std::string record_debug_text(const WithdrawQZRIntent&);
template std::string record_debug_text(const InsuranceFundWithdrawIntent&);
template std::string record_debug_text(const ProfileUpdate&);
template std::string record_debug_text(const IndexPrice&);
template std::string record_debug_text(const Block&);
template std::string record_debug_text(const StampedTimeValue&);
template std::string record_debug_text(const AdvanceEpoch&);
template std::string record_debug_text(const AdvanceSettlementEpoch&);
template std::string record_debug_text(const MintPriceCheckpoint&);

}  // namespace qzr
