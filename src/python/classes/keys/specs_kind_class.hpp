// The Python class SpecsKind (qzr_python.common.state.SpecsKind): SingleNamePerpetual and
// MarketGateway, a simple enum with a constructor from the external kind name.
#pragma once

#include "keys/specs.hpp"
#include "python/frame/frame.hpp"

namespace qzr::py {

template <>
struct ClassDef<SpecsKind> : EnumClassDef<SpecsKind> {
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
