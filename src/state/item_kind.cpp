// The member names of ItemKind.
#include "state/item_kind.hpp"

#include <array>

namespace qzr {

std::string_view item_kind_name(ItemKind kind) noexcept {
  static constexpr std::array<std::string_view, item_kind_count> names{
      "Empty",
      "Trader",
      "Strategy",
      "Position",
      "BookOrder",
      "Price",
      "InsuranceFund",
      "Stats",
      "Signer",
      "Specs",
      "InsuranceFundContribution",
      "FeePool",
      "EpochMetadata",
  };
  return names[item_kind_number(kind)];
}

}  // namespace qzr
