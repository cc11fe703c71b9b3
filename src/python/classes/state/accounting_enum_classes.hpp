// The Python classes of the accounting enumerations (qzr_python.common.enums): PositionSide,
// TradeSide with its trading fee, and PriceDirection. Simple enums without a constructor.
#pragma once

#include "python/classes/core/exceptions.hpp"
#include "python/classes/values/decimal_class.hpp"
#include "state/accounting_enums.hpp"
#include "state/trading_fee.hpp"

namespace qzr::py {

namespace trade_side_class {

// `amount` and `price` must be Decimal objects (no text or number conversion). The fee is not
// rounded; a notional that does not fit is the fault "Multiplication overflowed".
inline Decimal fee(const TradeSide& self, const Decimal& amount, const Decimal& price) {
  return trading_fee(self, amount, price);
}

}  // namespace trade_side_class

// The Empty member's debug text inside records is "None"; its repr is "PositionSide.Empty".
template <>
struct EnumDef<PositionSide> : SimpleEnum {
  static constexpr const char* name = "PositionSide";
  static constexpr EnumMember<PositionSide> table[] = {
      {"Empty", PositionSide::Empty}, {"Long", PositionSide::Long}, {"Short", PositionSide::Short}};
};

template <>
struct EnumDef<TradeSide> : SimpleEnum {
  static constexpr const char* name = "TradeSide";
  static constexpr EnumMember<TradeSide> table[] = {{"Maker", TradeSide::Maker}, {"Taker", TradeSide::Taker}};
  using own_members = Members<Method<"trading_fee", &trade_side_class::fee, "amount", "price">>;
};

template <>
struct EnumDef<PriceDirection> : SimpleEnum {
  static constexpr const char* name = "PriceDirection";
  static constexpr const char* doc =
      "Direction of the price movement compared to the last price update executed.";
  static constexpr EnumMember<PriceDirection> table[] = {{"Up", PriceDirection::Up},
                                                         {"Down", PriceDirection::Down},
                                                         {"Flat", PriceDirection::Flat},
                                                         {"Unknown", PriceDirection::Unknown}};
};

}  // namespace qzr::py
