// The addresses file reader: accepted shapes, the deployment it selects, and the exact text of
// every refusal.
#include "context/addresses_file.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace qzr {
namespace {

// Fixture addresses; "$V", "$Q", "$U", "$F" and "$K" in a case's JSON stand for these texts, and
// "$A" for a complete addresses object made of the first three.
constexpr std::string_view velmarind_text = "0xAbCdEf0123456789aBcDeF0123456789AbCdEf01";  // mixed case
constexpr std::string_view qzr_text = "0x00000000000000000000000000000000000000a1";
constexpr std::string_view usdc_text = "b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0";  // no "0x"
constexpr std::string_view faucet_address_text = "0x2222222222222222222222222222222222222222";
constexpr std::string_view private_key_text =
    "0x1111111111111111111111111111111111111111111111111111111111111111";

std::string expand(std::string_view json) {
  std::string text(json);
  const auto replace_all = [&text](std::string_view token, std::string_view value) {
    for (std::size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + value.size())) {
      text.replace(at, token.size(), value);
    }
  };
  replace_all("$A", R"({"velmarindAddress": "$V", "qzrAddress": "$Q", "usdcAddress": "$U"})");
  replace_all("$V", velmarind_text);
  replace_all("$Q", qzr_text);
  replace_all("$U", usdc_text);
  replace_all("$F", faucet_address_text);
  replace_all("$K", private_key_text);
  return text;
}

// Every success row selects a deployment with the fixture addresses (their bytes are the
// fixture texts read by hand: lower case, with "0x").
void expect_fixture_addresses(const ContractAddresses& addresses) {
  EXPECT_EQ(to_hex(addresses.velmarind), "0xabcdef0123456789abcdef0123456789abcdef01");
  EXPECT_EQ(to_hex(addresses.qzr_token), "0x00000000000000000000000000000000000000a1");
  EXPECT_EQ(to_hex(addresses.usdc_token), "0xb0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0");
}

// `depth` arrays nested inside each other.
std::string nested_arrays(std::size_t depth) { return std::string(depth, '[') + std::string(depth, ']'); }

