// Specs kinds, the specs key's name limit and the specs expression read from ABI tokens.
#include "keys/specs.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "keys/tree_keys.hpp"

namespace qzr {
namespace {

TEST(Specs, ParseSpecsKind) {
  struct Case {
    const char* text;
    std::optional<SpecsKind> kind;
  };
  const Case cases[] = {
      {"SINGLENAMEPERP", SpecsKind::SingleNamePerpetual},
      {"GATEWAY", SpecsKind::MarketGateway},
      {"gateway", std::nullopt},
      {"MarketGateway", std::nullopt},
      {"GATEWAY ", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto kind = parse_specs_kind(c.text);
    if (c.kind) {
      ASSERT_TRUE(kind);
      EXPECT_EQ(*kind, *c.kind);
    } else {
      ASSERT_FALSE(kind);
      EXPECT_EQ(kind.error().kind(), CommonError::Kind::Parse);
      EXPECT_EQ(kind.error().display(),
                "Error parsing string into struct: Unable to parse " + std::string(c.text) + " as SpecsKind");
    }
  }
}

TEST(Specs, KindNumbersAndNames) {
  EXPECT_EQ(enum_number(SpecsKind::SingleNamePerpetual), 0);
  EXPECT_EQ(enum_number(SpecsKind::MarketGateway), 1);
  EXPECT_EQ(enum_from_number<SpecsKind>(0), SpecsKind::SingleNamePerpetual);
  EXPECT_EQ(enum_from_number<SpecsKind>(1), SpecsKind::MarketGateway);
  EXPECT_EQ(enum_from_number<SpecsKind>(2), std::nullopt);
  EXPECT_EQ(enum_name(SpecsKind::SingleNamePerpetual), "SingleNamePerpetual");
  EXPECT_EQ(enum_name(SpecsKind::MarketGateway), "MarketGateway");
}

// The limit counts UTF-8 bytes, not characters.
TEST(Specs, SpecsKeyNameLimit) {
  struct Case {
    const char* what;
    std::string name;
    bool accepted;
  };
  std::string ten_three_byte_characters;
  for (int i = 0; i < 10; ++i) ten_three_byte_characters += "\xe2\x82\xac";  // U+20AC
  const Case cases[] = {
      {"empty", "", true},
      {"28 bytes", std::string(28, 'a'), true},
      {"29 bytes", std::string(29, 'a'), false},
      {"10 characters of 3 bytes", ten_three_byte_characters, false},
      {"9 characters of 3 bytes", ten_three_byte_characters.substr(0, 27), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto key = SpecsKey::make(SpecsKind::MarketGateway, c.name);
    if (c.accepted) {
      ASSERT_TRUE(key);
      EXPECT_EQ(key->name(), c.name);
      EXPECT_EQ(key->kind(), SpecsKind::MarketGateway);
    } else {
      ASSERT_FALSE(key);
      EXPECT_EQ(key.error().kind(), CommonError::Kind::Other);
      EXPECT_EQ(key.error().display(), "Specs name too long " + c.name);
    }
  }
}

TEST(Specs, ParseSpecsExpr) {
  struct Case {
    const char* what;
    abi::Token token;
    std::optional<std::string> text;
  };
  const Case cases[] = {
      {"string token", abi::Token::string("(Market :name \"ETHP\")"), "(Market :name \"ETHP\")"},
      {"empty string token", abi::Token::string(""), ""},
      {"string token with a NUL and non-ASCII", abi::Token::string(std::string("a\0\xc3\xa9", 4)),
       std::string("a\0\xc3\xa9", 4)},
      {"uint token", abi::Token::unsigned_int(abi::U256::from_u64(7)), std::nullopt},
      {"bytes token", abi::Token::bytes({0x61, 0x62}), std::nullopt},
      {"tuple token holding a string", abi::Token::tuple({abi::Token::string("x")}), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto expr = parse_specs_expr(c.token);
    if (c.text) {
      ASSERT_TRUE(expr);
      EXPECT_EQ(expr->text, *c.text);
    } else {
      ASSERT_FALSE(expr);
      EXPECT_EQ(expr.error().kind(), CommonError::Kind::Other);
      EXPECT_EQ(expr.error().display(), "Invalid specs expression");
    }
  }
}

TEST(Specs, SpecsExprDebugText) {
  EXPECT_EQ(debug_text(SpecsExpr{"a \"b\"\n"}), "SpecsExpr(\"a \\\"b\\\"\\n\")");
  EXPECT_EQ(debug_text(SpecsExpr{""}), "SpecsExpr(\"\")");
}

}  // namespace
}  // namespace qzr
