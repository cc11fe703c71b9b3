// A record's field list: the one description of a record's fields, from which every layer derives
// its forms (debug text, ABI value and schema, request dict form, key hash and order, Python
// properties) by walking it. The per-type forms are traits of the layer that owns each form.
//
// A record R takes part by specialising FieldList<R>:
//   static constexpr std::string_view name;   the record's name (debug texts, Python classes)
//   static constexpr auto fields = std::tuple{field("a", &R::a), field("b", &R::b)};
//                                            in declared order, the order of every walk
//   static constexpr bool transparent = true; optional (false when absent): a record of one field
//                                            whose value forms are that field's own
// A field of an empty name is unnamed: a record of one unnamed field shows the tuple shape
// `Name(x)` in its debug text. A field may carry tag types (field<Tag>("a", &R::a)) that the
// layer owning a form reads where one field's form differs from its type's. Private members are
// reached by declaring the specialisation a friend: `friend struct FieldList<R>;`.
#pragma once

#include <cstddef>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

namespace qzr {

template <class R, class T, class... Tags>
struct Field {
  using Record = R;
  using Type = T;

  template <class Tag>
  static constexpr bool has_tag = (std::is_same_v<Tag, Tags> || ...);

  std::string_view name;
  T R::*member;
};

template <class... Tags, class R, class T>
constexpr Field<R, T, Tags...> field(std::string_view name, T R::*member) {
  return {name, member};
}

template <class R>
struct FieldList;

template <class R>
concept FieldRecord = requires {
  FieldList<R>::name;
  FieldList<R>::fields;
};

template <FieldRecord R>
inline constexpr std::size_t field_count =
    std::tuple_size_v<std::remove_cvref_t<decltype(FieldList<R>::fields)>>;

// The descriptor of field I (a Field value).
template <FieldRecord R, std::size_t I>
inline constexpr auto field_at = std::get<I>(FieldList<R>::fields);

template <FieldRecord R, std::size_t I>
using FieldType = typename std::remove_cvref_t<decltype(field_at<R, I>)>::Type;

template <FieldRecord R>
inline constexpr bool is_transparent_record = [] {
  if constexpr (requires { FieldList<R>::transparent; }) {
    static_assert(!FieldList<R>::transparent || field_count<R> == 1, "a transparent record has one field");
    return FieldList<R>::transparent;
  } else {
    return false;
  }
}();

// Calls visit(field, value) for each field of `record` in declared order, `value` a reference to
// the member (const when `record` is).
template <class Record, class Visit>
requires FieldRecord<std::remove_const_t<Record>>
constexpr void for_each_field(Record& record, Visit&& visit) {
  std::apply([&](const auto&... fields) { (visit(fields, record.*(fields.member)), ...); },
             FieldList<std::remove_const_t<Record>>::fields);
}

// The std::tuple of references to the fields of `record`, in declared order.
template <class Record>
requires FieldRecord<std::remove_const_t<Record>>
constexpr auto field_tie(Record& record) noexcept {
  return std::apply([&](const auto&... fields) { return std::tie(record.*(fields.member)...); },
                    FieldList<std::remove_const_t<Record>>::fields);
}

}  // namespace qzr
