// What the Python classes of the intents and the sequencer records share: the forms of their
// field types (each field is read from its constructor argument and written back by its getter
// through FieldForm: objects of the module's classes for symbols, sides, order types, amounts
// (Decimal), time records and actions; "0x" lower-case hex for the fixed byte strings; the text
// of a strategy id; ints and bools as they are), the repr (the record's debug text) and the `json`
// property (the request dict form as new dicts).
#pragma once

#include <string>
#include <vector>

#include "python/classes/requests/dict_value.hpp"
#include "python/classes/requests/price_metadata.hpp"
#include "python/classes/requests/request_enum_classes.hpp"
#include "python/classes/requests/sequencer_classes.hpp"
#include "python/classes/values/decimal_class.hpp"
#include "python/classes/values/field_forms.hpp"
#include "python/classes/values/order_side_class.hpp"
#include "python/classes/values/product_symbol_class.hpp"
#include "requests/request_dict.hpp"
#include "values/debug_form.hpp"

namespace qzr::py {

// Faults as request_dict does (never for a record built here); otherwise the record's request
// dict form: {"t": variant, "c": content}.
template <class Record>
DictValue request_json(const Record& record) {
  return request_dict(as_request(record));
}

// __repr__ (str() alike) and the `json` property of a request record class.
template <FieldRecord Record>
using RequestRecordMembers = Members<Repr<&record_debug_text<Record>>, Getter<"json", &request_json<Record>>>;

}  // namespace qzr::py
