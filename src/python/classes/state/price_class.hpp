// The Python class Price (qzr_python.common.state.Price): one price point of a product, a record
// class (record_protocol.hpp) with the read-only property mark_price.
#pragma once

#include "python/classes/state/record_protocol.hpp"

namespace qzr::py {

namespace price_class {

// Computed on every read; overflow is a fault ("Multiplication overflowed", "Addition overflowed").
inline Decimal mark_price(const Price& self) { return self.mark_price(); }

}  // namespace price_class

template <>
struct RecordClass<Price> : RecordClassDefaults {
  static constexpr const char* doc = "A price value (used for funding and liquidations)";
  using field_docs =
      FieldDocs<"The index price number coming from a price feed",
                "The calculated exponential moving address (input to the mark price and verifiable using "
                "orderbook snapshot in the aggregate tree)">;
  using own_members = Members<Getter<"mark_price", &price_class::mark_price>>;
};

}  // namespace qzr::py
