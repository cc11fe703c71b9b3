// The twelve typed tree keys, one per non-empty item kind: the identity under which a record is
// stored in the state tree. Each record lists its fields in declared order, which is the order
// its comparison and hash follow (keys/key_fields.hpp); the byte layout of the 32-byte tree key
// is a different order and lives in keys/tree_key_codec.hpp.
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
#include "keys/key_fields.hpp"
#include "keys/specs.hpp"
#include "values/fixed_bytes.hpp"
#include "values/symbols.hpp"

namespace qzr {

// The 31 bytes after the kind byte of the one insurance fund key: "OrganicInsuranceFund" and
// eleven zero bytes.
using InsuranceFundName = FixedBytes<31, struct InsuranceFundNameTag>;
InsuranceFundName insurance_fund_key_name() noexcept;

template <>
struct KeyField<InsuranceFundName> {
  static void hash(SipHasher13& hasher, const InsuranceFundName& value) noexcept { value.hash_into(hasher); }
  // The name's bytes as a list of decimal numbers.
  static std::string debug(const InsuranceFundName& value) { return debug_byte_list(value.bytes); }
};

// By number; the member's name.
template <>
struct KeyField<SpecsKind> {
  static void hash(SipHasher13& hasher, SpecsKind kind) noexcept { hasher.write_u64(enum_number(kind)); }
  static std::string debug(SpecsKind kind) { return std::string(enum_name(kind)); }
};

struct alignas(8) TraderKey {
  static constexpr std::uint8_t kind_byte = 1;
  static constexpr std::string_view type_name = "TraderKey";
  static constexpr std::array<std::string_view, 1> field_names{"inner"};
  auto fields() const noexcept { return std::tie(inner); }

  TraderAddress inner;
};

struct alignas(8) StrategyKey {
  static constexpr std::uint8_t kind_byte = 2;
  static constexpr std::string_view type_name = "StrategyKey";
  static constexpr std::array<std::string_view, 2> field_names{"trader_address", "strategy_id_hash"};
  auto fields() const noexcept { return std::tie(trader_address, strategy_id_hash); }

  TraderAddress trader_address;
  StrategyIdHash strategy_id_hash;
};

// Compares and hashes the trader address first, although its tree key begins with the symbol.
struct alignas(8) PositionKey {
  static constexpr std::uint8_t kind_byte = 3;
  static constexpr std::string_view type_name = "PositionKey";
  static constexpr std::array<std::string_view, 3> field_names{"trader_address", "strategy_id_hash",
                                                               "symbol"};
  auto fields() const noexcept { return std::tie(trader_address, strategy_id_hash, symbol); }

  TraderAddress trader_address;
  StrategyIdHash strategy_id_hash;
  ProductSymbol symbol;
};

struct alignas(8) BookOrderKey {
  static constexpr std::uint8_t kind_byte = 4;
  static constexpr std::string_view type_name = "BookOrderKey";
  static constexpr std::array<std::string_view, 2> field_names{"symbol", "order_hash"};
  auto fields() const noexcept { return std::tie(symbol, order_hash); }

  ProductSymbol symbol;
  Bytes25 order_hash;
};

struct alignas(8) PriceKey {
  static constexpr std::uint8_t kind_byte = 5;
  static constexpr std::string_view type_name = "PriceKey";
  static constexpr std::array<std::string_view, 2> field_names{"symbol", "index_price_hash"};
  auto fields() const noexcept { return std::tie(symbol, index_price_hash); }

  ProductSymbol symbol;
  Bytes25 index_price_hash;
};

// Every insurance fund key holds the same name, so all are equal and none is less than another.
struct alignas(8) InsuranceFundKey {
  static constexpr std::uint8_t kind_byte = 6;
  static constexpr std::string_view type_name = "InsuranceFundKey";
  static constexpr std::array<std::string_view, 1> field_names{""};  // unnamed: tuple shape
  auto fields() const noexcept { return std::tie(name); }

  InsuranceFundName name = insurance_fund_key_name();
};

struct alignas(8) StatsKey {
  static constexpr std::uint8_t kind_byte = 7;
  static constexpr std::string_view type_name = "StatsKey";
  static constexpr std::array<std::string_view, 1> field_names{"trader"};
  auto fields() const noexcept { return std::tie(trader); }

  TraderAddress trader;
};

struct alignas(8) SignerKey {
  static constexpr std::uint8_t kind_byte = 8;
  static constexpr std::string_view type_name = "SignerKey";
  static constexpr std::array<std::string_view, 1> field_names{"inner"};
  auto fields() const noexcept { return std::tie(inner); }

  SignerAddress inner;
};

// Invariant: the name has at most specs_name_max_bytes bytes, which is what the tree key layout
// holds. Every way to make a SpecsKey checks it.
class SpecsKey {
 public:
  static constexpr std::uint8_t kind_byte = 9;
  static constexpr std::string_view type_name = "SpecsKey";
  static constexpr std::array<std::string_view, 2> field_names{"kind", "name"};
  auto fields() const noexcept { return std::tie(m_kind, m_name); }

  // Untrusted name: more than specs_name_max_bytes bytes (bytes, not characters) fail with
  // Other "Specs name too long <name>".
  static Result<SpecsKey> make(SpecsKind kind, std::string name);

  SpecsKind kind() const noexcept { return m_kind; }
  const std::string& name() const noexcept { return m_name; }

 private:
  SpecsKey(SpecsKind kind, std::string name) : m_kind(kind), m_name(std::move(name)) {}

  SpecsKind m_kind;
  std::string m_name;
};

struct alignas(8) InsuranceFundContributionKey {
  static constexpr std::uint8_t kind_byte = 10;
  static constexpr std::string_view type_name = "InsuranceFundContributionKey";
  static constexpr std::array<std::string_view, 1> field_names{"inner"};
  auto fields() const noexcept { return std::tie(inner); }

  InsuranceFundContributorAddress inner;
};

// An absent epoch is a key of its own, different from epoch 0, and orders before every epoch.
struct FeePoolKey {
  static constexpr std::uint8_t kind_byte = 11;
  static constexpr std::string_view type_name = "FeePoolKey";
  static constexpr std::array<std::string_view, 1> field_names{"epoch_id"};
  auto fields() const noexcept { return std::tie(epoch_id); }

  std::optional<std::uint64_t> epoch_id;
};

struct EpochMetadataKey {
  static constexpr std::uint8_t kind_byte = 12;
  static constexpr std::string_view type_name = "EpochMetadataKey";
  static constexpr std::array<std::string_view, 1> field_names{"epoch_id"};
  auto fields() const noexcept { return std::tie(epoch_id); }

  std::uint64_t epoch_id = 0;
};

}  // namespace qzr
