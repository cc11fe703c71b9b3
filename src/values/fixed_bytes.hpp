// The exchange's fixed-size byte strings (trader addresses, strategy ids and their hashes, order
// hashes, signatures, token addresses, 32-byte hashes), their readers from hexadecimal and plain
// text, and their text and debug forms. Every type is a plain value; two values are equal when
// their bytes are equal, and they order as unsigned bytes from byte 0 on.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "core/common_error.hpp"
#include "values/hex.hpp"
#include "values/siphash.hpp"

namespace qzr {

// Whether two arrays of N bytes are equal, compared a whole word at a time (the last word
// overlapping the one before it where N is not a multiple of the word) and without a branch per
// word: the defaulted comparison of an array is a memcmp call, which costs more than the rest of
// a comparison of two keys from Python.
template <std::size_t N>
constexpr bool bytes_equal(const std::array<std::uint8_t, N>& a,
                           const std::array<std::uint8_t, N>& b) noexcept {
  if
    consteval { return a == b; }
  else {
    const auto difference = [&]<class Word>(std::size_t offset) {
      Word left;
      Word right;
      std::memcpy(&left, a.data() + offset, sizeof(Word));
      std::memcpy(&right, b.data() + offset, sizeof(Word));
      return left ^ right;
    };
    if constexpr (N >= 8) {
      std::uint64_t differences = 0;
      for (std::size_t offset = 0; offset + 8 <= N; offset += 8)
        differences |= difference.template operator()<std::uint64_t>(offset);
      if constexpr (N % 8 != 0) differences |= difference.template operator()<std::uint64_t>(N - 8);
      return differences == 0;
    } else if constexpr (N >= 4) {
      return (difference.template operator()<std::uint32_t>(0) |
              difference.template operator()<std::uint32_t>(N - 4)) == 0;
    } else {
      return a == b;
    }
  }
}

// N bytes under the name of `Tag`; types with the same size but different tags do not mix.
template <std::size_t N, class Tag>
struct FixedBytes {
  static constexpr std::size_t size = N;
  std::array<std::uint8_t, N> bytes{};

  // The first N bytes of a fixed-size span of at least N bytes (for example a Keccak-256 digest).
  template <std::size_t M>
  requires(M >= N) static constexpr FixedBytes prefix_of(std::span<const std::uint8_t, M> source) noexcept {
    FixedBytes value;
    for (std::size_t i = 0; i < N; ++i) value.bytes[i] = source[i];
    return value;
  }

  // Feeds the field's hash stream: N as an unsigned 64-bit number, then the N bytes.
  void hash_into(SipHasher13& hasher) const noexcept { hasher.write_length_prefixed(bytes); }

