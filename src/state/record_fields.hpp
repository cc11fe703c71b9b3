// The field types of the state records and their two forms: the ABI token a field is written as
// inside its record's value tuple (and read back from, untrusted), and the debug text it shows in
// its record's debug text. One entry per type; record_layout.hpp joins them into records.
#pragma once

#include <cstdint>
#include <string>

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

// For a field type T:
//   static abi::Token into_token(const T&);
//   static Result<T> from_token(const abi::Token&);   untrusted token; Other errors
//   static std::string debug(const T&);
template <class T>
struct RecordField;

// A decimal amount: its signed decimal word (abi/words.hpp) as a Uint token, read back recorded;
// "UnscaledI128(1.5)".
template <>
struct RecordField<UnscaledI128> {
  static abi::Token into_token(const UnscaledI128& amount);
  static Result<UnscaledI128> from_token(const abi::Token& token);
  static std::string debug(const UnscaledI128& amount) { return amount.debug_text(); }
};

// A Uint token, read back as its low 64 bits (an Int token too); decimal digits.
template <>
struct RecordField<std::uint64_t> {
  static abi::Token into_token(std::uint64_t value);
  static Result<std::uint64_t> from_token(const abi::Token& token);
  static std::string debug(std::uint64_t value) { return std::to_string(value); }
};

// A Bool token; "true" or "false".
template <>
struct RecordField<bool> {
  static abi::Token into_token(bool value) { return abi::Token::boolean(value); }
  static Result<bool> from_token(const abi::Token& token);
  static std::string debug(bool value) { return value ? "true" : "false"; }
};

// An Address token; bare "0x" and 40 lower-case digits (a trader's referral address).
template <>
struct RecordField<AccountAddress> {
  static abi::Token into_token(const AccountAddress& address);
  static Result<AccountAddress> from_token(const abi::Token& token);
  static std::string debug(const AccountAddress& address) { return to_hex(address); }
};

// 21 fixed bytes; TraderAddress("0x<42 digits>").
template <>
struct RecordField<TraderAddress> {
  static abi::Token into_token(const TraderAddress& address);
  static Result<TraderAddress> from_token(const abi::Token& token);
  static std::string debug(const TraderAddress& address) { return debug_text(address); }
};

// 32 fixed bytes as stored (the length byte is not checked on reading); StrategyId("<name>").
template <>
struct RecordField<StrategyId> {
  static abi::Token into_token(const StrategyId& id);
  static Result<StrategyId> from_token(const abi::Token& token);
  static std::string debug(const StrategyId& id) { return debug_text(id); }
};

// 32 fixed bytes: the 4 hash bytes and 28 zero bytes (the 28 are not checked on reading);
// StrategyIdHash("0x<8 digits>").
template <>
struct RecordField<StrategyIdHash> {
  static abi::Token into_token(const StrategyIdHash& hash);
  static Result<StrategyIdHash> from_token(const abi::Token& token);
  static std::string debug(const StrategyIdHash& hash) { return debug_text(hash); }
};

// A one-element tuple of the side's number; "Bid" or "Ask".
template <>
struct RecordField<OrderSide> {
  static abi::Token into_token(OrderSide side);
  static Result<OrderSide> from_token(const abi::Token& token);
  static std::string debug(OrderSide side) { return std::string(order_side_name(side)); }
};

// A one-element tuple of the side's number (0 Empty, 1 Long, 2 Short); "None", "Long", "Short".
// Read as OrderSide is.
template <>
struct RecordField<PositionSide> {
  static abi::Token into_token(PositionSide side);
  static Result<PositionSide> from_token(const abi::Token& token);
  static std::string debug(PositionSide side) { return std::string(position_side_text(side)); }
};

// The balance tuple: the map tuple (map_tuple_token.hpp) of the token addresses and their amount
// words, in entry order. Reading assigns the pairs in order (a repeated address keeps its last
// amount, zero amounts are kept); a third distinct address is the Other error of the balance
// limit. Balance({...}).
template <>
struct RecordField<Balance> {
  static abi::Token into_token(const Balance& balance);
  static Result<Balance> from_token(const abi::Token& token);
  static std::string debug(const Balance& balance) { return balance.debug_text(); }
};

// 32 fixed bytes (the signer's value); ReleaseHash(Hash(0x<64 digits>)).
template <>
struct RecordField<ReleaseHash> {
  static abi::Token into_token(const ReleaseHash& hash);
  static Result<ReleaseHash> from_token(const abi::Token& token);
  static std::string debug(const ReleaseHash& hash) { return debug_text(hash); }
};

// A String token (any other token is Other "Invalid specs expression"); SpecsExpr("<text>").
template <>
struct RecordField<SpecsExpr> {
  static abi::Token into_token(const SpecsExpr& expr) { return abi::Token::string(expr.text); }
  static Result<SpecsExpr> from_token(const abi::Token& token) { return parse_specs_expr(token); }
  static std::string debug(const SpecsExpr& expr) { return debug_text(expr); }
};

// The map tuple of the symbols' 32-byte text words and their ordinals, sorted by the symbols'
// packed bytes (NextBookOrdinals::sorted_entries), so equal maps encode alike. Reading walks the
// pairs; each symbol word must parse as a product symbol, and a repeated symbol keeps its last
// ordinal. {ProductSymbol("ETHP"): 5}.
template <>
struct RecordField<NextBookOrdinals> {
  static abi::Token into_token(const NextBookOrdinals& map);
  static Result<NextBookOrdinals> from_token(const abi::Token& token);
  static std::string debug(const NextBookOrdinals& map) { return map.debug_text(); }
};

}  // namespace qzr
