// The Python class Position (qzr_python.common.state.Position): one strategy's position in one
// product, a record class (record_protocol.hpp) with a default and the position accounting.
#pragma once

#include "python/classes/state/accounting_enum_classes.hpp"
#include "python/classes/state/record_protocol.hpp"

namespace qzr::py {

template <>
struct ClassDef<Position> : RecordClassDef<Position> {
  static constexpr const char* doc = "An individual position held in an strategy";
  static constexpr bool has_default = true;
  using field_docs = FieldDocs<"The position side: Long = 0, Short = 1",
                               "The position size denominated in the same unit as the underlying",
                               "The average entry price (updated when adding to the position)">;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
