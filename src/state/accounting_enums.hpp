// The small closed sets of the accounting model: PositionSide, TradeSide, PriceDirection and the
// index-price tag PriceMetadata. The discriminants are fixed: they are what Python's int() gives
// and what ABI values carry.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/common_error.hpp"

namespace qzr {

// The side of a position; Empty is the side of a position that holds nothing.
enum class PositionSide : std::uint8_t { Empty = 0, Long = 1, Short = 2 };
// The maker or taker side of a trade.
enum class TradeSide : std::uint8_t { Maker = 0, Taker = 1 };
// The direction of a price movement compared to the last price update.
enum class PriceDirection : std::uint8_t { Up = 0, Down = 1, Flat = 2, Unknown = 3 };
// The metadata the price feed needs to initialise an instrument (one byte of an index price).
enum class PriceMetadata : std::uint8_t { Empty = 0, SingleNamePerpetual = 1 };

// Member names: the Python attribute, and the representation after "<Class>.". For PriceMetadata
// the name is also the variant tag of its dict form ("t").
std::string_view position_side_name(PositionSide side);           // "Empty", "Long", "Short"
std::string_view trade_side_name(TradeSide side);                 // "Maker", "Taker"
std::string_view price_direction_name(PriceDirection direction);  // "Up", "Down", "Flat", "Unknown"
std::string_view price_metadata_name(PriceMetadata metadata);     // "Empty", "SingleNamePerpetual"

// Debug texts, as a record or a diagnostic shows the value. The empty position side prints "None".
std::string_view position_side_text(PositionSide side);  // "None", "Long", "Short"
std::string_view trade_side_text(TradeSide side);        // "Maker", "Taker"

// The member of a discriminant, or nullopt for a number outside the set.
std::optional<PositionSide> position_side_from_discriminant(std::uint64_t discriminant) noexcept;
std::optional<TradeSide> trade_side_from_discriminant(std::uint64_t discriminant) noexcept;
std::optional<PriceDirection> price_direction_from_discriminant(std::uint64_t discriminant) noexcept;
std::optional<PriceMetadata> price_metadata_from_discriminant(std::uint64_t discriminant) noexcept;

// The tag ("t") of PriceMetadata's dict form: exactly "Empty" or "SingleNamePerpetual" (case and
// length must match). Any other text fails with Other "unknown variant `<name>`, expected `Empty`
// or `SingleNamePerpetual`" (the name as given, unescaped).
Result<PriceMetadata> parse_price_metadata_tag(std::string_view name);

template <class E>
constexpr std::uint8_t accounting_discriminant(E value) noexcept {
  return static_cast<std::uint8_t>(value);
}

}  // namespace qzr
