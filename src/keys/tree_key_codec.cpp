// The byte layouts of the tree keys: a writer of fields at fixed offsets for the encoders, and
// the decoders that check the kind byte, the zero padding and each field of untrusted keys.
#include "keys/tree_key_codec.hpp"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

#include "core/utf8.hpp"
#include "values/debug_shapes.hpp"

namespace qzr {
namespace {

using KeyBytes = H256::Bytes;

constexpr std::uint8_t fee_pool_epoch_marker = 0x78;  // 'x'
constexpr std::string_view trader_address_rest_text =
    "Expected only zeroes to remain after extracting the trader address";
constexpr std::string_view epoch_rest_text = "Expected only zeroes to remain after extracting the epoch ID";

// Writes fields at fixed offsets of a key that starts as the kind byte and 31 zero bytes.
class KeyWriter {
 public:
  explicit KeyWriter(std::uint8_t kind) noexcept { m_bytes[0] = kind; }

  template <std::size_t N>
  KeyWriter& put(std::size_t offset, const std::array<std::uint8_t, N>& field) noexcept {
    std::ranges::copy(field, m_bytes.begin() + static_cast<std::ptrdiff_t>(offset));
    return *this;
  }
  KeyWriter& put_u8(std::size_t offset, std::uint8_t value) noexcept {
    m_bytes[offset] = value;
    return *this;
  }
  KeyWriter& put_u64_big_endian(std::size_t offset, std::uint64_t value) noexcept {
    for (std::size_t i = 0; i < 8; ++i)
      m_bytes[offset + i] = static_cast<std::uint8_t>(value >> (56 - 8 * i));
    return *this;
  }
  H256 finish() const noexcept { return H256(m_bytes); }

 private:
  KeyBytes m_bytes{};
};

template <std::size_t N>
std::array<std::uint8_t, N> read(const KeyBytes& bytes, std::size_t offset) noexcept {
  std::array<std::uint8_t, N> field;
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), N, field.begin());
  return field;
}

std::uint64_t read_u64_big_endian(const KeyBytes& bytes, std::size_t offset) noexcept {
  std::uint64_t value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return std::endian::native == std::endian::little ? std::byteswap(value) : value;
}

// Whether bytes `offset` to 31 of `key` are all zero, read a word at a time: the word that holds
// byte `offset` without the bytes below it, and every word above.
bool zero_from(const H256& key, std::size_t offset) noexcept {
  const H256::Words& words = key.words();
  const std::size_t first_word = offset / 8;
  std::uint64_t rest = words[first_word] >> (8 * (offset % 8));
  for (std::size_t word = first_word + 1; word < H256::word_count; ++word) rest |= words[word];
  return rest == 0;
}

// The errors of the decoders, kept off their paths.
[[gnu::cold]] CommonError unexpected_kind(std::string_view expected, std::uint8_t got) {
  return CommonError::other(std::string(expected) + std::to_string(got));
}
[[gnu::cold]] CommonError nonzero_rest(std::string_view text) {
  return CommonError::other(std::string(text));
}

// The unpacking error of a symbol that does not unpack: its text is built only here.
[[gnu::cold]] CommonError symbol_error(const ProductSymbol& symbol) {
  return std::move(unpack_product_symbol(symbol).error());
}

// Bytes 1-6 as a packed symbol; they must unpack. Inlined, so that the symbol stays in a register.
[[gnu::always_inline]] inline Result<ProductSymbol> read_symbol(const KeyBytes& bytes) {
  const ProductSymbol symbol{read<ProductSymbol::size>(bytes, 1)};
  if (!product_symbol_unpacks(symbol)) [[unlikely]]
    return fail(symbol_error(symbol));
  return symbol;
}

