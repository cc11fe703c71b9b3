// EIP-712 typed-data digests of the signed intents (the list in requests/signed_intents.hpp): the
// exchange's domain ("Velmarind", version "1", chain id, verifying contract), each intent's struct
// type string and 32-byte words, and the digest keccak256(0x19 0x01 || domain separator || struct
// hash). Every byte here is a contract with the intents' signers. Pure functions: they read
// nothing but their arguments.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/common_error.hpp"
#include "requests/signed_intents.hpp"
#include "values/fixed_bytes.hpp"
#include "values/keccak.hpp"

namespace qzr {

struct Eip712Domain {
  std::uint64_t chain_id = 0;
  AccountAddress verifying_contract;

  friend bool operator==(const Eip712Domain&, const Eip712Domain&) = default;
};

inline constexpr std::string_view eip712_domain_type =
    "EIP712Domain(string name,string version,uint256 chainId,address verifyingContract)";
inline constexpr std::string_view eip712_domain_name = "Velmarind";
inline constexpr std::string_view eip712_domain_version = "1";

// keccak256(keccak256(domain type) || keccak256(name) || keccak256(version) || chain id as a
// uint256 word || 12 zero bytes and the contract): the separator of any domain of this shape.
Keccak256Digest eip712_domain_separator(std::string_view name, std::string_view version,
                                        std::uint64_t chain_id,
                                        const AccountAddress& verifying_contract) noexcept;
// The separator of the exchange's domain.
Keccak256Digest eip712_domain_separator(const Eip712Domain& domain) noexcept;

// keccak256(0x19 0x01 || domain separator || struct hash).
Keccak256Digest eip712_envelope_digest(const Keccak256Digest& domain_separator,
                                       const Keccak256Digest& struct_hash) noexcept;

// The struct type string of an intent kind, for example "WithdrawQZRParams(uint128 amount,bytes32
// nonce)"; ProfileUpdate's is "UpdateProfileParams(bool payFeesInQzr,bytes32 nonce)".
template <SignedIntent Intent>
std::string_view eip712_type_string() noexcept;

// Faults as product_symbol_to_bytes32 does for a symbol that does not unpack (a broken invariant:
// every symbol that was parsed and packed unpacks). keccak256(keccak256(type string) || the
// intent's words). The words, one 32 bytes each:
// symbol the length-prefixed display text (not the packed bytes); strategy ids as stored; nonce
// as stored; order hash left-aligned (25 bytes, 7 zeros); side and order type as uint256;
// amounts the recorded value in millionths as uint256 (uint128 fields too); currency 12 zero
// bytes and the address; payFeesInQzr 0 or 1 as uint256. A negative non-zero amount fails with
// Other "Negatives don't scale into unsigned: " followed by its decimal text.
template <SignedIntent Intent>
Result<Keccak256Digest> eip712_struct_hash(const Intent& intent);

// Faults as eip712_struct_hash does. eip712_envelope_digest of the domain's separator and the
// intent's struct hash; fails as eip712_struct_hash. The signature never enters the digest.
template <SignedIntent Intent>
Result<Hash> eip712_digest(const Intent& intent, const Eip712Domain& domain);

}  // namespace qzr
