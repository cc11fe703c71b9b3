// The ABI words and tokens of the core values and their readers.
#include "abi/words.hpp"

#include <algorithm>
#include <string>

#include "values/recorded_amount.hpp"

namespace qzr::abi {

// --- Signed decimal word ------------------------------------------------------------------------

namespace {

constexpr std::size_t flag_byte = 15;

}  // namespace

Word SignedDecimalWord::to_word() const noexcept {
  Word word = U256::from_u128(magnitude).be_bytes();
  word[flag_byte] = negative ? 1 : 0;
  return word;
}

Token signed_decimal_word_into_token(Uint128 magnitude, bool negative) {
  return Token::unsigned_int(U256::from_be_bytes(SignedDecimalWord{magnitude, negative}.to_word()));
}

Result<SignedDecimalWord> signed_decimal_word_from_token(const Token& token) {
  const U256* value = token.if_uint();
  if (value == nullptr) return fail(CommonError::other("Token must convert into U256"));
  return SignedDecimalWord{value->low_u128(), value->be_bytes()[flag_byte] == 1};
}

SignedDecimalWord signed_decimal_word_of(const Decimal& amount) {
  // The millionths of the recorded absolute value, without building it: truncating the absolute
  // value's millionths is the rounding toward zero, and clamping them to 2^96 - 1 is the clamping
  // to RECORDED_MAX (the leaf hash of every update runs through here).
  const UInt128 millionths = decimal_to_unscaled_u128(amount.abs());
  return {millionths < Decimal::max_mantissa ? millionths : Decimal::max_mantissa, amount.is_sign_negative()};
}

Decimal decimal_of_signed_decimal_word(const SignedDecimalWord& word) noexcept {
  const Decimal magnitude = decimal_from_unscaled(word.magnitude);
  return round_recorded_decimal(word.negative ? -magnitude : magnitude);
}

Token decimal_into_token(const Decimal& amount) {
  const SignedDecimalWord word = signed_decimal_word_of(amount);
  return signed_decimal_word_into_token(word.magnitude, word.negative);
}

Result<Decimal> decimal_from_token(const Token& token) {
  Result<SignedDecimalWord> word = signed_decimal_word_from_token(token);
  if (!word) return fail(std::move(word.error()));
  return decimal_of_signed_decimal_word(*word);
}

// --- Addresses and fixed words ------------------------------------------------------------------

Token address_into_token(std::span<const std::uint8_t, 20> address) {
  Address value;
  std::copy(address.begin(), address.end(), value.begin());
  return Token::address(value);
}

Result<Address> address_from_token(const Token& token) {
  const Address* address = token.if_address();
  if (address == nullptr) return fail(CommonError::other("Expected `Address`, got " + token.debug()));
  return *address;
}

Word address_to_word(std::span<const std::uint8_t, 20> address) noexcept {
  Word word{};
  std::copy(address.begin(), address.end(), word.begin() + 12);
  return word;
}

Token bytes32_into_token(std::span<const std::uint8_t, 32> bytes) { return Token::fixed_bytes(bytes); }

Token trader_address_into_token(const TraderAddress& address) { return Token::fixed_bytes(address.bytes); }

Result<TraderAddress> bytes21_from_abi(const Token& token) {
  const std::vector<std::uint8_t>* bytes = token.if_fixed_bytes();
  if (bytes == nullptr) return fail(CommonError::other("Expected fixed bytes in token"));
  if (bytes->size() != TraderAddress::size) return fail(CommonError::other("Expected exactly 21 bytes"));
  TraderAddress address;
  std::copy(bytes->begin(), bytes->end(), address.bytes.begin());
  return address;
}

Word strategy_id_hash_to_word(const StrategyIdHash& hash) noexcept {
  Word word{};
  std::copy(hash.bytes.begin(), hash.bytes.end(), word.begin());
  return word;
}

Result<StrategyIdHash> strategy_id_hash_from_token(const Token& token) {
  Result<H256> word = h256_from_token(token);
  if (!word) return fail(std::move(word.error()));
  return StrategyIdHash::prefix_of(std::span<const std::uint8_t, H256::size>(word->bytes()));
}

Result<ProductSymbol> product_symbol_from_token(const Token& token) {
  Result<H256> word = h256_from_token(token);
  if (!word) return fail(std::move(word.error()));
  return product_symbol_from_text(bytes32_text_display(Bytes32{word->bytes()}));
}

// --- Discriminant tuples ------------------------------------------------------------------------

Result<U256> discriminant_tuple_from_token(const Token& token) {
  const std::vector<Token>* elements = token.if_tuple();
  if (elements == nullptr) return fail(CommonError::other("Not a tuple"));
  if (elements->empty()) return fail(CommonError::other("Empty token stream"));
  return u256_from_int_token(elements->front());
}

// --- 32-byte and integer readings ---------------------------------------------------------------

Result<H256> h256_from_token(const Token& token) {
  const std::vector<std::uint8_t>* bytes = token.if_fixed_bytes();
  if (bytes == nullptr) return fail(CommonError::other("Expected `H256`, got " + token.debug()));
  const std::optional<H256> value = H256::from_slice(*bytes);
  if (!value) return fail(CommonError::other("Expected `H256`, got " + debug_byte_list(*bytes)));
  return *value;
}

Result<U256> u256_from_int_token(const Token& token) {
  if (const U256* value = token.if_uint()) return *value;
  if (const U256* bits = token.if_int()) return *bits;
  return fail(CommonError::other("Expected `U256`, got " + token.debug()));
}

Result<std::uint64_t> u64_from_uint_token(const Token& token) {
  if (const U256* value = token.if_uint()) return value->low_u64();
  if (const U256* bits = token.if_int()) return bits->low_u64();
  return fail(CommonError::other("Expected `u64`, got " + token.debug()));
}

Result<bool> bool_from_token(const Token& token) {
  if (const bool* value = token.if_bool()) return *value;
  return fail(CommonError::other("Expected `bool`, got " + token.debug()));
}

// --- Single 32-byte values ----------------------------------------------------------------------

Result<H256> h256_from_tokens(const Token& token) { return h256_from_token(token); }

Token into_single_token(std::span<const std::uint8_t, 32> bytes) { return bytes32_into_token(bytes); }

}  // namespace qzr::abi
