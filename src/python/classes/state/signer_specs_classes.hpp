// The Python classes Signer and Specs (qzr_python.common.state): single-value record classes
// (record_protocol.hpp) built from their one value `inner`, which Python reads only through repr
// and the ABI value.
#pragma once

#include "python/classes/state/record_protocol.hpp"

namespace qzr::py {

template <>
struct ClassDef<Signer> : RecordClassDef<Signer> {
  static constexpr bool properties = false;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<Specs> : RecordClassDef<Specs> {
  static constexpr bool properties = false;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
