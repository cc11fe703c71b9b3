// The Python class SpecsKind (qzr_python.common.state.SpecsKind): SingleNamePerpetual and
// MarketGateway, a simple enum with a constructor from the external kind name.
#pragma once

#include <string>

#include "keys/specs.hpp"
#include "python/classes/core/exceptions.hpp"

namespace qzr::py {

// Exactly "SINGLENAMEPERP" or "GATEWAY"; any other text is the common error's Parse variant.
inline Result<SpecsKind> specs_kind_from_text(std::string kind) { return parse_specs_kind(kind); }

template <>
struct EnumDef<SpecsKind> : SimpleEnum {
  static constexpr const char* name = "SpecsKind";
  static constexpr EnumMember<SpecsKind> table[] = {{"SingleNamePerpetual", SpecsKind::SingleNamePerpetual},
                                                    {"MarketGateway", SpecsKind::MarketGateway}};
  using constructor = Constructor<&specs_kind_from_text, "kind">;
};

}  // namespace qzr::py
