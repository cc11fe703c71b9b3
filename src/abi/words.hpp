// The ABI words and tokens of the core values: the signed decimal word that carries every decimal
// amount, the address, strategy hash and trader address tokens, and the readers that turn decoded
// tokens back into values (the side values' discriminant tuples among them). The layouts are fixed
// byte for byte: digests and stored values depend on them. (The product symbol word is
// product_symbol_to_bytes32 in values/symbols.hpp.)
//
// Every reader takes an untrusted token (one the decoder produced from outside bytes) and fails
// with an Other error, or the error of the reading it builds on, when the token has another shape;
// no reader changes anything but its result.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "abi/token.hpp"
#include "abi/u256.hpp"
#include "core/common_error.hpp"
#include "values/decimal.hpp"
#include "values/fixed_bytes.hpp"
#include "values/h256.hpp"
#include "values/symbols.hpp"

namespace qzr::abi {

// --- Signed decimal word ------------------------------------------------------------------------

// A decimal amount as a 32-byte word: bytes 0-14 zero, byte 15 the negative flag (1 or 0), bytes
// 16-31 the magnitude in millionths as a big-endian unsigned 128-bit integer. Inside an ABI
// value the word is a uint256 whose big-endian form is these 32 bytes.
struct SignedDecimalWord {
  Uint128 magnitude = 0;
  bool negative = false;

  // The 32 bytes as laid out above.
  Word to_word() const noexcept;

  friend bool operator==(const SignedDecimalWord&, const SignedDecimalWord&) = default;
};

// The Uint token holding the word of (magnitude, negative).
Token signed_decimal_word_into_token(Uint128 magnitude, bool negative);

// The word of a Uint token: negative when byte 15 is exactly 1 (any other value there, and bytes
// 0 to 14, are ignored), the magnitude from bytes 16 to 31. Any other token fails with Other
// "Token must convert into U256".
Result<SignedDecimalWord> signed_decimal_word_from_token(const Token& token);

// The word of an amount: the flag is the amount's sign before any rounding; the magnitude is the
// recorded absolute value (clamped to RECORDED_MAX, rounded toward zero to 6 places) in
// millionths, so it is below 2^96. A negative amount that rounds to zero keeps flag 1.
SignedDecimalWord signed_decimal_word_of(const Decimal& amount);

// The recorded amount of a word: the magnitude in millionths (clamped to RECORDED_MAX), negated
// when the flag is set, then recorded again (so a negative zero reads as zero).
Decimal decimal_of_signed_decimal_word(const SignedDecimalWord& word) noexcept;

// signed_decimal_word_of, then signed_decimal_word_into_token: how records write every decimal
// amount.
Token decimal_into_token(const Decimal& amount);

// signed_decimal_word_from_token, then decimal_of_signed_decimal_word: how records read every
// decimal amount.
Result<Decimal> decimal_from_token(const Token& token);

// --- Addresses and fixed words ------------------------------------------------------------------

// The Address token of a 20-byte address (an AccountAddress's or TokenAddress's bytes).
Token address_into_token(std::span<const std::uint8_t, 20> address);

// The 20 bytes of an Address token. Any other token fails with Other "Expected `Address`, got "
// followed by the token's debug text.
Result<Address> address_from_token(const Token& token);

// 12 zero bytes, then the 20 address bytes.
Word address_to_word(std::span<const std::uint8_t, 20> address) noexcept;

// The FixedBytes token of 32 bytes, in order.
Token bytes32_into_token(std::span<const std::uint8_t, 32> bytes);

// The FixedBytes token of a TraderAddress's 21 bytes.
Token trader_address_into_token(const TraderAddress& address);

// The TraderAddress of a FixedBytes token of exactly 21 bytes. Another token fails with Other
// "Expected fixed bytes in token"; fixed bytes of another length with Other "Expected exactly
// 21 bytes".
Result<TraderAddress> bytes21_from_abi(const Token& token);

// The 4 hash bytes, then 28 zero bytes.
Word strategy_id_hash_to_word(const StrategyIdHash& hash) noexcept;

// The first 4 bytes of a 32-byte FixedBytes token (the other 28 are not examined); fails as
// h256_from_token.
Result<StrategyIdHash> strategy_id_hash_from_token(const Token& token);

// The packed product symbol whose text a product symbol word carries: the token read as 32 bytes
// (h256_from_token), its length-prefixed text (length capped at 31, invalid UTF-8 replaced),
// parsed and packed. Fails as h256_from_token, then as product_symbol_from_text.
Result<ProductSymbol> product_symbol_from_token(const Token& token);

// --- Discriminant tuples ------------------------------------------------------------------------

// The first element of a Tuple token, read with u256_from_int_token; elements after the first are
// ignored. Fails with Other "Not a tuple" for another token, Other "Empty token stream" for an
// empty tuple, and the error of u256_from_int_token.
Result<U256> discriminant_tuple_from_token(const Token& token);

// The member that `member_of` gives for the discriminant tuple's number (nullopt for a number
// without a member). Fails as discriminant_tuple_from_token, and with Other "Discriminant out of
// bounds" for a number without a member (2^64 and above included).
template <class Member>
Result<Member> discriminant_tuple_member(const Token& token,
                                         std::optional<Member> (*member_of)(std::uint64_t) noexcept) {
  Result<U256> discriminant = discriminant_tuple_from_token(token);
  if (!discriminant) return fail(std::move(discriminant.error()));
  const std::optional<std::uint64_t> narrow = discriminant->to_u64();
  const std::optional<Member> member = narrow ? member_of(*narrow) : std::nullopt;
  if (!member) return fail(CommonError::other("Discriminant out of bounds"));
  return *member;
}

// --- 32-byte and integer readings ---------------------------------------------------------------

// The 32 bytes of a FixedBytes token of exactly 32 bytes, in order. Fixed bytes of another length
// fail with Other "Expected `H256`, got " followed by the bytes as a decimal list ("[1, 2]"); any
// other token with Other "Expected `H256`, got " followed by its debug text.
Result<H256> h256_from_token(const Token& token);

// The 256-bit value of a Uint token, or the two's complement bits of an Int token as they stand.
// Any other token fails with Other "Expected `U256`, got " followed by its debug text.
Result<U256> u256_from_int_token(const Token& token);

// The low 64 bits of a Uint token, or of an Int token's two's complement bits; the bits above
// are dropped without a check (stored values rely on this lenient reading). Any other token fails
// with Other "Expected `u64`, got " followed by its debug text.
Result<std::uint64_t> u64_from_uint_token(const Token& token);

// The value of a Bool token. Any other token fails with Other "Expected `bool`, got " followed by
// its debug text.
Result<bool> bool_from_token(const Token& token);

// --- Single 32-byte values ----------------------------------------------------------------------

// The reader of a value that is one 32-byte word in its own right (a signer's release hash):
// h256_from_token, with its errors.
Result<H256> h256_from_tokens(const Token& token);

// The writer that pairs with h256_from_tokens: the FixedBytes token of the 32 bytes, in order.
Token into_single_token(std::span<const std::uint8_t, 32> bytes);

}  // namespace qzr::abi