// The PositionKey of a checked position key. The record's bytes are the key's bytes 7-31 (the
// address and the strategy id hash, in the same order), then bytes 1-6 (the symbol) and one
// padding byte. They are built in registers and stored as two whole 16-byte words: the copies
// that follow (into the result, then into a Python object) read 16-byte words, and a load that
// spans several smaller stores waits for them to retire instead of taking their data.
PositionKey position_key_of_bytes(const KeyBytes& bytes) noexcept {
  static_assert(offsetof(PositionKey, strategy_id_hash) == 21 && offsetof(PositionKey, symbol) == 25 &&
                sizeof(PositionKey) == 32);
  if constexpr (std::endian::native != std::endian::little) {
    return PositionKey{TraderAddress{read<21>(bytes, 7)}, StrategyIdHash{read<4>(bytes, 28)},
                       ProductSymbol{read<ProductSymbol::size>(bytes, 1)}};
  } else {
    using Word128 = std::uint64_t __attribute__((vector_size(16)));
    Word128 low;
    std::memcpy(&low, bytes.data() + 7, sizeof low);
    std::uint64_t bytes_23_to_30;
    std::uint32_t symbol_low;
    std::uint16_t symbol_high;
    std::memcpy(&bytes_23_to_30, bytes.data() + 23, sizeof bytes_23_to_30);
    std::memcpy(&symbol_low, bytes.data() + 1, sizeof symbol_low);
    std::memcpy(&symbol_high, bytes.data() + 5, sizeof symbol_high);
    const std::uint64_t byte_31_and_symbol =
        bytes[31] | std::uint64_t{symbol_low} << 8 | std::uint64_t{symbol_high} << 40;
    const Word128 high{bytes_23_to_30, byte_31_and_symbol};
    PositionKey key;
    std::memcpy(reinterpret_cast<unsigned char*>(&key), &low, sizeof low);
    std::memcpy(reinterpret_cast<unsigned char*>(&key) + sizeof low, &high, sizeof high);
    return key;
  }
}

// The checks of parse_address_key: the kind byte, then zeroes after the address.
[[gnu::cold]] CommonError unexpected_discriminant(std::uint8_t expected_kind, std::uint8_t got) {
  return CommonError::other("Expected discriminant " + std::to_string(expected_kind) + ", got " +
                            std::to_string(got));
}

Result<void> check_address_key(const H256& key, std::uint8_t expected_kind) {
  const auto kind = static_cast<std::uint8_t>(key.words()[0]);
  if (kind != expected_kind) [[unlikely]]
    return fail(unexpected_discriminant(expected_kind, kind));
  if (!zero_from(key, 22)) [[unlikely]]
    return fail(nonzero_rest(trader_address_rest_text));
  return {};
}

// A key whose one field is a 21-byte address, read as parse_address_key reads. The key is
// written as a 16-byte word (bytes 1-16) and an 8-byte word (bytes 17-24, where 22-24 are the
// checked zeroes, landing in the padding), which do not overlap: the copies that follow read the
// same two words and take them from these stores. A 21-byte array copied into the key would be
// stored as two overlapping words, and a load that spans both waits for them to retire.
template <class K>
Result<K> parse_address_key_as(const H256& key) {
  static_assert(sizeof(K) == 24 && alignof(K) == 8 && std::is_trivially_copyable_v<K> &&
                std::is_standard_layout_v<K>);
  if (auto checked = check_address_key(key, K::kind_byte); !checked) [[unlikely]]
    return fail(std::move(checked.error()));
  const KeyBytes bytes = key.bytes();
  using Word128 = std::uint64_t __attribute__((vector_size(16)));
  Word128 low;
  std::uint64_t high;
  std::memcpy(&low, bytes.data() + 1, sizeof low);
  std::memcpy(&high, bytes.data() + 17, sizeof high);
  K decoded;
  std::memcpy(reinterpret_cast<unsigned char*>(&decoded), &low, sizeof low);
  std::memcpy(reinterpret_cast<unsigned char*>(&decoded) + sizeof low, &high, sizeof high);
  return decoded;
}

}  // namespace

// ---- encoders ---------------------------------------------------------------------------------

H256 encode_trader_key(const TraderKey& key) noexcept {
  return KeyWriter(TraderKey::kind_byte).put(1, key.inner.bytes).finish();
}

H256 encode_strategy_key(const StrategyKey& key) noexcept {
  return KeyWriter(StrategyKey::kind_byte)
      .put(1, key.trader_address.bytes)
      .put(22, key.strategy_id_hash.bytes)
      .finish();
}

