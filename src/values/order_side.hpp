// OrderSide: the side of an order, Bid or Ask, with its names and the reading of untrusted names.
// The discriminants are fixed: they are what Python's int() gives and what ABI values carry.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/common_error.hpp"

namespace qzr {

enum class OrderSide : std::uint8_t { Bid = 0, Ask = 1 };

// "Bid" or "Ask": the member name, which is also the debug text and the request dict form.
std::string_view order_side_name(OrderSide side);

// Exactly "Bid" or "Ask" (case and length must match; nothing is trimmed); any other text fails
// with Parse "Invalid order side: " followed by the text.
Result<OrderSide> parse_order_side(std::string_view name);

// The member of a discriminant, or nullopt for a value other than 0 and 1.
std::optional<OrderSide> order_side_from_discriminant(std::uint64_t discriminant) noexcept;

constexpr std::uint8_t order_side_discriminant(OrderSide side) noexcept {
  return static_cast<std::uint8_t>(side);
}

}  // namespace qzr
