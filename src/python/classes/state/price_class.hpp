// The Python class Price (qzr_python.common.state.Price): one price point of a product, a record
// class (record_protocol.hpp) with the read-only property mark_price.
#pragma once

#include "python/classes/state/record_protocol.hpp"

namespace qzr::py {

template <>
struct ClassDef<Price> : RecordClassDef<Price> {
  static constexpr const char* doc = "A price value (used for funding and liquidations)";
  using field_docs =
      FieldDocs<"The index price number coming from a price feed",
                "The calculated exponential moving address (input to the mark price and verifiable using "
                "orderbook snapshot in the aggregate tree)">;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