H256 encode_position_key(const PositionKey& key) noexcept {
  return KeyWriter(PositionKey::kind_byte)
      .put(1, key.symbol.packed)
      .put(7, key.trader_address.bytes)
      .put(28, key.strategy_id_hash.bytes)
      .finish();
}

H256 encode_book_order_key(const BookOrderKey& key) noexcept {
  return KeyWriter(BookOrderKey::kind_byte).put(1, key.symbol.packed).put(7, key.order_hash.bytes).finish();
}

H256 encode_price_key(const PriceKey& key) noexcept {
  return KeyWriter(PriceKey::kind_byte).put(1, key.symbol.packed).put(7, key.index_price_hash.bytes).finish();
}

H256 encode_insurance_fund_key(const InsuranceFundKey& key) noexcept {
  return KeyWriter(InsuranceFundKey::kind_byte).put(1, key.name.bytes).finish();
}

H256 encode_stats_key(const StatsKey& key) noexcept {
  return KeyWriter(StatsKey::kind_byte).put(1, key.trader.bytes).finish();
}

H256 encode_signer_key(const SignerKey& key) noexcept {
  return KeyWriter(SignerKey::kind_byte).put(1, key.inner.bytes).finish();
}

SpecsKeyBody specs_key_body(const SpecsKey& key) noexcept {
  SpecsKeyBody body{};
  // The name fits: SpecsKey's invariant bounds it by specs_name_max_bytes = body size - 2.
  const std::string& name = key.name();
  body[0] = enum_number(key.kind());
  body[1] = static_cast<std::uint8_t>(name.size());
  std::ranges::copy(name, body.begin() + 2);
  return body;
}

H256 encode_specs_key(const SpecsKey& key) noexcept {
  return KeyWriter(SpecsKey::kind_byte).put_u8(1, 0).put(2, specs_key_body(key)).finish();
}

H256 encode_contribution_key(const InsuranceFundContributionKey& key) noexcept {
  return KeyWriter(InsuranceFundContributionKey::kind_byte).put(1, key.inner.bytes).finish();
}

H256 encode_fee_pool_key(const FeePoolKey& key) noexcept {
  KeyWriter writer(FeePoolKey::kind_byte);
  if (key.epoch_id) writer.put_u8(1, fee_pool_epoch_marker).put_u64_big_endian(2, *key.epoch_id);
  return writer.finish();
}

H256 encode_epoch_metadata_key(const EpochMetadataKey& key) noexcept {
  return KeyWriter(EpochMetadataKey::kind_byte).put_u64_big_endian(1, key.epoch_id).finish();
}

// ---- decoders ---------------------------------------------------------------------------------

Result<std::array<std::uint8_t, 21>> parse_address_key(const H256& key, std::uint8_t expected_kind) {
  if (auto checked = check_address_key(key, expected_kind); !checked) return fail(std::move(checked.error()));
  return read<21>(key.bytes(), 1);
}

Result<TraderKey> parse_trader_key(const H256& key) { return parse_address_key_as<TraderKey>(key); }

Result<SignerKey> parse_signer_key(const H256& key) { return parse_address_key_as<SignerKey>(key); }

Result<InsuranceFundContributionKey> parse_contribution_key(const H256& key) {
  return parse_address_key_as<InsuranceFundContributionKey>(key);
}

Result<StatsKey> parse_stats_key(const H256& key) {
  const KeyBytes bytes = key.bytes();
  if (bytes[0] != StatsKey::kind_byte) return fail(unexpected_kind("Expected a stats key, got ", bytes[0]));
  if (!zero_from(key, 22)) return fail(nonzero_rest(trader_address_rest_text));
  return StatsKey{TraderAddress{read<21>(bytes, 1)}};
}

Result<StrategyKey> parse_strategy_key(const H256& key) {
  const KeyBytes bytes = key.bytes();
  if (bytes[0] != StrategyKey::kind_byte)
    return fail(unexpected_kind("Expected a strategy key, got ", bytes[0]));
  if (!zero_from(key, 26)) return fail(nonzero_rest(trader_address_rest_text));
  return StrategyKey{TraderAddress{read<21>(bytes, 1)}, StrategyIdHash{read<4>(bytes, 22)}};
}