  friend constexpr bool operator==(const FixedBytes& a, const FixedBytes& b) noexcept {
    return bytes_equal(a.bytes, b.bytes);
  }
  friend constexpr std::strong_ordering operator<=>(const FixedBytes&, const FixedBytes&) noexcept = default;
};

// Byte 0 the chain discriminant (0 for Ethereum), bytes 1-20 the account address.
using TraderAddress = FixedBytes<21, struct TraderAddressTag>;
// Laid out like a TraderAddress, each a type of its own.
using SignerAddress = FixedBytes<21, struct SignerAddressTag>;
using InsuranceFundContributorAddress = FixedBytes<21, struct InsuranceFundContributorAddressTag>;
// A 20-byte Ethereum account address.
using AccountAddress = FixedBytes<20, struct AccountAddressTag>;
// A 20-byte ERC-20 token contract address.
using TokenAddress = FixedBytes<20, struct TokenAddressTag>;
// Byte 0 the text's length L (0 to 31), bytes 1 to L the text in UTF-8, zero bytes after it.
using Bytes32 = FixedBytes<32, struct Bytes32Tag>;
// A Bytes32 whose text is a strategy's name.
using StrategyId = FixedBytes<32, struct StrategyIdTag>;
// The first 4 bytes of the Keccak-256 digest of a StrategyId's 32 bytes.
using StrategyIdHash = FixedBytes<4, struct StrategyIdHashTag>;
// The first 25 bytes of a Keccak-256 digest: order hashes and index price hashes.
using Bytes25 = FixedBytes<25, struct Bytes25Tag>;
// Bytes 0-31 r, bytes 32-63 s, byte 64 v.
using Signature = FixedBytes<65, struct SignatureTag>;
// Any 32 bytes: an intent's nonce, a digest.
using Hash = FixedBytes<32, struct HashTag>;
// A signer's release hash: a Hash under its own name.
using ReleaseHash = FixedBytes<32, struct ReleaseHashTag>;

// --- Hexadecimal text -----------------------------------------------------------------------

// "0x" followed by 2N lower-case digits in byte order, leading zeros kept.
template <std::size_t N, class Tag>
std::string to_hex(const FixedBytes<N, Tag>& value);

// "0x", the first three digits of the account address, "..", the last two digits: 0xabc..34.
std::string trader_address_short_display(const TraderAddress& address);

// Readers of untrusted text through the strip reading (values/hex.hpp): its Parse errors, then
// Other "Expected exactly <N> bytes" for a wrong byte count.
Result<TraderAddress> parse_trader_address(std::string_view text);
Result<Bytes25> bytes25_from_hex(std::string_view text);
Result<StrategyIdHash> strategy_id_hash_from_hex(std::string_view text);
Result<Signature> signature_from_hex(std::string_view text);

// Readers of untrusted text through the fixed reading (values/hex.hpp): Other errors whose
// display text is the bare hexadecimal error text.
Result<AccountAddress> parse_h160(std::string_view text);
Result<Hash> bytes32_from_hex(std::string_view text);

// The TraderAddress of an Ethereum account: chain byte 0, then the 20 address bytes.
TraderAddress trader_address_from_h160(const AccountAddress& address) noexcept;

// --- Length-prefixed text ----------------------------------------------------------------------

inline constexpr std::string_view bytes32_too_long_text =
    "Bytes32 has 31 utf8 bytes prefixed with 1 length byte";

// Byte L = text.size(), the text, zero bytes to 32. A text of 32 bytes or more fails with Other
// bytes32_too_long_text. The text is taken as bytes; the caller provides UTF-8.
Result<Bytes32> bytes32_from_text(std::string_view text);
Result<StrategyId> strategy_id_from_text(std::string_view text);

// The text of bytes 1 to L, L being byte 0 capped at 31, decoded as UTF-8 with every invalid
// sequence replaced by U+FFFD. Bytes after L are ignored.
std::string bytes32_text_display(const Bytes32& value);
std::string strategy_id_text(const StrategyId& value);

// The StrategyIdHash of a strategy id.
StrategyIdHash strategy_id_hash_of(const StrategyId& strategy_id) noexcept;

// --- Debug texts ---------------------------------------------------------------------------------

// TraderAddress("0x<42 digits>"), and the same under the names SignerAddress and
// InsuranceFundContributorAddress.
std::string debug_text(const TraderAddress& value);
std::string debug_text(const SignerAddress& value);
std::string debug_text(const InsuranceFundContributorAddress& value);
// Signature("0x<130 digits>").
std::string debug_text(const Signature& value);
// StrategyIdHash("0x<8 digits>").
std::string debug_text(const StrategyIdHash& value);
// StrategyId("<name>"), the name quoted with escapes (core/debug_quote.hpp).
std::string debug_text(const StrategyId& value);
// Bytes25([b0, ..., b24]) in decimal.
std::string debug_text(const Bytes25& value);
// Hash(0x<64 digits>), not quoted.
std::string debug_text(const Hash& value);
// ReleaseHash(Hash(0x<64 digits>)).
std::string debug_text(const ReleaseHash& value);
// TokenAddress(0x<40 digits>), not quoted.
std::string debug_text(const TokenAddress& value);

// --- Template definitions --------------------------------------------------------------------------

template <std::size_t N, class Tag>
std::string to_hex(const FixedBytes<N, Tag>& value) {
  return to_hex_text(value.bytes);
}

}  // namespace qzr
