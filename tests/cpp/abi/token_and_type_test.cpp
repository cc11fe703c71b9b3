// Token debug texts and accessors; ParamType signatures, head sizes and preconditions.
#include <gtest/gtest.h>

#include "abi/param_type.hpp"
#include "abi/token.hpp"
#include "abi_test_support.hpp"
#include "core/fault.hpp"

namespace qzr::abi {
namespace {

using namespace testing;
using P = ParamType;

TEST(AbiToken, DebugText) {
  Address address{};
  address[0] = 0xab;
  address[19] = 0x01;
  struct Case {
    Token token;
    const char* debug;
  };
  // Expected texts follow the rendering documented in token.hpp.
  const Case cases[] = {
      {Token::address(address), "Address(0xab00000000000000000000000000000000000001)"},
      {text_fixed_bytes("\x01\x02"), "FixedBytes([1, 2])"},
      {text_bytes("hi"), "Bytes([104, 105])"},
      {Token::bytes({}), "Bytes([])"},
      {int_token(-5), "Int(-5)"},
      {int_token(0), "Int(0)"},
      {Token::signed_int(U256::from_i64(INT64_MIN)), "Int(-9223372036854775808)"},
      {uint_token(5), "Uint(5)"},
      {Token::boolean(true), "Bool(true)"},
      {Token::boolean(false), "Bool(false)"},
      {Token::string("a\"b"), "String(\"a\\\"b\")"},
      {Token::fixed_array({uint_token(1), uint_token(2)}), "FixedArray([Uint(1), Uint(2)])"},
      {Token::array({}), "Array([])"},
      {Token::tuple({uint_token(7), Token::tuple({Token::boolean(true), Token::array({text_bytes("")})})}),
       "Tuple([Uint(7), Tuple([Bool(true), Array([Bytes([])])])])"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.debug);
    EXPECT_EQ(c.token.debug(), c.debug);
  }
  EXPECT_EQ(debug_byte_list(std::vector<std::uint8_t>{0, 255, 16}), "[0, 255, 16]");
}

TEST(AbiToken, AccessorsAnswerOnlyForTheirKind) {
  Token uint = uint_token(3);
  ASSERT_NE(uint.if_uint(), nullptr);
  EXPECT_EQ(*uint.if_uint(), U256::from_u64(3));
  EXPECT_EQ(uint.if_int(), nullptr);
  EXPECT_EQ(uint.if_tuple(), nullptr);
  EXPECT_EQ(uint.kind(), Token::Kind::Uint);

  Token fixed = text_fixed_bytes("ab");
  EXPECT_NE(fixed.if_fixed_bytes(), nullptr);
  EXPECT_EQ(fixed.if_bytes(), nullptr);

  Token tuple = Token::tuple({uint});
  EXPECT_EQ(tuple.if_array(), nullptr);
  EXPECT_EQ(tuple.if_fixed_array(), nullptr);
  ASSERT_NE(tuple.if_tuple(), nullptr);
  EXPECT_EQ(tuple.if_tuple()->front(), uint);

  // Same payload, different kind: not equal.
  EXPECT_NE(Token::array({uint}), Token::fixed_array({uint}));
  EXPECT_NE(int_token(3), uint);
  EXPECT_NE(text_bytes("ab"), fixed);
}

TEST(AbiToken, Dynamism) {
  EXPECT_TRUE(text_bytes("").is_dynamic());
  EXPECT_TRUE(Token::string("").is_dynamic());
  EXPECT_TRUE(Token::array({}).is_dynamic());
  EXPECT_FALSE(Token::tuple({uint_token(1), Token::fixed_array({Token::boolean(true)})}).is_dynamic());
  EXPECT_TRUE(Token::tuple({uint_token(1), Token::fixed_array({Token::string("")})}).is_dynamic());
  EXPECT_FALSE(Token::fixed_array({}).is_dynamic());
}

TEST(AbiToken, FixedBytesLengthIsAPrecondition) {
  EXPECT_THROW(Token::fixed_bytes({}), Fault);
  EXPECT_THROW(Token::fixed_bytes(std::vector<std::uint8_t>(33)), Fault);
  EXPECT_NO_THROW(Token::fixed_bytes(std::vector<std::uint8_t>(32)));
}

TEST(AbiParamType, SignatureDynamismAndHeadSize) {
  struct Case {
    ParamType type;
    const char* signature;
    bool dynamic;
    std::size_t head_size;
  };
  // Head sizes by the ABI's rule: 32 behind an offset, else the sum of the static parts.
  const Case cases[] = {
      {P::address(), "address", false, 32},
      {P::bytes(), "bytes", true, 32},
      {P::signed_int(8), "int8", false, 32},
      {P::unsigned_int(256), "uint256", false, 32},
      {P::boolean(), "bool", false, 32},
      {P::string(), "string", true, 32},
      {P::fixed_bytes(21), "bytes21", false, 32},
      {P::array(P::address()), "address[]", true, 32},
      {P::fixed_array(P::unsigned_int(64), 3), "uint64[3]", false, 96},
      {P::fixed_array(P::string(), 3), "string[3]", true, 32},
      {P::fixed_array(P::fixed_array(P::boolean(), 2), 3), "bool[2][3]", false, 192},
      {P::tuple({P::unsigned_int(256), P::tuple({P::unsigned_int(8)}), P::fixed_bytes(32)}),
       "(uint256,(uint8),bytes32)", false, 96},
      {P::tuple({P::unsigned_int(256), P::tuple({P::array(P::address()), P::array(P::unsigned_int(128))})}),
       "(uint256,(address[],uint128[]))", true, 32},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.signature);
    EXPECT_EQ(c.type.signature(), c.signature);
    EXPECT_EQ(c.type.is_dynamic(), c.dynamic);
    EXPECT_EQ(c.type.head_size(), c.head_size);
  }
  EXPECT_EQ(P::array(P::bytes()), P::array(P::bytes()));
  EXPECT_NE(P::unsigned_int(128), P::unsigned_int(256));
  EXPECT_NE(P::fixed_array(P::bytes(), 2), P::fixed_array(P::bytes(), 3));
}

TEST(AbiParamType, InvalidTypesAreFaults) {
  EXPECT_THROW(P::unsigned_int(0), Fault);
  EXPECT_THROW(P::unsigned_int(7), Fault);
  EXPECT_THROW(P::signed_int(264), Fault);
  EXPECT_THROW(P::fixed_bytes(0), Fault);
  EXPECT_THROW(P::fixed_bytes(33), Fault);
  EXPECT_THROW(P::fixed_array(P::boolean(), 0), Fault);
  EXPECT_THROW(P::tuple({}), Fault);
  EXPECT_THROW(P::fixed_array(P::unsigned_int(256), SIZE_MAX / 16), Fault);
  EXPECT_THROW((void)P::boolean().bits(), Fault);
  EXPECT_THROW((void)P::bytes().element(), Fault);
  EXPECT_EQ(P::unsigned_int(64).bits(), 64u);
  EXPECT_EQ(P::fixed_bytes(4).byte_count(), 4u);
  EXPECT_EQ(P::fixed_array(P::boolean(), 5).length(), 5u);
}

}  // namespace
}  // namespace qzr::abi
