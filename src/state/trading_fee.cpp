// Trading fees.
#include "state/trading_fee.hpp"

namespace qzr {

Decimal trading_fee(TradeSide side, const Decimal& amount, const Decimal& price) {
  const Decimal notional = mul_or_fault(amount, price);
  return mul_or_fault(notional, trading_fee_rate(side));
}

}  // namespace qzr
