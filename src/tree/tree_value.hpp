// What the tree needs of the values it stores. The tree is a template over its value type so that
// the engine stands on its own; the state layer's Item is one such type, a test's toy value another.
#pragma once

#include <concepts>
#include <string>
#include <string_view>

#include "values/h256.hpp"

namespace qzr::tree {

// Specialize for each value type V:
//   static H256 value_hash(const V&);      the value's hash; zero exactly for the empty value
//   static std::string debug_text(const V&);  the value's debug text, shown in the store's texts
//   static constexpr std::string_view type_path;  the value type's name in the tree's debug text
template <class V>
struct TreeValueTraits;

// A storable value: a default-constructed V is the empty value (value hash zero), which the tree
// returns for an absent key and which deletes a key when stored. Values are moved into the store
// and copied out of it.
template <class V>
concept TreeValue = std::default_initializable<V> && std::movable<V> && std::copy_constructible<V> &&
    requires(const V& value) {
  { TreeValueTraits<V>::value_hash(value) } -> std::same_as<H256>;
  { TreeValueTraits<V>::debug_text(value) } -> std::same_as<std::string>;
  { TreeValueTraits<V>::type_path } -> std::convertible_to<std::string_view>;
};

}  // namespace qzr::tree
