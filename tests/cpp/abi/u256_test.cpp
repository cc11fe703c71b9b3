// U256: conversions, width checks, two's complement and decimal text. Decimal values computed with
// Python's arbitrary-precision int.
#include "abi/u256.hpp"

#include <gtest/gtest.h>

#include "abi_test_support.hpp"

namespace qzr::abi {
namespace {

using testing::from_hex;

U256 from_hex_word(const char* hex) {
  std::vector<std::uint8_t> bytes = from_hex(hex);
  Word word{};
  std::copy(bytes.begin(), bytes.end(), word.begin() + static_cast<std::ptrdiff_t>(32 - bytes.size()));
  return U256::from_be_bytes(word);
}

TEST(U256, WidthChecksDecimalTextAndSign) {
  struct Case {
    const char* hex;  // big-endian, left-padded with zeros to 32 bytes
    const char* decimal;
    bool fits_u64;
    bool fits_u128;
    std::uint64_t low_u64;
    bool negative;
  };
  static const Case cases[] = {
      {"00", "0", true, true, 0, false},
      {"2a", "42", true, true, 42, false},
      {"ffffffffffffffff", "18446744073709551615", true, true, UINT64_MAX, false},
      {"010000000000000000", "18446744073709551616", false, true, 0, false},
      {"ffffffffffffffffffffffffffffffff", "340282366920938463463374607431768211455", false, true, UINT64_MAX,
       false},
      {"0100000000000000000000000000000000", "340282366920938463463374607431768211456", false, false, 0,
       false},
      {"0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef",
       "514631507721405306298073637848375664226723355710112857507800679889911926255", false, false,
       0x0123456789abcdef, false},
      {"8000000000000000000000000000000000000000000000000000000000000000",
       "57896044618658097711785492504343953926634992332820282019728792003956564819968", false, false, 0,
       true},
      {"ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff",
       "115792089237316195423570985008687907853269984665640564039457584007913129639935", false, false,
       UINT64_MAX, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hex);
    U256 value = from_hex_word(c.hex);
    EXPECT_EQ(value.to_decimal(), c.decimal);
    EXPECT_EQ(value.fits_u64(), c.fits_u64);
    EXPECT_EQ(value.fits_u128(), c.fits_u128);
    EXPECT_EQ(value.low_u64(), c.low_u64);
    EXPECT_EQ(value.to_u64().has_value(), c.fits_u64);
    EXPECT_EQ(value.to_u128().has_value(), c.fits_u128);
    EXPECT_EQ(value.is_negative_twos_complement(), c.negative);
    EXPECT_EQ(value.is_zero(), std::string(c.decimal) == "0");
  }
}

TEST(U256, ConstructorsWriteBigEndianWords) {
  Uint128 big = (Uint128{0x0102030405060708} << 64) | 0x090a0b0c0d0e0f10;
  EXPECT_EQ(U256::from_u128(big), from_hex_word("0102030405060708090a0b0c0d0e0f10"));
  EXPECT_EQ(U256::from_u128(big).to_u128(), big);
  EXPECT_EQ(U256::from_u64(0x1234).be_bytes()[30], 0x12);
  EXPECT_EQ(U256::from_u64(0x1234).to_u64(), 0x1234u);
  EXPECT_EQ(U256::from_i64(-1),
            from_hex_word("ffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffffff"));
  EXPECT_EQ(U256::from_i64(INT64_MIN),
            from_hex_word("ffffffffffffffffffffffffffffffffffffffffffffffff8000000000000000"));
  EXPECT_EQ(U256::from_i64(5), U256::from_u64(5));
}

TEST(U256, TwosComplementNegationAndOrder) {
  EXPECT_EQ(U256::from_i64(-5).twos_complement_negated(), U256::from_u64(5));
  EXPECT_EQ(U256::from_u64(5).twos_complement_negated(), U256::from_i64(-5));
  EXPECT_EQ(U256().twos_complement_negated(), U256());
  U256 min_int = from_hex_word("8000000000000000000000000000000000000000000000000000000000000000");
  EXPECT_EQ(min_int.twos_complement_negated(), min_int);

  EXPECT_LT(U256::from_u64(1), U256::from_u64(2));
  EXPECT_LT(U256::from_u64(UINT64_MAX), from_hex_word("010000000000000000"));
  EXPECT_GT(min_int, U256::from_u128(~Uint128{0}));
}

}  // namespace
}  // namespace qzr::abi
