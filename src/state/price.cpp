// Price's debug text.
#include "state/price.hpp"

#include "values/debug_shapes.hpp"

namespace qzr {

std::string Price::debug_text() const {
  return debug_struct("Price", {{"index_price", index_price.debug_text()},
                                {"ema", ema.debug_text()},
                                {"ordinal", std::to_string(ordinal)},
                                {"time_value", std::to_string(time_value)}});
}

}  // namespace qzr
