// The 32-byte tree key of every key kind: byte 0 the item kind number, then the key's fields in
// their layout, then zero bytes.
//
//   kind  key                            bytes 1 to 31
//    1    TraderKey                      1-21 TraderAddress
//    2    StrategyKey                    1-21 TraderAddress, 22-25 StrategyIdHash
//    3    PositionKey                    1-6 packed symbol, 7-27 TraderAddress, 28-31 StrategyIdHash
//    4    BookOrderKey                   1-6 packed symbol, 7-31 order hash
//    5    PriceKey                       1-6 packed symbol, 7-31 index price hash
//    6    InsuranceFundKey               1-20 "OrganicInsuranceFund"
//    7    StatsKey                       1-21 TraderAddress
//    8    SignerKey                      1-21 SignerAddress
//    9    SpecsKey                       1 chain discriminant 0, 2 specs kind, 3 name length L,
//                                        4 to 3+L the name in UTF-8
//   10    InsuranceFundContributionKey   1-21 InsuranceFundContributorAddress
//   11    FeePoolKey                     with an epoch: 1 'x' (0x78), 2-9 epoch big-endian;
//                                        without: nothing
//   12    EpochMetadataKey               1-8 epoch big-endian
//
// Encoders cannot fail. Decoders read untrusted keys and fail with Other errors (a symbol's
// unpacking error passes unchanged). Some decoders accept more than the encoders write, and keys
// already stored are read by exactly these rules: the insurance fund decoder looks at byte 0
// only, the fee pool decoder ignores bytes 2-31 when byte 1 is not 'x', and the specs decoder
// ignores the bytes after the name. So parse(k) may re-encode to other bytes than k.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/common_error.hpp"
#include "keys/tree_keys.hpp"
#include "values/h256.hpp"

