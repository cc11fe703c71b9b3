// The ABI words of the core values and their readers: byte layouts, the recording of amounts on
// the way in and out, and the error texts of every reader.
#include "abi/words.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "abi_encoder.hpp"
#include "abi_test_support.hpp"
#include "values/order_side.hpp"
#include "values/recorded_amount.hpp"

namespace qzr::abi {
namespace {

using namespace testing;

Decimal decimal(std::string_view text) {
  auto value = parse_decimal_text(text);
  if (!value) ADD_FAILURE() << "test amount does not parse: " << text;
  return value.value_or(Decimal::zero());
}

Word word_from_hex(std::string_view text) {
  const std::vector<std::uint8_t> bytes = from_hex(text);
  Word word{};
  if (bytes.size() != word.size()) {
    ADD_FAILURE() << "test word is not 32 bytes: " << text;
    return word;
  }
  std::copy(bytes.begin(), bytes.end(), word.begin());
  return word;
}

std::string word_to_hex(const Word& word) { return to_hex({word.begin(), word.end()}); }

Token uint_word_token(std::string_view hex) {
  return Token::unsigned_int(U256::from_be_bytes(word_from_hex(hex)));
}

// The expected outcome of a reader: a value's text form or an error's display text.
struct Outcome {
  bool ok;
  std::string text;
};
Outcome ok(std::string text) { return {true, std::move(text)}; }
Outcome error(std::string text) { return {false, std::move(text)}; }

template <class T, class Show>
void expect_outcome(const Result<T>& result, const Outcome& expected, Show show) {
  if (expected.ok) {
    ASSERT_TRUE(result.has_value()) << result.error().display();
    EXPECT_EQ(show(*result), expected.text);
  } else {
    ASSERT_FALSE(result.has_value()) << show(*result);
    EXPECT_EQ(result.error().display(), expected.text);
    EXPECT_EQ(result.error().kind(), CommonError::Kind::Other);
  }
}

TEST(SignedDecimalWord, AmountsBecomeRecordedWords) {
  // Expected words: Python's decimal module, quantize(Decimal("0.000001"), ROUND_DOWN) of the
  // absolute value clamped to (2^96 - 1) / 10^6, laid out by hand as flag byte 15 and a 16-byte
  // big-endian magnitude. The first two rows are also the worked example 1500000 = 0x16E360.
  struct Case {
    std::string_view amount;
    std::string_view word;
  };
  static constexpr Case cases[] = {
      {"-1.5", "00000000000000000000000000000001 0000000000000000000000000016e360"},
      {"1.5", "00000000000000000000000000000000 0000000000000000000000000016e360"},
      {"0.0000019", "00000000000000000000000000000000 00000000000000000000000000000001"},
      // The sign is taken before rounding: a negative amount that rounds to zero keeps its flag.
      {"-0.0000001", "00000000000000000000000000000001 00000000000000000000000000000000"},
      {"0", "00000000000000000000000000000000 00000000000000000000000000000000"},
      {"123.4567891", "00000000000000000000000000000000 000000000000000000000000075bcd15"},
      {"-79228162514264337593543.950335",
       "00000000000000000000000000000001 00000000ffffffffffffffffffffffff"},
      // Above the largest recorded amount: clamped, so bytes 16 to 19 stay zero.
      {"79228162514264337593543950335", "00000000000000000000000000000000 00000000ffffffffffffffffffffffff"},
      {"-79228162514264337593543950335", "00000000000000000000000000000001 00000000ffffffffffffffffffffffff"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.amount);
    const Token token = decimal_into_token(decimal(c.amount));
    ASSERT_NE(token.if_uint(), nullptr);
    EXPECT_EQ(word_to_hex(token.if_uint()->be_bytes()), word_to_hex(word_from_hex(c.word)));
    // Inside an ABI value the word is written unchanged.
    const std::vector<std::uint8_t> encoded = encode(std::span<const Token>(&token, 1));
    EXPECT_EQ(to_hex(encoded), word_to_hex(word_from_hex(c.word)));
  }
}

TEST(SignedDecimalWord, WordsReadBackAsRecordedAmounts) {
  // Expected amounts: the magnitude in millionths computed by hand (0x16e360 = 1500000), clamped
  // to (2^96 - 1) / 10^6 = 79228162514264337593543.950335, trailing zeros stripped.
  struct Case {
    std::string_view name;
    Token token;
    Outcome expected;
  };
  const Case cases[] = {
      {"flag 1", uint_word_token("00000000000000000000000000000001 0000000000000000000000000016e360"),
       ok("-1.5")},
      {"flag 0", uint_word_token("00000000000000000000000000000000 0000000000000000000000000016e360"),
       ok("1.5")},
      {"flag byte 2 reads as positive",
       uint_word_token("00000000000000000000000000000002 0000000000000000000000000016e360"), ok("1.5")},
      {"bytes 0 to 14 are ignored",
       uint_word_token("ffffffffffffffffffffffffffffff00 00000000000000000000000000000001"), ok("0.000001")},
      {"negative zero reads as zero",
       uint_word_token("00000000000000000000000000000001 00000000000000000000000000000000"), ok("0")},
      {"largest recorded magnitude",
       uint_word_token("00000000000000000000000000000000 00000000ffffffffffffffffffffffff"),
       ok("79228162514264337593543.950335")},
      {"magnitude 2^96 is clamped",
       uint_word_token("00000000000000000000000000000001 00000001000000000000000000000000"),
       ok("-79228162514264337593543.950335")},
      {"magnitude 2^128 - 1 is clamped",
       uint_word_token("00000000000000000000000000000000 ffffffffffffffffffffffffffffffff"),
       ok("79228162514264337593543.950335")},
      {"signed integer token", int_token(5), error("Token must convert into U256")},
      {"address token", Token::address(Address{}), error("Token must convert into U256")},
      {"tuple token", Token::tuple({uint_token(5)}), error("Token must convert into U256")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result<Decimal> amount = decimal_from_token(c.token);
    expect_outcome(amount, c.expected, [](const Decimal& value) { return value.to_string(); });
    if (amount) {
      EXPECT_FALSE(amount->is_zero() && amount->is_sign_negative());
    }
  }
}

TEST(SignedDecimalWord, RawWordKeepsTheFlagAndMagnitude) {
  // The raw reader keeps a magnitude above 2^96 as it stands; only the decimal reading clamps.
  const Token token = signed_decimal_word_into_token(~Uint128{0}, true);
  const Result<SignedDecimalWord> word = signed_decimal_word_from_token(token);
  ASSERT_TRUE(word.has_value());
  EXPECT_EQ(*word, (SignedDecimalWord{~Uint128{0}, true}));
  EXPECT_EQ(word_to_hex(word->to_word()), "00000000000000000000000000000001ffffffffffffffffffffffffffffffff");
}

TEST(SignedDecimalWord, RecordedAmountsRoundTrip) {
  // A recorded amount survives the word unchanged, whatever its sign.
  for (const std::string_view text : {"0", "1", "-1", "0.000001", "-0.000001", "1.5", "-98765.4321",
                                      "79228162514264337593543.950335", "-79228162514264337593543.950335"}) {
    SCOPED_TRACE(text);
    const Decimal amount = round_recorded_decimal(decimal(text));
    const Result<Decimal> back = decimal_from_token(decimal_into_token(amount));
    ASSERT_TRUE(back.has_value());
    EXPECT_TRUE(back->same_representation(amount)) << back->to_string();
  }
}

TEST(FixedWords, Layouts) {
  // Layouts written by hand from their definitions: 12 zero bytes then the address; the 4 hash
  // bytes then 28 zero bytes.
  AccountAddress address;
  for (std::size_t i = 0; i < address.bytes.size(); ++i)
    address.bytes[i] = static_cast<std::uint8_t>(0xa0 + i);
  EXPECT_EQ(word_to_hex(address_to_word(address.bytes)),
            "000000000000000000000000a0a1a2a3a4a5a6a7a8a9aaabacadaeafb0b1b2b3");
  const StrategyIdHash hash{{0xde, 0xad, 0xbe, 0xef}};
  EXPECT_EQ(word_to_hex(strategy_id_hash_to_word(hash)),
            "deadbeef00000000000000000000000000000000000000000000000000000000");

  const Token address_token = address_into_token(address.bytes);
  ASSERT_NE(address_token.if_address(), nullptr);
  EXPECT_EQ(*address_token.if_address(), address.bytes);
  // An address token encodes as the address word.
  EXPECT_EQ(to_hex(encode(std::span<const Token>(&address_token, 1))),
            word_to_hex(address_to_word(address.bytes)));

  const Word word = word_from_hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
  const Token bytes_token = bytes32_into_token(word);
  ASSERT_NE(bytes_token.if_fixed_bytes(), nullptr);
  EXPECT_EQ(to_hex(*bytes_token.if_fixed_bytes()), word_to_hex(word));
  EXPECT_EQ(into_single_token(word), bytes_token);

  const TraderAddress trader{{0,    0xa0, 0xa1, 0xa2, 0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9,
                              0xaa, 0xab, 0xac, 0xad, 0xae, 0xaf, 0xb0, 0xb1, 0xb2, 0xb3}};
  const Token trader_token = trader_address_into_token(trader);
  ASSERT_NE(trader_token.if_fixed_bytes(), nullptr);
  EXPECT_EQ(to_hex(*trader_token.if_fixed_bytes()), "00a0a1a2a3a4a5a6a7a8a9aaabacadaeafb0b1b2b3");
  const Result<TraderAddress> trader_back = bytes21_from_abi(trader_token);
  ASSERT_TRUE(trader_back.has_value());
  EXPECT_EQ(*trader_back, trader);
}

enum class Reader { H256, SingleH256, U256, U64, Bool, Address, Bytes21, StrategyIdHash };

// A reader's value as hex digits, or its error's display text.
template <class T, class Show>
Outcome outcome_of(const Result<T>& result, Show show) {
  if (!result) return error(result.error().display());
  return ok(show(*result));
}

Outcome read_with(Reader reader, const Token& token) {
  auto digits = [](std::span<const std::uint8_t> bytes) { return to_hex({bytes.begin(), bytes.end()}); };
  switch (reader) {
    case Reader::H256:
      return outcome_of(h256_from_token(token), [&](const H256& v) { return digits(v.bytes()); });
    case Reader::SingleH256:
      return outcome_of(h256_from_tokens(token), [&](const H256& v) { return digits(v.bytes()); });
    case Reader::U256:
      return outcome_of(u256_from_int_token(token), [&](const U256& v) { return digits(v.be_bytes()); });
    case Reader::U64:
      return outcome_of(u64_from_uint_token(token), [](std::uint64_t v) { return std::to_string(v); });
    case Reader::Bool:
      return outcome_of(bool_from_token(token), [](bool v) { return std::string(v ? "true" : "false"); });
    case Reader::Address:
      return outcome_of(address_from_token(token), [&](const Address& v) { return digits(v); });
    case Reader::Bytes21:
      return outcome_of(bytes21_from_abi(token), [&](const TraderAddress& v) { return digits(v.bytes); });
    case Reader::StrategyIdHash:
      return outcome_of(strategy_id_hash_from_token(token),
                        [&](const StrategyIdHash& v) { return digits(v.bytes); });
  }
  return error("unknown reader");
}

TEST(TokenReaders, ShapesAndErrors) {
  // Error texts: the readers' contracts; token debug texts as Token::debug() documents them.
  const std::vector<std::uint8_t> counting =
      from_hex("000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f");
  const std::vector<std::uint8_t> short_bytes(counting.begin(), counting.begin() + 31);
  Address address;
  address.fill(0x11);
  const Token fixed32 = Token::fixed_bytes(counting);
  const Token fixed31 = Token::fixed_bytes(short_bytes);
  const Token fixed21 =
      Token::fixed_bytes(std::vector<std::uint8_t>(counting.begin(), counting.begin() + 21));
  const Token fixed20 =
      Token::fixed_bytes(std::vector<std::uint8_t>(counting.begin(), counting.begin() + 20));
  const Token dynamic32 = Token::bytes(counting);
  const std::string list31 =
      "[0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, "
      "27, 28, "
      "29, 30]";
  const std::string list32 = list31.substr(0, list31.size() - 1) + ", 31]";

  struct Case {
    std::string_view name;
    Reader reader;
    Token token;
    Outcome expected;
  };
  const Case cases[] = {
      {"h256: 32 fixed bytes in order", Reader::H256, fixed32, ok(to_hex(counting))},
      {"h256: 31 fixed bytes", Reader::H256, fixed31, error("Expected `H256`, got " + list31)},
      {"h256: dynamic bytes", Reader::H256, dynamic32, error("Expected `H256`, got Bytes(" + list32 + ")")},
      {"h256: uint", Reader::H256, uint_token(7), error("Expected `H256`, got Uint(7)")},
      {"u256: uint", Reader::U256, uint_token(0x1234), ok(word_hex(0x1234))},
      {"u256: int keeps its two's complement bits", Reader::U256, int_token(-1), ok(std::string(64, 'f'))},
      {"u256: bool", Reader::U256, Token::boolean(true), error("Expected `U256`, got Bool(true)")},
      {"u256: string", Reader::U256, Token::string("5"), error("Expected `U256`, got String(\"5\")")},
      {"single h256: 32 fixed bytes", Reader::SingleH256, fixed32, ok(to_hex(counting))},
      {"single h256: 31 fixed bytes", Reader::SingleH256, fixed31, error("Expected `H256`, got " + list31)},
      {"u64: uint", Reader::U64, uint_token(0x1234), ok("4660")},
      // Lenient: only the low 64 bits are kept, whatever the word holds above them.
      {"u64: uint above 2^64 keeps the low bits", Reader::U64,
       Token::unsigned_int(U256::from_u128((static_cast<Uint128>(7) << 64) | 5)), ok("5")},
      {"u64: int -1 keeps the low bits", Reader::U64, int_token(-1), ok("18446744073709551615")},
      {"u64: bool", Reader::U64, Token::boolean(true), error("Expected `u64`, got Bool(true)")},
      {"u64: fixed bytes", Reader::U64, fixed20,
       error("Expected `u64`, got FixedBytes([0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, "
             "18, "
             "19])")},
      {"bool: true", Reader::Bool, Token::boolean(true), ok("true")},
      {"bool: false", Reader::Bool, Token::boolean(false), ok("false")},
      {"bool: uint 1", Reader::Bool, uint_token(1), error("Expected `bool`, got Uint(1)")},
      {"address: address", Reader::Address, Token::address(address), ok(std::string(40, '1'))},
      {"address: 20 fixed bytes", Reader::Address, fixed20,
       error("Expected `Address`, got FixedBytes([0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, "
             "17, 18, "
             "19])")},
      {"address: uint", Reader::Address, uint_token(5), error("Expected `Address`, got Uint(5)")},
      {"bytes21: 21 fixed bytes", Reader::Bytes21, fixed21,
       ok(to_hex({counting.begin(), counting.begin() + 21}))},
      {"bytes21: 20 fixed bytes", Reader::Bytes21, fixed20, error("Expected exactly 21 bytes")},
      {"bytes21: 32 fixed bytes", Reader::Bytes21, fixed32, error("Expected exactly 21 bytes")},
      {"bytes21: dynamic bytes", Reader::Bytes21, Token::bytes({counting.begin(), counting.begin() + 21}),
       error("Expected fixed bytes in token")},
      {"bytes21: address", Reader::Bytes21, Token::address(address), error("Expected fixed bytes in token")},
      {"strategy hash: the first 4 of 32 bytes", Reader::StrategyIdHash, fixed32, ok("00010203")},
      {"strategy hash: 31 fixed bytes", Reader::StrategyIdHash, fixed31,
       error("Expected `H256`, got " + list31)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome actual = read_with(c.reader, c.token);
    EXPECT_EQ(actual.ok, c.expected.ok) << actual.text;
    EXPECT_EQ(actual.text, c.expected.text);
  }
}

TEST(TokenReaders, ProductSymbolWord) {
  // The word carries the symbol's text (length byte, ASCII), not its packed form; parse errors
  // are product_symbol_from_text's own.
  const ProductSymbol ethp = product_symbol_from_text("ETHP").value();
  struct Case {
    std::string_view name;
    Token token;
    Outcome expected;
  };
  const Case cases[] = {
      {"ETHP word", bytes32_into_token(product_symbol_to_bytes32(ethp).bytes), ok("ETHP")},
      {"hand-written ETHP word",
       Token::fixed_bytes(from_hex("0445544850000000000000000000000000000000000000000000000000000000")),
       ok("ETHP")},
      {"31 fixed bytes fail before parsing",
       Token::fixed_bytes(from_hex("04455448500000000000000000000000000000000000000000000000000000")),
       error("Expected `H256`, got [4, 69, 84, 72, 80, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "
             "0, 0, "
             "0, 0, 0, 0, 0, 0]")},
      {"unknown product kind",
       Token::fixed_bytes(from_hex("0445544858000000000000000000000000000000000000000000000000000000")),
       error("Error parsing string into struct: Unknown product kind X")},
      {"empty text",
       Token::fixed_bytes(from_hex("0000000000000000000000000000000000000000000000000000000000000000")),
       error("Error parsing string into struct: Expected at least 2 characters for product symbol")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Result<ProductSymbol> symbol = product_symbol_from_token(c.token);
    if (c.expected.ok) {
      ASSERT_TRUE(symbol.has_value()) << symbol.error().display();
      EXPECT_EQ(*symbol, ethp);
      EXPECT_EQ(product_symbol_display(*symbol), c.expected.text);
    } else {
      ASSERT_FALSE(symbol.has_value());
      EXPECT_EQ(symbol.error().display(), c.expected.text);
    }
  }
}

TEST(TokenReaders, DiscriminantTupleMember) {
  // Read as OrderSide (Bid 0, Ask 1): a number without a member, 2^64 or more like 2, is out of
  // bounds.
  const Token two_to_the_64 = Token::unsigned_int(U256::from_u128(static_cast<Uint128>(1) << 64));
  struct Case {
    std::string_view name;
    Token token;
    Outcome expected;
  };
  const Case cases[] = {
      {"bid", Token::tuple({uint_token(0)}), ok("Bid")},
      {"ask", Token::tuple({uint_token(1)}), ok("Ask")},
      {"signed discriminant", Token::tuple({int_token(1)}), ok("Ask")},
      {"later elements are ignored", Token::tuple({uint_token(0), Token::boolean(true)}), ok("Bid")},
      {"discriminant 2", Token::tuple({uint_token(2)}), error("Discriminant out of bounds")},
      {"discriminant 2^64", Token::tuple({two_to_the_64}), error("Discriminant out of bounds")},
      {"negative discriminant", Token::tuple({int_token(-1)}), error("Discriminant out of bounds")},
      {"empty tuple", Token::tuple({}), error("Empty token stream")},
      {"uint where the tuple belongs", uint_token(0), error("Not a tuple")},
      {"array", Token::array({uint_token(0)}), error("Not a tuple")},
      {"first element not an integer", Token::tuple({Token::boolean(false)}),
       error("Expected `U256`, got Bool(false)")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    expect_outcome(discriminant_tuple_member(c.token, &enum_from_number<OrderSide>), c.expected,
                   [](OrderSide side) { return std::string(enum_name(side)); });
  }
}

}  // namespace
}  // namespace qzr::abi
