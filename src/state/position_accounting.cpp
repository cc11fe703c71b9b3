// Position accounting: the steps declared in position.hpp, in their exact order of operations.
#include <string>

#include "core/fault.hpp"
#include "state/position.hpp"

namespace qzr {

Decimal Position::avg_pnl(const Decimal& ref_price) const {
  switch (side) {
    case PositionSide::Empty: return Decimal::zero();
    case PositionSide::Long: return sub_or_fault(ref_price, avg_entry_price.value);
    case PositionSide::Short: return sub_or_fault(avg_entry_price.value, ref_price);
  }
  fault_undeclared(side);
}

Decimal Position::unrealized_pnl(const Decimal& ref_price) const {
  return mul_or_fault(avg_pnl(ref_price), balance.value);
}

PositionUpdate Position::increase(const Decimal& price, const Decimal& amount) const {
  Position next = *this;
  if (side == PositionSide::Empty) {
    next.avg_entry_price.value = round_recorded_decimal(price);
    next.balance.value = round_recorded_decimal(add_or_fault(balance.value, amount));
  } else {
    const Decimal n = mul_or_fault(avg_entry_price.value, balance.value);
    const Decimal m = mul_or_fault(price, amount);
    const Decimal sum = add_or_fault(n, m);
    const Decimal new_balance = add_or_fault(balance.value, amount);
    const Decimal q = div_or_fault(sum, new_balance);
    next.avg_entry_price.value = round_recorded_decimal(q);
    next.balance.value = round_recorded_decimal(new_balance);
  }
  return {next, Decimal::zero()};
}

PositionUpdate Position::decrease(const Decimal& price, const Decimal& amount) const {
  const Decimal realized = mul_or_fault(amount, avg_pnl(price));
  Position next = *this;
  next.balance.value = round_recorded_decimal(sub_or_fault(balance.value, amount));
  if (next.balance.value.is_zero()) next.side = PositionSide::Empty;
  return {next, realized};
}

Result<PositionUpdate> Position::cross_over(const Decimal& price, const Decimal& amount) const {
  const Decimal realized = unrealized_pnl(price);
  Position next = *this;
  switch (side) {
    case PositionSide::Empty: return fail(CommonError::other("Cannot cross over empty position"));
    case PositionSide::Long: next.side = PositionSide::Short; break;
    case PositionSide::Short: next.side = PositionSide::Long; break;
  }
  next.balance.value = round_recorded_decimal(sub_or_fault(amount, balance.value));
  next.avg_entry_price.value = round_recorded_decimal(price);
  return PositionUpdate{next, realized};
}

PositionUpdate Position::cross_over_or_fault(const Decimal& price, const Decimal& amount) const {
  Result<PositionUpdate> update = cross_over(price, amount);
  if (!update) fault_unwrapped(update.error());
  return *update;
}

Decimal Position::bankruptcy_price(const Decimal& mark_price, const Decimal& account_total_value) const {
  if (side == PositionSide::Empty) fault("Bankruptcy price not applicable to empty position");
  const Decimal s = side == PositionSide::Long ? Decimal::one() : -Decimal::one();
  const Decimal q = div_or_fault(account_total_value, balance.value);
  const Decimal p = mul_or_fault(s, q);
  return sub_or_fault(mark_price, p);
}

}  // namespace qzr