namespace qzr {

H256 encode_trader_key(const TraderKey& key) noexcept;
H256 encode_strategy_key(const StrategyKey& key) noexcept;
H256 encode_position_key(const PositionKey& key) noexcept;
H256 encode_book_order_key(const BookOrderKey& key) noexcept;
H256 encode_price_key(const PriceKey& key) noexcept;
H256 encode_insurance_fund_key(const InsuranceFundKey& key) noexcept;
H256 encode_stats_key(const StatsKey& key) noexcept;
H256 encode_signer_key(const SignerKey& key) noexcept;
H256 encode_specs_key(const SpecsKey& key) noexcept;
H256 encode_contribution_key(const InsuranceFundContributionKey& key) noexcept;
H256 encode_fee_pool_key(const FeePoolKey& key) noexcept;
H256 encode_epoch_metadata_key(const EpochMetadataKey& key) noexcept;

// Bytes 2-31 of a specs key: the kind number, the name's length, the name, zero bytes.
using SpecsKeyBody = std::array<std::uint8_t, 30>;
SpecsKeyBody specs_key_body(const SpecsKey& key) noexcept;

// The 21 address bytes of a kind 1, 8 or 10 key. Byte 0 must be `expected_kind`, else
// "Expected discriminant <expected>, got <byte 0>"; bytes 22-31 must be zero, else "Expected
// only zeroes to remain after extracting the trader address".
Result<std::array<std::uint8_t, 21>> parse_address_key(const H256& key, std::uint8_t expected_kind);

Result<TraderKey> parse_trader_key(const H256& key);
Result<SignerKey> parse_signer_key(const H256& key);
Result<InsuranceFundContributionKey> parse_contribution_key(const H256& key);
// "Expected a stats key, got <n>"; then the trader address rule for bytes 22-31.
Result<StatsKey> parse_stats_key(const H256& key);
// "Expected a strategy key, got <n>"; bytes 26-31 zero, else the trader address text.
Result<StrategyKey> parse_strategy_key(const H256& key);
// "Expected a position key, got <n>"; bytes 1-6 must unpack as a symbol.
Result<PositionKey> parse_position_key(const H256& key);
// "Expected a book order key, got <n>"; bytes 1-6 must unpack as a symbol.
Result<BookOrderKey> parse_book_order_key(const H256& key);
// "Expected a price key, got <n>"; bytes 1-6 must unpack as a symbol.
Result<PriceKey> parse_price_key(const H256& key);
// "Expected an insurance fund key, got <n>"; bytes 1-31 are not examined.
Result<InsuranceFundKey> parse_insurance_fund_key(const H256& key);
// "Expected a specs key, got <n>", then parse_specs_key_body on bytes 2-31 after "Expected the
// Ethereum chain discriminant, got <byte 1>".
Result<SpecsKey> parse_specs_key(const H256& key);
// "Unexpected specs kind discriminant <n>"; a length above 28 fails with "Given size greater
// than available storage [b2, ..., b31]". The name is read as UTF-8 with each invalid sequence
// replaced by U+FFFD; should that replacement grow it beyond 28 bytes, it fails as
// SpecsKey::make does, since such a key could not be encoded again.
Result<SpecsKey> parse_specs_key_body(std::span<const std::uint8_t, 30> body);
// "Expected a FeePool fund key, got <n>"; with byte 1 'x', bytes 10-31 zero, else "Expected only
// zeroes to remain after extracting the epoch ID".
Result<FeePoolKey> parse_fee_pool_key(const H256& key);
// "Expected a EpochMetadata key, got <n>"; bytes 9-31 zero, else the epoch ID text.
Result<EpochMetadataKey> parse_epoch_metadata_key(const H256& key);

// The encoder and parser of each key type, for code that handles every kind alike.
template <class K>
struct TreeKeyCodec;

template <>
struct TreeKeyCodec<TraderKey> {
  static constexpr auto encode = &encode_trader_key;
  static constexpr auto parse = &parse_trader_key;
};
template <>
struct TreeKeyCodec<StrategyKey> {
  static constexpr auto encode = &encode_strategy_key;
  static constexpr auto parse = &parse_strategy_key;
};
template <>
struct TreeKeyCodec<PositionKey> {
  static constexpr auto encode = &encode_position_key;
  static constexpr auto parse = &parse_position_key;
};
template <>
struct TreeKeyCodec<BookOrderKey> {
  static constexpr auto encode = &encode_book_order_key;
  static constexpr auto parse = &parse_book_order_key;
};
template <>
struct TreeKeyCodec<PriceKey> {
  static constexpr auto encode = &encode_price_key;
  static constexpr auto parse = &parse_price_key;
};
template <>
struct TreeKeyCodec<InsuranceFundKey> {
  static constexpr auto encode = &encode_insurance_fund_key;
  static constexpr auto parse = &parse_insurance_fund_key;
};
template <>
struct TreeKeyCodec<StatsKey> {
  static constexpr auto encode = &encode_stats_key;
  static constexpr auto parse = &parse_stats_key;
};
template <>
struct TreeKeyCodec<SignerKey> {
  static constexpr auto encode = &encode_signer_key;
  static constexpr auto parse = &parse_signer_key;
};
template <>
struct TreeKeyCodec<SpecsKey> {
  static constexpr auto encode = &encode_specs_key;
  static constexpr auto parse = &parse_specs_key;
};
template <>
struct TreeKeyCodec<InsuranceFundContributionKey> {
  static constexpr auto encode = &encode_contribution_key;
  static constexpr auto parse = &parse_contribution_key;
};
template <>
struct TreeKeyCodec<FeePoolKey> {
  static constexpr auto encode = &encode_fee_pool_key;
  static constexpr auto parse = &parse_fee_pool_key;
};
template <>
struct TreeKeyCodec<EpochMetadataKey> {
  static constexpr auto encode = &encode_epoch_metadata_key;
  static constexpr auto parse = &parse_epoch_metadata_key;
};

}  // namespace qzr
