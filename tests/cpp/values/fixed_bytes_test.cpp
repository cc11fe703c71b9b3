// Fixed byte types: the strip and fixed hexadecimal readings with their exact error texts, the
// length-prefixed text form, strategy id hashes, hex and debug texts.
#include "values/fixed_bytes.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "values/hex.hpp"
#include "values/keccak.hpp"

namespace qzr {
namespace {

std::string repeat(std::string_view piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += piece;
  return text;
}

// 21 bytes 00 01 02 ... 14 as 42 digits.
const std::string address_digits = "000102030405060708090a0b0c0d0e0f1011121314";

// A reader's result as text: the value's hex form, or "error: " and the error's display text
// (what Python sees in QzrCommonError).
template <class T>
std::string outcome(const Result<T>& result) {
  if (!result) return "error: " + result.error().display();
  return to_hex(*result);
}

struct ReadCase {
  const char* what;
  std::function<std::string(std::string_view)> read;
  std::string input;
  std::string expected;
};

const auto read_trader_address = [](std::string_view text) { return outcome(parse_trader_address(text)); };
const auto read_bytes25 = [](std::string_view text) { return outcome(bytes25_from_hex(text)); };
const auto read_strategy_id_hash = [](std::string_view text) {
  return outcome(strategy_id_hash_from_hex(text));
};
const auto read_signature = [](std::string_view text) { return outcome(signature_from_hex(text)); };
const auto read_h160 = [](std::string_view text) { return outcome(parse_h160(text)); };
const auto read_bytes32 = [](std::string_view text) { return outcome(bytes32_from_hex(text)); };

TEST(FixedBytes, StripReading) {
  const std::string ok = "0x" + address_digits;
  // Expected texts from the definition of the strip reading and its worked examples.
  const ReadCase cases[] = {
      {"0x and 42 digits", read_trader_address, "0x" + address_digits, ok},
      {"no 0x", read_trader_address, address_digits, ok},
      {"0x repeated", read_trader_address, "0x0x" + address_digits, ok},
      {"0x inside the digits is removed too", read_trader_address,
       "0"
       "0x" +
           address_digits.substr(1),
       ok},
      {"upper case", read_trader_address, "0x000102030405060708090A0B0C0D0E0F1011121314", ok},
      {"spaces, tabs and line breaks skipped", read_trader_address,
       " 0x0001 0203\t0405\n0607\r08090a0b0c0d0e0f1011121314 \n", ok},
      {"a blank inside a byte", read_trader_address, "0x0 00102030405060708090a0b0c0d0e0f1011121314", ok},
      {"40 digits: an account address without its chain byte", read_trader_address,
       "0x0102030405060708090a0b0c0d0e0f1011121314", "error: Expected exactly 21 bytes"},
      {"44 digits", read_trader_address, "0x" + address_digits + "15", "error: Expected exactly 21 bytes"},
      {"empty text", read_trader_address, "", "error: Expected exactly 21 bytes"},
      {"capital 0X", read_trader_address, "0X" + address_digits,
       "error: Error parsing string into struct: Invalid character 'X' at position 1"},
      {"position counted after removing 0x", read_trader_address, "0x0x12g4",
       "error: Error parsing string into struct: Invalid character 'g' at position 2"},
      {"odd digit count before the byte count", read_trader_address, "0x123",
       "error: Error parsing string into struct: Invalid input length"},
      {"odd digit count of a long text", read_trader_address, "0x" + address_digits + "1",
       "error: Error parsing string into struct: Invalid input length"},
      {"the first bad character wins over an odd count", read_trader_address, "123g",
       "error: Error parsing string into struct: Invalid character 'g' at position 3"},
      {"non-ASCII character, at its byte index", read_trader_address,
       "12\xc3\xa9"
       "34",
       "error: Error parsing string into struct: Invalid character '\xc3\xa9' at position 2"},
      {"form feed is not skipped", read_trader_address, "12\f34",
       "error: Error parsing string into struct: Invalid character '\f' at position 2"},
      {"a bad last digit at the full length", read_trader_address, "0x" + address_digits.substr(0, 41) + "g",
       "error: Error parsing string into struct: Invalid character 'g' at position 41"},
      {"a bad first digit at the full length, no 0x", read_trader_address, "g" + address_digits.substr(1),
       "error: Error parsing string into struct: Invalid character 'g' at position 0"},
      {"a lone x", read_trader_address, "x",
       "error: Error parsing string into struct: Invalid character 'x' at position 0"},
      {"Bytes25", read_bytes25, "0x" + repeat("ab", 25), "0x" + repeat("ab", 25)},
      {"Bytes25 of 24 bytes", read_bytes25, repeat("ab", 24), "error: Expected exactly 25 bytes"},
      {"StrategyIdHash", read_strategy_id_hash, "0x2576EBD1", "0x2576ebd1"},
      {"StrategyIdHash of 5 bytes", read_strategy_id_hash, "0x2576ebd100", "error: Expected exactly 4 bytes"},
      {"Signature", read_signature, "0x" + repeat("1b", 65), "0x" + repeat("1b", 65)},
      {"Signature of 64 bytes", read_signature, repeat("1b", 64), "error: Expected exactly 65 bytes"},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.read(c.input), c.expected);
  }
}

TEST(FixedBytes, FixedReading) {
  const std::string digits64 = repeat("0123456789abcdef", 4);
  const std::string ok64 = "0x" + digits64;
  const std::string digits40 = repeat("89abcdef01", 4);
  // Expected texts from the definition of the fixed reading: the errors' display is the bare
  // hexadecimal error text.
  const ReadCase cases[] = {
      {"64 digits", read_bytes32, digits64, ok64},
      {"one leading 0x", read_bytes32, "0x" + digits64, ok64},
      {"upper case", read_bytes32, "0x" + repeat("0123456789ABCDEF", 4), ok64},
      {"whitespace anywhere, also after the last digit", read_bytes32,
       "0x " + digits64.substr(0, 10) + " \t" + digits64.substr(10) + "\r\n ", ok64},
      {"whitespace before the 0x", read_bytes32, " 0x" + digits64,
       "error: Invalid character 'x' at position 2"},
      {"63 digits", read_bytes32, digits64.substr(1), "error: Invalid input length"},
      {"65 digits", read_bytes32, digits64 + "0", "error: Invalid input length"},
      {"64 digits then another character", read_bytes32, digits64 + "g", "error: Invalid input length"},
      {"0x0x fails at its second x", read_bytes32, "0x0x" + digits64,
       "error: Invalid character 'x' at position 1"},
      {"bad character, position after the dropped 0x", read_bytes32, "0x01234g" + digits64.substr(6),
       "error: Invalid character 'g' at position 5"},
      {"empty text", read_bytes32, "", "error: Invalid input length"},
      {"h160: 40 digits", read_h160, "0x" + digits40, "0x" + digits40},
      {"h160: 42 digits", read_h160, "0x" + digits40 + "00", "error: Invalid input length"},
      {"h160: 0x alone", read_h160, "0x", "error: Invalid input length"},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.read(c.input), c.expected);
  }
}

