// The small closed sets of the accounting model: PositionSide, TradeSide, PriceDirection and the
// index-price tag PriceMetadata, each one enum table (core/enum_table.hpp). The numbers are
// fixed: they are what Python's int() gives and what ABI values carry.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/common_error.hpp"
#include "core/enum_table.hpp"

namespace qzr {

// The side of a position; Empty is the side of a position that holds nothing.
enum class PositionSide : std::uint8_t { Empty = 0, Long = 1, Short = 2 };
// The maker or taker side of a trade.
enum class TradeSide : std::uint8_t { Maker = 0, Taker = 1 };
// The direction of a price movement compared to the last price update.
enum class PriceDirection : std::uint8_t { Up = 0, Down = 1, Flat = 2, Unknown = 3 };
// The metadata the price feed needs to initialise an instrument (one byte of an index price).
enum class PriceMetadata : std::uint8_t { Empty = 0, SingleNamePerpetual = 1 };

// The empty side's debug text, as a record shows it, is "None".
template <>
struct EnumTable<PositionSide> {
  static constexpr std::string_view name = "PositionSide";
  static constexpr EnumMember<PositionSide> members[] = {
      {.name = "Empty", .value = PositionSide::Empty, .debug_text = "None"},
      {"Long", PositionSide::Long},
      {"Short", PositionSide::Short},
  };
};

template <>
struct EnumTable<TradeSide> {
  static constexpr std::string_view name = "TradeSide";
  static constexpr EnumMember<TradeSide> members[] = {{"Maker", TradeSide::Maker},
                                                      {"Taker", TradeSide::Taker}};
};

template <>
struct EnumTable<PriceDirection> {
  static constexpr std::string_view name = "PriceDirection";
  static constexpr EnumMember<PriceDirection> members[] = {
      {"Up", PriceDirection::Up},
      {"Down", PriceDirection::Down},
      {"Flat", PriceDirection::Flat},
      {"Unknown", PriceDirection::Unknown},
  };
};

// The member name is also the variant tag of the dict form ("t").
template <>
struct EnumTable<PriceMetadata> {
  static constexpr std::string_view name = "PriceMetadata";
  static constexpr EnumMember<PriceMetadata> members[] = {
      {"Empty", PriceMetadata::Empty},
      {"SingleNamePerpetual", PriceMetadata::SingleNamePerpetual},
  };
};

// The tag ("t") of PriceMetadata's dict form: exactly a member name (case and length must match).
// Any other text fails with Other "unknown variant `<name>`, expected `Empty` or
// `SingleNamePerpetual`" (the name as given, unescaped; the two member names).
Result<PriceMetadata> parse_price_metadata_tag(std::string_view name);

}  // namespace qzr
