// The members of the accounting enumeration classes.
#include "python/classes/state/accounting_enum_classes.hpp"

#include "python/classes/core/exceptions.hpp"
#include "python/classes/values/decimal_class.hpp"
#include "state/trading_fee.hpp"

namespace qzr::py {
namespace {

// Faults with "Multiplication overflowed" when the notional amount x price does not fit, for either
// side (trading_fee). `amount` and `price` must be Decimal objects (no text or number conversion).
// The fee is not rounded.
Decimal fee(const TradeSide& self, const Decimal& amount, const Decimal& price) {
  return trading_fee(self, amount, price);
}

}  // namespace

void ClassDef<PositionSide>::add_members(TypeBuilder& builder) {
  Members<EnumMembers<PositionSide>>::add_to<PositionSide>(builder);
}

void ClassDef<TradeSide>::add_members(TypeBuilder& builder) {
  Members<EnumMembers<TradeSide>, Method<"trading_fee", &fee, "amount", "price">>::add_to<TradeSide>(builder);
}

void ClassDef<PriceDirection>::add_members(TypeBuilder& builder) {
  Members<EnumMembers<PriceDirection>>::add_to<PriceDirection>(builder);
}

}  // namespace qzr::py