TEST(FixedBytes, HexReadingErrorVariants) {
  // The strip reading's own failures are Parse, its byte count check and the fixed reading Other.
  EXPECT_EQ(parse_trader_address("0xg").error().kind(), CommonError::Kind::Parse);
  EXPECT_EQ(parse_trader_address("0x00").error().kind(), CommonError::Kind::Other);
  EXPECT_EQ(bytes32_from_hex("0xg").error().kind(), CommonError::Kind::Other);
  EXPECT_EQ(hex_strip_decode("0x0x0a 0B").value(), (std::vector<std::uint8_t>{0x0A, 0x0B}));
  EXPECT_EQ(hex_strip_decode("").value(), std::vector<std::uint8_t>{});
}

// The exact-size strip reading (which reads a text of exactly the wanted digit count in a faster
// way) against the general strip reading hex_strip_decode: for byte counts around the 16- and 4-byte
// groups of the fast way, every byte value in every position of a mixed-case digit text.
TEST(FixedBytes, ExactStripReadingAgreesWithTheGeneralReading) {
  const auto expected_of = [](std::string_view text, std::size_t count) -> std::string {
    const Result<std::vector<std::uint8_t>> bytes = hex_strip_decode(text);
    if (!bytes) return "error: " + bytes.error().display();
    if (bytes->size() != count) return "error: Expected exactly " + std::to_string(count) + " bytes";
    return to_hex_text(*bytes);
  };
  const auto read_exact = [](std::string_view text, std::size_t count) -> std::string {
    std::vector<std::uint8_t> out(count);
    if (const Result<void> read = hex_strip_decode_exact(text, out); !read)
      return "error: " + read.error().display();
    return to_hex_text(out);
  };
  const std::string all_digits = "0123456789abcdefABCDEF";
  for (const std::size_t count : {1, 3, 4, 5, 8, 9, 16, 17, 21, 25, 32, 33}) {
    std::string digits;
    for (std::size_t i = 0; i < 2 * count; ++i) digits += all_digits[(i * 7 + count) % all_digits.size()];
    for (const std::string_view prefix : {"", "0x"}) {
      SCOPED_TRACE(std::to_string(count) + " bytes, prefix \"" + std::string(prefix) + "\"");
      EXPECT_EQ(read_exact(std::string(prefix) + digits, count),
                expected_of(std::string(prefix) + digits, count));
      for (std::size_t position = 0; position < digits.size(); ++position) {
        for (int byte = 0; byte < 256; ++byte) {
          std::string text = std::string(prefix) + digits;
          text[prefix.size() + position] = static_cast<char>(byte);
          const std::string expected = expected_of(text, count);
          const std::string got = read_exact(text, count);
          if (got != expected) {
            ADD_FAILURE() << "byte " << byte << " at digit " << position << ": " << got << " instead of "
                          << expected;
          }
        }
      }
    }
  }
}

