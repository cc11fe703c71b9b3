// The one mechanism behind the value behaviour of every tree key record: equality, order and
// hash, walks over the record's field list (core/field_list.hpp); its debug text is the record
// walk of values/debug_form.hpp.
//
// A key record takes part by its FieldList and its kind byte; each field type has a KeyHash<T>
// entry (its hash stream). Then:
//   ==   every field equal;
//   <=>  lexicographic over the fields in declared order (not the tree key's byte order);
//   key_hash  SipHash-1-3 with zero keys over the concatenated field hash streams.
#pragma once

#include <compare>
#include <concepts>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <type_traits>

#include "core/field_list.hpp"
#include "values/fixed_bytes.hpp"
#include "values/siphash.hpp"
#include "values/symbols.hpp"

namespace qzr {

// The hash stream of one field type:
//   static void hash(SipHasher13&, const T&) noexcept;
template <class T>
struct KeyHash;

// N as an unsigned 64-bit number, then the N bytes.
template <std::size_t N, class Tag>
struct KeyHash<FixedBytes<N, Tag>> {
  static void hash(SipHasher13& hasher, const FixedBytes<N, Tag>& value) noexcept { value.hash_into(hasher); }
};

// 6, then the packed bytes.
template <>
struct KeyHash<ProductSymbol> {
  static void hash(SipHasher13& hasher, const ProductSymbol& value) noexcept { value.hash_into(hasher); }
};

// A text: its UTF-8 bytes, then 0xFF.
template <>
struct KeyHash<std::string> {
  static void hash(SipHasher13& hasher, const std::string& text) noexcept { hasher.write_text(text); }
};

// An unsigned 64-bit number: 8 bytes little-endian.
template <>
struct KeyHash<std::uint64_t> {
  static void hash(SipHasher13& hasher, std::uint64_t value) noexcept { hasher.write_u64(value); }
};

// An optional number: 0 when absent; 1 and the number when present.
template <>
struct KeyHash<std::optional<std::uint64_t>> {
  static void hash(SipHasher13& hasher, const std::optional<std::uint64_t>& value) noexcept {
    hasher.write_u64(value ? 1 : 0);
    if (value) hasher.write_u64(*value);
  }
};

template <class K>
concept TreeKeyRecord = FieldRecord<K> && requires {
  { K::kind_byte } -> std::convertible_to<std::uint8_t>;
};

template <TreeKeyRecord K>
constexpr bool operator==(const K& a, const K& b) noexcept {
  return field_tie(a) == field_tie(b);
}

template <TreeKeyRecord K>
constexpr std::strong_ordering operator<=>(const K& a, const K& b) noexcept {
  return field_tie(a) <=> field_tie(b);
}

// SipHash-1-3 (zero keys) of the record's field hash streams in declared order. Flattened: with
// every write inlined, the word boundaries of fixed-size fields are resolved at compile time.
template <TreeKeyRecord K>
[[gnu::flatten]] std::uint64_t key_hash(const K& key) noexcept {
  SipHasher13 hasher;
  for_each_field(key, [&](const auto&, const auto& value) {
    KeyHash<std::remove_cvref_t<decltype(value)>>::hash(hasher, value);
  });
  return hasher.finish();
}

// key_hash as the signed hash value handed to Python (never -1).
template <TreeKeyRecord K>
std::int64_t key_hash_value(const K& key) noexcept {
  return signed_hash_value(key_hash(key));
}

}  // namespace qzr
