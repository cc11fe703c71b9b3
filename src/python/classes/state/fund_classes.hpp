// The Python classes InsuranceFund and FeePool (qzr_python.common.state): twin record classes
// (record_protocol.hpp) that hold nothing but a Balance, with the balance members
// (balance_members.hpp, their constructor taking "symbol") in place of field properties. They
// compare by value; they differ only in name and item kind.
#pragma once

#include "python/classes/state/balance_members.hpp"
#include "python/classes/state/record_protocol.hpp"

namespace qzr::py {

// The traits the twins share.
template <class R>
struct FundClassDef : RecordClassDef<R> {
  using constructor = void;
  static constexpr bool properties = false;
};

template <>
struct ClassDef<InsuranceFund> : FundClassDef<InsuranceFund> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<FeePool> : FundClassDef<FeePool> {
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
