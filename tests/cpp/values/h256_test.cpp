// H256: bit numbering, tree operations, order and text forms, with the worked examples of the
// value's definition.
#include "values/h256.hpp"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <utility>

namespace qzr {
namespace {

// A value with the given bytes set: {index, byte} pairs, every other byte zero.
H256 with_bytes(std::initializer_list<std::pair<int, std::uint8_t>> bytes) {
  H256::Bytes value{};
  for (const auto& [index, byte] : bytes) value[index] = byte;
  return H256(value);
}

H256 ascending() {
  H256::Bytes value;
  for (int i = 0; i < 32; ++i) value[i] = static_cast<std::uint8_t>(i);
  return H256(value);
}

H256 all_ones() {
  H256::Bytes value;
  value.fill(0xFF);
  return H256(value);
}

TEST(H256, BitNumbering) {
  struct Case {
    std::uint8_t bit;
    int byte;
    std::uint8_t mask;
  };
  // Bit i is bit (i mod 8) of byte i / 8, bit 0 being the least significant.
  constexpr Case cases[] = {{0, 0, 0x01},    {7, 0, 0x80},    {8, 1, 0x01},
                            {100, 12, 0x10}, {254, 31, 0x40}, {255, 31, 0x80}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int{c.bit});
    H256 value;
    value.set_bit(c.bit);
    EXPECT_EQ(value, with_bytes({{c.byte, c.mask}}));
    EXPECT_TRUE(value.get_bit(c.bit));
    for (int other = 0; other < 256; ++other) {
      if (other != c.bit) {
        EXPECT_FALSE(value.get_bit(static_cast<std::uint8_t>(other))) << other;
      }
    }
    value.set_bit(c.bit);  // setting twice keeps it set
    EXPECT_TRUE(value.get_bit(c.bit));

    H256 ones = all_ones();
    ones.clear_bit(c.bit);
    EXPECT_FALSE(ones.get_bit(c.bit));
    EXPECT_EQ(ones.bytes()[c.byte], static_cast<std::uint8_t>(~c.mask));
    ones.clear_bit(c.bit);  // clearing twice keeps it clear
    EXPECT_FALSE(ones.get_bit(c.bit));
    value.clear_bit(c.bit);
    EXPECT_TRUE(value.is_zero());
  }
}

TEST(H256, ForkHeight) {
  struct Case {
    const char* what;
    H256 a;
    H256 b;
    std::uint8_t height;
  };
  // Worked examples: the highest differing bit; 0 for equal values and for bit 0 alone.
  const Case cases[] = {
      {"only byte 31 = 0x80 against zero", with_bytes({{31, 0x80}}), H256::zero(), 255},
      {"only byte 0 = 0x01 against zero", with_bytes({{0, 0x01}}), H256::zero(), 0},
      {"zero against zero", H256::zero(), H256::zero(), 0},
      {"equal non-zero values", ascending(), ascending(), 0},
      {"lower differences do not matter", with_bytes({{25, 0x01}, {0, 0xFF}}), with_bytes({{0, 0x0F}}), 200},
      {"within one byte", with_bytes({{3, 0x30}}), with_bytes({{3, 0x20}}), 28},
      {"byte 1 bit 0", with_bytes({{1, 0x01}}), H256::zero(), 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.a.fork_height(c.b), c.height);
    EXPECT_EQ(c.b.fork_height(c.a), c.height);
  }
}

TEST(H256, CopyBitsAndParentPath) {
  struct Case {
    const char* what;
    H256 result;
    H256 expected;
  };
  const H256 ones = all_ones();
  const H256 top = with_bytes({{31, 0x80}});
  H256 ones_without_bit_0 = ones;
  ones_without_bit_0.clear_bit(0);
  const Case cases[] = {
      // Worked examples of the value's definition.
      {"copy_bits(0) is the whole value", ones.copy_bits(0), ones},
      {"copy_bits(8) clears byte 0 only", ones.copy_bits(8),
       []() {
         H256::Bytes b;
         b.fill(0xFF);
         b[0] = 0;
         return H256(b);
       }()},
      {"copy_bits(9) clears byte 0 and bit 0 of byte 1", ones.copy_bits(9),
       []() {
         H256::Bytes b;
         b.fill(0xFF);
         b[0] = 0;
         b[1] = 0xFE;
         return H256(b);
       }()},
      {"copy_bits(255) keeps only bit 255", ones.copy_bits(255), top},
      {"copy_bits(13) of the ascending bytes", ascending().copy_bits(13),
       []() {
         H256::Bytes b;
         for (int i = 0; i < 32; ++i) b[i] = static_cast<std::uint8_t>(i);
         b[0] = 0;
         b[1] = 0;  // byte 1 is 0x01: its bits 0-4 are cleared
         return H256(b);
       }()},
      {"parent_path(0) clears bit 0", ones.parent_path(0), ones_without_bit_0},
      {"parent_path(254) of bit 255 alone is the value itself", top.parent_path(254), top},
      {"parent_path(255) is zero", top.parent_path(255), H256::zero()},
      {"parent_path(7) is copy_bits(8)", ascending().parent_path(7), ascending().copy_bits(8)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.result, c.expected);
  }
}

TEST(H256, OrderComparesFromByte31Down) {
  struct Case {
    const char* what;
    H256 a;
    H256 b;
    std::strong_ordering order;
  };
  const Case cases[] = {
      // Worked example: byte 31 outweighs byte 0.
      {"byte 31 = 1 against byte 0 = 0xFF", with_bytes({{31, 1}}), with_bytes({{0, 0xFF}}),
       std::strong_ordering::greater},
      {"byte 0 decides when the rest is equal", with_bytes({{5, 9}, {0, 1}}), with_bytes({{5, 9}, {0, 2}}),
       std::strong_ordering::less},
      {"bytes compare unsigned", with_bytes({{16, 0x80}}), with_bytes({{16, 0x7F}}),
       std::strong_ordering::greater},
      {"equal", ascending(), ascending(), std::strong_ordering::equal},
      {"zero is the least", H256::zero(), with_bytes({{0, 1}}), std::strong_ordering::less},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.a <=> c.b, c.order);
    EXPECT_EQ(c.a == c.b, c.order == std::strong_ordering::equal);
  }
}

