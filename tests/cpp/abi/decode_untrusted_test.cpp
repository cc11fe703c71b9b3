// The decoder on bytes that no canonical encoder writes: the lenient readings it accepts and the
// malformed inputs (truncations, offsets, lengths and counts out of range, shared tails) that must
// fail with the codec error, without reading out of bounds or allocating by an untrusted size.
// Every vector is built by hand word by word; run this suite under the sanitizer build.
#include <gtest/gtest.h>

#include <optional>

#include "abi/decode.hpp"
#include "abi_test_support.hpp"

namespace qzr::abi {
namespace {

using namespace testing;
using P = ParamType;

const std::string max_word(64, 'f');                          // 2^256 - 1
const std::string top_bit_word = "8" + std::string(63, '0');  // 2^255
const std::string two_pow_64 = std::string(47, '0') + "1" + std::string(16, '0');
const std::string u64_max = std::string(48, '0') + std::string(16, 'f');
const std::string zero_word(64, '0');

std::string words(std::initializer_list<std::string> parts) {
  std::string out;
  for (const std::string& part : parts) out += part;
  return out;
}

std::string w(std::uint64_t value) { return word_hex(value); }

std::string repeat(const std::string& part, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += part;
  return out;
}

struct Case {
  std::string name;
  std::vector<ParamType> types;
  std::string input;  // hex
  // The tokens, or nullopt when decoding must fail.
  std::optional<std::vector<Token>> expected;
};

Address address_of(std::uint8_t fill) {
  Address address;
  address.fill(fill);
  return address;
}

std::vector<Case> cases() {
  const std::vector<ParamType> one_uint = {P::unsigned_int(256)};
  const std::vector<ParamType> one_bytes = {P::bytes()};
  const std::vector<ParamType> uint_array = {P::array(P::unsigned_int(256))};
  const std::vector<ParamType> nested_array = {P::array(P::array(P::unsigned_int(256)))};
  const Word all_ones = [] {
    Word word;
    word.fill(0xff);
    return word;
  }();
  return {
      // Lenient readings (non-canonical bytes that decode).
      {"bytes after the decoded data are ignored", one_uint, w(5) + "01020304050607", {{uint_token(5)}}},
      {"uint8 is read as the whole word: 256 is not refused",
       {P::unsigned_int(8)},
       w(256),
       {{uint_token(256)}}},
      {"uint64 keeps bits above bit 63",
       {P::unsigned_int(64)},
       max_word,
       {{Token::unsigned_int(U256::from_be_bytes(all_ones))}}},
      {"int8 is read as the whole word: 0x80 stays positive",
       {P::signed_int(8)},
       w(0x80),
       {{int_token(0x80)}}},
      {"address: the 12 bytes above the address are not checked",
       {P::address()},
       "ffffffffffffffffffffffff" + std::string(40, '1'),
       {{Token::address(address_of(0x11))}}},
      {"bytes2: the padding after the two bytes is not checked",
       {P::fixed_bytes(2)},
       "6162" + std::string(60, 'f'),
       {{text_fixed_bytes("ab")}}},
      {"bytes: dirty padding is not checked",
       one_bytes,
       w(0x20) + w(3) + "616263" + std::string(58, 'e'),
       {{text_bytes("abc")}}},
      {"bytes: data at the end of the input need not be padded",
       one_bytes,
       w(0x20) + w(3) + "616263",
       {{text_bytes("abc")}}},
      {"string: invalid UTF-8 is replaced by U+FFFD",
       {P::string()},
       w(0x20) + w(3) + "c3284100",
       {{Token::string("\xEF\xBF\xBD(A")}}},
      {"offsets need not be multiples of 32", one_bytes, w(0x21) + "00" + w(1) + "7a", {{text_bytes("z")}}},
      {"bool 0 and 1",
       {P::boolean(), P::boolean()},
       w(0) + w(1),
       {{Token::boolean(false), Token::boolean(true)}}},
      {"no types: any input, even empty, gives an empty list", {}, "", {{}}},

      // Truncated heads.
      {"empty input", one_uint, "", std::nullopt},
      {"31 bytes where a word is needed", one_uint, std::string(62, '0'), std::nullopt},
      {"static tuple missing its second word",
       {P::tuple({P::unsigned_int(256), P::boolean()})},
       w(1),
       std::nullopt},
      {"uint256[3] with two words", {P::fixed_array(P::unsigned_int(256), 3)}, w(1) + w(2), std::nullopt},
      {"second parameter missing", {P::unsigned_int(256), P::address()}, w(1), std::nullopt},

      // Non-canonical bools.
      {"bool word 2", {P::boolean()}, w(2), std::nullopt},
      {"bool word with a high byte set", {P::boolean()}, "01" + std::string(60, '0') + "01", std::nullopt},

      // Offsets.
      {"offset equal to the input size: no room for the length", one_bytes, w(0x40) + zero_word,
       std::nullopt},
      {"offset one word past the end", one_bytes, w(0x60) + zero_word, std::nullopt},
      {"offset 2^64 - 1", one_bytes, u64_max, std::nullopt},
      {"offset 2^64", one_bytes, two_pow_64, std::nullopt},
      {"offset 2^255", one_bytes, top_bit_word, std::nullopt},
      {"offset 2^256 - 1", one_bytes, max_word, std::nullopt},
      {"offset of a nested array's element 2^256 - 1", nested_array, w(0x20) + w(1) + max_word, std::nullopt},

      // Lengths.
      {"length one byte more than the input holds", one_bytes, w(0x20) + w(33) + repeat("11", 32),
       std::nullopt},
      {"length 2^64 - 1", one_bytes, w(0x20) + u64_max, std::nullopt},
      {"length 2^64", one_bytes, w(0x20) + two_pow_64, std::nullopt},
      {"length 2^255", one_bytes, w(0x20) + top_bit_word, std::nullopt},
      {"length 2^256 - 1", {P::string()}, w(0x20) + max_word, std::nullopt},
      {"second string of an array claims 2^256 - 1 bytes",
       {P::array(P::string())},
       w(0x20) + w(2) + w(0x40) + w(0x80) + w(1) + "61" + std::string(62, '0') + max_word,
       std::nullopt},

      // Counts.
      {"count one more than the words left", uint_array, w(0x20) + w(3) + w(1) + w(2), std::nullopt},
      {"count 2^59: times 32 wraps a 64-bit size", uint_array, w(0x20) + w(std::uint64_t{1} << 59),
       std::nullopt},
      {"count 2^64 - 1", uint_array, w(0x20) + u64_max, std::nullopt},
      {"count 2^255", uint_array, w(0x20) + top_bit_word, std::nullopt},
      {"count 2^256 - 1 of dynamic elements", {P::array(P::bytes())}, w(0x20) + max_word, std::nullopt},
      {"count of static tuples checked against their whole size",
       {P::array(P::tuple({P::unsigned_int(256), P::unsigned_int(256)}))},
       w(0x20) + w(2) + w(1) + w(2) + w(3),
       std::nullopt},
      {"inner array of a nested array claims 2^64 - 1 elements", nested_array,
       w(0x20) + w(1) + w(0x20) + u64_max, std::nullopt},
      {"inner array of a nested array claims 2^256 - 1 elements", nested_array,
       w(0x20) + w(1) + w(0x20) + max_word, std::nullopt},

      // Shared tails: the decoder never reads more bytes than the input holds.
      {"two bytes parameters sharing one tail",
       {P::bytes(), P::bytes()},
       w(0x40) + w(0x40) + w(1) + "61",
       std::nullopt},
      {"an offset pointing back at itself", one_bytes, zero_word, std::nullopt},
      {"100 arrays sharing one 100-element tail (10,000 elements from 6 KB)", nested_array,
       w(0x20) + w(100) + repeat(w(100 * 32), 100) + w(100) + repeat(w(7), 100), std::nullopt},
  };
}

TEST(AbiDecodeUntrusted, AcceptsLenientFormsAndRefusesMalformedInput) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    Result<std::vector<Token>> decoded = decode(c.types, from_hex(c.input));
    if (c.expected) {
      EXPECT_TRUE(decoded.has_value()) << decoded.error().debug();
      if (decoded) {
        EXPECT_EQ(*decoded, *c.expected);
      }
    } else {
      EXPECT_FALSE(decoded.has_value()) << "decoded " << (decoded->empty() ? "" : decoded->front().debug());
      if (decoded) continue;
      EXPECT_EQ(decoded.error().kind(), CommonError::Kind::AbiCodec);
      EXPECT_EQ(decoded.error().display(), "Invalid data");
      EXPECT_EQ(decoded.error().debug(), "AbiCodec(InvalidData)");
    }
  }
}

