// The members of Balance: the ones it shares with the funds (balance_members.hpp) and its repr.
#include "python/classes/state/balance_class.hpp"

namespace qzr::py {

namespace {

// "Balance({TokenAddress(0x...): UnscaledI128(1.5), ...})" in entry order.
std::string repr(const Balance& self) { return self.debug_text(); }

}  // namespace

void ClassDef<Balance>::add_members(TypeBuilder& builder) {
  Members<BalanceMembers<Balance, "address">, Repr<&repr>>::add_to<Balance>(builder);
}

}  // namespace qzr::py
