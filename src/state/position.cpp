// Position's debug text.
#include "state/position.hpp"

#include "values/debug_shapes.hpp"

namespace qzr {

std::string Position::debug_text() const {
  return debug_struct("Position", {{"side", enum_debug_text(side)},
                                   {"balance", balance.debug_text()},
                                   {"avg_entry_price", avg_entry_price.debug_text()}});
}

}  // namespace qzr
