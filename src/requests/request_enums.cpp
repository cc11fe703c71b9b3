// Names, name readings and the SettlementAction hash of the request enumerations.
#include "requests/request_enums.hpp"

#include <string>

#include "core/fault.hpp"
#include "values/siphash.hpp"

namespace qzr {

template <class E>
std::string_view request_enum_name(E value) {
  const std::size_t index = request_enum_discriminant(value);
  if (index >= RequestEnum<E>::names.size()) {
    fault(std::string(RequestEnum<E>::class_name) + " holds an undeclared discriminant " +
          std::to_string(index));
  }
  return RequestEnum<E>::names[index];
}

template std::string_view request_enum_name(OrderType);
template std::string_view request_enum_name(SettlementAction);
template std::string_view request_enum_name(StrategyUpdateKind);
template std::string_view request_enum_name(TraderUpdateKind);
template std::string_view request_enum_name(InsuranceFundUpdateKind);

template <class E>
requires(std::is_same_v<E, StrategyUpdateKind> || std::is_same_v<E, TraderUpdateKind> ||
         std::is_same_v<E, InsuranceFundUpdateKind>) Result<E> update_kind_from_name(std::string_view name) {
  // Index 0 is Unassigned, which no name builds.
  for (std::size_t index = 1; index < RequestEnum<E>::names.size(); ++index) {
    if (name == RequestEnum<E>::names[index]) return static_cast<E>(index);
  }
  return fail(CommonError::other("Invalid " + std::string(RequestEnum<E>::class_name) + " value " +
                                 std::string(name)));
}

template Result<StrategyUpdateKind> update_kind_from_name(std::string_view);
template Result<TraderUpdateKind> update_kind_from_name(std::string_view);
template Result<InsuranceFundUpdateKind> update_kind_from_name(std::string_view);

std::string_view settlement_action_dict_name(SettlementAction action) {
  static constexpr std::array<std::string_view, 3> dict_names = {"tradeMining", "pnlRealization",
                                                                 "fundingDistribution"};
  request_enum_name(action);  // faults on an undeclared discriminant
  return dict_names[request_enum_discriminant(action)];
}

std::int64_t settlement_action_hash(SettlementAction action) noexcept {
  SipHasher13 hasher;
  hasher.write_u64(request_enum_discriminant(action));
  return signed_hash_value(hasher.finish());
}

CommonError price_metadata_missing_tag() { return CommonError::other("missing field `t`"); }

CommonError price_metadata_not_a_mapping(std::string_view type_name) {
  return CommonError::other("unexpected type: '" + std::string(type_name) +
                            "' object cannot be converted to 'Mapping'");
}

CommonError price_metadata_unexpected_content(PriceMetadata variant, std::string_view what) {
  return CommonError::other("invalid type: " + std::string(what) + ", expected unit variant PriceMetadata::" +
                            std::string(price_metadata_name(variant)));
}

CommonError price_metadata_tag_not_text(std::string_view what) {
  return CommonError::other("invalid type: " + std::string(what) + ", expected variant identifier");
}

}  // namespace qzr
