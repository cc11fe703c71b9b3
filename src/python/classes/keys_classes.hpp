// The Python classes of the twelve tree keys (qzr_python.common.state.keys) and of SpecsKind
// (qzr_python.common.state). Each key class holds its C++ key record (keys/tree_keys.hpp) as
// its value, so a body that returns a key record returns a new key object.
#pragma once

#include "keys/tree_keys.hpp"
#include "python/frame/frame.hpp"

namespace qzr::py {

// The twelve key classes: frozen, each with a constructor; member tables in keys_classes.cpp.

template <>
struct ClassDef<TraderKey> {
  static constexpr const char* name = "TraderKey";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<StrategyKey> {
  static constexpr const char* name = "StrategyKey";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<PositionKey> {
  static constexpr const char* name = "PositionKey";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<BookOrderKey> {
  static constexpr const char* name = "BookOrderKey";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<PriceKey> {
  static constexpr const char* name = "PriceKey";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<InsuranceFundKey> {
  static constexpr const char* name = "InsuranceFundKey";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<StatsKey> {
  static constexpr const char* name = "StatsKey";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<SignerKey> {
  static constexpr const char* name = "SignerKey";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<SpecsKey> {
  static constexpr const char* name = "SpecsKey";
  static constexpr const char* doc = "Common key for all specs kind.";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<InsuranceFundContributionKey> {
  static constexpr const char* name = "InsuranceFundContributionKey";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<FeePoolKey> {
  static constexpr const char* name = "FeePoolKey";
  static constexpr const char* doc = "The Key for a fee_pool, which is an epoch id";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<EpochMetadataKey> {
  static constexpr const char* name = "EpochMetadataKey";
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

// An enumeration class: its members SingleNamePerpetual and MarketGateway are class attributes
// holding instances of the class itself. Equal to its number as an int; not hashable.
template <>
struct ClassDef<SpecsKind> {
  static constexpr const char* name = "SpecsKind";
  static constexpr const char* doc = "";
  static constexpr bool frozen = false;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
