// Member table of the enumeration class SpecsKind: equal to its number and to itself, not
// ordered, not hashable.
#include "python/classes/enum_comparison.hpp"
#include "python/classes/exceptions.hpp"
#include "python/classes/keys_classes.hpp"

namespace qzr::py {
namespace {

Result<SpecsKind> parse(std::string kind) { return parse_specs_kind(kind); }
SpecsKind single_name_perpetual() { return SpecsKind::SingleNamePerpetual; }
SpecsKind market_gateway() { return SpecsKind::MarketGateway; }
std::string repr(const SpecsKind& kind) { return "SpecsKind." + std::string(specs_kind_name(kind)); }
std::int64_t number(const SpecsKind& kind) { return specs_kind_number(kind); }

}  // namespace

void ClassDef<SpecsKind>::add_members(TypeBuilder& builder) {
  Members<Constructor<&parse, "kind">,                                    //
          ClassAttribute<"SingleNamePerpetual", &single_name_perpetual>,  //
          ClassAttribute<"MarketGateway", &market_gateway>,               //
          Repr<&repr>, Int<&number>,
          RichCompare<&compare_enum_member<SpecsKind>>>::add_to<SpecsKind>(builder);
}

}  // namespace qzr::py
