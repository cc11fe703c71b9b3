// The Balance operations that name tokens by symbol, through the process-wide application
// context. This is the only test of this binary that reads that context: it builds it from a
// share directory of its own (the snapshot deployment of the context tests' addresses file).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "state/balance.hpp"
#include "state_test_support.hpp"

namespace qzr {
namespace {

using test::dec;

TEST(BalanceBySymbol, ResolvesThroughTheApplicationContext) {
  const test::TempShare share;
  share.write_addresses(test::two_deployments_json);
  ASSERT_EQ(setenv("QZR_SHARE", share.path().c_str(), 1), 0);
  ASSERT_EQ(setenv("CHAIN_ID", "1337", 1), 0);
  ASSERT_EQ(setenv("CONTRACT_DEPLOYMENT", "snapshot", 1), 0);

  Balance balance = balance_of(TokenSymbol::USDC, dec("0"));
  ASSERT_EQ(balance.size(), 1u);
  EXPECT_EQ(to_hex(balance.entries()[0].token), test::snapshot_usdc);
  EXPECT_EQ(balance_insert(balance, TokenSymbol::QZR, dec("2.5")), std::nullopt);
  EXPECT_EQ(to_hex(balance.entries()[1].token), test::snapshot_qzr);
  EXPECT_EQ(balance_amount_of(balance, TokenSymbol::QZR).to_string(), "2.5");
  EXPECT_EQ(balance_insert(balance, TokenSymbol::USDC, dec("0")), dec("0"));
  EXPECT_EQ(balance.size(), 1u);
  EXPECT_EQ(balance_amount_of(balance, TokenSymbol::USDC).to_string(), "0");

  const std::optional<std::vector<Decimal>> parts =
      balance_split(balance, TokenSymbol::QZR, std::vector{dec("1"), dec("4")});
  ASSERT_TRUE(parts.has_value());
  ASSERT_EQ(parts->size(), 2u);
  EXPECT_EQ((*parts)[0].to_string(), "0.5");
  EXPECT_EQ((*parts)[1].to_string(), "2.0");

  const std::pair<TokenSymbol, Decimal> pairs[] = {{TokenSymbol::QZR, dec("1")},
                                                   {TokenSymbol::USDC, dec("3")}};
  const Result<Balance> built = balance_from_symbol_pairs(pairs);
  ASSERT_TRUE(built.has_value());
  EXPECT_EQ(built->debug_text(), "Balance({TokenAddress(" + std::string(test::snapshot_qzr) +
                                     "): UnscaledI128(1), TokenAddress(" + std::string(test::snapshot_usdc) +
                                     "): UnscaledI128(3)})");
  EXPECT_FALSE(balance_from_symbol_pairs({}).has_value());
}

}  // namespace
}  // namespace qzr
