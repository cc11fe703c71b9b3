// Price's mark price.
#include "state/price.hpp"

#include "values/debug_form.hpp"

namespace qzr {

Decimal Price::mark_price() const {
  const Decimal& index = index_price.value;
  const Decimal& term = ema.value;
  Decimal t;
  if (!term.is_sign_negative()) {
    const Decimal bound = mul_or_fault(MARK_PRICE_BOUND, index);
    t = term.min(bound);
  } else {
    const Decimal bound = mul_or_fault(MARK_PRICE_BOUND_NEGATIVE, index);
    t = term.max(bound);
  }
  return round_recorded_decimal(add_or_fault(index, t));
}

}  // namespace qzr