TEST(FixedBytes, HexTextForms) {
  TraderAddress address;
  address.bytes = {0x00, 0xab, 0xcd, 0xef, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07,
                   0x08, 0x09, 0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f, 0x12, 0x34};
  EXPECT_EQ(to_hex(address), "0x00abcdef0102030405060708090a0b0c0d0e0f1234");
  // Worked example: chain byte 00, account bytes ab cd ef ... 12 34.
  EXPECT_EQ(trader_address_short_display(address), "0xabc..34");
  EXPECT_EQ(to_hex(TraderAddress{}), "0x" + std::string(42, '0'));
  EXPECT_EQ(to_hex(StrategyIdHash{{0x29, 0x0d, 0xec, 0xd9}}), "0x290decd9");

  AccountAddress account;
  for (std::size_t i = 0; i < account.size; ++i)
    account.bytes[i] = static_cast<std::uint8_t>(0x11 * (i % 15 + 1));
  const TraderAddress from_account = trader_address_from_h160(account);
  EXPECT_EQ(from_account.bytes[0], 0);
  EXPECT_EQ(to_hex(from_account), "0x00" + to_hex(account).substr(2));
}

TEST(FixedBytes, LengthPrefixedText) {
  struct Case {
    const char* what;
    std::string text;
    bool accepted;
  };
  // The limit counts UTF-8 bytes, not characters.
  const Case cases[] = {
      {"empty", "", true},
      {"ASCII", "main", true},
      {"31 bytes", std::string(31, 'a'), true},
      {"32 bytes", std::string(32, 'a'), false},
      {"15 two-byte characters (30 bytes)", repeat("\xc3\xa9", 15), true},
      {"16 two-byte characters (32 bytes)", repeat("\xc3\xa9", 16), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Result<StrategyId> id = strategy_id_from_text(c.text);
    ASSERT_EQ(id.has_value(), c.accepted);
    if (!c.accepted) {
      EXPECT_EQ(id.error().kind(), CommonError::Kind::Other);
      EXPECT_EQ(id.error().display(), "Bytes32 has 31 utf8 bytes prefixed with 1 length byte");
      continue;
    }
    EXPECT_EQ(id->bytes[0], c.text.size());
    EXPECT_EQ(std::string(id->bytes.begin() + 1, id->bytes.begin() + 1 + c.text.size()), c.text);
    for (std::size_t i = 1 + c.text.size(); i < 32; ++i) EXPECT_EQ(id->bytes[i], 0) << i;
    EXPECT_EQ(strategy_id_text(*id), c.text);
    EXPECT_EQ(bytes32_text_display(bytes32_from_text(c.text).value()), c.text);
  }
}

TEST(FixedBytes, Bytes32DisplayOfForeignBytes) {
  struct Case {
    const char* what;
    Bytes32 value;
    std::string text;
  };
  Bytes32 long_length;
  long_length.bytes.fill('z');
  long_length.bytes[0] = 200;
  const Case cases[] = {
      {"length byte above 31 shows the first 31 bytes", long_length, std::string(31, 'z')},
      {"bytes after the length are ignored", Bytes32{{2, 'o', 'k', 'X', 'Y'}}, "ok"},
      {"invalid UTF-8 becomes U+FFFD", Bytes32{{4, 'a', 0xFF, 0xC3, 'b'}},
       "a\xef\xbf\xbd\xef\xbf\xbd"
       "b"},
      {"a sequence cut by the length", Bytes32{{2, 'a', 0xE2, 0x82, 0xAC}}, "a\xef\xbf\xbd"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(bytes32_text_display(c.value), c.text);
  }
}

TEST(FixedBytes, StrategyIdHash) {
  struct Case {
    std::string name;
    const char* hash;
  };
  // The empty name's hash is a worked example; the others computed with pycryptodome as the first
  // 4 bytes of Keccak-256 over the 32-byte strategy id.
  const Case cases[] = {
      {"", "0x290decd9"},
      {"main", "0x2576ebd1"},
      {std::string(31, 'a'), "0xeb06b8e9"},
      {repeat("\xc3\xa9", 15), "0x4d77ed41"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(to_hex(strategy_id_hash_of(strategy_id_from_text(c.name).value())), c.hash);
  }
}

TEST(FixedBytes, DebugTexts) {
  TraderAddress address;
  address.bytes[20] = 0x42;
  Bytes25 order_hash;
  for (std::size_t i = 0; i < order_hash.size; ++i) order_hash.bytes[i] = static_cast<std::uint8_t>(i * 10);
  Hash hash;
  hash.bytes[0] = 0xAB;
  Signature signature;
  signature.bytes[64] = 0x1c;
  TokenAddress token;
  token.bytes[19] = 0x01;

  struct Case {
    std::string text;
    std::string expected;
  };
  const std::string address_hex = "0x" + std::string(40, '0') + "42";
  const std::string hash_hex = "0xab" + std::string(62, '0');
  // Expected texts from the debug-text table of the byte types.
  const Case cases[] = {
      {debug_text(address), "TraderAddress(\"" + address_hex + "\")"},
      {debug_text(SignerAddress{address.bytes}), "SignerAddress(\"" + address_hex + "\")"},
      {debug_text(InsuranceFundContributorAddress{address.bytes}),
       "InsuranceFundContributorAddress(\"" + address_hex + "\")"},
      {debug_text(signature), "Signature(\"0x" + std::string(128, '0') + "1c\")"},
      {debug_text(StrategyIdHash{{0x29, 0x0d, 0xec, 0xd9}}), "StrategyIdHash(\"0x290decd9\")"},
      {debug_text(strategy_id_from_text("main").value()), "StrategyId(\"main\")"},
      {debug_text(strategy_id_from_text("say \"hi\"\n").value()), "StrategyId(\"say \\\"hi\\\"\\n\")"},
      {debug_text(order_hash),
       "Bytes25([0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120, 130, 140, 150, 160, 170, 180, 190, "
       "200, 210, "
       "220, 230, 240])"},
      {debug_text(hash), "Hash(" + hash_hex + ")"},
      {debug_text(ReleaseHash{hash.bytes}), "ReleaseHash(Hash(" + hash_hex + "))"},
      {debug_text(token), "TokenAddress(0x" + std::string(38, '0') + "01)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(c.text, c.expected);
  }
}

TEST(FixedBytes, EqualityOrderAndHashStream) {
  const TraderAddress low{{0x00, 0xFF}};
  const TraderAddress high{{0x01, 0x00}};
  EXPECT_LT(low, high);  // unsigned bytes from byte 0 on
  EXPECT_EQ(low, (TraderAddress{{0x00, 0xFF}}));
  EXPECT_NE(low, high);

  // A fixed byte field hashes as its length (u64) and its bytes.
  SipHasher13 field;
  StrategyIdHash{{1, 2, 3, 4}}.hash_into(field);
  const std::uint8_t message[] = {4, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4};
  EXPECT_EQ(field.finish(), siphash13(message));

  const Keccak256Digest digest = keccak256(std::string_view("abc"));
  const Bytes25 prefix = Bytes25::prefix_of(std::span<const std::uint8_t, 32>(digest));
  EXPECT_TRUE(std::equal(prefix.bytes.begin(), prefix.bytes.end(), digest.begin()));
}

// bytes_equal reads whole words, the last one overlapping the one before it: every byte of every
// size still decides, one bit at a time, at run time and in constant evaluation alike.
template <std::size_t N>
void expect_every_byte_decides() {
  SCOPED_TRACE(N);
  std::array<std::uint8_t, N> a{};
  for (std::size_t i = 0; i < N; ++i) a[i] = static_cast<std::uint8_t>(0x5A + 3 * i);
  EXPECT_TRUE(bytes_equal(a, a));
  for (std::size_t i = 0; i < N; ++i) {
    for (int bit = 0; bit < 8; ++bit) {
      std::array<std::uint8_t, N> b = a;
      b[i] ^= static_cast<std::uint8_t>(1u << bit);
      EXPECT_FALSE(bytes_equal(a, b)) << "byte " << i << ", bit " << bit;
      EXPECT_EQ(bytes_equal(a, b), a == b);
    }
  }
}

TEST(FixedBytes, EqualityReadsEveryByte) {
  // Every size of the byte types (4, 6 for a product symbol, 20, 21, 25, 32, 65) and those around
  // the word boundaries.
  [&]<std::size_t... N>(std::index_sequence<N...>) { (expect_every_byte_decides<N>(), ...); }
  (std::index_sequence<1, 2, 3, 4, 5, 6, 7, 8, 9, 15, 16, 17, 20, 21, 25, 31, 32, 33, 65>{});
  static_assert(bytes_equal(std::array<std::uint8_t, 21>{1, 2}, std::array<std::uint8_t, 21>{1, 2}));
  static_assert(!bytes_equal(std::array<std::uint8_t, 21>{1, 2}, std::array<std::uint8_t, 21>{1, 3}));
  EXPECT_NE((TraderAddress{{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}}),
            TraderAddress{});
}

}  // namespace
}  // namespace qzr
