// The 32-byte tree keys: every encoder against the layout table, decode round trips, and the
// decoders' checks, failure texts and lenient readings.
#include "keys/tree_key_codec.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "keys_test_support.hpp"

namespace qzr {
namespace {

using keys_test::address_a;
using keys_test::address_b;
using keys_test::counting_hash;
using keys_test::ethp;
using keys_test::hash_deadbeef;
using keys_test::key_from_hex;
using keys_test::spaced_hex;
using keys_test::specs_key;

// `count` copies of a two-digit byte, spaced.
std::string times(std::string_view byte, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    if (i != 0) text += ' ';
    text += byte;
  }
  return text;
}

const std::string address_a_hex = "00 " + times("11", 20);
const std::string address_b_hex = "01 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10 11 12 13 14";
const std::string counting_hash_hex =
    "01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10 11 12 13 14 15 16 17 18 19";
const std::string ethp_hex = "85 22 08 00 00 00";
// "OrganicInsuranceFund" in ASCII.
const std::string insurance_fund_letters_hex = "4f 72 67 61 6e 69 63 49 6e 73 75 72 61 6e 63 65 46 75 6e 64";

struct EncodeCase {
  const char* what;
  std::function<H256()> encode;
  // Decodes the encoding with the same kind's decoder and tells whether the result equals the key.
  std::function<bool(const H256&)> decodes_back;
  std::string expected;
};

template <class K>
EncodeCase encodes(const char* what, K key, std::string expected) {
  return {what, [key] { return TreeKeyCodec<K>::encode(key); },
          [key](const H256& encoded) {
            auto decoded = TreeKeyCodec<K>::parse(encoded);
            return decoded && *decoded == key;
          },
          std::move(expected)};
}

// Expected bytes: the worked examples of the key format where it gives them, otherwise the layout
// table written out by hand.
TEST(TreeKeyCodec, EncodersFollowTheLayoutAndDecodeBack) {
  const EncodeCase cases[] = {
      encodes("trader key (worked example)", TraderKey{address_a()},
              "01 " + address_a_hex + " " + times("00", 10)),
      encodes("strategy key", StrategyKey{address_a(), hash_deadbeef()},
              "02 " + address_a_hex + " de ad be ef " + times("00", 6)),
      encodes("position key: symbol first, then address and hash",
              PositionKey{address_a(), hash_deadbeef(), ethp()},
              "03 " + ethp_hex + " " + address_a_hex + " de ad be ef"),
      encodes("position key whose bytes all differ: each lands in its field",
              PositionKey{address_b(), hash_deadbeef(), ProductSymbol{{0x5a, 0x6b, 0xad, 0xb5, 0xd6, 0x1a}}},
              "03 5a 6b ad b5 d6 1a " + address_b_hex + " de ad be ef"),
      encodes("book order key", BookOrderKey{ethp(), counting_hash()},
              "04 " + ethp_hex + " " + counting_hash_hex),
      encodes("price key", PriceKey{ethp(), counting_hash()}, "05 " + ethp_hex + " " + counting_hash_hex),
      encodes("insurance fund key", InsuranceFundKey{},
              "06 " + insurance_fund_letters_hex + " " + times("00", 11)),
      encodes("stats key", StatsKey{address_b()}, "07 " + address_b_hex + " " + times("00", 10)),
      encodes("signer key", SignerKey{SignerAddress{address_b().bytes}},
              "08 " + address_b_hex + " " + times("00", 10)),
      encodes("specs key MarketGateway ETHP (worked example)", specs_key(SpecsKind::MarketGateway, "ETHP"),
              "09 00 01 04 45 54 48 50 " + times("00", 24)),
      encodes("specs key with an empty name (worked example)", specs_key(SpecsKind::SingleNamePerpetual, ""),
              "09 00 00 00 " + times("00", 28)),
      encodes("specs key with a 28-byte name",
              specs_key(SpecsKind::SingleNamePerpetual, std::string(28, 'z')),
              "09 00 00 1c " + times("7a", 28)),
      encodes("specs key with a non-ASCII name: its UTF-8 bytes",
              specs_key(SpecsKind::MarketGateway, "\xc3\xa9"), "09 00 01 02 c3 a9 " + times("00", 26)),
      encodes("insurance fund contribution key",
              InsuranceFundContributionKey{InsuranceFundContributorAddress{address_b().bytes}},
              "0a " + address_b_hex + " " + times("00", 10)),
      encodes("fee pool key without an epoch (worked example)", FeePoolKey{}, "0b " + times("00", 31)),
      encodes("fee pool key with epoch 5 (worked example)", FeePoolKey{5},
              "0b 78 00 00 00 00 00 00 00 05 " + times("00", 22)),
      encodes("fee pool key with epoch 0 differs from no epoch", FeePoolKey{0}, "0b 78 " + times("00", 30)),
      encodes("fee pool key with the largest epoch", FeePoolKey{UINT64_MAX},
              "0b 78 " + times("ff", 8) + " " + times("00", 22)),
      encodes("epoch metadata key with epoch 5 (worked example)", EpochMetadataKey{5},
              "0c 00 00 00 00 00 00 00 05 " + times("00", 23)),
      encodes("epoch metadata key: big-endian epoch", EpochMetadataKey{0x0102030405060708},
              "0c 01 02 03 04 05 06 07 08 " + times("00", 23)),
  };
  for (const EncodeCase& c : cases) {
    SCOPED_TRACE(c.what);
    const H256 encoded = c.encode();
    EXPECT_EQ(spaced_hex(encoded), spaced_hex(key_from_hex(c.expected)));
    EXPECT_TRUE(c.decodes_back(encoded));
  }
}

TEST(TreeKeyCodec, InsuranceFundKeyName) {
  // The 31-byte body shared with the tree's genesis.
  EXPECT_EQ(spaced_hex(encode_insurance_fund_key(InsuranceFundKey{})).substr(3),
            insurance_fund_letters_hex + " " + times("00", 11));
  EXPECT_EQ(InsuranceFundKey{}.name, insurance_fund_key_name());
}

TEST(TreeKeyCodec, SpecsKeyBodyIsTheKeyAfterItsFirstTwoBytes) {
  const SpecsKey key = specs_key(SpecsKind::MarketGateway, "ETHP");
  const SpecsKeyBody body = specs_key_body(key);
  const H256 encoded = encode_specs_key(key);
  EXPECT_TRUE(std::equal(body.begin(), body.end(), encoded.bytes().begin() + 2));
}

struct DecodeCase {
  const char* what;
  std::function<std::string(const H256&)> decode;
  std::string key;
  // The decoded key's debug text, or the error's display text.
  std::string expected;
};

// The decoder of K as text: the decoded key's debug text or the error's display text.
template <class K>
std::string decoded_text(const H256& key) {
  auto decoded = TreeKeyCodec<K>::parse(key);
  return decoded ? record_debug_text(*decoded) : decoded.error().display();
}

template <class K>
DecodeCase decodes(const char* what, std::string key, const K& expected) {
  return {what, &decoded_text<K>, std::move(key), record_debug_text(expected)};
}

template <class K>
DecodeCase fails(const char* what, std::string key, std::string text) {
  return {what, &decoded_text<K>, std::move(key), std::move(text)};
}

constexpr std::string_view address_rest =
    "Expected only zeroes to remain after extracting the trader address";
constexpr std::string_view epoch_rest = "Expected only zeroes to remain after extracting the epoch ID";
const std::string illegal_symbol =
    "Illegal characters packed in [31, 0, 0, 0, 0, 0] charset=0ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Texts and lenient readings from the decoder table of the key format; the 1F symbol bytes hold
// code 31, which no character has.
TEST(TreeKeyCodec, DecodersCheckAndRead) {
  const std::string rest10 = times("00", 10);
  const DecodeCase cases[] = {
      // Address keys (1, 8, 10) share parse_address_key.
      fails<TraderKey>("trader decoder given a stats key", "07 " + address_a_hex + " " + rest10,
                       "Expected discriminant 1, got 7"),
      fails<SignerKey>("signer decoder given a trader key", "01 " + address_a_hex + " " + rest10,
                       "Expected discriminant 8, got 1"),
      fails<InsuranceFundContributionKey>("contribution decoder given kind 0", times("00", 32),
                                          "Expected discriminant 10, got 0"),
      fails<TraderKey>("trader key with byte 31 set", "01 " + address_a_hex + " " + times("00", 9) + " 01",
                       std::string(address_rest)),
      fails<TraderKey>("trader key with byte 22 set", "01 " + address_a_hex + " 01 " + times("00", 9),
                       std::string(address_rest)),
      decodes("any chain byte is kept", "08 " + address_b_hex + " " + rest10, SignerKey{{address_b().bytes}}),
      // Stats.
      fails<StatsKey>("stats decoder given a trader key", "01 " + address_a_hex + " " + rest10,
                      "Expected a stats key, got 1"),
      fails<StatsKey>("stats key with byte 30 set", "07 " + address_a_hex + " " + times("00", 8) + " 01 00",
                      std::string(address_rest)),
      // Strategy: bytes 22-25 are the hash, 26-31 must be zero.
      fails<StrategyKey>("strategy decoder given a position key", "03 " + times("00", 31),
                         "Expected a strategy key, got 3"),
      decodes("strategy key whose byte 25 is set: part of the hash",
              "02 " + address_a_hex + " 00 00 00 09 " + times("00", 6),
              StrategyKey{address_a(), StrategyIdHash{{0, 0, 0, 9}}}),
      fails<StrategyKey>("strategy key whose byte 26 is set",
                         "02 " + address_a_hex + " 00 00 00 00 01 " + times("00", 5),
                         std::string(address_rest)),
      // Symbol keys: the symbol bytes must unpack; the other bytes are taken as they stand.
      fails<PositionKey>("position decoder given a strategy key", "02 " + times("00", 31),
                         "Expected a position key, got 2"),
      fails<PositionKey>("position key with code 31 in its symbol", "03 1f 00 00 00 00 00 " + times("00", 25),
                         illegal_symbol),
      decodes("position key whose symbol bytes set only bits 45-47",
              "03 00 00 00 00 00 e0 " + times("00", 25),
              PositionKey{TraderAddress{}, StrategyIdHash{}, ProductSymbol{{0, 0, 0, 0, 0, 0xe0}}}),
      fails<BookOrderKey>("book order decoder given a price key", "05 " + ethp_hex + " " + counting_hash_hex,
                          "Expected a book order key, got 5"),
      fails<BookOrderKey>("book order key with code 31 in its symbol",
                          "04 1f 00 00 00 00 00 " + counting_hash_hex, illegal_symbol),
      fails<PriceKey>("price decoder given a book order key", "04 " + ethp_hex + " " + counting_hash_hex,
                      "Expected a price key, got 4"),
      fails<PriceKey>("price key with code 31 in its symbol", "05 1f 00 00 00 00 00 " + counting_hash_hex,
                      illegal_symbol),
      // Insurance fund: byte 0 only.
      fails<InsuranceFundKey>("insurance fund decoder given a stats key", "07 " + times("00", 31),
                              "Expected an insurance fund key, got 7"),
      decodes("insurance fund key with anything after byte 0", "06 " + times("ab", 31), InsuranceFundKey{}),
      // Specs.
      fails<SpecsKey>("specs decoder given a signer key", "08 " + times("00", 31),
                      "Expected a specs key, got 8"),
      fails<SpecsKey>("specs key with chain byte 1", "09 01 " + times("00", 30),
                      "Expected the Ethereum chain discriminant, got 1"),
      fails<SpecsKey>("specs key with kind 2", "09 00 02 " + times("00", 29),
                      "Unexpected specs kind discriminant 2"),
      fails<SpecsKey>(
          "specs key with length 29: bytes 2-31 listed", "09 00 01 1d " + times("41", 28),
          "Given size greater than available storage [1, 29" +
              [] {
                std::string list;
                for (int i = 0; i < 28; ++i) list += ", 65";
                return list;
              }() +
              "]"),
      decodes("specs key with length 28: the name is bytes 4-31", "09 00 00 1c " + times("41", 28),
              specs_key(SpecsKind::SingleNamePerpetual, std::string(28, 'A'))),
      decodes("specs key with bytes after the name: ignored", "09 00 01 03 45 54 48 50 " + times("ff", 24),
              specs_key(SpecsKind::MarketGateway, "ETH")),
      decodes("specs key with invalid UTF-8: U+FFFD", "09 00 01 03 45 ff 48 " + times("00", 25),
              specs_key(SpecsKind::MarketGateway, "E\xef\xbf\xbdH")),
      fails<SpecsKey>(
          "specs key whose name grows beyond 28 bytes by replacement", "09 00 00 1c " + times("ff", 28),
          "Specs name too long " +
              [] {
                std::string name;
                for (int i = 0; i < 28; ++i) name += "\xef\xbf\xbd";
                return name;
              }()),
      // Fee pool: byte 1 'x' marks an epoch.
      fails<FeePoolKey>("fee pool decoder given an epoch metadata key", "0c " + times("00", 31),
                        "Expected a FeePool fund key, got 12"),
      fails<FeePoolKey>("fee pool key with an epoch and byte 10 set",
                        "0b 78 " + times("00", 8) + " 01 " + times("00", 21), std::string(epoch_rest)),
      decodes("fee pool key with byte 1 other than 'x': no epoch, the rest unread",
              "0b 79 " + times("ff", 30), FeePoolKey{}),
      decodes("fee pool key with the largest epoch", "0b 78 " + times("ff", 8) + " " + times("00", 22),
              FeePoolKey{UINT64_MAX}),
      // Epoch metadata.
      fails<EpochMetadataKey>("epoch metadata decoder given a fee pool key", "0b " + times("00", 31),
                              "Expected a EpochMetadata key, got 11"),
      fails<EpochMetadataKey>("epoch metadata key with byte 9 set",
                              "0c " + times("00", 8) + " 01 " + times("00", 22), std::string(epoch_rest)),
      decodes("epoch metadata key with the largest epoch", "0c " + times("ff", 8) + " " + times("00", 23),
              EpochMetadataKey{UINT64_MAX}),
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.decode(key_from_hex(c.key)), c.expected);
  }
}

TEST(TreeKeyCodec, DecoderErrorsAreOtherErrors) {
  // Python shows an Other error's text without a prefix; the symbol error is Other as well.
  struct Case {
    const char* what;
    std::string key;
  };
  const Case cases[] = {
      {"wrong kind byte", "07 " + times("00", 31)},
      {"symbol that does not unpack", "03 1f " + times("00", 30)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto decoded = parse_position_key(key_from_hex(c.key));
    ASSERT_FALSE(decoded);
    EXPECT_EQ(decoded.error().kind(), CommonError::Kind::Other);
  }
}

TEST(TreeKeyCodec, AddressKeyDecoderTakesTheExpectedKind) {
  auto address = parse_address_key(key_from_hex("0a " + address_b_hex + " " + times("00", 10)), 10);
  ASSERT_TRUE(address);
  EXPECT_EQ(*address, address_b().bytes);
}

}  // namespace
}  // namespace qzr
