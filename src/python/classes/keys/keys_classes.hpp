// The Python classes of the tree keys of the list of kinds (qzr_python.common.state.keys). Each key
// class holds its C++ key record (keys/tree_keys.hpp) as its value, so a body that returns a key
// record returns a new key object.
#pragma once

#include "keys/tree_key_codec.hpp"
#include "keys/tree_keys.hpp"
#include "python/classes/core/field_members.hpp"
#include "python/classes/keys/specs_kind_class.hpp"
#include "python/frame/frame.hpp"

namespace qzr::py {

// A tree key record that has a Python class: it has an encoder and a decoder.
template <class K>
concept PythonTreeKey = TreeKeyRecord<K> && requires {
  TreeKeyCodec<K>::encode;
};

// The traits every key class shares: frozen, named as its record, no docstring. Each key class's
// ClassDef derives from it; its add_members (in one of the four *_key_classes.cpp files, by group)
// lists its own constructor, getters and conversions, then KeyMembers<K>, what every key class
// shares (key_class_members.hpp).
template <PythonTreeKey K>
struct KeyClassDef {
  static constexpr const char* name = record_class_name<K>;
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  // Keys are hashed again and again as dict and set members; a frozen value's hash never changes.
  static constexpr bool caches_hash = true;
  // Keys are made and dropped at a high rate (decoded from tree keys, listed from the tree).
  static constexpr std::size_t free_cells = 64;
};

template <>
struct ClassDef<TraderKey> : KeyClassDef<TraderKey> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<StrategyKey> : KeyClassDef<StrategyKey> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<PositionKey> : KeyClassDef<PositionKey> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<BookOrderKey> : KeyClassDef<BookOrderKey> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<PriceKey> : KeyClassDef<PriceKey> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<InsuranceFundKey> : KeyClassDef<InsuranceFundKey> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<StatsKey> : KeyClassDef<StatsKey> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<SignerKey> : KeyClassDef<SignerKey> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<SpecsKey> : KeyClassDef<SpecsKey> {
  static constexpr const char* doc = "Common key for all specs kind.";
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<InsuranceFundContributionKey> : KeyClassDef<InsuranceFundContributionKey> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<FeePoolKey> : KeyClassDef<FeePoolKey> {
  static constexpr const char* doc = "The Key for a fee_pool, which is an epoch id";
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<EpochMetadataKey> : KeyClassDef<EpochMetadataKey> {
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
