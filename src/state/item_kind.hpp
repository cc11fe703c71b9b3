// ItemKind: the kind of a state value, the empty value (0) or one of the record kinds of the list
// of kinds (state/kinds.hpp), numbered as there. The numbers are part of the stored formats:
// byte 0 of every tree key of the kind and the first word of the item ABI value. A record
// type's kind is item_kind_of<R> (state/item.hpp).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/field_list.hpp"
#include "state/kinds.hpp"

namespace qzr {

enum class ItemKind : std::uint8_t {
  Empty = 0,
};

inline constexpr std::uint8_t item_kind_count = record_kind_count + 1;

constexpr std::uint8_t item_kind_number(ItemKind kind) noexcept { return static_cast<std::uint8_t>(kind); }

// The kind of a number, nullopt for item_kind_count and above: the one way to make an ItemKind
// from a number, so a live ItemKind always holds a number of the list.
constexpr std::optional<ItemKind> item_kind_from_number(std::uint64_t number) noexcept {
  if (number >= item_kind_count) return std::nullopt;
  return static_cast<ItemKind>(number);
}

namespace item_kind_detail {
template <class... R>
struct Names {
  static constexpr std::array<std::string_view, sizeof...(R) + 1> names{"Empty", FieldList<R>::name...};
};
}  // namespace item_kind_detail

// The member names by number: "Empty", then each record's name (its debug text's name). Each is
// a whole string literal, so its data() is a C string.
inline constexpr const std::array<std::string_view, item_kind_count>& item_kind_names =
    RecordTypes<item_kind_detail::Names>::names;

// The member name, "Empty" to "EpochMetadata": also the alternative's name in an item's debug
// text.
constexpr std::string_view item_kind_name(ItemKind kind) noexcept {
  return item_kind_names[item_kind_number(kind)];
}

}  // namespace qzr
