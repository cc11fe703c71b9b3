// The typed tree keys, one per kind of the list of kinds: the identity under which a record is
// stored in the state tree. Each record's field list (FieldList, beside it) gives its fields in
// declared order, which is the order its comparison, hash (keys/key_fields.hpp) and debug text
// follow; the byte layout of the 32-byte tree key is a different order and lives in
// keys/tree_key_codec.hpp. Every symbol a key holds unpacks (the constructors pack parsed text,
// the decoders check the bytes), so a key's debug text cannot fail.
//
// The records made of byte fields are word-aligned: their size is then a whole number of words,
// so a copy moves whole words. At an odd size (21 or 31 bytes) a copy is made of overlapping
// moves, and the next copy's loads wait for those stores to retire instead of forwarding them,
// once per copy on the way from a decoder or a parser into a Python object.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "core/common_error.hpp"
#include "core/field_list.hpp"
#include "keys/key_fields.hpp"
#include "keys/specs.hpp"
#include "values/debug_form.hpp"
#include "values/debug_shapes.hpp"
#include "values/fixed_bytes.hpp"
#include "values/symbols.hpp"

namespace qzr {

// The 31 bytes after the kind byte of the one insurance fund key: "OrganicInsuranceFund" and
// eleven zero bytes.
using InsuranceFundName = FixedBytes<31, struct InsuranceFundNameTag>;
InsuranceFundName insurance_fund_key_name() noexcept;

// The name's bytes as a list of decimal numbers.
template <>
struct DebugForm<InsuranceFundName> {
  static std::string text(const InsuranceFundName& value) { return debug_byte_list(value.bytes); }
};

// Hashed by number.
template <>
struct KeyHash<SpecsKind> {
  static void hash(SipHasher13& hasher, SpecsKind kind) noexcept { hasher.write_u64(enum_number(kind)); }
};

struct alignas(8) TraderKey {
  static constexpr std::uint8_t kind_byte = 1;
  TraderAddress inner;
};

template <>
struct FieldList<TraderKey> {
  static constexpr std::string_view name = "TraderKey";
  static constexpr auto fields = std::tuple{field("inner", &TraderKey::inner)};
};

struct alignas(8) StrategyKey {
  static constexpr std::uint8_t kind_byte = 2;
  TraderAddress trader_address;
  StrategyIdHash strategy_id_hash;
};

template <>
struct FieldList<StrategyKey> {
  static constexpr std::string_view name = "StrategyKey";
  static constexpr auto fields = std::tuple{field("trader_address", &StrategyKey::trader_address),
                                            field("strategy_id_hash", &StrategyKey::strategy_id_hash)};
};

// Compares and hashes the trader address first, although its tree key begins with the symbol.
struct alignas(8) PositionKey {
  static constexpr std::uint8_t kind_byte = 3;
  TraderAddress trader_address;
  StrategyIdHash strategy_id_hash;
  ProductSymbol symbol;
};

template <>
struct FieldList<PositionKey> {
  static constexpr std::string_view name = "PositionKey";
  static constexpr auto fields = std::tuple{field("trader_address", &PositionKey::trader_address),
                                            field("strategy_id_hash", &PositionKey::strategy_id_hash),
                                            field("symbol", &PositionKey::symbol)};
};

struct alignas(8) BookOrderKey {
  static constexpr std::uint8_t kind_byte = 4;
  ProductSymbol symbol;
  Bytes25 order_hash;
};

template <>
struct FieldList<BookOrderKey> {
  static constexpr std::string_view name = "BookOrderKey";
  static constexpr auto fields =
      std::tuple{field("symbol", &BookOrderKey::symbol), field("order_hash", &BookOrderKey::order_hash)};
};

struct alignas(8) PriceKey {
  static constexpr std::uint8_t kind_byte = 5;
  ProductSymbol symbol;
  Bytes25 index_price_hash;
};

template <>
struct FieldList<PriceKey> {
  static constexpr std::string_view name = "PriceKey";
  static constexpr auto fields =
      std::tuple{field("symbol", &PriceKey::symbol), field("index_price_hash", &PriceKey::index_price_hash)};
};

// Every insurance fund key holds the same name, so all are equal and none is less than another.
struct alignas(8) InsuranceFundKey {
  static constexpr std::uint8_t kind_byte = 6;
  InsuranceFundName name = insurance_fund_key_name();
};

template <>
struct FieldList<InsuranceFundKey> {
  static constexpr std::string_view name = "InsuranceFundKey";
  // Its one field is unnamed: the tuple shape InsuranceFundKey([79, ...]).
  static constexpr auto fields = std::tuple{field("", &InsuranceFundKey::name)};
};

struct alignas(8) StatsKey {
  static constexpr std::uint8_t kind_byte = 7;
  TraderAddress trader;
};

template <>
struct FieldList<StatsKey> {
  static constexpr std::string_view name = "StatsKey";
  static constexpr auto fields = std::tuple{field("trader", &StatsKey::trader)};
};

struct alignas(8) SignerKey {
  static constexpr std::uint8_t kind_byte = 8;
  SignerAddress inner;
};

template <>
struct FieldList<SignerKey> {
  static constexpr std::string_view name = "SignerKey";
  static constexpr auto fields = std::tuple{field("inner", &SignerKey::inner)};
};

// Invariant: the name has at most specs_name_max_bytes bytes, which is what the tree key layout
// holds. Every way to make a SpecsKey checks it.
class SpecsKey {
 public:
  static constexpr std::uint8_t kind_byte = 9;
  // Untrusted name: more than specs_name_max_bytes bytes (bytes, not characters) fail with
  // Other "Specs name too long <name>".
  static Result<SpecsKey> make(SpecsKind kind, std::string name);

  SpecsKind kind() const noexcept { return m_kind; }
  const std::string& name() const noexcept { return m_name; }

 private:
  friend struct FieldList<SpecsKey>;

  SpecsKey(SpecsKind kind, std::string name) : m_kind(kind), m_name(std::move(name)) {}

  SpecsKind m_kind;
  std::string m_name;
};

template <>
struct FieldList<SpecsKey> {
  static constexpr std::string_view name = "SpecsKey";
  static constexpr auto fields =
      std::tuple{field("kind", &SpecsKey::m_kind), field("name", &SpecsKey::m_name)};
};

struct alignas(8) InsuranceFundContributionKey {
  static constexpr std::uint8_t kind_byte = 10;
  InsuranceFundContributorAddress inner;
};

template <>
struct FieldList<InsuranceFundContributionKey> {
  static constexpr std::string_view name = "InsuranceFundContributionKey";
  static constexpr auto fields = std::tuple{field("inner", &InsuranceFundContributionKey::inner)};
};

// An absent epoch is a key of its own, different from epoch 0, and orders before every epoch.
struct FeePoolKey {
  static constexpr std::uint8_t kind_byte = 11;
  std::optional<std::uint64_t> epoch_id;
};

template <>
struct FieldList<FeePoolKey> {
  static constexpr std::string_view name = "FeePoolKey";
  static constexpr auto fields = std::tuple{field("epoch_id", &FeePoolKey::epoch_id)};
};

struct EpochMetadataKey {
  static constexpr std::uint8_t kind_byte = 12;
  std::uint64_t epoch_id = 0;
};

template <>
struct FieldList<EpochMetadataKey> {
  static constexpr std::string_view name = "EpochMetadataKey";
  static constexpr auto fields = std::tuple{field("epoch_id", &EpochMetadataKey::epoch_id)};
};

}  // namespace qzr
