// The Python classes InsuranceFund and FeePool (qzr_python.common.state): twin record classes
// (record_protocol.hpp) that hold nothing but a Balance, with the balance members
// (balance_members.hpp, their constructor taking "symbol") in place of field properties. They
// compare by value; they differ only in name and item kind.
#pragma once

#include <concepts>

#include "python/classes/state/balance_members.hpp"
#include "python/classes/state/record_protocol.hpp"

namespace qzr::py {

template <class R>
requires std::same_as<R, InsuranceFund> || std::same_as<R, FeePool>
struct RecordClass<R> : RecordClassDefaults {
  using constructor = void;
  static constexpr bool properties = false;
  using own_members = BalanceMembers<R, "symbol">;
};

}  // namespace qzr::py