TEST(H256, FromSlice) {
  struct Case {
    std::size_t length;
    bool accepted;
  };
  constexpr Case cases[] = {{0, false}, {31, false}, {32, true}, {33, false}};
  std::uint8_t buffer[33];
  for (int i = 0; i < 33; ++i) buffer[i] = static_cast<std::uint8_t>(i);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const std::optional<H256> value = H256::from_slice(std::span(buffer, c.length));
    ASSERT_EQ(value.has_value(), c.accepted);
    if (c.accepted) {
      EXPECT_EQ(*value, ascending());
    }
  }
  EXPECT_EQ(h256_invalid_length_text, "Invalid length for H256: could not convert slice to array");
}

TEST(H256, TextForms) {
  struct Case {
    H256 value;
    const char* hex;
    const char* debug;
  };
  // Worked examples: hex is byte 0 first; debug lists the bytes in decimal.
  const Case cases[] = {
      {H256::zero(), "0x0000000000000000000000000000000000000000000000000000000000000000",
       "H256([0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "
       "0])"},
      {ascending(), "0x000102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f",
       "H256([0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, "
       "26, 27, "
       "28, 29, 30, 31])"},
      {with_bytes({{31, 0xAB}}), "0x00000000000000000000000000000000000000000000000000000000000000ab",
       "H256([0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "
       "171])"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hex);
    EXPECT_EQ(to_hex(c.value), c.hex);
    EXPECT_EQ(debug_text(c.value), c.debug);
  }
}

TEST(H256, OperationsAreConstexpr) {
  constexpr H256 value = [] {
    H256 v;
    v.set_bit(200);
    v.set_bit(3);
    return v;
  }();
  static_assert(value.fork_height(H256::zero()) == 200);
  static_assert(value.copy_bits(4).fork_height(H256::zero()) == 200);
  static_assert(!value.copy_bits(4).get_bit(3));
  static_assert(value > H256::zero());
}

}  // namespace
}  // namespace qzr
