// The members of the four key classes of one address: TraderKey, StatsKey, SignerKey and
// InsuranceFundContributionKey (each read from hexadecimal text, then what every key class shares).
#include "python/classes/keys/key_class_members.hpp"
#include "python/classes/keys/keys_classes.hpp"

namespace qzr::py {
namespace {

TraderKey make_trader_key(HexText<TraderKey> inner) { return inner.value; }

StatsKey make_stats_key(HexText<StatsKey> trader) { return trader.value; }
TraderKey stats_as_trader_key(const StatsKey& key) { return TraderKey{key.trader}; }

SignerKey make_signer_key(AddressField<SignerKey, "SignerAddress.0"> inner) { return inner.value; }

InsuranceFundContributionKey make_contribution_key(
    AddressField<InsuranceFundContributionKey, "InsuranceFundContributorAddress.0"> inner) {
  return inner.value;
}

}  // namespace

void ClassDef<TraderKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_trader_key, "inner">, KeyMembers<TraderKey>>::add_to<TraderKey>(builder);
}

void ClassDef<StatsKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_stats_key, "trader">, FieldGetters<StatsKey>,
          Method<"as_trader_key", &stats_as_trader_key>, KeyMembers<StatsKey>>::add_to<StatsKey>(builder);
}

void ClassDef<SignerKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_signer_key, "inner">, KeyMembers<SignerKey>>::add_to<SignerKey>(builder);
}

void ClassDef<InsuranceFundContributionKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_contribution_key, "inner">,
          KeyMembers<InsuranceFundContributionKey>>::add_to<InsuranceFundContributionKey>(builder);
}

}  // namespace qzr::py
