// The small closed sets of the request model: OrderType, SettlementAction and the three update
// kinds, each one enum table (core/enum_table.hpp), and the texts of reading an index price's
// PriceMetadata (state/accounting_enums.hpp). The numbers are fixed: they are what Python's int()
// gives, what EIP-712 words and ABI words carry.
#pragma once

#include <cstdint>
#include <string_view>
#include <type_traits>

#include "core/common_error.hpp"
#include "core/enum_table.hpp"
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

// The member name is also the debug text and the request dict form.
template <>
struct EnumTable<OrderType> {
  static constexpr std::string_view name = "OrderType";
  static constexpr EnumMember<OrderType> members[] = {
      {"Limit", OrderType::Limit}, {"Market", OrderType::Market}, {"StopLimit", OrderType::StopLimit}};
};

// The external name is the request dict form.
template <>
struct EnumTable<SettlementAction> {
  static constexpr std::string_view name = "SettlementAction";
  static constexpr EnumMember<SettlementAction> members[] = {
      {.name = "TradeMining", .value = SettlementAction::TradeMining, .external_name = "tradeMining"},
      {.name = "PnlRealization",
       .value = SettlementAction::PnlRealization,
       .external_name = "pnlRealization"},
      {.name = "FundingDistribution",
       .value = SettlementAction::FundingDistribution,
       .external_name = "fundingDistribution"},
  };
};

template <>
struct EnumTable<StrategyUpdateKind> {
  static constexpr std::string_view name = "StrategyUpdateKind";
  static constexpr EnumMember<StrategyUpdateKind> members[] = {
      {"Unassigned", StrategyUpdateKind::Unassigned},
      {"Deposit", StrategyUpdateKind::Deposit},
      {"Withdraw", StrategyUpdateKind::Withdraw},
      {"WithdrawIntent", StrategyUpdateKind::WithdrawIntent},
      {"FundingPayment", StrategyUpdateKind::FundingPayment},
      {"RealizedPnl", StrategyUpdateKind::RealizedPnl},
  };
};

template <>
struct EnumTable<TraderUpdateKind> {
  static constexpr std::string_view name = "TraderUpdateKind";
  static constexpr EnumMember<TraderUpdateKind> members[] = {
      {"Unassigned", TraderUpdateKind::Unassigned},
      {"Deposit", TraderUpdateKind::Deposit},
      {"Withdraw", TraderUpdateKind::Withdraw},
      {"WithdrawQZRIntent", TraderUpdateKind::WithdrawQZRIntent},
      {"TradeMiningReward", TraderUpdateKind::TradeMiningReward},
      {"Profile", TraderUpdateKind::Profile},
  };
};

template <>
struct EnumTable<InsuranceFundUpdateKind> {
  static constexpr std::string_view name = "InsuranceFundUpdateKind";
  static constexpr EnumMember<InsuranceFundUpdateKind> members[] = {
      {"Unassigned", InsuranceFundUpdateKind::Unassigned},
      {"Deposit", InsuranceFundUpdateKind::Deposit},
      {"Withdraw", InsuranceFundUpdateKind::Withdraw},
  };
};

template <class E>
concept UpdateKind = std::is_same_v<E, StrategyUpdateKind> || std::is_same_v<E, TraderUpdateKind> ||
    std::is_same_v<E, InsuranceFundUpdateKind>;

// The update kinds' constructor, untrusted: `name` compared byte for byte (exact case, nothing
// trimmed) with the member names other than Unassigned's (number 0). No match fails with Other
// "Invalid <enum> value " followed by the name as given.
template <UpdateKind E>
Result<E> parse_update_kind(std::string_view name);

// The fixed Python hash of a member: SipHash-1-3 with zero keys of the number as 8 bytes, least
// significant first, as a signed hash value (TradeMining -4800647303603446203).
std::int64_t settlement_action_hash(SettlementAction action) noexcept;

// Reading PriceMetadata from a Python mapping: a "t" value is read by parse_price_metadata_tag;
// the other failures are these Other errors (a value that is not a mapping is refused by the
// Python side, which words that error itself).
// Other "missing field `t`": a mapping without the key "t".
CommonError price_metadata_missing_tag();
// Other "invalid type: <what>, expected unit variant PriceMetadata::<name>": a "c" value that is
// not None; `what` describes the value given (the Python side chooses the wording).
CommonError price_metadata_unexpected_content(PriceMetadata variant, std::string_view what);
// Other "invalid type: <what>, expected variant identifier": a "t" value that is not a str.
CommonError price_metadata_tag_not_text(std::string_view what);

}  // namespace qzr
