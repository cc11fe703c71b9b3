// The reading of PriceMetadata's dict tag.
#include "state/accounting_enums.hpp"

#include <string>

namespace qzr {

Result<PriceMetadata> parse_price_metadata_tag(std::string_view name) {
  if (const std::optional<PriceMetadata> metadata = enum_from_name<PriceMetadata>(name)) return *metadata;
  constexpr auto members = enum_members<PriceMetadata>();
  static_assert(members.size() == 2, "the error text names the two members");
  return fail(CommonError::other("unknown variant `" + std::string(name) + "`, expected `" +
                                 std::string(members[0].name) + "` or `" + std::string(members[1].name) +
                                 "`"));
}

}  // namespace qzr
