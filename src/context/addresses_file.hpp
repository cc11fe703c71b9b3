// The addresses file (ethereum/addresses.json): deployments of the exchange's contracts by name,
// each with its contract addresses, chain id and faucet. Only what the application context keeps
// is returned; everything else is checked and dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "core/common_error.hpp"
#include "values/fixed_bytes.hpp"

namespace qzr {

// The three addresses of a deployment that the context keeps. The addresses object's further
// keys are checked to be distinct and otherwise skipped.
struct ContractAddresses {
  AccountAddress velmarind;  // "velmarindAddress": the exchange contract
  TokenAddress qzr_token;    // "qzrAddress"
  TokenAddress usdc_token;   // "usdcAddress"

  friend bool operator==(const ContractAddresses&, const ContractAddresses&) = default;
};

// A deployment as the context uses it; its faucet is parsed and dropped.
struct DeploymentMeta {
  ContractAddresses addresses;  // "addresses"
  std::uint64_t chain_id = 0;   // "chainId"

  friend bool operator==(const DeploymentMeta&, const DeploymentMeta&) = default;
};

// Deepest nesting of JSON arrays and objects that the file may use; the top-level object is
// level 1.
inline constexpr std::size_t addresses_file_max_depth = 128;

// Parses the whole file (UTF-8 JSON text, untrusted) and returns the deployment named
// `deployment_name` (the last entry under that name), or nullopt when no entry has that name.
// Every deployment of the file must be valid, not only the one asked for:
// - the top level is an object of deployment objects; a repeated name replaces the earlier entry;
// - a deployment is an object with "addresses" (required), "chainId" (required, a JSON integer
//   from 0 to 2^64-1 without fraction or exponent) and "faucet" (optional, null or a faucet),
//   other keys skipped; or an array of exactly those three values in that order;
// - "addresses" is an object (never an array) with "velmarindAddress", "qzrAddress" and
//   "usdcAddress" (required), other keys skipped;
// - a faucet is an object with "address" and "privateKey" (both required), other keys skipped;
//   or an array of exactly those two values;
// - an address is a string of 40 hex digits in either case, optionally preceded by "0x"; a
//   private key the same with 64 digits;
// - a key that occurs twice in one deployment, addresses or faucet object is refused;
// - arrays and objects nest at most addresses_file_max_depth levels deep; only white space may
//   follow the top-level value; a leading UTF-8 byte order mark is skipped (as JSON readers may).
// A failure is an Other error whose text is "parse error at line L, column C: " and the reason;
// the reasons name the records as "struct DeploymentMeta", "struct ContractAddresses" and
// "struct Faucet" (array forms: "struct DeploymentMeta with 3 elements", "struct Faucet with 2
// elements"). L counts lines from 1 and C the bytes read on that line when the reader stopped.
Result<std::optional<DeploymentMeta>> parse_addresses_file(std::string_view json_text,
                                                           std::string_view deployment_name);

}  // namespace qzr
