// The Python class Trader (qzr_python.common.state.Trader): one trader account, a record class
// (record_protocol.hpp) with a default.
#pragma once

#include "python/classes/state/record_protocol.hpp"

namespace qzr::py {

template <>
struct ClassDef<Trader> : RecordClassDef<Trader> {
  static constexpr const char* doc = "An individual trader";
  static constexpr bool has_default = true;
  using field_docs = FieldDocs<"The QZR balance stated / usable for trading",
                               "The QZR balance locked for withdrawal", "", "Switch to paying fees with QZR">;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
