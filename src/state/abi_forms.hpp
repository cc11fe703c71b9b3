// The ABI forms of the state records' field types: the encoding a field is written as inside its
// record's value tuple, the parameter type the decoder reads it with, and the decoded token it is
// read back from (untrusted). One entry per type; record_abi.hpp joins them along each record's
// field list. (A field's debug text is its type's debug form, values/debug_form.hpp.)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "abi/param_type.hpp"
#include "abi/token.hpp"
#include "abi/words.hpp"
#include "core/common_error.hpp"
#include "core/enum_table.hpp"
#include "keys/specs.hpp"
#include "state/accounting_enums.hpp"
#include "state/balance.hpp"
#include "state/map_tuple_token.hpp"
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
//   static abi::ParamType param_type();                the decoder's schema of the value
//   static Result<T> from_token(const abi::Token&);   untrusted decoded token; Other errors
template <class T>
struct AbiForm;

// A field tag (core/field_list.hpp): the field's schema names uint256 where its type's names a
// narrower integer. The word written and read is the same: the decoder reads integer words whole.
struct AbiUint256Label {};

// A decimal amount: its signed decimal word (abi/words.hpp), read back from a Uint token and
// recorded.
template <>
struct AbiForm<UnscaledI128> {
  static abi::ParamType param_type() { return abi::ParamType::unsigned_int(128); }
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, const UnscaledI128& amount);
  static Result<UnscaledI128> from_token(const abi::Token& token);
};

// The number's word, read back from a Uint (or Int) token as its low 64 bits.
template <>
struct AbiForm<std::uint64_t> {
  static abi::ParamType param_type() { return abi::ParamType::unsigned_int(64); }
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, std::uint64_t value);
  static Result<std::uint64_t> from_token(const abi::Token& token);
};

// The word 1 or 0, read back from a Bool token.
template <>
struct AbiForm<bool> {
  static abi::ParamType param_type() { return abi::ParamType::boolean(); }
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, bool value);
  static Result<bool> from_token(const abi::Token& token);
};

// The address word (12 zero bytes, the 20 bytes), read back from an Address token.
template <>
struct AbiForm<AccountAddress> {
  static abi::ParamType param_type() { return abi::ParamType::address(); }
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, const AccountAddress& address);
  static Result<AccountAddress> from_token(const abi::Token& token);
};

// bytes21: the 21 bytes left-aligned.
template <>
struct AbiForm<TraderAddress> {
  static abi::ParamType param_type() { return abi::ParamType::fixed_bytes(21); }
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, const TraderAddress& address);
  static Result<TraderAddress> from_token(const abi::Token& token);
};

// bytes32: the 32 bytes as stored (the length byte is not checked on reading).
template <>
struct AbiForm<StrategyId> {
  static abi::ParamType param_type() { return abi::ParamType::fixed_bytes(32); }
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, const StrategyId& id);
  static Result<StrategyId> from_token(const abi::Token& token);
};

// bytes32: the 4 hash bytes and 28 zero bytes (the 28 are not checked on reading).
template <>
struct AbiForm<StrategyIdHash> {
  static abi::ParamType param_type() { return abi::ParamType::fixed_bytes(32); }
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, const StrategyIdHash& hash);
  static Result<StrategyIdHash> from_token(const abi::Token& token);
};

// A declared enum written as the static one-element tuple (uint8) of its number, one word, and
// read back from a discriminant tuple (abi::discriminant_tuple_member: a number without a member
// is Other "Discriminant out of bounds"). An enum written this way says so in one line below.
template <DeclaredEnum E>
struct AbiDiscriminantTuple {
  static abi::ParamType param_type() { return abi::ParamType::tuple({abi::ParamType::unsigned_int(8)}); }
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, E value) { write_u64_word(dest, enum_number(value)); }
  static Result<E> from_token(const abi::Token& token) {
    return abi::discriminant_tuple_member(token, &enum_from_number<E>);
  }
};

// OrderSide: 0 Bid, 1 Ask. PositionSide: 0 Empty, 1 Long, 2 Short.
template <>
struct AbiForm<OrderSide> : AbiDiscriminantTuple<OrderSide> {};
template <>
struct AbiForm<PositionSide> : AbiDiscriminantTuple<PositionSide> {};

// The balance tuple: the map tuple (map_tuple_token.hpp) of the token addresses and their amount
// words, in entry order. Reading assigns the pairs in order (a repeated address keeps its last
// amount, zero amounts are kept); a third distinct address is the Other error of the balance
// limit.
template <>
struct AbiForm<Balance> {
  static abi::ParamType param_type();
  static void append_dynamic(std::vector<std::uint8_t>& out, const Balance& balance);
  static Result<Balance> from_token(const abi::Token& token);
};

// bytes32 (the signer's value).
template <>
struct AbiForm<ReleaseHash> {
  static abi::ParamType param_type() { return abi::ParamType::fixed_bytes(32); }
  static constexpr std::size_t static_size = 32;
  static void write_static(std::uint8_t* dest, const ReleaseHash& hash);
  static Result<ReleaseHash> from_token(const abi::Token& token);
};

// A string: length word, the bytes zero-padded to whole words; read back from a String token (any
// other token is Other "Invalid specs expression").
template <>
struct AbiForm<SpecsExpr> {
  static abi::ParamType param_type() { return abi::ParamType::string(); }
  static void append_dynamic(std::vector<std::uint8_t>& out, const SpecsExpr& expr);
  static Result<SpecsExpr> from_token(const abi::Token& token) { return parse_specs_expr(token); }
};

// Writing faults as product_symbol_to_bytes32 does for a symbol that does not unpack (a broken
// invariant: the map's symbols were parsed and packed). The map tuple of the symbols' 32-byte
// text words and their ordinals, sorted by the symbols' packed bytes
// (NextBookOrdinals::sorted_entries), so equal maps encode alike. Reading walks the pairs; each
// symbol word must parse as a product symbol, and a repeated symbol keeps its last ordinal.
template <>
struct AbiForm<NextBookOrdinals> {
  static abi::ParamType param_type();
  static void append_dynamic(std::vector<std::uint8_t>& out, const NextBookOrdinals& map);
  static Result<NextBookOrdinals> from_token(const abi::Token& token);
};

}  // namespace qzr
