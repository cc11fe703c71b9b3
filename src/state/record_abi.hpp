// The ABI value of the state records: the writer, the untrusted reader and the decoder's schema,
// each a walk over the record's field list (core/field_list.hpp) with the ABI forms of the field
// types (AbiForm, abi_forms.hpp). The schema is derived from the same list the writer walks.
//
// A record's value is the tuple of its fields in declared order, except for the transparent
// records (InsuranceFund, Signer, Specs, FeePool), whose value is their one field itself, not
// wrapped in a tuple. The item ABI value puts it after the kind word (item_abi.hpp). Values are
// written straight into bytes (no token tree: the leaf hash of every tree update writes one) and
// read back from the decoder's tokens.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "abi/param_type.hpp"
#include "abi/token.hpp"
#include "core/common_error.hpp"
#include "core/field_list.hpp"
#include "state/abi_forms.hpp"
#include "state/map_tuple_token.hpp"

namespace qzr {

template <class T>
using AbiFormOf = AbiForm<std::remove_cvref_t<T>>;

// --- Writing --------------------------------------------------------------------------------------
// The value forms of records and fields alike: a record is dynamic when one of its fields is, and
// its static size is the sum of its fields'; a transparent record takes its value's form.

// A record of this layer's ABI value: one with a field list.
template <class T>
concept Record = FieldRecord<T>;

template <class T>
constexpr bool is_dynamic_value();

template <class T>
constexpr std::size_t static_value_size();

template <class T>
void write_static_value(std::uint8_t* dest, const T& value);

template <class T>
void append_dynamic_value(std::vector<std::uint8_t>& out, const T& value);

// The std::tuple of a record's field types.
template <Record R>
using RecordFieldTypes = decltype(field_tie(std::declval<const R&>()));

template <class T>
constexpr bool is_dynamic_value() {
  if constexpr (Record<T>) {
    return []<class... F>(std::type_identity<std::tuple<F...>>) {
      return (is_dynamic_value<std::remove_cvref_t<F>>() || ...);
    }(std::type_identity<RecordFieldTypes<T>>{});
  } else {
    return !requires { AbiForm<T>::static_size; };
  }
}

template <class T>
constexpr std::size_t static_value_size() {
  if constexpr (Record<T>) {
    return []<class... F>(std::type_identity<std::tuple<F...>>) {
      return (static_value_size<std::remove_cvref_t<F>>() + ...);
    }(std::type_identity<RecordFieldTypes<T>>{});
  } else {
    return AbiForm<T>::static_size;
  }
}

// The bytes a value takes in its enclosing tuple's head.
template <class T>
constexpr std::size_t head_size() {
  if constexpr (is_dynamic_value<T>()) {
    return 32;
  } else {
    return static_value_size<T>();
  }
}

// Appends the tuple of `values` in the standard head and tail layout: the heads in order (static
// values in place, an offset word for each dynamic one, counted from the tuple's start), then the
// dynamic values' encodings in order.
template <class... T>
void append_tuple(std::vector<std::uint8_t>& out, const T&... values) {
  const std::size_t start = out.size();
  out.resize(start + (head_size<T>() + ...));
  std::size_t head = start;
  auto append_one = [&]<class V>(const V& value) {
    if constexpr (is_dynamic_value<V>()) {
      write_u64_word(out.data() + head, out.size() - start);
      append_dynamic_value(out, value);
    } else {
      write_static_value(out.data() + head, value);
    }
    head += head_size<V>();
  };
  (append_one(values), ...);
}

template <class T>
void write_static_value(std::uint8_t* dest, const T& value) {
  if constexpr (Record<T>) {
    std::apply(
        [&](const auto&... field) {
          ((write_static_value(dest, field),
            dest += static_value_size<std::remove_cvref_t<decltype(field)>>()),
           ...);
        },
        field_tie(value));
  } else {
    AbiForm<T>::write_static(dest, value);
  }
}

template <class T>
void append_dynamic_value(std::vector<std::uint8_t>& out, const T& value) {
  if constexpr (!Record<T>) {
    AbiForm<T>::append_dynamic(out, value);
  } else if constexpr (is_transparent_record<T>) {
    append_dynamic_value(out, value.*(field_at<T, 0>.member));
  } else {
    std::apply([&](const auto&... field) { append_tuple(out, field...); }, field_tie(value));
  }
}

// --- Schema -------------------------------------------------------------------------------------

// The parameter type the decoder reads a record's value with: the tuple of its field types' (a
// field tagged AbiUint256Label names uint256), or for a transparent record its field's own.
template <Record R>
abi::ParamType record_param_type() {
  auto field_type = []<class F>(const F&) {
    if constexpr (F::template has_tag<AbiUint256Label>) {
      return abi::ParamType::unsigned_int(256);
    } else {
      return AbiForm<typename F::Type>::param_type();
    }
  };
  if constexpr (is_transparent_record<R>) {
    return field_type(field_at<R, 0>);
  } else {
    return std::apply([&](const auto&... field) { return abi::ParamType::tuple({field_type(field)...}); },
                      FieldList<R>::fields);
  }
}

// --- Reading -------------------------------------------------------------------------------------

// Reads an untrusted value token. A tuple's fields are read in order, the first failure being the
// result: not a tuple is Other "Not a tuple", a tuple that ends before the last field Other "No
// token left at this position", and elements after the last field are ignored.
template <Record R>
Result<R> parse_record_from_value_token(const abi::Token& token) {
  R record{};
  std::optional<CommonError> error;
  auto read_into = [&error](auto& field, const abi::Token* element) {
    if (element == nullptr) {
      error = CommonError::other("No token left at this position");
      return false;
    }
    auto value = AbiFormOf<decltype(field)>::from_token(*element);
    if (!value) {
      error = std::move(value.error());
      return false;
    }
    field = std::move(*value);
    return true;
  };
  if constexpr (is_transparent_record<R>) {
    read_into(record.*(field_at<R, 0>.member), &token);
  } else {
    const std::vector<abi::Token>* elements = token.if_tuple();
    if (elements == nullptr) return fail(CommonError::other("Not a tuple"));
    std::apply(
        [&](auto&... field) {
          std::size_t index = 0;
          auto element = [&]() { return index < elements->size() ? &(*elements)[index++] : nullptr; };
          (read_into(field, element()) && ...);
        },
        field_tie(record));
  }
  if (error) return fail(std::move(*error));
  return record;
}

}  // namespace qzr
