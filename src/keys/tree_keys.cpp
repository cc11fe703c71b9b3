// The insurance fund's fixed key name and the length check of a specs key's name.
#include "keys/tree_keys.hpp"

#include <algorithm>

namespace qzr {

InsuranceFundName insurance_fund_key_name() noexcept {
  constexpr std::string_view letters = "OrganicInsuranceFund";
  InsuranceFundName name;
  std::ranges::copy(letters, name.bytes.begin());
  return name;
}

Result<SpecsKey> SpecsKey::make(SpecsKind kind, std::string name) {
  if (name.size() > specs_name_max_bytes) return fail(CommonError::other("Specs name too long " + name));
  return SpecsKey(kind, std::move(name));
}

}  // namespace qzr
