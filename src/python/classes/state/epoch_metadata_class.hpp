// The Python class EpochMetadata (qzr_python.common.state.EpochMetadata): the next book ordinal of
// every active market, written when an epoch has been transitioned; a record class
// (record_protocol.hpp) whose one field is a dict in Python.
#pragma once

#include "python/classes/state/record_protocol.hpp"

namespace qzr::py {

template <>
struct ClassDef<EpochMetadata> : RecordClassDef<EpochMetadata> {
  static constexpr const char* doc = "Metadata about an epoch that has been transitioned.";
  using field_docs = FieldDocs<
      "The next book ordinals for all of the active markets. This mapping\n"
      "allows follower nodes to reliably generate the market index from the\n"
      "sparse merkle tree.">;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
