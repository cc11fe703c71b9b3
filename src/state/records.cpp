// The void tests and debug texts of the state records.
#include "state/records.hpp"

#include "values/debug_form.hpp"

namespace qzr {

bool Strategy::is_void() const noexcept {
  return avail_collateral.all_amounts_zero() && locked_collateral.all_amounts_zero();
}

bool InsuranceFundContribution::is_void() const noexcept {
  return avail_balance.all_amounts_zero() && locked_balance.all_amounts_zero();
}

std::string Trader::debug_text() const { return record_debug_text(*this); }
std::string Strategy::debug_text() const { return record_debug_text(*this); }
std::string BookOrder::debug_text() const { return record_debug_text(*this); }
std::string InsuranceFund::debug_text() const { return record_debug_text(*this); }
std::string Stats::debug_text() const { return record_debug_text(*this); }
std::string Signer::debug_text() const { return record_debug_text(*this); }
std::string Specs::debug_text() const { return record_debug_text(*this); }
std::string InsuranceFundContribution::debug_text() const { return record_debug_text(*this); }
std::string FeePool::debug_text() const { return record_debug_text(*this); }
std::string EpochMetadata::debug_text() const { return record_debug_text(*this); }

}  // namespace qzr
