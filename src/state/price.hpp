// Price: the state record of one price point of a product (index price, moving-average term,
// ordinal, time value), with its mark price and its debug text.
#pragma once

#include <cstdint>
#include <string_view>
#include <tuple>

#include "core/field_list.hpp"
#include "state/abi_forms.hpp"
#include "values/recorded_amount.hpp"

namespace qzr {

// The largest move of the mark price away from the index price, as a fraction of the index price:
// 0.005 (mantissa 5, scale 3) and its negation.
inline constexpr Decimal MARK_PRICE_BOUND = Decimal::from_parts_or_fault(5, 3, false);
inline constexpr Decimal MARK_PRICE_BOUND_NEGATIVE = Decimal::from_parts_or_fault(5, 3, true);

struct Price {
  // The index price from the price feed. A recorded amount.
  UnscaledI128 index_price;
  // The exponential moving average term that moves the mark price. A recorded amount.
  UnscaledI128 ema;
  std::uint64_t ordinal = 0;
  std::uint64_t time_value = 0;

  // The record with both amounts passed through round_recorded_decimal, as every constructor,
  // setter and decoder stores them.
  static Price recorded(const Decimal& index_price, const Decimal& ema, std::uint64_t ordinal,
                        std::uint64_t time_value) noexcept {
    return {{round_recorded_decimal(index_price)}, {round_recorded_decimal(ema)}, ordinal, time_value};
  }

  // The default price (its tree leaf is removed): both amounts numerically zero, both integers 0.
  bool is_void() const noexcept {
    return index_price.value.is_zero() && ema.value.is_zero() && ordinal == 0 && time_value == 0;
  }

  // Faults with "Multiplication overflowed" or "Addition overflowed" when a step does not fit. The
  // index price moved by the ema term, by at most 0.5 % of the index price. With the sign flag of
  // ema clear: bound = 0.005 x index_price, t = ema unless bound is smaller; with it set: bound =
  // -0.005 x index_price, t = ema unless bound is larger. The result is R(index_price + t), the
  // only rounding (round_recorded_decimal). The bound follows the index price's sign, so a
  // negative index price swaps the caps.
  Decimal mark_price() const;

  // Numerically equal amounts (scale ignored) and equal integers.
  friend bool operator==(const Price&, const Price&) noexcept = default;
};

// The ema's schema names uint256 (its word is a signed decimal word like the index price's). The
// debug text (record_debug_text): "Price { index_price: UnscaledI128(100.5), ema:
// UnscaledI128(-0.25), ordinal: 7, time_value: 12 }".
template <>
struct FieldList<Price> {
  static constexpr std::string_view name = "Price";
  static constexpr auto fields = std::tuple{
      field("index_price", &Price::index_price),
      field<AbiUint256Label>("ema", &Price::ema),
      field("ordinal", &Price::ordinal),
      field("time_value", &Price::time_value),
  };
};

}  // namespace qzr
