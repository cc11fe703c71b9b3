// Trading fees: what one side of a trade pays, the trade's notional times the side's rate.
#pragma once

#include "state/accounting_enums.hpp"
#include "values/decimal.hpp"

namespace qzr {

// Makers pay nothing: 0 (mantissa 0, scale 0).
inline constexpr Decimal MAKER_FEE_RATE = Decimal::zero();
// Takers pay 0.2 %: 0.002 (mantissa 2, scale 3), the value Decimal::from_f32(0.002f) gives.
inline constexpr Decimal TAKER_FEE_RATE = Decimal::from_parts_or_fault(2, 3, false);

inline constexpr const Decimal& trading_fee_rate(TradeSide side) noexcept {
  return side == TradeSide::Taker ? TAKER_FEE_RATE : MAKER_FEE_RATE;
}

// Faults with "Multiplication overflowed" when the notional amount x price does not fit, for
// either side (the notional is computed first); the second product cannot overflow, since the
// rate is below 1. (amount x price) x the side's rate, in that order, neither rounded nor
// stripped: a taker's fee normally has the notional's scale plus 3 (2 x 1500.5 gives "6.0020"), a
// maker's fee is a zero of scale 0.
Decimal trading_fee(TradeSide side, const Decimal& amount, const Decimal& price);

}  // namespace qzr