TEST(AddressesFile, ShapesAndRefusals) {
  struct Case {
    std::string_view label;
    std::string_view json;
    // Success: the chain id of the selected deployment, or nullopt when none has the name.
    std::optional<std::uint64_t> chain_id;
    // Failure: where the reader stopped, and why; an empty reason marks a success row.
    std::size_t line = 0;
    std::size_t column = 0;
    std::string_view reason = {};
  };
  // Positions follow nlohmann-json's counting (line from 1, bytes read on the line), counted by
  // hand on the expanded fixture: the reader has read through the offending token, and one byte
  // further after a number, whose end shows only at the next byte. The syntax error reasons are
  // nlohmann-json 3.11's own texts (which show a control character as <U+000A> and a byte of
  // invalid UTF-8 as it is).
  // One row a line, long fixtures kept whole:
  // clang-format off
  static const Case cases[] = {
      {"object form", R"({"snapshot": {"addresses": $A, "chainId": 1337}})", 1337},
      {"keys in any order", R"({"snapshot": {"chainId": 5, "addresses": $A}})", 5},
      {"faucet null", R"({"snapshot": {"addresses": $A, "chainId": 1, "faucet": null}})", 1},
      {"faucet object", R"({"snapshot": {"addresses": $A, "chainId": 1, "faucet": {"address": "$F", "privateKey": "$K"}}})", 1},
      {"faucet key without 0x, upper case", R"({"snapshot": {"addresses": $A, "chainId": 1, "faucet": {"address": "$F", "privateKey": "ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789ABCDEF0123456789"}}})", 1},
      {"extra keys everywhere", R"({"snapshot": {"note": [1, {"x": null}], "addresses": {"usdcAddress": "$U", "otherAddress": "not an address", "velmarindAddress": "$V", "qzrAddress": "$Q", "more": {}}, "chainId": 7, "faucet": {"privateKey": "$K", "address": "$F", "x": 1.5}}})", 7},
      {"array form", R"({"snapshot": [$A, 9, null]})", 9},
      {"array forms with faucet", R"({"snapshot": [$A, 9, ["$F", "$K"]]})", 9},
      {"chain id -0 is zero", R"({"snapshot": {"addresses": $A, "chainId": -0}})", 0},
      {"largest chain id", R"({"snapshot": {"addresses": $A, "chainId": 18446744073709551615}})", 18446744073709551615u},
      {"escaped key names are their text", R"({"snapshot": {"\u0061ddresses": $A, "chain\u0049d": 3}})", 3},
      {"a leading byte order mark is skipped", "\xEF\xBB\xBF{\"snapshot\": [$A, 6, null]}", 6},
      {"white space around the value", " \r\n\t{\"snapshot\": {\"addresses\": $A, \"chainId\": 2}} \n", 2},
      {"later entry of a name replaces the earlier", R"({"snapshot": {"addresses": $A, "chainId": 1}, "other": [$A, 2, null], "snapshot": {"addresses": $A, "chainId": 3}})", 3},
      {"selection among deployments", R"({"a": {"addresses": $A, "chainId": 1}, "snapshot": [$A, 4, null], "b": [$A, 5, null]})", 4},
      {"repeated keys inside a skipped value", R"({"snapshot": {"addresses": $A, "chainId": 1, "x": {"k": 1, "k": 2}}})", 1},
      {"name absent", R"({"prod": {"addresses": $A, "chainId": 1}})", std::nullopt},
      {"name matching is exact", R"({"Snapshot": {"addresses": $A, "chainId": 1}, "snapshot ": [$A, 1, null]})", std::nullopt},
      {"no deployments", "{}", std::nullopt},

      // Syntax.
      {"empty text", "", {}, 1, 1, "syntax error while parsing value - unexpected end of input; expected '[', '{', or a literal"},
      {"text after the value", "{}\n x", {}, 2, 2, "syntax error while parsing value - invalid literal; last read: '{}<U+000A> x'; expected end of input"},
      {"comments are not JSON", "{}\n// c", {}, 2, 1, "syntax error while parsing value - invalid literal; last read: '{}<U+000A>/'; expected end of input"},
      {"trailing comma", "{\"snapshot\": {\"x\": 1,}}", {}, 1, 22, "syntax error while parsing object key - unexpected '}'; expected string literal"},
      {"invalid UTF-8 in a string", "{\"\xff\": 1}", {}, 1, 3, "syntax error while parsing object key - invalid string: ill-formed UTF-8 byte; last read: '\"\xff'; expected string literal"},

      // Types of the records.
      {"top level an array", "[]", {}, 1, 1, "invalid type: sequence, expected a map"},
      {"top level a string", "\"x\"", {}, 1, 3, "invalid type: string \"x\", expected a map"},
      {"deployment a number", "{\"snapshot\":\n5}", {}, 2, 2, "invalid type: integer `5`, expected struct DeploymentMeta"},
      {"deployment null", "{\"snapshot\":\nnull}", {}, 2, 4, "invalid type: null, expected struct DeploymentMeta"},
      {"an invalid deployment that is not selected", "{\"prod\":\ntrue, \"snapshot\": [$A, 1, null]}", {}, 2, 4, "invalid type: boolean `true`, expected struct DeploymentMeta"},
      {"addresses an array", "{\"snapshot\": {\"chainId\": 1,\n\"addresses\": [\"$V\", \"$Q\", \"$U\"]}}", {}, 2, 14, "invalid type: sequence, expected struct ContractAddresses"},
      {"faucet a number", "{\"snapshot\": {\"addresses\": $A, \"chainId\": 1,\n\"faucet\": 1}}", {}, 2, 12, "invalid type: integer `1`, expected struct Faucet"},

      // Required fields.
      {"addresses missing", "{\"snapshot\": {\"chainId\": 1\n}}", {}, 2, 1, "missing field `addresses`"},
      {"chainId missing", "{\"snapshot\": {\"addresses\": $A\n}}", {}, 2, 1, "missing field `chainId`"},
      {"velmarindAddress missing", "{\"snapshot\": {\"chainId\": 1, \"addresses\": {\"qzrAddress\": \"$Q\",\n\"usdcAddress\": \"$U\"}}}", {}, 2, 58, "missing field `velmarindAddress`"},
      {"qzrAddress missing", "{\"snapshot\": {\"chainId\": 1, \"addresses\": {\"velmarindAddress\": \"$V\",\n\"usdcAddress\": \"$U\"}}}", {}, 2, 58, "missing field `qzrAddress`"},
      {"usdcAddress missing", "{\"snapshot\": {\"chainId\": 1, \"addresses\": {\"velmarindAddress\": \"$V\",\n\"qzrAddress\": \"$Q\"}}}", {}, 2, 59, "missing field `usdcAddress`"},
      {"faucet address missing", "{\"snapshot\": {\"addresses\": $A, \"chainId\": 1,\n\"faucet\": {\"privateKey\": \"$K\"}}}", {}, 2, 94, "missing field `address`"},
      {"faucet privateKey missing", "{\"snapshot\": {\"addresses\": $A, \"chainId\": 1,\n\"faucet\": {\"address\": \"$F\"}}}", {}, 2, 67, "missing field `privateKey`"},

      // Repeated keys.
      {"repeated chainId", "{\"snapshot\": {\"addresses\": $A,\n\"chainId\": 1, \"chainId\": 1}}", {}, 2, 23, "duplicate field `chainId`"},
      {"repeated unknown deployment key", "{\"snapshot\": {\"addresses\": $A, \"chainId\": 1,\n\"x\": 1, \"x\": 1}}", {}, 2, 11, "duplicate field `x`"},
      {"repeated address", "{\"snapshot\": {\"chainId\": 1, \"addresses\": {\"qzrAddress\": \"$Q\",\n\"qzrAddress\": \"$Q\"}}}", {}, 2, 12, "duplicate field `qzrAddress`"},
      {"repeated unknown address key", "{\"snapshot\": {\"chainId\": 1, \"addresses\": {\"o\": \"\",\n\"o\": \"\"}}}", {}, 2, 3, "duplicate field `o`"},
      {"repeated faucet key", "{\"snapshot\": {\"addresses\": $A, \"chainId\": 1, \"faucet\": {\"address\": \"$F\",\n\"address\": \"$F\"}}}", {}, 2, 9, "duplicate field `address`"},

      // chainId values.
      {"chainId a string", "{\"snapshot\": {\"addresses\": $A,\n\"chainId\": \"1337\"}}", {}, 2, 17, "invalid type: string \"1337\", expected u64"},
      {"chainId with a fraction", "{\"snapshot\": {\"addresses\": $A,\n\"chainId\": 1337.0}}", {}, 2, 18, "invalid type: floating point `1337.0`, expected u64"},
      {"chainId with an exponent", "{\"snapshot\": {\"addresses\": $A,\n\"chainId\": 1e3}}", {}, 2, 15, "invalid type: floating point `1e3`, expected u64"},
      {"chainId negative", "{\"snapshot\": {\"addresses\": $A,\n\"chainId\": -1}}", {}, 2, 14, "invalid value: integer `-1`, expected u64"},
      {"chainId beyond 64 bits", "{\"snapshot\": {\"addresses\": $A,\n\"chainId\": 18446744073709551616}}", {}, 2, 32, "invalid type: floating point `18446744073709551616`, expected u64"},

      // Address and key texts.
      {"address of 39 digits", "{\"snapshot\": {\"chainId\": 1, \"addresses\": {\n\"qzrAddress\": \"0x000000000000000000000000000000000000001\"}}}", {}, 2, 57, "invalid value: string \"0x000000000000000000000000000000000000001\", expected 40 hex digits, optionally prefixed with 0x"},
      {"address of 41 digits", "{\"snapshot\": {\"chainId\": 1, \"addresses\": {\n\"qzrAddress\": \"00000000000000000000000000000000000000001\"}}}", {}, 2, 57, "invalid value: string \"00000000000000000000000000000000000000001\", expected 40 hex digits, optionally prefixed with 0x"},
      {"address with a non-digit", "{\"snapshot\": {\"chainId\": 1, \"addresses\": {\n\"qzrAddress\": \"0x000000000000000000000000000000000000000g\"}}}", {}, 2, 58, "invalid value: string \"0x000000000000000000000000000000000000000g\", expected 40 hex digits, optionally prefixed with 0x"},
      {"address with 0X", "{\"snapshot\": {\"chainId\": 1, \"addresses\": {\n\"qzrAddress\": \"0X0000000000000000000000000000000000000001\"}}}", {}, 2, 58, "invalid value: string \"0X0000000000000000000000000000000000000001\", expected 40 hex digits, optionally prefixed with 0x"},
      {"address with a blank", "{\"snapshot\": {\"chainId\": 1, \"addresses\": {\n\"qzrAddress\": \" 0000000000000000000000000000000000000001\"}}}", {}, 2, 57, "invalid value: string \" 0000000000000000000000000000000000000001\", expected 40 hex digits, optionally prefixed with 0x"},
      {"address a number", "{\"snapshot\": {\"chainId\": 1, \"addresses\": {\n\"usdcAddress\": 1}}}", {}, 2, 17, "invalid type: integer `1`, expected 40 hex digits, optionally prefixed with 0x"},
      {"faucet address invalid", "{\"snapshot\": [$A, 1,\n[\"0x12\", \"$K\"]]}", {}, 2, 7, "invalid value: string \"0x12\", expected 40 hex digits, optionally prefixed with 0x"},
      // The key's text stays out of the message.
      {"private key of 63 digits", "{\"snapshot\": [$A, 1,\n[\"$F\", \"0x111111111111111111111111111111111111111111111111111111111111111\"]]}", {}, 2, 114, "invalid value: a string of 65 bytes, expected 64 hex digits, optionally prefixed with 0x"},

      // Array forms.
      {"deployment array of 2", "{\"snapshot\": [$A,\n1]}", {}, 2, 2, "invalid length 2, expected struct DeploymentMeta with 3 elements"},
      {"deployment array of 4", "{\"snapshot\": [$A,\n1, null, null]}", {}, 2, 13, "invalid length: more than 3 elements, expected struct DeploymentMeta with 3 elements"},
      {"faucet array of 1", "{\"snapshot\": [$A, 1,\n[\"$F\"]]}", {}, 2, 46, "invalid length 1, expected struct Faucet with 2 elements"},
      {"faucet array of 3", "{\"snapshot\": [$A, 1,\n[\"$F\", \"$K\", 0]]}", {}, 2, 119, "invalid length: more than 2 elements, expected struct Faucet with 2 elements"},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const Result<std::optional<DeploymentMeta>> result = parse_addresses_file(expand(c.json), "snapshot");
    if (!c.reason.empty()) {
      ASSERT_FALSE(result.has_value());
      EXPECT_EQ(result.error().kind(), CommonError::Kind::Other);
      EXPECT_EQ(result.error().display(), "parse error at line " + std::to_string(c.line) + ", column " +
                                              std::to_string(c.column) + ": " + std::string(c.reason));
      continue;
    }
    ASSERT_TRUE(result.has_value()) << result.error().display();
    ASSERT_EQ(result->has_value(), c.chain_id.has_value());
    if (!c.chain_id) continue;
    EXPECT_EQ((*result)->chain_id, *c.chain_id);
    expect_fixture_addresses((*result)->addresses);
  }
}

// The nesting limit counts every array and object, the top-level object being level 1: 126
// arrays inside a deployment's unknown key reach level 128.
TEST(AddressesFile, NestingLimit) {
  struct Case {
    std::size_t nested_arrays;
    bool accepted;
  };
  constexpr Case cases[] = {{126, true}, {127, false}, {100000, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nested_arrays);
    const std::string json = expand("{\"snapshot\": {\"addresses\": $A, \"chainId\": 1,\n\"x\": ") +
                             nested_arrays(c.nested_arrays) + "}}";
    const Result<std::optional<DeploymentMeta>> result = parse_addresses_file(json, "snapshot");
    if (c.accepted) {
      ASSERT_TRUE(result.has_value()) << result.error().display();
      EXPECT_TRUE(result->has_value());
    } else {
      ASSERT_FALSE(result.has_value());
      // Refused at the first array beyond the limit: "x": and 127 brackets on line 2.
      EXPECT_EQ(result.error().display(), "parse error at line 2, column 132: recursion limit exceeded");
    }
  }
}

}  // namespace
}  // namespace qzr
