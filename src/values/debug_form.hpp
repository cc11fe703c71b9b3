// The debug text of a field value and of a record: the one text walk over a record's field list
// (core/field_list.hpp). A record shows the struct shape `Name { a: x, b: y }`, or the tuple shape
// `Name(x)` when its one field is unnamed; each field shows the debug form of its type.
//
// A field type's debug form, in this order of precedence: a record's own walk (nested records), a
// DebugForm<T> specialisation (static std::string text(const T&)), an enum's table
// (core/enum_table.hpp), a member `debug_text()`, a free `debug_text(value)` found by
// argument-dependent lookup. A layer that defines a type with none of these
// specialises DebugForm beside it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/debug_quote.hpp"
#include "core/enum_table.hpp"
#include "core/field_list.hpp"
#include "values/debug_shapes.hpp"
#include "values/fixed_bytes.hpp"

namespace qzr {

template <class T>
struct DebugForm {};

template <class T>
std::string field_debug_text(const T& value);

// Faults (product_symbol_display) when a symbol the record holds does not unpack; every symbol
// that was parsed and packed does. The record's debug text, in the shapes above.
template <FieldRecord R>
std::string record_debug_text(const R& record) {
  return [&]<std::size_t... I>(std::index_sequence<I...>) {
    const std::array<std::string, field_count<R>> texts{field_debug_text(record.*(field_at<R, I>.member))...};
    if constexpr (field_count<R> == 1) {
      if (field_at<R, 0>.name.empty()) return debug_tuple(FieldList<R>::name, texts[0]);
    }
    return debug_struct(FieldList<R>::name, {{field_at<R, I>.name, texts[I]}...});
  }
  (std::make_index_sequence<field_count<R>>{});
}

template <class T>
std::string field_debug_text(const T& value) {
  if constexpr (FieldRecord<T>) {
    return record_debug_text(value);
  } else if constexpr (requires { DebugForm<T>::text(value); }) {
    return DebugForm<T>::text(value);
  } else if constexpr (DeclaredEnum<T>) {
    return std::string(enum_debug_text(value));
  } else if constexpr (requires { value.debug_text(); }) {
    return value.debug_text();
  } else {
    return debug_text(value);
  }
}

// Decimal digits.
template <>
struct DebugForm<std::uint64_t> {
  static std::string text(std::uint64_t value) { return std::to_string(value); }
};
template <>
struct DebugForm<std::int64_t> {
  static std::string text(std::int64_t value) { return std::to_string(value); }
};

template <>
struct DebugForm<bool> {
  static std::string text(bool value) { return value ? "true" : "false"; }
};

// Quoted with escapes.
template <>
struct DebugForm<std::string> {
  static std::string text(const std::string& value) { return debug_quote(value); }
};

// "None" or "Some(<value>)".
template <class T>
struct DebugForm<std::optional<T>> {
  static std::string text(const std::optional<T>& value) {
    return value ? debug_tuple("Some", field_debug_text(*value)) : std::string("None");
  }
};

// "[a, b]" in order.
template <class T>
struct DebugForm<std::vector<T>> {
  static std::string text(const std::vector<T>& values) {
    std::string text = "[";
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (i > 0) text += ", ";
      text += field_debug_text(values[i]);
    }
    return text + "]";
  }
};

// Bare "0x" and 40 lower-case digits (a trader's referral address).
template <>
struct DebugForm<AccountAddress> {
  static std::string text(const AccountAddress& address) { return to_hex(address); }
};

}  // namespace qzr
