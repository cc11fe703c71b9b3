// The item ABI value: the one byte form of every stored item, and its Keccak-256 digest, the leaf
// value hash, on which the state tree's root depends. Byte-exact for every valid record.
//
// For an item of kind k (1 to 12) holding record value V, the bytes are the Solidity ABI encoding
// of a parameter list of exactly one parameter, the tuple (uint256 k, V) of type (uint256,T) with
// T the kind's schema below. For a dynamic T (kinds 2, 6, 9, 10, 11, 12) the bytes therefore begin
// with the offset word 0x20. The empty item has no encoding: its bytes are empty and its value
// hash is 32 zero bytes.
//
//   kind  record                      schema T
//    1    Trader                      (uint128,uint128,address,bool)
//    2    Strategy                    (bytes32,(address[],uint128[]),(address[],uint128[]),uint64,bool)
//    3    Position                    ((uint8),uint128,uint128)
//    4    BookOrder                   ((uint8),uint128,uint128,bytes21,bytes32,uint64,uint64)
//    5    Price                       (uint128,uint256,uint64,uint64)
//    6    InsuranceFund               (address[],uint128[])
//    7    Stats                       (uint128,uint128)
//    8    Signer                      bytes32
//    9    Specs                       string
//   10    InsuranceFundContribution   ((address[],uint128[]),(address[],uint128[]))
//   11    FeePool                     (address[],uint128[])
//   12    EpochMetadata               ((bytes32[],uint64[]))
//
// Amounts are signed decimal words (abi/words.hpp) whatever width the schema names: the decoder
// reads integer words whole, so the widths are labels only.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "abi/param_type.hpp"
#include "abi/token.hpp"
#include "core/common_error.hpp"
#include "state/item.hpp"
#include "values/h256.hpp"

namespace qzr {

// Faults with "no entry found for key" for the empty kind, which has no entry. The value schema
// of a kind, derived from its record's field list (the list the encoder walks). Built once per
// process on first use.
const abi::ParamType& item_abi_schema(ItemKind kind);

// The item ABI value; empty bytes for the empty item. Cannot fail.
std::vector<std::uint8_t> item_abi_encoded_value(const Item& item);

// Keccak-256 of the item ABI value; zero for the empty item. Cannot fail.
H256 item_value_hash(const Item& item);

// Reads a decoded value tree, untrusted: a non-empty tuple whose first element is the kind number
// and whose second is that kind's record value (later elements ignored). Kind 0 gives the empty
// item whatever follows. Other errors: "Not a tuple", "Empty token stream", the integer reader's
// error, "Integer overflow when casting to u64" (a kind of 2^64 or more), "Discriminant out of
// bounds" (a number past the list of kinds), "No token left at this position", and the record
// reader's errors.
Result<Item> parse_item_from_token(const abi::Token& token);

inline constexpr std::string_view all_schemas_failed_text = "invalid abi representation: all schemas failed";
inline constexpr std::string_view empty_schema_text =
    "invalid abi representation: empty schema but non-empty value";

// Reads item ABI value bytes, untrusted, with the schema of `kind`: when the bytes decode against
// it (bytes after the decoded data are ignored) and parse_item_from_token reads the value tree,
// that is the item. The kind word in the bytes decides the item's kind; the requested kind only
// selects the schema, so a fee pool's bytes read with the insurance fund's schema give a fee pool.
// Every failure is the Other error all_schemas_failed_text, never a fault.
// For the empty kind: empty bytes give the empty item, any other bytes the Other error
// empty_schema_text.
Result<Item> parse_item_abi_value(ItemKind kind, std::span<const std::uint8_t> bytes);

}  // namespace qzr
