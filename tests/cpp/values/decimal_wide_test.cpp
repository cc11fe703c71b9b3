// The wide integer helpers behind decimal rounding: division by a power of ten through a
// multiplication, and division of a 192-bit value by one word, against the compiler's own
// 128-bit division.
#include "values/decimal_wide.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace qzr::decimal_detail {
namespace {

std::string hex_of(UInt128 value) {
  std::ostringstream text;
  text << std::hex << "0x" << static_cast<std::uint64_t>(value >> 64) << std::setw(16) << std::setfill('0')
       << static_cast<std::uint64_t>(value);
  return text.str();
}

// Values of every bit width, from a fixed seed, and the edges of each power of ten's multiples.
std::vector<UInt128> dividends(std::uint32_t count) {
  const UInt128 unit = pow10_u64[count];
  const UInt128 all_ones = ~UInt128{0};
  std::vector<UInt128> values = {0,
                                 1,
                                 unit - 1,
                                 unit,
                                 unit + 1,
                                 all_ones,
                                 all_ones - unit,
                                 all_ones / unit * unit,
                                 all_ones / unit * unit - 1,
                                 UInt128{1} << 127,
                                 (UInt128{1} << 96) * unit - 1};
  std::mt19937_64 generator(count);
  for (int i = 0; i < 2000; ++i) {
    const UInt128 random = (UInt128{generator()} << 64) | generator();
    values.push_back(random >> (i % 128));
    // Exact multiples and their neighbours, where a quotient estimate that is one off shows.
    const UInt128 multiple = (random >> (i % 128)) / unit * unit;
    values.push_back(multiple);
    if (multiple != 0) values.push_back(multiple - 1);
  }
  return values;
}

TEST(DecimalWide, DivisionByPowersOfTenMatchesTheCompilersDivision) {
  for (std::uint32_t count = 1; count <= 19; ++count) {
    const UInt128 unit = pow10_u64[count];
    for (const UInt128 dividend : dividends(count)) {
      UInt128 quotient = dividend;
      const std::uint64_t remainder = divide_by_pow10(quotient, count);
      if (quotient != dividend / unit || remainder != dividend % unit) {
        ADD_FAILURE() << hex_of(dividend) << " / 10^" << count << " gave " << hex_of(quotient)
                      << " remainder " << remainder;
      }
    }
  }
}

TEST(DecimalWide, DivisionOfThreeWordsByOneMatchesTheCompilersDivision) {
  // The top word is zero in every case, so that the compiler's 128-bit division is the oracle;
  // the division skips leading words below the divisor, which these cases exercise.
  for (std::uint32_t count = 1; count <= 19; ++count) {
    const std::uint64_t unit = pow10_u64[count];
    for (const UInt128 dividend : dividends(count)) {
      U192 quotient = U192::from(dividend);
      const std::uint64_t remainder = divide_in_place(quotient, unit);
      if (!quotient.fits_u128() || quotient.low_u128() != dividend / unit || remainder != dividend % unit)
        ADD_FAILURE() << hex_of(dividend) << " / 10^" << count << " gave remainder " << remainder;
    }
  }
}

TEST(DecimalWide, DivisionOfThreeFullWordsByOneIsLongDivision) {
  // Oracle: long division in 128-bit steps with the compiler's division, one word at a time.
  std::mt19937_64 generator(7);
  for (std::uint32_t count = 1; count <= 19; ++count) {
    const std::uint64_t unit = pow10_u64[count];
    for (int i = 0; i < 2000; ++i) {
      // A top word below the divisor half of the time (its quotient word is then zero).
      const std::uint64_t top = i % 2 == 0 ? generator() % unit : generator();
      const U192 dividend{{generator(), generator(), top}};
      U192 expected;
      UInt128 remainder = 0;
      for (int limb = 2; limb >= 0; --limb) {
        const UInt128 part = (remainder << 64) | dividend.limbs[limb];
        expected.limbs[limb] = static_cast<std::uint64_t>(part / unit);
        remainder = part % unit;
      }
      U192 quotient = dividend;
      const std::uint64_t got = divide_in_place(quotient, unit);
      EXPECT_TRUE(quotient == expected && got == remainder) << "10^" << count << ", case " << i;
    }
  }
}

}  // namespace
}  // namespace qzr::decimal_detail
