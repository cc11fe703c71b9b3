// Price's mark price and debug text.
#include "state/price.hpp"

#include "values/debug_shapes.hpp"

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

std::string Price::debug_text() const {
  return debug_struct("Price", {{"index_price", index_price.debug_text()},
                                {"ema", ema.debug_text()},
                                {"ordinal", std::to_string(ordinal)},
                                {"time_value", std::to_string(time_value)}});
}

}  // namespace qzr
