// ItemKind: the kind of a state value, the empty value or one of the twelve records. The numbers
// are part of the stored formats: byte 0 of every tree key of the kind and the first word of the
// item ABI value.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace qzr {

enum class ItemKind : std::uint8_t {
  Empty = 0,
  Trader = 1,
  Strategy = 2,
  Position = 3,
  BookOrder = 4,
  Price = 5,
  InsuranceFund = 6,
  Stats = 7,
  Signer = 8,
  Specs = 9,
  InsuranceFundContribution = 10,
  FeePool = 11,
  EpochMetadata = 12,
};

inline constexpr std::uint8_t item_kind_count = 13;

constexpr std::uint8_t item_kind_number(ItemKind kind) noexcept { return static_cast<std::uint8_t>(kind); }

// The kind of a number, nullopt for 13 and above: the one way to make an ItemKind from a number,
// so a live ItemKind always holds 0 to 12.
constexpr std::optional<ItemKind> item_kind_from_number(std::uint64_t number) noexcept {
  if (number >= item_kind_count) return std::nullopt;
  return static_cast<ItemKind>(number);
}

// The member name, "Empty" to "EpochMetadata": also the alternative's name in an item's debug
// text.
std::string_view item_kind_name(ItemKind kind) noexcept;

}  // namespace qzr
