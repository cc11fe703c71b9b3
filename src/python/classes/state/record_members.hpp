// The record protocol's members (record_protocol.hpp), built from a record's field list. Include
// only in the .cpp file that defines a record class's add_members.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "python/classes/core/exceptions.hpp"
#include "python/classes/state/record_protocol.hpp"
#include "state/item_abi.hpp"

namespace qzr::py {

// How a field type crosses the boundary:
//   using Converted = ...;                         what the argument conversion gives
//   static PyResult<Converted> convert(PyObject*); the conversion: type checks, and anything
//       that runs Python code (__index__, __float__); in a constructor its TypeError is named
//       after the parameter, in a setter it is raised as it is
//   static Result<T> check(Converted&&);           optional, else Converted is T: the class's own
//       check, run after all constructor arguments are converted, and in a setter after the
//       object is borrowed (a failure stores nothing)
//   static Ref to_python(const T&);                the getter's new Python value
// The primary form is the frame's own conversion of T both ways.
template <class T>
struct FieldForm {
  using Converted = T;
  static PyResult<T> convert(PyObject* object) {
    auto stored = FromPython<T>::extract(object);
    if (!stored) return fail(std::move(stored.error()));
    return FromPython<T>::get(*stored);
  }
  static Ref to_python(const T& value) { return ToPython<T>::convert(T(value)); }
};

// An argument converted by FieldForm<T>::convert.
template <class T>
struct FieldArgument {
  typename FieldForm<T>::Converted value;
};

template <class T>
struct FromPython<FieldArgument<T>> {
  using Stored = FieldArgument<T>;
  static PyResult<Stored> extract(PyObject* object) {
    auto value = FieldForm<T>::convert(object);
    if (!value) return fail(std::move(value.error()));
    return Stored{std::move(*value)};
  }
  static Stored get(Stored& stored) { return std::move(stored); }
};

namespace record_protocol {

template <class R>
using FieldTuple = decltype(RecordLayout<R>::fields(std::declval<R&>()));

template <class R, std::size_t I>
using FieldType = std::remove_cvref_t<std::tuple_element_t<I, FieldTuple<R>>>;

template <class R>
inline constexpr std::size_t field_count = std::tuple_size_v<FieldTuple<R>>;

// Field I's name as a template argument.
template <class R, std::size_t I>
inline constexpr auto field_name = [] {
  constexpr std::string_view view = RecordLayout<R>::field_names[I];
  char text[view.size() + 1]{};
  std::copy(view.begin(), view.end(), text);
  return FixedString<view.size() + 1>(text);
}();

template <class R, std::size_t I>
inline constexpr auto field_doc = ClassDef<R>::field_docs::template at<I>();

// Stores a converted value into `field` after the form's check.
template <class T>
PyResult<void> store_checked(T& field, typename FieldForm<T>::Converted&& value) {
  if constexpr (requires { FieldForm<T>::check(std::move(value)); }) {
    auto checked = FieldForm<T>::check(std::move(value));
    if (!checked) return fail(IntoPyErr<typename decltype(checked)::error_type>::convert(checked.error()));
    field = std::move(*checked);
  } else {
    field = std::move(value);
  }
  return {};
}

template <class R, std::size_t I>
Ref get_field(const R& record) {
  return FieldForm<FieldType<R, I>>::to_python(std::get<I>(RecordLayout<R>::fields(record)));
}

template <class R, std::size_t I>
PyResult<void> set_field(R& record, FieldArgument<FieldType<R, I>> value) {
  return store_checked(std::get<I>(RecordLayout<R>::fields(record)), std::move(value.value));
}

// The constructor of every field in declared order. Every argument is converted first (by the
// frame, in parameter order), then the checks run in field order; the first failure ends the call.
template <class R, class Indices = std::make_index_sequence<field_count<R>>>
struct FieldConstructor;

template <class R, std::size_t... I>
struct FieldConstructor<R, std::index_sequence<I...>> {
  static PyResult<R> construct(FieldArgument<FieldType<R, I>>... values) {
    R record{};
    auto fields = RecordLayout<R>::fields(record);
    PyResult<void> stored;
    static_cast<void>(((stored = store_checked(std::get<I>(fields), std::move(values.value))) && ...));
    if (!stored) return fail(std::move(stored.error()));
    return record;
  }

  template <class V>
  static void add_to(TypeBuilder& builder) {
    Constructor<&construct, field_name<R, I>...>::template add_to<V>(builder);
  }
};

// A property per field, with its getter and its setter.
template <class R, class Indices = std::make_index_sequence<field_count<R>>>
struct FieldProperties;

template <class R, std::size_t... I>
struct FieldProperties<R, std::index_sequence<I...>> {
  template <class V>
  static void add_to(TypeBuilder& builder) {
    Members<Getter<field_name<R, I>, &get_field<R, I>, field_doc<R, I>>...,
            Setter<field_name<R, I>, &set_field<R, I>, field_doc<R, I>>...>::template add_to<V>(builder);
  }
};

template <class R>
std::string repr(const R& record) {
  return record.debug_text();
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
    record_protocol::FieldConstructor<R>::template add_to<R>(builder);
  } else if constexpr (!std::is_void_v<Constructor>) {
    Constructor::template add_to<R>(builder);
  }
  if constexpr (Class::properties) record_protocol::FieldProperties<R>::template add_to<R>(builder);
  record_protocol::CommonMembers<R>::template add_to<R>(builder);
  if constexpr (Class::has_default)
    ClassMethod<"default", &record_protocol::make_default<R>>::template add_to<R>(builder);
}

}  // namespace qzr::py
