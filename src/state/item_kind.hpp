// ItemKind: the kind of a state value, the empty value (0) or one of the record kinds of the list
// of kinds (state/kinds.hpp), numbered as there. The numbers are part of the stored formats:
// byte 0 of every tree key of the kind and the first word of the item ABI value. A record
// type's kind is item_kind_of<R> (state/item.hpp).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/enum_table.hpp"
#include "core/field_list.hpp"
#include "state/kinds.hpp"

namespace qzr {

enum class ItemKind : std::uint8_t {
  Empty = 0,
};

inline constexpr std::uint8_t item_kind_count = record_kind_count + 1;

namespace item_kind_detail {
template <class... R>
struct Members {
  static constexpr std::array<EnumMember<ItemKind>, sizeof...(R) + 1> rows = [] {
    std::array<EnumMember<ItemKind>, sizeof...(R) + 1> rows{};
    const std::array<std::string_view, sizeof...(R) + 1> names{"Empty", FieldList<R>::name...};
    for (std::size_t number = 0; number < rows.size(); ++number)
      rows[number] = {.name = names[number], .value = static_cast<ItemKind>(number)};
    return rows;
  }();
};
}  // namespace item_kind_detail

// The members by number: "Empty", then each record of the list of kinds by its name (its debug
// text's name, also the alternative's name in an item's debug text).
template <>
struct EnumTable<ItemKind> {
  static constexpr std::string_view name = "ItemKind";
  static constexpr auto members = RecordTypes<item_kind_detail::Members>::rows;
};

constexpr std::uint8_t item_kind_number(ItemKind kind) noexcept { return enum_number(kind); }

// The kind of a number, nullopt for item_kind_count and above: the one way to make an ItemKind
// from a number, so a live ItemKind always holds a number of the list.
constexpr std::optional<ItemKind> item_kind_from_number(std::uint64_t number) noexcept {
  return enum_from_number<ItemKind>(number);
}

// The member name, "Empty" to "EpochMetadata".
constexpr std::string_view item_kind_name(ItemKind kind) { return enum_name(kind); }

}  // namespace qzr
