// The Python class Stats (qzr_python.common.state.Stats): a trader's volumes in the current trade
// mining period, a record class (record_protocol.hpp) with a default.
#pragma once

#include "python/classes/state/record_protocol.hpp"

namespace qzr::py {

template <>
struct ClassDef<Stats> : RecordClassDef<Stats> {
  static constexpr const char* doc =
      "A trader statistics value. This is used to store verified data like trade\n"
      "volume data for trade mining.";
  static constexpr bool has_default = true;
  using field_docs = FieldDocs<"The maker volume of the trader during this trade mining period",
                               "The taker volume of the trader during this trade mining period">;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
