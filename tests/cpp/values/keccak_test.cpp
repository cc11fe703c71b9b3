// Keccak-256 (padding 0x01) against public test vectors and pycryptodome's keccak module.
#include "values/keccak.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "values/hex.hpp"

namespace qzr {
namespace {

std::string hex(const Keccak256Digest& digest) { return to_hex_text(digest).substr(2); }

// The messages of the oracle table: byte i of the message of length n.
std::vector<std::uint8_t> oracle_message(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>((i * 167 + n * 13 + 5) & 0xFF);
  return bytes;
}

TEST(Keccak256, PublicVectors) {
  struct Case {
    std::string input;
    const char* digest;
  };
  // Public Keccak-256 vectors (as Ethereum uses them), each also confirmed with pycryptodome.
  const Case cases[] = {
      {"", "c5d2460186f7233c927e7db2dcc703c0e500b653ca82273b7bfad8045d85a470"},
      {"abc", "4e03657aea45a94fc7d47ba826c8d667c0d1e6e33a64a036ec44f58fa12d6c45"},
      {"The quick brown fox jumps over the lazy dog",
       "4d741b6f1eb29cb2a9b9911c82f56fa8d73b04959d3d9d222895df6c0b28aa15"},
      // The Keccak team's 1600-bit message: 200 bytes of 0xA3, spanning the 136-byte rate.
      {std::string(200, '\xa3'), "3a57666b048777f2c953dc4456f45a2588e1cb6f2da760122d530ac2ce607d4a"},
      // One million 'a': a long input.
      {std::string(1000000, 'a'), "fadae6b49f129bbb812be8407b7b2894f34aecf6dbd1f9b0f0c7e9853098fc96"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input.substr(0, 20) + " (" + std::to_string(c.input.size()) + " bytes)");
    EXPECT_EQ(hex(keccak256(c.input)), c.digest);
  }
}

// Digests of oracle_message(length), computed with pycryptodome (Cryptodome.Hash.keccak,
// digest_bits=256) for random lengths 0..1000 from a seeded generator, plus the rate boundaries
// 135/136/137 and 271/272/273.
struct OracleCase {
  std::size_t length;
  const char* digest;
};
constexpr OracleCase oracle_cases[] = {
    {0, "c5d2460186f7233c927e7db2dcc703c0e500b653ca82273b7bfad8045d85a470"},
    {1, "5fa2358263196dbbf23d1ca7a509451f7a2f64c15837bfbb81298b1e3e24e4fa"},
    {3, "f7fe0c5cece2eca5af23900474c86017afb2be611fc9d4d98717a7d41eea791f"},
    {17, "cc0426cd73624fab085da7e983e387c93962e3ba0f5ffbddd9804d6ffea63b0d"},
    {31, "0e3fa697c09e6fb2d6568131c3008a0538b5001b1cab2e3e4cc4b63d2070785b"},
    {51, "02cbbd681c526ae9a4dea4f4217172614c0462d6cf2c5917e084c395ffaf436b"},
    {86, "051f609f9e7242efc4575abd24b983fc952557096f01e84954754a76d507cf63"},
    {127, "c64a300d46e8dda92fbadc321c00673b6be02d8aa1fd50f4ef43f9d858ebd2b2"},
    {135, "8045605eff408875cf05384322ccdee06cacfa8c8356f19c2d4c90998aa06f8f"},
    {136, "76c8a95ff484de3a92bf0cf9ae5e4dbf1fcd7bd249d0c41092aa5e62de79ca82"},
    {137, "8a267a26616bfa860169eeb20c2da4d59ac84dc94d185679cc2d5707702fd0ac"},
    {153, "eb91b304db5aeadfa85a12868c7addcafbafd24d404ff44de6fc5206e36fc463"},
    {186, "81a2ce2ff7151928f31f60e3865c9e2ef4bc1124a83c094bab001483cb8f11c9"},
    {207, "6b8aa58b7a4627520c7ecde16841f7ac3c1a460752606625a066227e53d76db7"},
    {215, "81bffd69bd1176ff964ca0abe4fcf566cac4ea62e30ad372f550ae660739c0fa"},
    {237, "75bac7b92d47d1d8a03a11be2fad2e67a81aeef63dddd039dabc1237ec49b790"},
    {240, "73a2c997c6cc6d2b0849cc5a41851439d5d4f007b7e5ebef3f2f9c3e296ab0d9"},
    {265, "246746a8da80dc98b6c61567b5e9eeb40e1b5a5c5a507fa946cf18c3bef97ae8"},
    {271, "530f2ba381ca4e7951102475e40816d860e1a4bb975959849bbe0bc4da0cfbdc"},
    {272, "afc5f05440e66e64bdb9f9277712e7546c084fe3113dbeeb48d0ec0800ded034"},
    {273, "1b52c5403667cadd93d476040a6559d09c9d8951e41aee629db448fe5184dfda"},
    {306, "357b4e028aacf0a8d01249f84980672afa429321ef6e960908945e82827c057c"},
    {307, "39b7162a2ea37d6f83967ab4f358eb1e3ae887bef99d1b187347413a9d85f375"},
    {308, "4a9310a0fb69f371d1127af63109f02baedabd0647e58b1b10b28546e574e716"},
    {311, "93c1eeff9af22fe990bcf41d638bca4bc7483155218ee7f399dc93a5115f9ea2"},
    {334, "f3ec852befca866106c3ef08e238a1c43e4ef25d120a7f9774c7b16778e13c3c"},
    {342, "bb023b4ba6c451ef5a99fd378ce4dff2a49c420ca37e0bbe8199c9d0eda96914"},
    {345, "6b737378aec6bdaf598a7cd3ed14773b434b6b2bc650e5cef7ced8c631dece36"},
    {366, "4575502e076f2432285a577b67faf3b6735f0d8127f39d7642feeea30a987766"},
    {374, "625e754de4b7620075e14da18127632a635174f950dca2ac8ac994ae4ae17990"},
    {377, "8d36ee8fb6d4177791fe02e8fbd8685146fc2793b7a37d7631bb9fe06ffe4242"},
    {410, "41b7bac4f31cf17605dd4b25d98e01e4d2a8499f1c35ce589de77e3ecc2c436e"},
    {416, "387aafdf98e29ce5fadc7db39818a3524cfb55a93b5b67874fa4a1bafd60dfc6"},
    {425, "83a6cfe42682ce31f071d9c5f2b0a4e90ba9dc6bad162928e08b37bd0c7dd890"},
    {473, "fbfc0bd3172f1069c5a5960de855d9725650118012004b4a51f2926d24414a77"},
    {608, "895e2fac54f48494aef136e091a8f00c3688103ef58bffe8a018037137c6e464"},
    {616, "0cc28f9b4b43e6d88cb0e1b53aef38226f16a2775e003d366ad5b445387f667c"},
    {622, "03551a75c5b85056fe26accfa0910fd5b5cde733de36857f9ae483d65bac66d4"},
    {636, "b996eefa3131c5700887258bdfdda67fe69aa102e331b0d6fd30e99edc5eba62"},
    {679, "d86e96a6157cd9f09014e35c56c4928794658e697c1b5d87ac32a13ff4c58738"},
    {694, "76a46b937d4e23422f67aba5bb7b97126b12b54903d53ae934c001b5c5e6bad1"},
    {699, "404c1e41b946e882fad82f3c86f00a81ca1d861789e96a129618db0bc581a449"},
    {701, "20ad42a4a6888e68487a822d504d03a47e44c60a69986c9fecf9caf7d4f1321c"},
    {717, "4d018ed891ea5a3188c51d6e36f76043ae07c2e3a8ab8392131ada83191c38f2"},
    {735, "a67c4b7acb84edbae6dc19cbf2e282ecd72ade49da68645fc0ba31de6f6e9d8b"},
    {747, "c8a63dde1223629d630200ad2128b84b04059ff8d6ae525d9db552cb1817a699"},
    {766, "b2d156146f8b745aa7f155b0eccae0122bb3fa0d816e77d4e8132740f9a170aa"},
    {775, "9feb4ed7e0a1e8821e5f3eb730104b0fd68dea0bae4f96cd722e89f699047a86"},
    {789, "5856f5936a8381690593d40dc6f6fea7fc02c7ade64162121f2ea0b985114760"},
    {828, "0715dbda9f9182d67b4c1e7d107f9970eab776e0e66f25f27d2aa2c59ac37fe7"},
    {837, "63155117e8b71d29eaa593b1d2de4792fc3a16c5d66555e36e59e7d005ea5a27"},
    {838, "e668b4f415cc1372b8a48bd259665921cd3866a9ed978a4685df0ca8d6fba220"},
    {844, "f67b28edc4e42e7dcdae6ce26756c1d733e25c0ddfe773c2d145d222588f490f"},
    {885, "e515527089d91fb0e9955ffc9cbc986a84a81e97d46ee2484a15827669e6c811"},
    {922, "601b19e9191ef914a94e98d91662f41da8d8aba98c9d6fbfb6b15776d7e2bfd4"},
    {997, "4729390a93563a2159e516df19abab6bf2edfbec687441d13c0703c234d78f4a"},
    {1000, "04e07b4127786edd740c3dab80a10aca1fa546cce9d64899d605db9e34d33be2"},
};

TEST(Keccak256, OneShotMatchesPycryptodome) {
  for (const OracleCase& c : oracle_cases) {
    SCOPED_TRACE(c.length);
    EXPECT_EQ(hex(keccak256(oracle_message(c.length))), c.digest);
  }
}

TEST(Keccak256, HasherMatchesOneShotForAnySplit) {
  // Chunk sizes that cross the 136-byte rate at different offsets.
  const std::size_t chunk_sizes[] = {1, 7, 64, 135, 136, 137, 500};
  for (const OracleCase& c : oracle_cases) {
    const std::vector<std::uint8_t> message = oracle_message(c.length);
    for (const std::size_t chunk : chunk_sizes) {
      SCOPED_TRACE(std::to_string(c.length) + " bytes in chunks of " + std::to_string(chunk));
      Keccak256Hasher hasher;
      for (std::size_t offset = 0; offset < message.size(); offset += chunk) {
        hasher.update(std::span(message).subspan(offset, std::min(chunk, message.size() - offset)));
      }
      EXPECT_EQ(hex(hasher.finalize()), c.digest);
    }
  }
}

TEST(Keccak256, HasherStartsOverAfterFinalize) {
  Keccak256Hasher hasher;
  hasher.update(std::string_view("abc"));
  EXPECT_EQ(hasher.finalize(), keccak256(std::string_view("abc")));
  EXPECT_EQ(hex(hasher.finalize()), "c5d2460186f7233c927e7db2dcc703c0e500b653ca82273b7bfad8045d85a470");
}

TEST(Keccak256, CopiedHasherContinuesIndependently) {
  Keccak256Hasher prefix;
  prefix.update(std::string_view("The quick brown fox "));
  Keccak256Hasher copy = prefix;
  copy.update(std::string_view("jumps over the lazy dog"));
  prefix.update(std::string_view("ab"));
  EXPECT_EQ(hex(copy.finalize()), "4d741b6f1eb29cb2a9b9911c82f56fa8d73b04959d3d9d222895df6c0b28aa15");
  EXPECT_EQ(prefix.finalize(), keccak256(std::string_view("The quick brown fox ab")));

  Keccak256Hasher assigned;
  assigned.update(std::string_view("unrelated"));
  prefix.update(std::string_view("a"));
  assigned = prefix;
  assigned.update(std::string_view("bc"));
  EXPECT_EQ(hex(assigned.finalize()), "4e03657aea45a94fc7d47ba826c8d667c0d1e6e33a64a036ec44f58fa12d6c45");
}

}  // namespace
}  // namespace qzr
