// Item: the one tagged state value of the exchange, the empty value or exactly one state record
// of a kind of the list of kinds (state/kinds.hpp). Every tree leaf holds one (storing the empty
// item deletes a leaf); its ABI value and leaf value hash are in item_abi.hpp.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "core/common_error.hpp"
#include "state/item_kind.hpp"
#include "state/kinds.hpp"

namespace qzr {

// The payload of the empty item.
struct EmptyItem {
  friend bool operator==(EmptyItem, EmptyItem) noexcept { return true; }
};

// The empty item, then the records of the list of kinds in kind-number order: the index of an
// alternative is its ItemKind number.
using ItemValue = RecordTypes<std::variant, EmptyItem>;

static_assert(std::variant_size_v<ItemValue> == item_kind_count);

// One of the record types of the list of kinds (not EmptyItem).
template <class R>
concept StateRecord = !std::is_same_v<R, EmptyItem> && requires(const ItemValue& value) {
  std::get_if<R>(&value);
};

namespace item_detail {
template <class R, std::size_t... I>
constexpr std::size_t alternative_index(std::index_sequence<I...>) {
  std::size_t index = 0;
  ((std::is_same_v<R, std::variant_alternative_t<I, ItemValue>> ? (index = I) : 0), ...);
  return index;
}
}  // namespace item_detail

// The kind of a record type: its row's number in the list of kinds.
template <StateRecord R>
inline constexpr ItemKind item_kind_of =
    static_cast<ItemKind>(item_detail::alternative_index<R>(std::make_index_sequence<item_kind_count>{}));

// An item owns its record outright; copies share nothing. Equality: the same kind and equal
// records (amounts numerically, balances and maps as maps); two empty items are equal.
class Item {
 public:
  // The empty item.
  Item() = default;
  // The item of the record's kind, holding it.
  template <StateRecord R>
  explicit Item(R record) : m_value(std::in_place_type<R>, std::move(record)) {}
  explicit Item(ItemValue value) : m_value(std::move(value)) {}

  ItemKind kind() const noexcept { return static_cast<ItemKind>(m_value.index()); }
  bool is_empty() const noexcept { return kind() == ItemKind::Empty; }

  // The record when the item is of its kind, else nullptr.
  template <StateRecord R>
  const R* get_if() const noexcept {
    return std::get_if<R>(&m_value);
  }

  const ItemValue& value() const noexcept { return m_value; }

  // Whether the item is the empty item or holds a void record (the record's is_void()): what the
  // tree's per-kind stores turn into a deletion.
  bool is_void() const noexcept;

  // "Empty"; otherwise the kind's name and the record's text in parentheses, where the
  // single-value records show their value's text: "Position(Position { side: Long, ... })",
  // "FeePool(Balance({}))", "Signer(ReleaseHash(Hash(0x...)))", "Specs(SpecsExpr(\"...\"))".
  std::string debug_text() const;

  friend bool operator==(const Item&, const Item&) = default;

 private:
  ItemValue m_value;
};

inline constexpr std::string_view invalid_item_kind_text = "invalid item kind";

// A copy of the item's record when the item is of R's kind; any other kind (the empty one
// included) is the Other error invalid_item_kind_text. The rule of every record class's
// from_item.
template <StateRecord R>
Result<R> record_of_item(const Item& item) {
  if (const R* record = item.get_if<R>()) return *record;
  return fail(CommonError::other(std::string(invalid_item_kind_text)));
}

}  // namespace qzr
