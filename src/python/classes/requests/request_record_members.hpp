// What the Python classes of the intents and the sequencer records share: the property of a
// record field (a new Python value of the field's kind), the repr (the record's debug text) and
// the `json` property (the request dict form as new dicts). A class's own table lists its fields;
// the conversions of each field kind are here, once.
#pragma once

#include <string>
#include <vector>

#include "python/classes/requests/dict_value.hpp"
#include "python/classes/requests/price_metadata.hpp"
#include "python/classes/requests/request_enum_classes.hpp"
#include "python/classes/requests/sequencer_classes.hpp"
#include "python/classes/values/decimal_class.hpp"
#include "python/classes/values/order_side_class.hpp"
#include "python/classes/values/product_symbol_class.hpp"
#include "requests/debug_texts.hpp"
#include "requests/request_dict.hpp"

namespace qzr::py {

namespace request_fields {

// The Python value of each field kind: objects of the module's classes for symbols, sides, order
// types, amounts (Decimal), time records and actions; "0x" lower-case hex for the fixed byte
// strings; the text of a strategy id; ints and bools as they are; the metadata dict.
inline ProductSymbol python_value(const ProductSymbol& value) { return value; }
inline std::string python_value(const StrategyId& value) { return strategy_id_text(value); }
template <std::size_t N, class Tag>
std::string python_value(const FixedBytes<N, Tag>& value) {
  return to_hex(value);
}
inline OrderSide python_value(OrderSide value) { return value; }
inline OrderType python_value(OrderType value) { return value; }
inline Decimal python_value(const UnscaledI128& value) { return value.value; }
inline bool python_value(bool value) { return value; }
inline std::uint64_t python_value(std::uint64_t value) { return value; }
inline std::int64_t python_value(std::int64_t value) { return value; }
inline PriceMetadata python_value(PriceMetadata value) { return value; }
inline StampedTimeValue python_value(const StampedTimeValue& value) { return value; }
inline std::vector<SettlementAction> python_value(const std::vector<SettlementAction>& value) {
  return value;
}

template <auto Member>
struct FieldGetter;

template <class Record, class T, T Record::*Member>
struct FieldGetter<Member> {
  static auto get(const Record& record) { return python_value(record.*Member); }
};

}  // namespace request_fields

// The getter body of a record field: `Getter<"price", field_getter<&IndexPrice::price>, "doc">`.
template <auto Member>
inline constexpr auto field_getter = &request_fields::FieldGetter<Member>::get;

// The record's request dict form: {"t": variant, "c": content}. A writer error is a fault whose
// message ends with the error's debug text.
template <class Record>
DictValue request_json(const Record& record) {
  return request_dict(as_request(record));
}

// __repr__ (str() alike) and the `json` property of a request record class.
template <DebugPrintedRecord Record>
using RequestRecordMembers = Members<Repr<&record_debug_text<Record>>, Getter<"json", &request_json<Record>>>;

}  // namespace qzr::py
