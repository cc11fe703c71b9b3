// OrderSide: the side of an order, Bid or Ask, with the reading of untrusted names. The numbers
// are fixed: they are what Python's int() gives and what ABI values carry.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/common_error.hpp"
#include "core/enum_table.hpp"

namespace qzr {

enum class OrderSide : std::uint8_t { Bid = 0, Ask = 1 };

// The member name is also the debug text and the request dict form.
template <>
struct EnumTable<OrderSide> {
  static constexpr std::string_view name = "OrderSide";
  static constexpr EnumMember<OrderSide> members[] = {{"Bid", OrderSide::Bid}, {"Ask", OrderSide::Ask}};
};

// Exactly a member name (case and length must match; nothing is trimmed); any other text fails
// with Parse "Invalid order side: " followed by the text.
Result<OrderSide> parse_order_side(std::string_view name);

}  // namespace qzr
