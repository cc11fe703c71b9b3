// Round trips through the encoder and decoder of random nested token trees and their types, from a
// seeded generator (the same trees on every run).
#include <gtest/gtest.h>

#include <random>

#include "abi/decode.hpp"
#include "abi_encoder.hpp"
#include "abi_test_support.hpp"

namespace qzr::abi {
namespace {

using P = ParamType;

class TreeGenerator {
 public:
  explicit TreeGenerator(std::uint64_t seed) : m_engine(seed) {}

  ParamType type(int depth) {
    int leaf_kinds = 7;
    int kinds = depth > 0 ? leaf_kinds + 3 : leaf_kinds;
    switch (below(kinds)) {
      case 0: return P::address();
      case 1: return P::bytes();
      case 2: return P::signed_int(8 * (1 + below(32)));
      case 3: return P::unsigned_int(8 * (1 + below(32)));
      case 4: return P::boolean();
      case 5: return P::string();
      case 6: return P::fixed_bytes(1 + below(32));
      case 7: return P::array(type(depth - 1));
      case 8: return P::fixed_array(type(depth - 1), 1 + below(3));
      default: {
        std::vector<ParamType> elements;
        std::size_t count = 1 + below(4);
        for (std::size_t i = 0; i < count; ++i) elements.push_back(type(depth - 1));
        return P::tuple(std::move(elements));
      }
    }
  }

  Token token(const ParamType& type) {
    switch (type.kind()) {
      case P::Kind::Address: {
        Address address;
        for (std::uint8_t& byte : address) byte = random_byte();
        return Token::address(address);
      }
      case P::Kind::Bytes: return Token::bytes(random_bytes(below(70)));
      case P::Kind::Int: return Token::signed_int(integer(type.bits(), true));
      case P::Kind::Uint: return Token::unsigned_int(integer(type.bits(), false));
      case P::Kind::Bool: return Token::boolean(below(2) == 1);
      case P::Kind::String: return Token::string(text());
      case P::Kind::FixedBytes: return Token::fixed_bytes(random_bytes(type.byte_count()));
      case P::Kind::Array: {
        std::vector<Token> elements;
        std::size_t count = below(5);
        for (std::size_t i = 0; i < count; ++i) elements.push_back(token(type.element()));
        return Token::array(std::move(elements));
      }
      case P::Kind::FixedArray: {
        std::vector<Token> elements;
        for (std::size_t i = 0; i < type.length(); ++i) elements.push_back(token(type.element()));
        return Token::fixed_array(std::move(elements));
      }
      case P::Kind::Tuple: {
        std::vector<Token> elements;
        for (const ParamType& element : type.elements()) elements.push_back(token(element));
        return Token::tuple(std::move(elements));
      }
    }
    return Token::boolean(false);
  }

  std::size_t below(std::size_t bound) { return static_cast<std::size_t>(m_engine() % bound); }

 private:
  std::uint8_t random_byte() { return static_cast<std::uint8_t>(m_engine()); }

  std::vector<std::uint8_t> random_bytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& byte : bytes) byte = random_byte();
    return bytes;
  }

  // A value that fits `bits`: the low bits random, the rest zero (uint) or copies of the sign bit
  // (int); small values and extremes come up often.
  U256 integer(std::size_t bits, bool is_signed) {
    Word word{};
    std::size_t shape = below(4);
    for (std::size_t i = 0; i < 32; ++i) {
      word[i] = shape == 0 ? 0 : shape == 1 ? 0xff : random_byte();
    }
    if (shape == 0) word[31] = random_byte();
    std::size_t value_bytes = bits / 8;
    bool negative = is_signed && (word[32 - value_bytes] & 0x80) != 0;
    for (std::size_t i = 0; i < 32 - value_bytes; ++i) word[i] = negative ? 0xff : 0x00;
    return U256::from_be_bytes(word);
  }

  std::string text() {
    static const char* const pieces[] = {
        "a", "Z", " ", "\"", "\\", "\n", "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80"};
    std::string out;
    std::size_t count = below(40);
    for (std::size_t i = 0; i < count; ++i) out += pieces[below(std::size(pieces))];
    return out;
  }

  std::mt19937_64 m_engine;
};

TEST(AbiRoundTrip, RandomNestedTreesDecodeToWhatWasEncoded) {
  TreeGenerator generator(20240611);
  for (int iteration = 0; iteration < 3000; ++iteration) {
    std::vector<ParamType> types;
    std::size_t count = generator.below(5);
    for (std::size_t i = 0; i < count; ++i) types.push_back(generator.type(4));
    std::vector<Token> tokens;
    for (const ParamType& type : types) tokens.push_back(generator.token(type));

    std::string signature = "(";
    for (const ParamType& type : types) signature += type.signature() + ",";
    SCOPED_TRACE("iteration " + std::to_string(iteration) + ": " + signature + ")");

    std::vector<std::uint8_t> encoded = encode(tokens);
    ASSERT_EQ(encoded.size() % 32, 0u);

    Result<std::vector<Token>> decoded = decode(types, encoded);
    ASSERT_TRUE(decoded.has_value()) << decoded.error().debug();
    ASSERT_EQ(*decoded, tokens);

    // Trailing bytes change nothing.
    std::vector<std::uint8_t> extended = encoded;
    extended.insert(extended.end(), {0xde, 0xad, 0xbe, 0xef});
    Result<std::vector<Token>> decoded_extended = decode(types, extended);
    ASSERT_TRUE(decoded_extended.has_value());
    ASSERT_EQ(*decoded_extended, tokens);

    // Every word of a canonical encoding is read, so losing the last one always fails.
    if (!encoded.empty()) {
      std::span<const std::uint8_t> shortened(encoded.data(), encoded.size() - 32);
      ASSERT_FALSE(decode(types, shortened).has_value());
    }
  }
}

}  // namespace
}  // namespace qzr::abi
