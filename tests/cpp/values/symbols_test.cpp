// Product and underlying symbols: parsing with its error texts, the 5-bit packing, unpacking,
// hash values, the text word and debug texts, with the worked examples of the symbol format.
#include "values/symbols.hpp"

#include <gtest/gtest.h>

#include <string>

#include "core/fault.hpp"
#include "values/hex.hpp"

namespace qzr {
namespace {

constexpr std::string_view charset_suffix = " charset=0ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// The packed bytes' digits, or "error: " and the display text Python would see.
std::string outcome(const Result<ProductSymbol>& result) {
  if (!result) return "error: " + result.error().display();
  return to_hex_text(result->packed).substr(2);
}

TEST(ProductSymbol, ParseAndPack) {
  struct Case {
    std::string text;
    std::string expected;
  };
  const std::string conversion = "error: Conversion error: Illegal character in ";
  const std::string parse = "error: Error parsing string into struct: ";
  const Case cases[] = {
      // Worked examples of the packing: codes in text order from the lowest bit, 5 bits each.
      {"ETHP", "852208000000"},
      {"BTCP", "820e08000000"},
      {"ABCDP", "410c02010000"},
      {"ZP", "1a0200000000"},
      // The underlying's trailing whitespace is dropped; other whitespace is an illegal character.
      {"ETH P", "852208000000"},
      {"ETH\tP", "852208000000"},
      {"ET \rP", "854200000000"},
      {"ET \r\nP", parse + "Expected up to 4 ASCII characters for underlying symbol; got Ok(\"ET \\r\\n\")"},
      {" ETHP", conversion + "32" + std::string(charset_suffix)},
      {"E THP", conversion + "32" + std::string(charset_suffix)},
      {"ETH\vP", conversion + "11" + std::string(charset_suffix)},
      // Lengths.
      {"", parse + "Expected at least 2 characters for product symbol"},
      {"P", parse + "Expected at least 2 characters for product symbol"},
      {"ABCDEP", parse + "Expected up to 4 ASCII characters for underlying symbol; got Ok(\"ABCDE\")"},
      {"E1HABP", parse + "Expected up to 4 ASCII characters for underlying symbol; got Ok(\"E1HAB\")"},
      {"ABC\"\\P",
       parse + "Expected up to 4 ASCII characters for underlying symbol; got Ok(\"ABC\\\"\\\\\")"},
      // A last character that is not ASCII leaves the underlying ending inside a sequence.
      {"ABCD\xc3\xa9", parse + "Expected up to 4 ASCII characters for underlying symbol; got "
                               "Err(Utf8Error { valid_up_to: 4, error_len: None })"},
      {"AB\xff"
       "CDP",
       parse + "Expected up to 4 ASCII characters for underlying symbol; got "
               "Err(Utf8Error { valid_up_to: 2, error_len: Some(1) })"},
      // Characters outside the alphabet, found before the kind letter is looked at.
      {"ethp", conversion + "101" + std::string(charset_suffix)},
      {"E1HP", conversion + "49" + std::string(charset_suffix)},
      {"ETH\xc3\xa9", conversion + "195" + std::string(charset_suffix)},
      {"e X", conversion + "101" + std::string(charset_suffix)},
      // The kind letter.
      {"ETHp", parse + "Unknown product kind p"},
      {"ETHX", parse + "Unknown product kind X"},
      {"ETH\xe9", parse + "Unknown product kind \xc3\xa9"},  // the byte taken as a code point
      // Refused because they would pack into bytes that print as another symbol.
      {"0P", "error: Conversion error: Illegal padding character 0 in underlying symbol"},
      {"A0BP", "error: Conversion error: Illegal padding character 0 in underlying symbol"},
      {"ETH0P", "error: Conversion error: Illegal padding character 0 in underlying symbol"},
      {" P", parse + "Expected at least 1 character for underlying symbol"},
      {"\t\nP", parse + "Expected at least 1 character for underlying symbol"},
      {" X", parse + "Expected at least 1 character for underlying symbol"},
      {" 0P", conversion + "32" + std::string(charset_suffix)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(outcome(product_symbol_from_text(c.text)), c.expected);
  }
}

TEST(ProductSymbol, ErrorVariants) {
  EXPECT_EQ(product_symbol_from_text("P").error().kind(), CommonError::Kind::Parse);
  EXPECT_EQ(product_symbol_from_text("ABCDEP").error().kind(), CommonError::Kind::Parse);
  EXPECT_EQ(product_symbol_from_text("ETHp").error().kind(), CommonError::Kind::Parse);
  EXPECT_EQ(product_symbol_from_text("ethp").error().kind(), CommonError::Kind::Conversion);
  EXPECT_EQ(product_symbol_from_text("A0BP").error().kind(), CommonError::Kind::Conversion);
  EXPECT_EQ(product_symbol_from_text(" P").error().kind(), CommonError::Kind::Parse);
  EXPECT_EQ(unpack_product_symbol(ProductSymbol{{0x1F}}).error().kind(), CommonError::Kind::Other);
}

TEST(ProductSymbol, ParsedParts) {
  const ParsedProductSymbol parsed = parse_product_symbol("ETH P").value();
  EXPECT_EQ(parsed.underlying.text(), "ETH");
  EXPECT_EQ(std::string(parsed.underlying.padded().data(), 4), "ETH ");
  EXPECT_EQ(parsed.kind, ProductKind::Perpetual);
  EXPECT_EQ(parsed, parse_product_symbol("ETHP").value());
  EXPECT_EQ(parse_underlying_symbol("ABCD").value().text(), "ABCD");
  EXPECT_EQ(parse_underlying_symbol("A  ").value().text(), "A");
  EXPECT_FALSE(parse_underlying_symbol("").has_value());
  EXPECT_FALSE(parse_underlying_symbol("A0").has_value());
}

TEST(ProductSymbol, Unpack) {
  struct Case {
    const char* what;
    ProductSymbol symbol;
    std::string expected;
  };
  const Case cases[] = {
      {"ETHP", {{0x85, 0x22, 0x08}}, "ETHP"},
      {"ABCDP", {{0x41, 0x0C, 0x02, 0x01}}, "ABCDP"},
      {"code 0 is skipped: A0BP prints as ABP", {{0x01, 0x08, 0x08}}, "ABP"},
      {"all nine codes read", {{0x5A, 0x6B, 0xAD, 0xB5, 0xD6, 0x1A}}, "ZZZZZZZZZ"},
      {"bits 45 to 47 are not read", {{0, 0, 0, 0, 0, 0xE0}}, ""},
      // Worked example: code 31 at position 0.
      {"code 31",
       {{0x1F}},
       "error: Illegal characters packed in [31, 0, 0, 0, 0, 0]" + std::string(charset_suffix)},
      {"code 27 after a valid code",
       {{0x61, 0x03}},
       "error: Illegal characters packed in [97, 3, 0, 0, 0, 0]" + std::string(charset_suffix)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result<std::string> text = unpack_product_symbol(c.symbol);
    EXPECT_EQ(text ? *text : "error: " + text.error().display(), c.expected);
  }
}

// The bytes whose 48-bit little-endian number is `number`.
ProductSymbol symbol_of_number(std::uint64_t number) {
  ProductSymbol symbol;
  for (std::size_t i = 0; i < ProductSymbol::size; ++i)
    symbol.packed[i] = static_cast<std::uint8_t>(number >> (8 * i));
  return symbol;
}

// The check without text against unpacking itself: every code 0-31 in every one of the nine
// lanes, among neighbours that are empty, the largest letter code, or the highest unread bits.
TEST(ProductSymbol, UnpacksAgreesWithUnpacking) {
  struct Background {
    const char* what;
    std::uint64_t number;
  };
  const Background backgrounds[] = {
      {"empty neighbours", 0},
      {"neighbours of code 26 (Z)", 0x1AD6B5AD6B5A},
      {"bits 45-47 set", 0xE00000000000},
  };
  for (const Background& background : backgrounds) {
    for (int lane = 0; lane < 9; ++lane) {
      for (std::uint64_t code = 0; code < 32; ++code) {
        SCOPED_TRACE(std::string(background.what) + ", lane " + std::to_string(lane) + ", code " +
                     std::to_string(code));
        const std::uint64_t number =
            (background.number & ~(std::uint64_t{0x1F} << (5 * lane))) | code << (5 * lane);
        const ProductSymbol symbol = symbol_of_number(number);
        EXPECT_EQ(product_symbol_unpacks(symbol), unpack_product_symbol(symbol).has_value());
        EXPECT_EQ(product_symbol_unpacks(symbol), code < 27);
      }
    }
  }
}

TEST(ProductSymbol, HashValue) {
  struct Case {
    std::string text;
    std::int64_t hash;
  };
  // Worked examples: SipHash-1-3, zero keys, over 6 as u64 and the packed bytes.
  const Case cases[] = {
      {"ETHP", -3601349284326933603},
      {"ETH P", -3601349284326933603},
      {"BTCP", 8651313395501770510},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(product_symbol_from_text(c.text).value().hash_value(), c.hash);
  }
}

TEST(ProductSymbol, ReparseReadsTheSymbolAsItPrints) {
  struct Case {
    const char* what;
    ProductSymbol symbol;
    std::string expected;
  };
  const Case cases[] = {
      {"ETHP stays ETHP", {{0x85, 0x22, 0x08}}, "852208000000"},
      {"packed A0BP is read as ABP", {{0x01, 0x08, 0x08}}, outcome(product_symbol_from_text("ABP"))},
      {"bytes that print as nothing",
       {},
       "error: Error parsing string into struct: Expected at least 2 characters for product symbol"},
      {"bytes that print without the kind letter",
       {{0x85, 0x22}},
       "error: Error parsing string into struct: Unknown product kind H"},
      {"bytes that do not unpack",
       {{0x1F}},
       "error: Illegal characters packed in [31, 0, 0, 0, 0, 0]" + std::string(charset_suffix)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(outcome(reparse_product_symbol(c.symbol)), c.expected);
  }
}

TEST(ProductSymbol, TextForms) {
  const ProductSymbol ethp = product_symbol_from_text("ETHP").value();
  EXPECT_EQ(product_symbol_display(ethp), "ETHP");
  EXPECT_EQ(debug_text(ethp), "ProductSymbol(\"ETHP\")");
  EXPECT_EQ(debug_text(parse_underlying_symbol("ETH ").value()), "UnderlyingSymbol(\"ETH\")");
  EXPECT_EQ(debug_text(ProductKind::Perpetual), "Perpetual");
  EXPECT_EQ(product_kind_letter(ProductKind::Perpetual), 'P');

  // Worked example: ETHP's word is 04 45 54 48 50 and 27 zero bytes.
  EXPECT_EQ(to_hex(product_symbol_to_bytes32(ethp)), "0x0445544850" + std::string(54, '0'));
  EXPECT_EQ(bytes32_text_display(product_symbol_to_bytes32(product_symbol_from_text("ABCDP").value())),
            "ABCDP");
}

TEST(ProductSymbol, DisplayOfBytesThatDoNotUnpackIsAFault) {
  EXPECT_THROW(product_symbol_display(ProductSymbol{{0x1F}}), Fault);
}

TEST(ProductSymbol, EqualityAndOrder) {
  const ProductSymbol ethp = product_symbol_from_text("ETHP").value();
  const ProductSymbol btcp = product_symbol_from_text("BTCP").value();
  EXPECT_EQ(ethp, product_symbol_from_text("ETH P").value());
  EXPECT_NE(ethp, btcp);
  // Order by packed bytes from byte 0: BTCP (82 ..) before ETHP (85 ..), but not alphabetical in
  // general: ZAP (3a ..) sorts before AZP (41 ..).
  EXPECT_LT(btcp, ethp);
  EXPECT_LT(product_symbol_from_text("ZAP").value(), product_symbol_from_text("AZP").value());
}

}  // namespace
}  // namespace qzr
