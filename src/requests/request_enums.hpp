// The small closed sets of the request model: OrderType, SettlementAction and the three update
// kinds, and the texts of reading an index price's PriceMetadata (state/accounting_enums.hpp). Discriminants
// are fixed: they are what Python's int() gives, what EIP-712 words and ABI words carry. Names come from one
// table per enumeration.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>

#include "core/common_error.hpp"
#include "state/accounting_enums.hpp"

namespace qzr {

enum class OrderType : std::uint8_t { Limit = 0, Market = 1, StopLimit = 2 };
enum class SettlementAction : std::uint8_t { TradeMining = 0, PnlRealization = 1, FundingDistribution = 2 };
enum class StrategyUpdateKind : std::uint8_t {
  Unassigned = 0,
  Deposit = 1,
  Withdraw = 2,
  WithdrawIntent = 3,
  FundingPayment = 4,
  RealizedPnl = 5,
};
enum class TraderUpdateKind : std::uint8_t {
  Unassigned = 0,
  Deposit = 1,
  Withdraw = 2,
  WithdrawQZRIntent = 3,
  TradeMiningReward = 4,
  Profile = 5,
};
enum class InsuranceFundUpdateKind : std::uint8_t { Unassigned = 0, Deposit = 1, Withdraw = 2 };

// The table of one enumeration: its class name and its member names in discriminant order. The
// member name is the Python attribute, the text after "<class>." in the repr, the name in debug
// texts and (for OrderType) the request dict form.
template <class E>
struct RequestEnum;

template <>
struct RequestEnum<OrderType> {
  static constexpr std::string_view class_name = "OrderType";
  static constexpr std::array<std::string_view, 3> names = {"Limit", "Market", "StopLimit"};
};
template <>
struct RequestEnum<SettlementAction> {
  static constexpr std::string_view class_name = "SettlementAction";
  static constexpr std::array<std::string_view, 3> names = {"TradeMining", "PnlRealization",
                                                            "FundingDistribution"};
};
template <>
struct RequestEnum<StrategyUpdateKind> {
  static constexpr std::string_view class_name = "StrategyUpdateKind";
  static constexpr std::array<std::string_view, 6> names = {
      "Unassigned", "Deposit", "Withdraw", "WithdrawIntent", "FundingPayment", "RealizedPnl"};
};
template <>
struct RequestEnum<TraderUpdateKind> {
  static constexpr std::string_view class_name = "TraderUpdateKind";
  static constexpr std::array<std::string_view, 6> names = {
      "Unassigned", "Deposit", "Withdraw", "WithdrawQZRIntent", "TradeMiningReward", "Profile"};
};
template <>
struct RequestEnum<InsuranceFundUpdateKind> {
  static constexpr std::string_view class_name = "InsuranceFundUpdateKind";
  static constexpr std::array<std::string_view, 3> names = {"Unassigned", "Deposit", "Withdraw"};
};

template <class E>
constexpr std::uint8_t request_enum_discriminant(E value) noexcept {
  return static_cast<std::uint8_t>(value);
}

// The member name of a value; a value outside the table (never built by this layer) is a fault.
template <class E>
std::string_view request_enum_name(E value);

// The member of a discriminant, or nullopt outside the table.
template <class E>
constexpr std::optional<E> request_enum_from_discriminant(std::uint64_t discriminant) noexcept {
  if (discriminant >= RequestEnum<E>::names.size()) return std::nullopt;
  return static_cast<E>(discriminant);
}

// The update kinds' constructor: `name` compared byte for byte (exact case, nothing trimmed) with
// the member names other than "Unassigned". No match fails with Other "Invalid <class> value "
// followed by the name as given.
template <class E>
requires(std::is_same_v<E, StrategyUpdateKind> || std::is_same_v<E, TraderUpdateKind> ||
         std::is_same_v<E, InsuranceFundUpdateKind>) Result<E> update_kind_from_name(std::string_view name);

// "tradeMining", "pnlRealization", "fundingDistribution": the request dict form.
std::string_view settlement_action_dict_name(SettlementAction action);

// The fixed Python hash of a member: SipHash-1-3 with zero keys of the discriminant as 8 bytes,
// least significant first, as a signed hash value (TradeMining -4800647303603446203).
std::int64_t settlement_action_hash(SettlementAction action) noexcept;

// Reading PriceMetadata from a Python mapping: a "t" value is read by parse_price_metadata_tag;
// the other failures are these Other errors.
// Other "missing field `t`": a mapping without the key "t".
CommonError price_metadata_missing_tag();
// Other "unexpected type: '<type name>' object cannot be converted to 'Mapping'": not a mapping.
CommonError price_metadata_not_a_mapping(std::string_view type_name);
// Other "invalid type: <what>, expected unit variant PriceMetadata::<name>": a "c" value that is
// not None; `what` describes the value given (the Python side chooses the wording).
CommonError price_metadata_unexpected_content(PriceMetadata variant, std::string_view what);
// Other "invalid type: <what>, expected variant identifier": a "t" value that is not a str.
CommonError price_metadata_tag_not_text(std::string_view what);

}  // namespace qzr
