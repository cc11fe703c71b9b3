// Names of the accounting enums: one table per enum, one lookup over the tables.
#include "state/accounting_enums.hpp"

#include <span>
#include <string>

#include "core/fault.hpp"

namespace qzr {
namespace {

// One variant: its member name and its debug text (the same but for PositionSide::Empty).
struct VariantNames {
  std::string_view name;
  std::string_view text;
};

// Indexed by discriminant.
constexpr VariantNames position_side_variants[] = {{"Empty", "None"}, {"Long", "Long"}, {"Short", "Short"}};
constexpr VariantNames trade_side_variants[] = {{"Maker", "Maker"}, {"Taker", "Taker"}};
constexpr VariantNames price_direction_variants[] = {
    {"Up", "Up"}, {"Down", "Down"}, {"Flat", "Flat"}, {"Unknown", "Unknown"}};
constexpr VariantNames price_metadata_variants[] = {{"Empty", "Empty"},
                                                    {"SingleNamePerpetual", "SingleNamePerpetual"}};

// A value outside its table can only come from a cast that skipped the discriminant check.
template <class E>
const VariantNames& names_of(std::span<const VariantNames> table, E value, std::string_view enum_name) {
  const std::size_t index = accounting_discriminant(value);
  if (index >= table.size()) {
    fault(std::string(enum_name) + " holds an undeclared discriminant " + std::to_string(index));
  }
  return table[index];
}

template <class E>
std::optional<E> from_discriminant(std::span<const VariantNames> table, std::uint64_t discriminant) noexcept {
  if (discriminant >= table.size()) return std::nullopt;
  return static_cast<E>(discriminant);
}

}  // namespace

std::string_view position_side_name(PositionSide side) {
  return names_of(position_side_variants, side, "PositionSide").name;
}
std::string_view trade_side_name(TradeSide side) {
  return names_of(trade_side_variants, side, "TradeSide").name;
}
std::string_view price_direction_name(PriceDirection direction) {
  return names_of(price_direction_variants, direction, "PriceDirection").name;
}
std::string_view price_metadata_name(PriceMetadata metadata) {
  return names_of(price_metadata_variants, metadata, "PriceMetadata").name;
}

std::string_view position_side_text(PositionSide side) {
  return names_of(position_side_variants, side, "PositionSide").text;
}
std::string_view trade_side_text(TradeSide side) {
  return names_of(trade_side_variants, side, "TradeSide").text;
}

std::optional<PositionSide> position_side_from_discriminant(std::uint64_t discriminant) noexcept {
  return from_discriminant<PositionSide>(position_side_variants, discriminant);
}
std::optional<TradeSide> trade_side_from_discriminant(std::uint64_t discriminant) noexcept {
  return from_discriminant<TradeSide>(trade_side_variants, discriminant);
}
std::optional<PriceDirection> price_direction_from_discriminant(std::uint64_t discriminant) noexcept {
  return from_discriminant<PriceDirection>(price_direction_variants, discriminant);
}
std::optional<PriceMetadata> price_metadata_from_discriminant(std::uint64_t discriminant) noexcept {
  return from_discriminant<PriceMetadata>(price_metadata_variants, discriminant);
}

Result<PriceMetadata> parse_price_metadata_tag(std::string_view name) {
  for (std::size_t index = 0; index < std::size(price_metadata_variants); ++index) {
    if (price_metadata_variants[index].name == name) return static_cast<PriceMetadata>(index);
  }
  return fail(CommonError::other("unknown variant `" + std::string(name) +
                                 "`, expected `Empty` or `SingleNamePerpetual`"));
}

}  // namespace qzr
