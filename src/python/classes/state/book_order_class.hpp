// The Python class BookOrder (qzr_python.common.state.BookOrder): one resting maker order, a
// record class (record_protocol.hpp) without a default.
#pragma once

#include "python/classes/state/record_protocol.hpp"
#include "python/classes/values/order_side_class.hpp"

namespace qzr::py {

template <>
struct ClassDef<BookOrder> : RecordClassDef<BookOrder> {
  static constexpr const char* doc = "A Bid or Ask in the orderbook (maker order)";
  using field_docs =
      FieldDocs<"Bid = 0, Ask = 1", "Order amount", "Price offered to takers", "Maker address",
                "Maker strategy identifier", "Per market ordinal sequencing inclusion in the order book",
                "Time stamp of the post order transaction">;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
