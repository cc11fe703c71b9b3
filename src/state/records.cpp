// The void tests of the state records that look at more than one field.
#include "state/records.hpp"

namespace qzr {

bool Strategy::is_void() const noexcept {
  return avail_collateral.all_amounts_zero() && locked_collateral.all_amounts_zero();
}

bool InsuranceFundContribution::is_void() const noexcept {
  return avail_balance.all_amounts_zero() && locked_balance.all_amounts_zero();
}

}  // namespace qzr
