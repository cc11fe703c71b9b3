// Request enumerations: member names, the update kinds' name constructors, the fixed hashes of
// SettlementAction, and the texts of the PriceMetadata reading that the requests layer adds.
#include "requests/request_enums.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace qzr {
namespace {

TEST(RequestEnums, NamesAndDiscriminants) {
  EXPECT_EQ(request_enum_name(OrderType::StopLimit), "StopLimit");
  EXPECT_EQ(request_enum_discriminant(OrderType::StopLimit), 2);
  EXPECT_EQ(request_enum_name(SettlementAction::PnlRealization), "PnlRealization");
  EXPECT_EQ(settlement_action_dict_name(SettlementAction::FundingDistribution), "fundingDistribution");
  EXPECT_EQ(request_enum_name(TraderUpdateKind::WithdrawQZRIntent), "WithdrawQZRIntent");
  EXPECT_EQ(request_enum_discriminant(StrategyUpdateKind::RealizedPnl), 5);
  EXPECT_EQ(request_enum_from_discriminant<OrderType>(1), OrderType::Market);
  EXPECT_EQ(request_enum_from_discriminant<OrderType>(3), std::nullopt);
  EXPECT_EQ(request_enum_from_discriminant<InsuranceFundUpdateKind>(2), InsuranceFundUpdateKind::Withdraw);
}

TEST(RequestEnums, UpdateKindNames) {
  struct Case {
    const char* what;
    std::function<std::string()> read;
    std::string expected;
  };
  const auto outcome = [](const auto& result) -> std::string {
    if (!result) return "error: " + result.error().display();
    return std::to_string(request_enum_discriminant(*result));
  };
  const auto strategy = [&](std::string_view name) {
    return [=] { return outcome(update_kind_from_name<StrategyUpdateKind>(name)); };
  };
  const auto trader = [&](std::string_view name) {
    return [=] { return outcome(update_kind_from_name<TraderUpdateKind>(name)); };
  };
  const auto fund = [&](std::string_view name) {
    return [=] { return outcome(update_kind_from_name<InsuranceFundUpdateKind>(name)); };
  };
  const Case cases[] = {
      {"strategy Deposit", strategy("Deposit"), "1"},
      {"strategy RealizedPnl", strategy("RealizedPnl"), "5"},
      {"Unassigned is no name", strategy("Unassigned"), "error: Invalid StrategyUpdateKind value Unassigned"},
      {"another class's name", strategy("WithdrawQZRIntent"),
       "error: Invalid StrategyUpdateKind value WithdrawQZRIntent"},
      {"trader Profile", trader("Profile"), "5"},
      {"case matters", trader("deposit"), "error: Invalid TraderUpdateKind value deposit"},
      {"no trimming", trader(" Deposit"), "error: Invalid TraderUpdateKind value  Deposit"},
      {"trader refuses WithdrawIntent", trader("WithdrawIntent"),
       "error: Invalid TraderUpdateKind value WithdrawIntent"},
      {"fund Withdraw", fund("Withdraw"), "2"},
      {"fund refuses WithdrawIntent", fund("WithdrawIntent"),
       "error: Invalid InsuranceFundUpdateKind value WithdrawIntent"},
      {"empty name", fund(""), "error: Invalid InsuranceFundUpdateKind value "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.read(), c.expected);
  }
}

// The pinned values of the Python hash of the members.
TEST(RequestEnums, SettlementActionHashes) {
  EXPECT_EQ(settlement_action_hash(SettlementAction::TradeMining), -4800647303603446203);
  EXPECT_EQ(settlement_action_hash(SettlementAction::PnlRealization), 2206609067086327257);
  EXPECT_EQ(settlement_action_hash(SettlementAction::FundingDistribution), -6569889354672326634);
}

}  // namespace
}  // namespace qzr
