// Price: the state record of one price point of a product (index price, moving-average term,
// ordinal, time value), with its debug text.
#pragma once

#include <cstdint>
#include <string>

#include "values/recorded_amount.hpp"

namespace qzr {

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

  // "Price { index_price: UnscaledI128(100.5), ema: UnscaledI128(-0.25), ordinal: 7, time_value: 12 }".
  std::string debug_text() const;

  // Numerically equal amounts (scale ignored) and equal integers.
  friend bool operator==(const Price&, const Price&) noexcept = default;
};

}  // namespace qzr