Result<PositionKey> parse_position_key(const H256& key) {
  const KeyBytes bytes = key.bytes();
  if (bytes[0] != PositionKey::kind_byte)
    return fail(unexpected_kind("Expected a position key, got ", bytes[0]));
  auto symbol = read_symbol(bytes);
  if (!symbol) return fail(std::move(symbol.error()));
  return position_key_of_bytes(bytes);
}

Result<BookOrderKey> parse_book_order_key(const H256& key) {
  const KeyBytes bytes = key.bytes();
  if (bytes[0] != BookOrderKey::kind_byte)
    return fail(unexpected_kind("Expected a book order key, got ", bytes[0]));
  auto symbol = read_symbol(bytes);
  if (!symbol) return fail(std::move(symbol.error()));
  return BookOrderKey{*symbol, Bytes25{read<25>(bytes, 7)}};
}

Result<PriceKey> parse_price_key(const H256& key) {
  const KeyBytes bytes = key.bytes();
  if (bytes[0] != PriceKey::kind_byte) return fail(unexpected_kind("Expected a price key, got ", bytes[0]));
  auto symbol = read_symbol(bytes);
  if (!symbol) return fail(std::move(symbol.error()));
  return PriceKey{*symbol, Bytes25{read<25>(bytes, 7)}};
}

Result<InsuranceFundKey> parse_insurance_fund_key(const H256& key) {
  const KeyBytes bytes = key.bytes();
  if (bytes[0] != InsuranceFundKey::kind_byte) {
    return fail(unexpected_kind("Expected an insurance fund key, got ", bytes[0]));
  }
  return InsuranceFundKey{};
}

Result<SpecsKey> parse_specs_key_body(std::span<const std::uint8_t, 30> body) {
  const auto kind = enum_from_number<SpecsKind>(body[0]);
  if (!kind) return fail(CommonError::other("Unexpected specs kind discriminant " + std::to_string(body[0])));
  const std::size_t length = body[1];
  if (length > specs_name_max_bytes) {
    return fail(CommonError::other("Given size greater than available storage " + debug_byte_list(body)));
  }
  const auto* name_bytes = reinterpret_cast<const char*>(body.data() + 2);
  return SpecsKey::make(*kind, utf8_lossy(std::string_view(name_bytes, length)));
}

Result<SpecsKey> parse_specs_key(const H256& key) {
  const KeyBytes bytes = key.bytes();
  if (bytes[0] != SpecsKey::kind_byte) return fail(unexpected_kind("Expected a specs key, got ", bytes[0]));
  if (bytes[1] != 0) return fail(unexpected_kind("Expected the Ethereum chain discriminant, got ", bytes[1]));
  return parse_specs_key_body(std::span<const std::uint8_t, 30>(bytes.data() + 2, 30));
}

Result<FeePoolKey> parse_fee_pool_key(const H256& key) {
  const KeyBytes bytes = key.bytes();
  if (bytes[0] != FeePoolKey::kind_byte)
    return fail(unexpected_kind("Expected a FeePool fund key, got ", bytes[0]));
  if (bytes[1] != fee_pool_epoch_marker) return FeePoolKey{std::nullopt};
  if (!zero_from(key, 10)) return fail(nonzero_rest(epoch_rest_text));
  return FeePoolKey{read_u64_big_endian(bytes, 2)};
}

Result<EpochMetadataKey> parse_epoch_metadata_key(const H256& key) {
  const KeyBytes bytes = key.bytes();
  if (bytes[0] != EpochMetadataKey::kind_byte) {
    return fail(unexpected_kind("Expected a EpochMetadata key, got ", bytes[0]));
  }
  if (!zero_from(key, 9)) return fail(nonzero_rest(epoch_rest_text));
  return EpochMetadataKey{read_u64_big_endian(bytes, 1)};
}

}  // namespace qzr
