// The Python classes of the accounting enumerations (qzr_python.common.enums): PositionSide,
// TradeSide with its trading fee, and PriceDirection. Simple enums without a constructor.
#pragma once

#include "python/frame/frame.hpp"
#include "state/accounting_enums.hpp"

namespace qzr::py {

// The Empty member's debug text inside records is "None"; its repr is "PositionSide.Empty".
template <>
struct ClassDef<PositionSide> {
  static constexpr const char* name = enum_class_name<PositionSide>;
  static constexpr const char* doc = "";
  static constexpr bool frozen = false;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<TradeSide> {
  static constexpr const char* name = enum_class_name<TradeSide>;
  static constexpr const char* doc = "";
  static constexpr bool frozen = false;
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<PriceDirection> {
  static constexpr const char* name = enum_class_name<PriceDirection>;
  static constexpr const char* doc =
      "Direction of the price movement compared to the last price update executed.";
  static constexpr bool frozen = false;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
