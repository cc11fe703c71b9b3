// The record protocol's members (record_protocol.hpp): the field members of the record's field
// list (classes/core/field_members.hpp) and the members every record class shares. Include only
// in the .cpp file that defines a record class's add_members.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "python/classes/core/field_members.hpp"
#include "python/classes/state/record_protocol.hpp"
#include "python/classes/values/field_forms.hpp"
#include "state/item_abi.hpp"

namespace qzr::py {

namespace record_protocol {

template <class R>
std::string repr(const R& record) {
  return record_debug_text(record);
}

template <class R>
bool equals(const R& record, const R& other) {
  return record == other;
}

// `_memo` must be a dict (or a subclass); it is neither read nor written.
template <class R>
R deep_copy(const R& record, Dict) {
  return record;
}

template <class R>
Item as_item(const R& record) {
  return Item(record);
}

template <class R>
Result<R> from_item(const Item& item) {
  return record_of_item<R>(item);
}

template <class R>
Bytes abi_encoded_value(const R& record) {
  return Bytes{item_abi_encoded_value(Item(record))};
}

template <class R>
Result<Item> abi_decode_value_into_item(BytesView abi_encoded_value) {
  return parse_item_abi_value(item_kind_of<R>, abi_encoded_value.data);
}

template <class R>
bool is_void(const R& record) {
  return record.is_void();
}

template <class R>
R make_default() {
  return R{};
}

template <class R>
using CommonMembers =
    Members<Repr<&repr<R>>, Comparisons<Eq<&equals<R>>>, Method<"__deepcopy__", &deep_copy<R>, "_memo">,
            Method<"as_item", &as_item<R>>, ClassMethod<"from_item", &from_item<R>, "item">,
            Method<"abi_encoded_value", &abi_encoded_value<R>>,
            ClassMethod<"abi_decode_value_into_item", &abi_decode_value_into_item<R>, "abi_encoded_value">,
            Method<"is_void", &is_void<R>>>;

}  // namespace record_protocol

template <class R>
template <class V>
void RecordMembers<R>::add_to(TypeBuilder& builder) {
  static_assert(std::is_same_v<V, R>);
  using Class = ClassDef<R>;
  using Constructor = typename Class::constructor;
  if constexpr (std::is_same_v<Constructor, FieldsConstructor>) {
    FieldConstructor<R>::template add_to<R>(builder);
  } else if constexpr (!std::is_void_v<Constructor>) {
    Constructor::template add_to<R>(builder);
  }
  if constexpr (Class::properties)
    FieldProperties<R, typename Class::field_docs>::template add_to<R>(builder);
  record_protocol::CommonMembers<R>::template add_to<R>(builder);
  if constexpr (Class::has_default)
    ClassMethod<"default", &record_protocol::make_default<R>>::template add_to<R>(builder);
}

}  // namespace qzr::py
