// The Python classes of the request enumerations: OrderType (qzr_python.common.enums),
// SettlementAction (qzr_python.common.requests) and the three update kinds
// (qzr_python.common.transactions). Simple enums whose members are the request layer's tables
// (requests/request_enums.hpp); the update kinds have a constructor from a member name and
// SettlementAction a fixed hash.
#pragma once

#include "python/frame/frame.hpp"
#include "requests/request_enums.hpp"

namespace qzr::py {

template <>
struct ClassDef<OrderType> : EnumClassDef<OrderType> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<SettlementAction> : EnumClassDef<SettlementAction> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<StrategyUpdateKind> : EnumClassDef<StrategyUpdateKind> {
  static constexpr const char* doc =
      "Differentiates various types of strategy updates.\n"
      "\n"
      "Enumerates different scenarios like deposits, withdrawals, and other events\n"
      "that impact a trader's strategy, enabling appropriate response and adjustment in the strategy.";
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<InsuranceFundUpdateKind> : EnumClassDef<InsuranceFundUpdateKind> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<TraderUpdateKind> : EnumClassDef<TraderUpdateKind> {
  static constexpr const char* doc = "Differentiates various types of trader updates.";
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
