// Position: the state record of one strategy's open exposure in one product, with its debug text.
// The accounting steps on it are in state/position_accounting.hpp.
#pragma once

#include <string>

#include "state/accounting_enums.hpp"
#include "values/recorded_amount.hpp"

namespace qzr {

struct Position {
  PositionSide side = PositionSide::Empty;
  // The position size, in units of the underlying. A recorded amount.
  UnscaledI128 balance;
  // The average entry price of the open size. A recorded amount.
  UnscaledI128 avg_entry_price;

  // The record with both amounts passed through round_recorded_decimal, as every constructor,
  // setter and decoder stores them.
  static Position recorded(PositionSide side, const Decimal& balance,
                           const Decimal& avg_entry_price) noexcept {
    return {side, {round_recorded_decimal(balance)}, {round_recorded_decimal(avg_entry_price)}};
  }

  // A position is void (its tree leaf is removed) when its balance is zero.
  bool is_void() const noexcept { return balance.value.is_zero(); }

  // "Position { side: Long, balance: UnscaledI128(1.5), avg_entry_price: UnscaledI128(100) }";
  // the empty side prints "None".
  std::string debug_text() const;

  // Equal sides and numerically equal amounts (scale ignored).
  friend bool operator==(const Position&, const Position&) noexcept = default;
};

}  // namespace qzr
