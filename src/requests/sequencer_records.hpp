// The commands the sequencer orders among the traders' requests: a block number, an index price,
// a time advance, epoch and settlement-epoch advances and a price checkpoint. Plain records whose
// fields are in declared order; IndexPrice prices hold recorded amounts (recorded_amount()).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "core/field_list.hpp"
#include "requests/request_enums.hpp"
#include "values/debug_form.hpp"
#include "values/fixed_bytes.hpp"
#include "values/recorded_amount.hpp"
#include "values/symbols.hpp"

namespace qzr {

// The verified state's relative time with a wall-clock stamp; the Python class AdvanceTime.
struct StampedTimeValue {
  std::uint64_t value = 0;
  std::int64_t timestamp = 0;

  friend bool operator==(const StampedTimeValue&, const StampedTimeValue&) = default;
};

template <>
struct FieldList<StampedTimeValue> {
  static constexpr std::string_view name = "StampedTimeValue";
  static constexpr auto fields =
      std::tuple{field("value", &StampedTimeValue::value), field("timestamp", &StampedTimeValue::timestamp)};
};

// An Ethereum block number posted by the block producer.
struct Block {
  std::uint64_t number = 0;
};

template <>
struct FieldList<Block> {
  static constexpr std::string_view name = "Block";
  // Its one field is unnamed: the tuple shape Block(<n>).
  static constexpr auto fields = std::tuple{field("", &Block::number)};
};

struct IndexPrice {
  ProductSymbol symbol;
  UnscaledI128 price;
  UnscaledI128 prev_price;
  PriceMetadata metadata = PriceMetadata::Empty;
  std::uint64_t timestamp = 0;
};

template <>
struct FieldList<IndexPrice> {
  static constexpr std::string_view name = "IndexPrice";
  static constexpr auto fields = std::tuple{
      field("symbol", &IndexPrice::symbol),         field("price", &IndexPrice::price),
      field("prev_price", &IndexPrice::prev_price), field("metadata", &IndexPrice::metadata),
      field("timestamp", &IndexPrice::timestamp),
  };
};

struct AdvanceEpoch {
  std::uint64_t epoch_id = 0;
  StampedTimeValue time;
};

template <>
struct FieldList<AdvanceEpoch> {
  static constexpr std::string_view name = "AdvanceEpoch";
  static constexpr auto fields =
      std::tuple{field("epoch_id", &AdvanceEpoch::epoch_id), field("time", &AdvanceEpoch::time)};
};

struct AdvanceSettlementEpoch {
  std::uint64_t epoch_id = 0;
  StampedTimeValue time;
  // In the order given; duplicates allowed.
  std::vector<SettlementAction> actions;
};

template <>
struct FieldList<AdvanceSettlementEpoch> {
  static constexpr std::string_view name = "AdvanceSettlementEpoch";
  static constexpr auto fields = std::tuple{
      field("epoch_id", &AdvanceSettlementEpoch::epoch_id),
      field("time", &AdvanceSettlementEpoch::time),
      field("actions", &AdvanceSettlementEpoch::actions),
  };
};

// Its request dict variant is PriceCheckpoint.
struct MintPriceCheckpoint {
  std::uint64_t time_value = 0;
};

template <>
struct FieldList<MintPriceCheckpoint> {
  static constexpr std::string_view name = "MintPriceCheckpoint";
  static constexpr auto fields = std::tuple{field("time_value", &MintPriceCheckpoint::time_value)};
};

// Faults as product_symbol_to_bytes32 does for a symbol that does not unpack (a broken invariant:
// every symbol read from Python was parsed and packed). The 160 bytes an index price hash covers,
// five ABI words: the symbol's text word (length byte, text, zeros), the signed decimal words of
// price and previous price (byte 15 the sign, bytes 16 to 31 the magnitude in millionths), the
// metadata discriminant and the timestamp, big-endian.
std::array<std::uint8_t, 160> index_price_hash_preimage(const IndexPrice& price);

// Faults as index_price_hash_preimage does. The first 25 bytes of the Keccak-256 digest of that
// preimage. Negative prices hash by their sign byte and magnitude; nothing else fails.
Bytes25 index_price_hash(const IndexPrice& price);

}  // namespace qzr
