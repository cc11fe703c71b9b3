// The field types of the state records and their forms: the ABI encoding a field is written as
// inside its record's value tuple, the decoded token it is read back from (untrusted), and the
// debug text it shows in its record's debug text. One entry per type; record_layout.hpp joins
// them into records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "abi/token.hpp"
#include "core/common_error.hpp"
#include "keys/specs.hpp"
#include "state/accounting_enums.hpp"
#include "state/balance.hpp"
#include "state/next_book_ordinals.hpp"
#include "values/fixed_bytes.hpp"
#include "values/order_side.hpp"
#include "values/recorded_amount.hpp"

namespace qzr {

// For a field type T, either of the two writing forms of the ABI's head and tail layout:
//   static: static constexpr std::size_t static_size;          bytes in place, a multiple of 32
//           static void write_static(std::uint8_t* dest, const T&);   writes exactly those bytes
//   dynamic: static void append_dynamic(std::vector<std::uint8_t>& out, const T&);
//           appends the value's encoding, whose offsets count from where it starts; its enclosing
//           tuple writes the offset word pointing there
// and
//   static Result<T> from_token(const abi::Token&);   untrusted decoded token; Other errors
//   static std::string debug(const T&);
template <class T>
struct RecordField;

// A decimal amount: its signed decimal word (abi/words.hpp), read back from a Uint token and
// recorded; "UnscaledI128(1.5)".
template <>
struct RecordField<UnscaledI128> {
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, const UnscaledI128& amount);
  static Result<UnscaledI128> from_token(const abi::Token& token);
  static std::string debug(const UnscaledI128& amount) { return amount.debug_text(); }
};

// The number's word, read back from a Uint (or Int) token as its low 64 bits; decimal digits.
template <>
struct RecordField<std::uint64_t> {
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, std::uint64_t value);
  static Result<std::uint64_t> from_token(const abi::Token& token);
  static std::string debug(std::uint64_t value) { return std::to_string(value); }
};

// The word 1 or 0, read back from a Bool token; "true" or "false".
template <>
struct RecordField<bool> {
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, bool value);
  static Result<bool> from_token(const abi::Token& token);
  static std::string debug(bool value) { return value ? "true" : "false"; }
};

// The address word (12 zero bytes, the 20 bytes), read back from an Address token; bare "0x" and
// 40 lower-case digits (a trader's referral address).
template <>
struct RecordField<AccountAddress> {
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, const AccountAddress& address);
  static Result<AccountAddress> from_token(const abi::Token& token);
  static std::string debug(const AccountAddress& address) { return to_hex(address); }
};

// bytes21: the 21 bytes left-aligned; TraderAddress("0x<42 digits>").
template <>
struct RecordField<TraderAddress> {
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, const TraderAddress& address);
  static Result<TraderAddress> from_token(const abi::Token& token);
  static std::string debug(const TraderAddress& address) { return debug_text(address); }
};

// bytes32: the 32 bytes as stored (the length byte is not checked on reading);
// StrategyId("<name>").
template <>
struct RecordField<StrategyId> {
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, const StrategyId& id);
  static Result<StrategyId> from_token(const abi::Token& token);
  static std::string debug(const StrategyId& id) { return debug_text(id); }
};

// bytes32: the 4 hash bytes and 28 zero bytes (the 28 are not checked on reading);
// StrategyIdHash("0x<8 digits>").
template <>
struct RecordField<StrategyIdHash> {
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, const StrategyIdHash& hash);
  static Result<StrategyIdHash> from_token(const abi::Token& token);
  static std::string debug(const StrategyIdHash& hash) { return debug_text(hash); }
};

// The static one-element tuple (uint8) of the side's number, one word; "Bid" or "Ask".
template <>
struct RecordField<OrderSide> {
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, OrderSide side);
  static Result<OrderSide> from_token(const abi::Token& token);
  static std::string debug(OrderSide side) { return std::string(enum_name(side)); }
};

// A one-element tuple of the side's number (0 Empty, 1 Long, 2 Short); "None", "Long", "Short".
// Read as OrderSide is.
template <>
struct RecordField<PositionSide> {
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, PositionSide side);
  static Result<PositionSide> from_token(const abi::Token& token);
  static std::string debug(PositionSide side) { return std::string(enum_debug_text(side)); }
};

// The balance tuple: the map tuple (map_tuple_token.hpp) of the token addresses and their amount
// words, in entry order. Reading assigns the pairs in order (a repeated address keeps its last
// amount, zero amounts are kept); a third distinct address is the Other error of the balance
// limit. Balance({...}).
template <>
struct RecordField<Balance> {
  static void append_dynamic(std::vector<std::uint8_t>& out, const Balance& balance);
  static Result<Balance> from_token(const abi::Token& token);
  static std::string debug(const Balance& balance) { return balance.debug_text(); }
};

// bytes32 (the signer's value); ReleaseHash(Hash(0x<64 digits>)).
template <>
struct RecordField<ReleaseHash> {
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, const ReleaseHash& hash);
  static Result<ReleaseHash> from_token(const abi::Token& token);
  static std::string debug(const ReleaseHash& hash) { return debug_text(hash); }
};

// A string: length word, the bytes zero-padded to whole words; read back from a String token (any
// other token is Other "Invalid specs expression"); SpecsExpr("<text>").
template <>
struct RecordField<SpecsExpr> {
  static void append_dynamic(std::vector<std::uint8_t>& out, const SpecsExpr& expr);
  static Result<SpecsExpr> from_token(const abi::Token& token) { return parse_specs_expr(token); }
  static std::string debug(const SpecsExpr& expr) { return debug_text(expr); }
};

// The map tuple of the symbols' 32-byte text words and their ordinals, sorted by the symbols'
// packed bytes (NextBookOrdinals::sorted_entries), so equal maps encode alike. Reading walks the
// pairs; each symbol word must parse as a product symbol, and a repeated symbol keeps its last
// ordinal. {ProductSymbol("ETHP"): 5}.
template <>
struct RecordField<NextBookOrdinals> {
  static void append_dynamic(std::vector<std::uint8_t>& out, const NextBookOrdinals& map);
  static Result<NextBookOrdinals> from_token(const abi::Token& token);
  static std::string debug(const NextBookOrdinals& map) { return map.debug_text(); }
};

}  // namespace qzr
