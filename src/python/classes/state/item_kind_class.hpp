// The Python class ItemKind (qzr_python.common.state.ItemKind): the thirteen kinds of state
// value, a frozen enum read as an unsigned byte, with the dict `discriminants` of its members.
#pragma once

#include "python/frame/frame.hpp"
#include "state/item_kind.hpp"

namespace qzr {

template <>
struct EnumTable<ItemKind> {
  static constexpr std::string_view name = "ItemKind";
  static constexpr EnumMember<ItemKind> members[] = {
      {"Empty", ItemKind::Empty},
      {"Trader", ItemKind::Trader},
      {"Strategy", ItemKind::Strategy},
      {"Position", ItemKind::Position},
      {"BookOrder", ItemKind::BookOrder},
      {"Price", ItemKind::Price},
      {"InsuranceFund", ItemKind::InsuranceFund},
      {"Stats", ItemKind::Stats},
      {"Signer", ItemKind::Signer},
      {"Specs", ItemKind::Specs},
      {"InsuranceFundContribution", ItemKind::InsuranceFundContribution},
      {"FeePool", ItemKind::FeePool},
      {"EpochMetadata", ItemKind::EpochMetadata},
  };
};

}  // namespace qzr

namespace qzr::py {

// ItemKind(value): `value` an integer 0 to 255 (else the integer conversion's OverflowError or
// TypeError); 13 to 255 are ValueError "<value> is not a valid ItemKind". Operands of == and !=
// are compared as unsigned bytes first, so ItemKind.Trader == 1 and ItemKind.Trader != 257.
template <>
struct ClassDef<ItemKind> {
  static constexpr const char* name = enum_class_name<ItemKind>;
  static constexpr const char* doc = "";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
