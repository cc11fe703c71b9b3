// The Python classes of the twelve tree keys (qzr_python.common.state.keys). Each key class holds its C++ key
// record (keys/tree_keys.hpp) as its value, so a body that returns a key record returns a new key object.
#pragma once

#include "keys/tree_key_codec.hpp"
#include "keys/tree_keys.hpp"
#include "python/classes/keys/specs_kind_class.hpp"
#include "python/frame/frame.hpp"

namespace qzr::py {

// A tree key record that has a Python class: it has an encoder and a decoder.
template <class K>
concept PythonTreeKey = TreeKeyRecord<K> && requires {
  TreeKeyCodec<K>::encode;
};

// The members of the key class of `kind_byte`: what every key class shares and the class's own
// constructor, getters and conversions (the twelve tables are in keys_classes.cpp).
void add_key_class_members(std::uint8_t kind_byte, TypeBuilder& builder);

template <class K>
inline constexpr const char* key_class_doc = "";
template <>
inline constexpr const char* key_class_doc<SpecsKey> = "Common key for all specs kind.";
template <>
inline constexpr const char* key_class_doc<FeePoolKey> = "The Key for a fee_pool, which is an epoch id";

// The twelve key classes: frozen, named as their records, each with a constructor.
template <PythonTreeKey K>
struct ClassDef<K> {
  static_assert(FieldList<K>::name.data()[FieldList<K>::name.size()] == '\0',
                "the record's name is a C string");
  static constexpr const char* name = FieldList<K>::name.data();
  static constexpr const char* doc = key_class_doc<K>;
  static constexpr bool frozen = true;
  // Keys are hashed again and again as dict and set members; a frozen value's hash never changes.
  static constexpr bool caches_hash = true;
  static void add_members(TypeBuilder& builder) { add_key_class_members(K::kind_byte, builder); }
};

}  // namespace qzr::py
