// The reading of update kind names, the SettlementAction hash and the texts of reading a
// PriceMetadata.
#include "requests/request_enums.hpp"

#include <string>

#include "values/siphash.hpp"

namespace qzr {

template <UpdateKind E>
Result<E> parse_update_kind(std::string_view name) {
  if (const std::optional<E> kind = enum_from_name<E>(name); kind && enum_number(*kind) != 0) return *kind;
  return fail(
      CommonError::other("Invalid " + std::string(EnumTable<E>::name) + " value " + std::string(name)));
}

template Result<StrategyUpdateKind> parse_update_kind(std::string_view);
template Result<TraderUpdateKind> parse_update_kind(std::string_view);
template Result<InsuranceFundUpdateKind> parse_update_kind(std::string_view);

std::int64_t settlement_action_hash(SettlementAction action) noexcept {
  SipHasher13 hasher;
  hasher.write_u64(enum_number(action));
  return signed_hash_value(hasher.finish());
}

CommonError price_metadata_missing_tag() { return CommonError::other("missing field `t`"); }

CommonError price_metadata_unexpected_content(PriceMetadata variant, std::string_view what) {
  return CommonError::other("invalid type: " + std::string(what) + ", expected unit variant " +
                            std::string(EnumTable<PriceMetadata>::name) +
                            "::" + std::string(enum_name(variant)));
}

CommonError price_metadata_tag_not_text(std::string_view what) {
  return CommonError::other("invalid type: " + std::string(what) + ", expected variant identifier");
}

}  // namespace qzr