TEST(AbiDecodeUntrusted, EveryTruncationOfAValidEncodingFails) {
  // (uint256,string,uint32[],(bool,bytes)) holding "hi", [1, 2] and (true, "xyz"), written by hand.
  const std::vector<ParamType> types = {P::unsigned_int(256), P::string(), P::array(P::unsigned_int(32)),
                                        P::tuple({P::boolean(), P::bytes()})};
  const std::vector<std::uint8_t> full = from_hex(words({
      w(7), w(0x80), w(0xc0), w(0x120),                     // heads
      w(2), "6869" + std::string(60, '0'),                  // "hi"
      w(2), w(1), w(2),                                     // [1, 2]
      w(1), w(0x40), w(3), "78797a" + std::string(58, '0')  // (true, "xyz")
  }));
  ASSERT_TRUE(decode(types, full).has_value());
  // Only the last word's padding may go: "xyz" needs its 3 data bytes.
  const std::size_t shortest_valid = full.size() - 29;
  for (std::size_t size = 0; size < full.size(); ++size) {
    SCOPED_TRACE(size);
    std::span<const std::uint8_t> prefix(full.data(), size);
    EXPECT_EQ(decode(types, prefix).has_value(), size >= shortest_valid);
  }
}

}  // namespace
}  // namespace qzr::abi
