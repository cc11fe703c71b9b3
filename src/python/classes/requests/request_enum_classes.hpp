// The Python classes of the request enumerations: OrderType (qzr_python.common.enums),
// SettlementAction (qzr_python.common.requests) and the three update kinds
// (qzr_python.common.transactions). Simple enums whose member tables are the request layer's name
// tables (requests/request_enums.hpp); the update kinds have a constructor from a member name and
// SettlementAction a fixed hash.
#pragma once

#include <array>
#include <string>

#include "python/classes/core/exceptions.hpp"
#include "requests/request_enums.hpp"

namespace qzr::py {

// The frame's member table of a request enumeration, made from its names in discriminant order.
template <class E>
constexpr auto request_enum_table() {
  std::array<EnumMember<E>, RequestEnum<E>::names.size()> table{};
  for (std::size_t i = 0; i < table.size(); ++i) {
    // The names are string literals, so their data is NUL-terminated.
    table[i] = {RequestEnum<E>::names[i].data(), static_cast<E>(i)};
  }
  return table;
}

// An update kind's constructor: the member of `name`, exact case, never Unassigned; any other
// text is QzrCommonError "Invalid <class> value <name>".
template <class E>
Result<E> update_kind_from_python_name(std::string name) {
  return update_kind_from_name<E>(name);
}

// The fixed SipHash-1-3 value of the member (TradeMining -4800647303603446203 in every process).
inline std::uint64_t settlement_action_python_hash(const SettlementAction& self) {
  return static_cast<std::uint64_t>(settlement_action_hash(self));
}

template <>
struct EnumDef<OrderType> : SimpleEnum {
  static constexpr const char* name = "OrderType";
  static constexpr auto table = request_enum_table<OrderType>();
};

template <>
struct EnumDef<SettlementAction> : SimpleEnum {
  static constexpr const char* name = "SettlementAction";
  static constexpr auto table = request_enum_table<SettlementAction>();
  static constexpr auto hash = &settlement_action_python_hash;
};

template <>
struct EnumDef<StrategyUpdateKind> : SimpleEnum {
  static constexpr const char* name = "StrategyUpdateKind";
  static constexpr const char* doc =
      "Differentiates various types of strategy updates.\n"
      "\n"
      "Enumerates different scenarios like deposits, withdrawals, and other events\n"
      "that impact a trader's strategy, enabling appropriate response and adjustment in the strategy.";
  static constexpr auto table = request_enum_table<StrategyUpdateKind>();
  using constructor = Constructor<&update_kind_from_python_name<StrategyUpdateKind>, "name">;
};

template <>
struct EnumDef<InsuranceFundUpdateKind> : SimpleEnum {
  static constexpr const char* name = "InsuranceFundUpdateKind";
  static constexpr auto table = request_enum_table<InsuranceFundUpdateKind>();
  using constructor = Constructor<&update_kind_from_python_name<InsuranceFundUpdateKind>, "name">;
};

template <>
struct EnumDef<TraderUpdateKind> : SimpleEnum {
  static constexpr const char* name = "TraderUpdateKind";
  static constexpr const char* doc = "Differentiates various types of trader updates.";
  static constexpr auto table = request_enum_table<TraderUpdateKind>();
  using constructor = Constructor<&update_kind_from_python_name<TraderUpdateKind>, "name">;
};

}  // namespace qzr::py
