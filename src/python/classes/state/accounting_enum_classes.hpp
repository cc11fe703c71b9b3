// The Python classes of the accounting enumerations (qzr_python.common.enums): PositionSide,
// TradeSide with its trading fee, and PriceDirection. Simple enums without a constructor.
#pragma once

#include "python/frame/frame.hpp"
#include "state/accounting_enums.hpp"

namespace qzr::py {

// The Empty member's debug text inside records is "None"; its repr is "PositionSide.Empty".
template <>
struct ClassDef<PositionSide> : EnumClassDef<PositionSide> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<TradeSide> : EnumClassDef<TradeSide> {
  static void add_members(TypeBuilder& builder);
};

template <>
struct ClassDef<PriceDirection> : EnumClassDef<PriceDirection> {
  static constexpr const char* doc =
      "Direction of the price movement compared to the last price update executed.";
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
