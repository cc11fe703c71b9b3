// Readers, text forms and debug texts of the fixed byte types.
#include "values/fixed_bytes.hpp"

#include <algorithm>

#include "core/debug_quote.hpp"
#include "core/utf8.hpp"
#include "values/debug_shapes.hpp"
#include "values/hex.hpp"
#include "values/keccak.hpp"

namespace qzr {
namespace {

template <class T>
Result<T> from_strip_hex(std::string_view text) {
  T value;
  if (auto read = hex_strip_decode_exact(text, value.bytes); !read) return fail(read.error());
  return value;
}

template <class T>
Result<T> from_fixed_hex(std::string_view text) {
  T value;
  if (auto read = hex_fixed_decode(text, value.bytes); !read) return fail(read.error());
  return value;
}

template <class T>
Result<T> length_prefixed_from_text(std::string_view text) {
  if (text.size() >= 32) return fail(CommonError::other(std::string(bytes32_too_long_text)));
  T value;
  value.bytes[0] = static_cast<std::uint8_t>(text.size());
  std::copy(text.begin(), text.end(), value.bytes.begin() + 1);
  return value;
}

std::string length_prefixed_text(std::span<const std::uint8_t, 32> bytes) {
  const std::size_t length = std::min<std::size_t>(bytes[0], 31);
  return utf8_lossy(std::string_view(reinterpret_cast<const char*>(bytes.data()) + 1, length));
}

}  // namespace

std::string trader_address_short_display(const TraderAddress& address) {
  std::string digits;
  append_hex_digits(digits, address.bytes);  // 42 digits, the chain byte's two first
  return "0x" + digits.substr(2, 3) + ".." + digits.substr(digits.size() - 2);
}

Result<TraderAddress> parse_trader_address(std::string_view text) {
  return from_strip_hex<TraderAddress>(text);
}
Result<Bytes25> bytes25_from_hex(std::string_view text) { return from_strip_hex<Bytes25>(text); }
Result<StrategyIdHash> strategy_id_hash_from_hex(std::string_view text) {
  return from_strip_hex<StrategyIdHash>(text);
}
Result<Signature> signature_from_hex(std::string_view text) { return from_strip_hex<Signature>(text); }

Result<AccountAddress> parse_h160(std::string_view text) { return from_fixed_hex<AccountAddress>(text); }
Result<Hash> bytes32_from_hex(std::string_view text) { return from_fixed_hex<Hash>(text); }

TraderAddress trader_address_from_h160(const AccountAddress& address) noexcept {
  TraderAddress trader;
  std::copy(address.bytes.begin(), address.bytes.end(), trader.bytes.begin() + 1);
  return trader;
}

Result<Bytes32> bytes32_from_text(std::string_view text) { return length_prefixed_from_text<Bytes32>(text); }
Result<StrategyId> strategy_id_from_text(std::string_view text) {
  return length_prefixed_from_text<StrategyId>(text);
}

std::string bytes32_text_display(const Bytes32& value) { return length_prefixed_text(value.bytes); }
std::string strategy_id_text(const StrategyId& value) { return length_prefixed_text(value.bytes); }

StrategyIdHash strategy_id_hash_of(const StrategyId& strategy_id) noexcept {
  const Keccak256Digest digest = keccak256(strategy_id.bytes);
  return StrategyIdHash::prefix_of(std::span<const std::uint8_t, 32>(digest));
}

std::string debug_text(const TraderAddress& value) {
  return debug_tuple("TraderAddress", debug_quote(to_hex(value)));
}
std::string debug_text(const SignerAddress& value) {
  return debug_tuple("SignerAddress", debug_quote(to_hex(value)));
}
std::string debug_text(const InsuranceFundContributorAddress& value) {
  return debug_tuple("InsuranceFundContributorAddress", debug_quote(to_hex(value)));
}
std::string debug_text(const Signature& value) {
  return debug_tuple("Signature", debug_quote(to_hex(value)));
}
std::string debug_text(const StrategyIdHash& value) {
  return debug_tuple("StrategyIdHash", debug_quote(to_hex(value)));
}
std::string debug_text(const StrategyId& value) {
  return debug_tuple("StrategyId", debug_quote(strategy_id_text(value)));
}
std::string debug_text(const Bytes25& value) { return debug_tuple("Bytes25", debug_byte_list(value.bytes)); }
std::string debug_text(const Hash& value) { return debug_tuple("Hash", to_hex(value)); }
std::string debug_text(const ReleaseHash& value) {
  return debug_tuple("ReleaseHash", debug_tuple("Hash", to_hex(value)));
}
std::string debug_text(const TokenAddress& value) { return debug_tuple("TokenAddress", to_hex(value)); }

}  // namespace qzr
