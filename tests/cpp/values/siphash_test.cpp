// SipHash-1-3 with zero keys: the system's fixed hash values, CPython's own hash as an oracle, and
// the streaming and field-feeding rules.
#include "values/siphash.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace qzr {
namespace {

std::vector<std::uint8_t> oracle_message(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>((i * 167 + n * 13 + 5) & 0xFF);
  return bytes;
}

TEST(SipHash13, HashValuesOfTheSystem) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> message;
    std::int64_t hash;
  };
  // Worked examples of the hash values keys, symbols and enumeration members promise.
  const Case cases[] = {
      {"EpochMetadataKey(0), FeePoolKey(), SettlementAction.TradeMining: 8 zero bytes",
       std::vector<std::uint8_t>(8), -4800647303603446203},
      {"SettlementAction.PnlRealization: 1 as u64", {1, 0, 0, 0, 0, 0, 0, 0}, 2206609067086327257},
      {"SettlementAction.FundingDistribution: 2 as u64", {2, 0, 0, 0, 0, 0, 0, 0}, -6569889354672326634},
      {"ETHP: 6 as u64, packed bytes",
       {6, 0, 0, 0, 0, 0, 0, 0, 0x85, 0x22, 0x08, 0, 0, 0},
       -3601349284326933603},
      {"BTCP: 6 as u64, packed bytes",
       {6, 0, 0, 0, 0, 0, 0, 0, 0x82, 0x0E, 0x08, 0, 0, 0},
       8651313395501770510},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(signed_hash_value(siphash13(c.message)), c.hash);
  }
}

// hash() of oracle_message(length) as bytes in CPython 3.11 run with PYTHONHASHSEED=0, whose
// bytes hash is SipHash-1-3 with both keys zero, mapped to a signed value that is never -1.
struct OracleCase {
  std::size_t length;
  std::int64_t python_hash;
};
constexpr OracleCase oracle_cases[] = {
    {1, 1265436830615481069},    {2, 854235246894034885},      {3, 6777173693732995030},
    {4, -8391171297376386935},   {5, -3965990292553751380},    {6, 1958249608835968657},
    {7, 6988680090046302933},    {8, -1280844067414913702},    {9, 3214055739762065880},
    {10, -5579068969262386721},  {11, 5246832204124905718},    {12, -7724955057325901126},
    {13, 7057535580917597635},   {14, -7664979907539884542},   {15, 8269577228608333646},
    {16, 1451014154001132316},   {17, -7344148496887596962},   {18, -1805706621317868651},
    {19, -8661199470601635469},  {20, -1575083046060450340},   {21, 8644415570476378505},
    {22, -1771282438673517987},  {23, 5005413843284565707},    {24, -6121713689242226934},
    {25, -2950661861668800612},  {26, -1474538455981281649},   {27, 4549720474997995412},
    {28, -5932059974739281808},  {29, 3208633388123193078},    {30, 6000792067372569485},
    {31, 829835313335621063},    {32, 496204420426018404},     {63, 3542083380335184942},
    {64, -5042830877857564247},  {65, -4685568064250277912},   {100, 4575064793292073066},
    {255, -5128706849089382198}, {1000, -7145082844045888334},
};

TEST(SipHash13, MatchesCPythonsBytesHash) {
  for (const OracleCase& c : oracle_cases) {
    SCOPED_TRACE(c.length);
    EXPECT_EQ(signed_hash_value(siphash13(oracle_message(c.length))), c.python_hash);
  }
}

TEST(SipHash13, StreamingIsIndependentOfTheSplit) {
  for (const OracleCase& c : oracle_cases) {
    const std::vector<std::uint8_t> message = oracle_message(c.length);
    for (std::size_t chunk = 1; chunk <= 9; ++chunk) {
      SCOPED_TRACE(std::to_string(c.length) + " bytes in chunks of " + std::to_string(chunk));
      SipHasher13 hasher;
      for (std::size_t offset = 0; offset < message.size(); offset += chunk) {
        hasher.write(std::span(message).subspan(offset, std::min(chunk, message.size() - offset)));
      }
      EXPECT_EQ(signed_hash_value(hasher.finish()), c.python_hash);
    }
  }
}

TEST(SipHash13, FieldFeedingRules) {
  struct Case {
    const char* what;
    void (*feed)(SipHasher13&);
    std::vector<std::uint8_t> message;
  };
  static const std::uint8_t three_bytes[] = {0xAA, 0xBB, 0xCC};
  const Case cases[] = {
      {"u64 little-endian",
       [](SipHasher13& h) { h.write_u64(0x0102030405060708); },
       {8, 7, 6, 5, 4, 3, 2, 1}},
      {"u8", [](SipHasher13& h) { h.write_u8(0x7F); }, {0x7F}},
      {"fixed bytes field: length as u64, then the bytes",
       [](SipHasher13& h) { h.write_length_prefixed(three_bytes); },
       {3, 0, 0, 0, 0, 0, 0, 0, 0xAA, 0xBB, 0xCC}},
      {"text field: UTF-8 bytes, then 0xFF",
       [](SipHasher13& h) { h.write_text("ETH"); },
       {'E', 'T', 'H', 0xFF}},
      {"empty text field", [](SipHasher13& h) { h.write_text(""); }, {0xFF}},
      {"fields concatenate",
       [](SipHasher13& h) {
         h.write_u64(1);
         h.write_text("A");
         h.write_length_prefixed(three_bytes);
       },
       {1, 0, 0, 0, 0, 0, 0, 0, 'A', 0xFF, 3, 0, 0, 0, 0, 0, 0, 0, 0xAA, 0xBB, 0xCC}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SipHasher13 hasher;
    c.feed(hasher);
    EXPECT_EQ(hasher.finish(), siphash13(c.message));
  }
}

// write_u64 and write_u8 join a pending partial word at every offset as their bytes would.
TEST(SipHash13, WordsAndBytesAfterEveryPendingLength) {
  const std::vector<std::uint8_t> prefix = oracle_message(23);
  for (std::size_t pending = 0; pending <= prefix.size(); ++pending) {
    SCOPED_TRACE(std::to_string(pending) + " bytes before");
    SipHasher13 hasher;
    hasher.write(std::span(prefix).first(pending));
    hasher.write_u64(0x8877665544332211);
    hasher.write_u8(0x99);
    std::vector<std::uint8_t> message(prefix.begin(), prefix.begin() + static_cast<std::ptrdiff_t>(pending));
    for (const std::uint8_t byte : {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88, 0x99})
      message.push_back(byte);
    EXPECT_EQ(hasher.finish(), siphash13(message));
  }
}

TEST(SipHash13, FinishDoesNotEndTheStream) {
  const std::vector<std::uint8_t> message = oracle_message(20);
  SipHasher13 hasher;
  hasher.write(std::span(message).first(11));
  EXPECT_EQ(hasher.finish(), siphash13(std::span(message).first(11)));
  hasher.write(std::span(message).subspan(11));
  EXPECT_EQ(hasher.finish(), siphash13(message));
}

TEST(SipHash13, SignedHashValueNeverMinusOne) {
  struct Case {
    std::uint64_t hash;
    std::int64_t value;
  };
  constexpr Case cases[] = {
      {0, 0},
      {1, 1},
      {0x7FFFFFFFFFFFFFFF, INT64_MAX},
      {0x8000000000000000, INT64_MIN},
      {UINT64_MAX - 1, -2},
      {UINT64_MAX, -2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.hash);
    EXPECT_EQ(signed_hash_value(c.hash), c.value);
  }
}

}  // namespace
}  // namespace qzr
