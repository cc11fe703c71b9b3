// The members of the Python class BookOrder, and the forms of its address and strategy fields.
#include "python/classes/state/book_order_class.hpp"

#include "python/classes/state/record_field_forms.hpp"

namespace qzr::py {

// A str read by the strip reading (every "0x" removed, then hexadecimal digits, white space
// skipped) into exactly the bytes of T; read back as "0x" and lower-case digits. A non-str is the
// string conversion's TypeError; bad digits or another byte count ("Expected exactly 21 bytes",
// "Expected exactly 4 bytes") are QzrCommonError, raised during the conversion so that the
// arguments fail in their order.
template <class T, Result<T> (*Read)(std::string_view)>
struct HexFieldForm {
  using Converted = T;
  static PyResult<T> convert(PyObject* object) {
    auto text = extract_string(object);
    if (!text) return fail(std::move(text.error()));
    return to_py_result(Read(*text));
  }
  static Ref to_python(const T& value) { return to_python_string(to_hex(value)); }
};

template <>
struct FieldForm<TraderAddress> : HexFieldForm<TraderAddress, &parse_trader_address> {};

template <>
struct FieldForm<StrategyIdHash> : HexFieldForm<StrategyIdHash, &strategy_id_hash_from_hex> {};

void ClassDef<BookOrder>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<BookOrder>>::add_to<BookOrder>(builder);
}

}  // namespace qzr::py
