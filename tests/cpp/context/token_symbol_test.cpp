// TokenSymbol: names, address lookups in a context record in both directions, and the reading of
// address texts. The process-wide context is not read here (see app_context_holder_test.cpp for
// why: it is built once per process).
#include "context/token_symbol.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

namespace qzr {
namespace {

TokenAddress filled(std::uint8_t byte) {
  TokenAddress address;
  address.bytes.fill(byte);
  return address;
}

OperatorContext sample_context() {
  OperatorContext context;
  context.contract_address.bytes.fill(0x11);
  context.chain_id = 1337;
  context.usdc_token_address = filled(0xb0);
  context.qzr_token_address = filled(0xa1);
  return context;
}

TEST(TokenSymbol, NamesAndDiscriminants) {
  EXPECT_EQ(enum_name(TokenSymbol::USDC), "USDC");
  EXPECT_EQ(enum_name(TokenSymbol::QZR), "QZR");
  EXPECT_EQ(enum_number(TokenSymbol::USDC), 0);
  EXPECT_EQ(enum_number(TokenSymbol::QZR), 1);
}

TEST(TokenSymbol, LookupsInAContext) {
  // USDC resolves through the context's token map entry, QZR through its own field; the reverse
  // lookup finds both, and nothing for any other address.
  const OperatorContext context = sample_context();
  struct Case {
    std::string_view name;
    TokenAddress address;
    std::optional<TokenSymbol> symbol;
  };
  const Case cases[] = {
      {"usdc address", filled(0xb0), TokenSymbol::USDC},
      {"qzr address", filled(0xa1), TokenSymbol::QZR},
      {"contract address", filled(0x11), std::nullopt},
      {"zero address", TokenAddress{}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(token_symbol_in(context, c.address), c.symbol);
    if (c.symbol) {
      EXPECT_EQ(token_address_in(context, *c.symbol), c.address);
    }
  }
}

TEST(TokenSymbol, SharedAddressResolvesToUsdc) {
  OperatorContext context = sample_context();
  context.qzr_token_address = context.usdc_token_address;
  EXPECT_EQ(token_symbol_in(context, context.usdc_token_address), TokenSymbol::USDC);
}

TEST(TokenSymbol, ParsesAddressTexts) {
  // The fixed reading of 20 bytes: one optional "0x", 40 digits in either case. Error texts are
  // the bare hexadecimal ones (values/hex.hpp).
  struct Case {
    std::string_view text;
    std::optional<std::uint8_t> fill;
    std::string_view error;
  };
  static constexpr Case cases[] = {
      {"0xb0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0", 0xb0, ""},
      {"0xB0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0B0", 0xb0, ""},
      {"b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0", 0xb0, ""},
      {"0xb0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b", std::nullopt, "Invalid input length"},
      {"0xb0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b", std::nullopt, "Invalid input length"},
      {"", std::nullopt, "Invalid input length"},
      {"0xg0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0b0", std::nullopt, "Invalid character 'g' at position 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const Result<TokenAddress> address = parse_token_address(c.text);
    if (c.fill) {
      ASSERT_TRUE(address.has_value()) << address.error().display();
      EXPECT_EQ(*address, filled(*c.fill));
    } else {
      ASSERT_FALSE(address.has_value());
      EXPECT_EQ(address.error().display(), c.error);
    }
  }
}

}  // namespace
}  // namespace qzr
