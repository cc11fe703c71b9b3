// The members of the request enumeration classes.
#include "python/classes/requests/request_enum_classes.hpp"

#include <string>

#include "python/classes/core/exceptions.hpp"

namespace qzr::py {
namespace {

// An update kind's constructor: the member of `name`, exact case, never Unassigned; any other
// text is QzrCommonError "Invalid <class> value <name>".
template <UpdateKind E>
// NOLINTNEXTLINE(performance-unnecessary-value-param): a binding body, the frame converts into it
Result<E> update_kind_from_python_name(std::string name) {
  return parse_update_kind<E>(name);
}

template <UpdateKind E>
using UpdateKindMembers = Members<Constructor<&update_kind_from_python_name<E>, "name">, EnumMembers<E>>;

// The fixed SipHash-1-3 value of the member (TradeMining -4800647303603446203 in every process).
std::uint64_t settlement_action_python_hash(const SettlementAction& self) {
  return static_cast<std::uint64_t>(settlement_action_hash(self));
}

}  // namespace

void ClassDef<OrderType>::add_members(TypeBuilder& builder) {
  Members<EnumMembers<OrderType>>::add_to<OrderType>(builder);
}

void ClassDef<SettlementAction>::add_members(TypeBuilder& builder) {
  Members<EnumMembers<SettlementAction>, Hash<&settlement_action_python_hash>>::add_to<SettlementAction>(
      builder);
}

void ClassDef<StrategyUpdateKind>::add_members(TypeBuilder& builder) {
  UpdateKindMembers<StrategyUpdateKind>::add_to<StrategyUpdateKind>(builder);
}

void ClassDef<InsuranceFundUpdateKind>::add_members(TypeBuilder& builder) {
  UpdateKindMembers<InsuranceFundUpdateKind>::add_to<InsuranceFundUpdateKind>(builder);
}

void ClassDef<TraderUpdateKind>::add_members(TypeBuilder& builder) {
  UpdateKindMembers<TraderUpdateKind>::add_to<TraderUpdateKind>(builder);
}

}  // namespace qzr::py
