// Building the application context from given environment values and files: the environment's
// defaults and refusals, the addresses path, the reading of the file, and the selection and
// checks of the deployment. The process-wide holder is tested in app_context_holder_test.cpp.
#include "context/app_context.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "context_test_support.hpp"

namespace qzr {
namespace {

using test::TempShare;

std::optional<std::string> variable(std::optional<std::string_view> value) {
  if (!value) return std::nullopt;
  return std::string(*value);
}

TEST(AppContextSettings, EnvironmentDefaultsAndRefusals) {
  struct Case {
    std::string_view label;
    std::optional<std::string_view> chain_id;             // CHAIN_ID
    std::optional<std::string_view> contract_deployment;  // CONTRACT_DEPLOYMENT
    std::optional<std::string_view> qzr_share;            // QZR_SHARE
    // Success: the settings; failure: the error's text.
    std::uint64_t expected_chain_id = 0;
    std::string_view expected_deployment = {};
    std::string_view expected_path = {};
    std::string_view error = {};
  };
  // Defaults "1337" and "snapshot"; the integer error texts are those documented in
  // context/app_context.hpp (the overflow is seen at the digit that overflows, before any later
  // character is looked at).
  // clang-format off
  static constexpr Case cases[] = {
      {"defaults", {}, {}, "/srv/share", 1337, "snapshot", "/srv/share/ethereum/addresses.json"},
      {"share with a trailing slash", {}, {}, "/srv/share/", 1337, "snapshot", "/srv/share/ethereum/addresses.json"},
      {"share only a slash", {}, {}, "/", 1337, "snapshot", "/ethereum/addresses.json"},
      {"empty share: relative path", {}, {}, "", 1337, "snapshot", "ethereum/addresses.json"},
      {"relative share", {}, {}, "share", 1337, "snapshot", "share/ethereum/addresses.json"},
      {"chain id with a plus sign", "+5", {}, "/s", 5, "snapshot", "/s/ethereum/addresses.json"},
      {"chain id with leading zeros", "0005", {}, "/s", 5, "snapshot", "/s/ethereum/addresses.json"},
      {"chain id zero", "0", {}, "/s", 0, "snapshot", "/s/ethereum/addresses.json"},
      {"largest chain id", "18446744073709551615", {}, "/s", 18446744073709551615u, "snapshot", "/s/ethereum/addresses.json"},
      {"chain id not UTF-8: default", "\xff", {}, "/s", 1337, "snapshot", "/s/ethereum/addresses.json"},
      {"named deployment", {}, "prod", "/s", 1337, "prod", "/s/ethereum/addresses.json"},
      {"empty deployment name is kept", {}, "", "/s", 1337, "", "/s/ethereum/addresses.json"},
      {"deployment not UTF-8: default", {}, "pr\xfe", "/s", 1337, "snapshot", "/s/ethereum/addresses.json"},

      {"empty chain id", "", {}, "/s", 0, {}, {}, "Cannot parse CHAIN_ID: cannot parse integer from empty string"},
      {"plus sign alone", "+", {}, "/s", 0, {}, {}, "Cannot parse CHAIN_ID: invalid digit found in string"},
      {"leading blank", " 5", {}, "/s", 0, {}, {}, "Cannot parse CHAIN_ID: invalid digit found in string"},
      {"trailing blank", "5 ", {}, "/s", 0, {}, {}, "Cannot parse CHAIN_ID: invalid digit found in string"},
      {"minus sign", "-5", {}, "/s", 0, {}, {}, "Cannot parse CHAIN_ID: invalid digit found in string"},
      {"minus zero", "-0", {}, "/s", 0, {}, {}, "Cannot parse CHAIN_ID: invalid digit found in string"},
      {"two plus signs", "++5", {}, "/s", 0, {}, {}, "Cannot parse CHAIN_ID: invalid digit found in string"},
      {"hexadecimal", "0x10", {}, "/s", 0, {}, {}, "Cannot parse CHAIN_ID: invalid digit found in string"},
      {"2^64", "18446744073709551616", {}, "/s", 0, {}, {}, "Cannot parse CHAIN_ID: number too large to fit in target type"},
      {"overflow before a bad character", "99999999999999999999x", {}, "/s", 0, {}, {}, "Cannot parse CHAIN_ID: number too large to fit in target type"},
      {"share absent", {}, {}, {}, 0, {}, {}, "QZR_SHARE not set: NotPresent"},
      {"share not UTF-8", {}, {}, "\xff/share", 0, {}, {}, "QZR_SHARE not set: NotUnicode(\"\xEF\xBF\xBD/share\")"},
      {"chain id checked before the share", "x", {}, {}, 0, {}, {}, "Cannot parse CHAIN_ID: invalid digit found in string"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const AppContextEnvironment environment{variable(c.chain_id), variable(c.contract_deployment),
                                            variable(c.qzr_share)};
    const Result<AppContextSettings> settings = parse_app_context_settings(environment);
    if (!c.error.empty()) {
      ASSERT_FALSE(settings.has_value());
      EXPECT_EQ(settings.error().display(), c.error);
      continue;
    }
    ASSERT_TRUE(settings.has_value()) << settings.error().display();
    EXPECT_EQ(settings->chain_id, c.expected_chain_id);
    EXPECT_EQ(settings->contract_deployment, c.expected_deployment);
    EXPECT_EQ(settings->addresses_path, c.expected_path);
  }
}

TEST(AppContextBuild, DeploymentSelectionAndChecks) {
  struct Case {
    std::string_view label;
    std::uint64_t chain_id;  // CHAIN_ID's value
    std::string_view deployment;
    std::string_view json;
    // Success: the context's fields as text; failure: the error's text.
    std::string_view contract = {};
    std::string_view usdc = {};
    std::string_view qzr = {};
    std::string_view error = {};
  };
  // Expected addresses read off test::two_deployments_json by hand.
  // clang-format off
  static constexpr Case cases[] = {
      {"snapshot", 1337, "snapshot", test::two_deployments_json, test::snapshot_contract, test::snapshot_usdc, test::snapshot_qzr},
      {"prod in the array form", 1, "prod", test::two_deployments_json, test::prod_contract, test::prod_usdc, test::prod_qzr},
      {"chain id differs", 1, "snapshot", test::two_deployments_json, {}, {}, {}, "chain id from addresses.json doesn't match CHAIN_ID"},
      {"another deployment's chain id does not help", 1337, "prod", test::two_deployments_json, {}, {}, {}, "chain id from addresses.json doesn't match CHAIN_ID"},
      {"deployment absent", 1337, "staging", test::two_deployments_json, {}, {}, {}, "CONTRACT_DEPLOYMENT not found in addresses.json"},
      {"file not JSON", 1337, "snapshot", "snapshot", {}, {}, {}, "Cannot parse addresses.json: parse error at line 1, column 1: syntax error while parsing value - invalid literal; last read: 's'"},
      {"the whole file is checked before the lookup", 1337, "staging", R"({"broken": {"chainId": 1}})", {}, {}, {}, "Cannot parse addresses.json: parse error at line 1, column 25: missing field `addresses`"},
      {"empty file", 1337, "snapshot", "", {}, {}, {}, "Cannot parse addresses.json: parse error at line 1, column 1: syntax error while parsing value - unexpected end of input; expected '[', '{', or a literal"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const AppContextSettings settings{c.chain_id, std::string(c.deployment), "unused"};
    const Result<OperatorContext> context = build_operator_context(settings, c.json);
    if (!c.error.empty()) {
      ASSERT_FALSE(context.has_value());
      EXPECT_EQ(context.error().display(), c.error);
      continue;
    }
    ASSERT_TRUE(context.has_value()) << context.error().display();
    EXPECT_EQ(context->chain_id, c.chain_id);
    EXPECT_EQ(to_hex(context->contract_address), c.contract);
    EXPECT_EQ(to_hex(context->usdc_token_address), c.usdc);
    EXPECT_EQ(to_hex(context->qzr_token_address), c.qzr);
  }
}

TEST(AppContextFile, ReadsTheWholeFileOrNamesTheSystemError) {
  const TempShare share;
  // Larger than one read of the reader's buffer, with bytes of every value.
  std::string large(200000, '\0');
  for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 7 % 256);
  share.write_addresses(large);
  const Result<std::string> text = read_addresses_file(share.addresses_path());
  ASSERT_TRUE(text.has_value()) << text.error().display();
  EXPECT_EQ(*text, large);

  share.write_addresses("");
  const Result<std::string> empty = read_addresses_file(share.addresses_path());
  ASSERT_TRUE(empty.has_value()) << empty.error().display();
  EXPECT_EQ(*empty, "");

  struct Case {
    std::string_view label;
    std::string path;
    std::string_view error;
  };
  // The system's texts for ENOENT (2) and EISDIR (21) on Linux.
  const Case failures[] = {
      {"missing file", share.path() + "/missing.json",
       "Cannot initialize app context without addresses.json: Os { code: 2, message: \"No such file or "
       "directory\" }"},
      {"a directory opens but cannot be read", share.path(), "Os { code: 21, message: \"Is a directory\" }"},
      {"a NUL byte in the path", share.addresses_path() + std::string(1, '\0') + "x",
       "Cannot initialize app context without addresses.json: InvalidInput(\"file name contained an "
       "unexpected NUL "
       "byte\")"},
  };
  for (const Case& c : failures) {
    SCOPED_TRACE(c.label);
    const Result<std::string> result = read_addresses_file(c.path);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().display(), c.error);
  }
}

TEST(AppContextLoad, EnvironmentThenFileThenDeployment) {
  const TempShare share;
  share.write_addresses(test::two_deployments_json);
  struct Case {
    std::string_view label;
    AppContextEnvironment environment;
    std::uint64_t chain_id = 0;
    std::string_view contract = {};
    std::string error = {};
  };
  const Case cases[] = {
      {"defaults select snapshot on 1337", {{}, {}, share.path()}, 1337, test::snapshot_contract},
      {"named deployment and its chain id", {"1", "prod", share.path() + "/"}, 1, test::prod_contract},
      {"the path follows QZR_SHARE",
       {{}, {}, share.path() + "/ethereum"},
       0,
       {},
       "Cannot initialize app context without addresses.json: Os { code: 2, message: \"No such file or "
       "directory\" "
       "}"},
      {"the environment is checked before the file",
       {"1e3", {}, "/nonexistent"},
       0,
       {},
       "Cannot parse CHAIN_ID: invalid digit found in string"},
      {"a mismatch found after reading",
       {"1", {}, share.path()},
       0,
       {},
       "chain id from addresses.json doesn't match CHAIN_ID"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const Result<OperatorContext> context = load_operator_context(c.environment);
    if (!c.error.empty()) {
      ASSERT_FALSE(context.has_value());
      EXPECT_EQ(context.error().display(), c.error);
      continue;
    }
    ASSERT_TRUE(context.has_value()) << context.error().display();
    EXPECT_EQ(context->chain_id, c.chain_id);
    EXPECT_EQ(to_hex(context->contract_address), c.contract);
  }
}

}  // namespace
}  // namespace qzr
