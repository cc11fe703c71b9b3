// The one mechanism behind the value behaviour of every tree key record: equality, order, hash
// and debug text, all driven by the record's declared field list.
//
// A record takes part by declaring
//   static constexpr std::string_view type_name;            the name its debug text shows
//   static constexpr std::array<std::string_view, N> field_names;
//   auto fields() const noexcept;                            std::tie of its N fields, in order
// and each field type has a KeyField<T> entry (hash stream and debug text). Then:
//   ==   every field equal;
//   <=>  lexicographic over the fields in declared order (not the tree key's byte order);
//   key_hash  SipHash-1-3 with zero keys over the concatenated field hash streams;
//   key_debug_text  the struct shape `Name { a: x, b: y }`, or the tuple shape `Name(x)` for a
//                   record whose single field is unnamed (an empty field name).
#pragma once

#include <array>
#include <compare>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "core/debug_quote.hpp"
#include "values/debug_shapes.hpp"
#include "values/fixed_bytes.hpp"
#include "values/siphash.hpp"
#include "values/symbols.hpp"

namespace qzr {

// Hash stream and debug text of one field type:
//   static void hash(SipHasher13&, const T&) noexcept;
//   static std::string debug(const T&);
template <class T>
struct KeyField;

// N as an unsigned 64-bit number, then the N bytes; the type's own debug text.
template <std::size_t N, class Tag>
struct KeyField<FixedBytes<N, Tag>> {
  static void hash(SipHasher13& hasher, const FixedBytes<N, Tag>& value) noexcept { value.hash_into(hasher); }
  static std::string debug(const FixedBytes<N, Tag>& value) { return debug_text(value); }
};

// 6, then the packed bytes; ProductSymbol("<text>"). Every symbol a key holds unpacks (the
// constructors pack parsed text, the decoders check the bytes), so the debug text cannot fail.
template <>
struct KeyField<ProductSymbol> {
  static void hash(SipHasher13& hasher, const ProductSymbol& value) noexcept { value.hash_into(hasher); }
  static std::string debug(const ProductSymbol& value) { return debug_text(value); }
};

// A text: its UTF-8 bytes, then 0xFF; quoted with escapes.
template <>
struct KeyField<std::string> {
  static void hash(SipHasher13& hasher, const std::string& text) noexcept { hasher.write_text(text); }
  static std::string debug(const std::string& text) { return debug_quote(text); }
};

// An unsigned 64-bit number: 8 bytes little-endian; decimal.
template <>
struct KeyField<std::uint64_t> {
  static void hash(SipHasher13& hasher, std::uint64_t value) noexcept { hasher.write_u64(value); }
  static std::string debug(std::uint64_t value) { return std::to_string(value); }
};

// An optional number: 0 when absent; 1 and the number when present. "None" or "Some(<n>)".
template <>
struct KeyField<std::optional<std::uint64_t>> {
  static void hash(SipHasher13& hasher, const std::optional<std::uint64_t>& value) noexcept {
    hasher.write_u64(value ? 1 : 0);
    if (value) hasher.write_u64(*value);
  }
  static std::string debug(const std::optional<std::uint64_t>& value) {
    return value ? debug_tuple("Some", std::to_string(*value)) : std::string("None");
  }
};

template <class K>
concept TreeKeyRecord = requires(const K& key) {
  { K::type_name } -> std::convertible_to<std::string_view>;
  { K::field_names.size() } -> std::convertible_to<std::size_t>;
  key.fields();
}
&&std::tuple_size_v<decltype(std::declval<const K&>().fields())> == K::field_names.size();

template <TreeKeyRecord K>
constexpr bool operator==(const K& a, const K& b) noexcept {
  return a.fields() == b.fields();
}

template <TreeKeyRecord K>
constexpr std::strong_ordering operator<=>(const K& a, const K& b) noexcept {
  return a.fields() <=> b.fields();
}

// SipHash-1-3 (zero keys) of the record's field hash streams in declared order. Flattened: with
// every write inlined, the word boundaries of fixed-size fields are resolved at compile time.
template <TreeKeyRecord K>
[[gnu::flatten]] std::uint64_t key_hash(const K& key) noexcept {
  SipHasher13 hasher;
  std::apply(
      [&](const auto&... field) {
        (KeyField<std::remove_cvref_t<decltype(field)>>::hash(hasher, field), ...);
      },
      key.fields());
  return hasher.finish();
}

// key_hash as the signed hash value handed to Python (never -1).
template <TreeKeyRecord K>
std::int64_t key_hash_value(const K& key) noexcept {
  return signed_hash_value(key_hash(key));
}

template <TreeKeyRecord K>
std::string key_debug_text(const K& key) {
  return std::apply(
      [](const auto&... field) {
        const std::array<std::string, sizeof...(field)> texts{
            KeyField<std::remove_cvref_t<decltype(field)>>::debug(field)...};
        if constexpr (sizeof...(field) == 1) {
          if (K::field_names[0].empty()) return debug_tuple(K::type_name, texts[0]);
        }
        return [&]<std::size_t... I>(std::index_sequence<I...>) {
          return debug_struct(K::type_name, {{K::field_names[I], texts[I]}...});
        }
        (std::index_sequence_for<decltype(field)...>{});
      },
      key.fields());
}

}  // namespace qzr
