// The members of InsuranceFundKey, SpecsKey, FeePoolKey and EpochMetadataKey, the keys owned by
// no trader or market: constructors, field getters, then what every key class shares.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "python/classes/keys/key_class_members.hpp"
#include "python/classes/keys/keys_classes.hpp"

namespace qzr::py {
namespace {

InsuranceFundKey make_insurance_fund_key() { return InsuranceFundKey{}; }

Result<SpecsKey> make_specs_key(const SpecsKind& kind, std::string name) {
  return SpecsKey::make(kind, std::move(name));
}

FeePoolKey make_fee_pool_key(std::optional<std::uint64_t> epoch_id) { return FeePoolKey{epoch_id}; }

EpochMetadataKey make_epoch_metadata_key(std::uint64_t epoch_id) { return EpochMetadataKey{epoch_id}; }

}  // namespace

void ClassDef<InsuranceFundKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_insurance_fund_key>, KeyMembers<InsuranceFundKey>>::add_to<InsuranceFundKey>(
      builder);
}

void ClassDef<SpecsKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_specs_key, "kind", "name">,
          FieldGetters<SpecsKey, FieldDocs<"",
                                           "Defined by convention associated with the specs kind.\n"
                                           "At the time of writing, the naming conventions are:\n"
                                           "\n"
                                           "- `SingleNamePerpetual`: The product market symbol for the "
                                           "single name perpetuals "
                                           "in our universe (e.g. ETHP, BTCP).\n"
                                           "- `MarketGateway`: The host name (e.g. api.exchange-one.example, "
                                           "stream.exchange-two.example).">>,
          KeyMembers<SpecsKey>>::add_to<SpecsKey>(builder);
}

void ClassDef<FeePoolKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_fee_pool_key, "epoch_id=None">, FieldGetters<FeePoolKey>,
          KeyMembers<FeePoolKey>>::add_to<FeePoolKey>(builder);
}

void ClassDef<EpochMetadataKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_epoch_metadata_key, "epoch_id">, FieldGetters<EpochMetadataKey>,
          KeyMembers<EpochMetadataKey>>::add_to<EpochMetadataKey>(builder);
}

}  // namespace qzr::py
