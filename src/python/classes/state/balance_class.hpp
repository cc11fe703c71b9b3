// The Python class Balance (qzr_python.common.state.Balance): the amounts of at most two
// collateral tokens. Not a record: it defines no comparison, so two objects compare by identity.
#pragma once

#include "python/classes/state/balance_members.hpp"

namespace qzr::py {

template <>
struct ClassDef<Balance> {
  static constexpr const char* name = "Balance";
  static constexpr const char* doc = "Maps token address to balance amount";
  static constexpr bool frozen = false;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
