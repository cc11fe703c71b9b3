// The application context: the chain id and the deployment's contract and token addresses, built
// once per process from the environment (CHAIN_ID, CONTRACT_DEPLOYMENT, QZR_SHARE) and the
// addresses file, then read under a reader-writer lock until the process ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/common_error.hpp"
#include "core/poisonable_rw_lock.hpp"
#include "values/fixed_bytes.hpp"

namespace qzr {

// The context record. The deployment name, the share directory, the faucet and the further
// addresses of the file are not kept.
struct OperatorContext {
  // The deployment's "velmarindAddress": the verifying contract of every EIP-712 digest.
  AccountAddress contract_address;
  // The value of CHAIN_ID, which equals the deployment's "chainId".
  std::uint64_t chain_id = 0;
  // The deployment's "usdcAddress": the one entry of the context's token-address map, which
  // maps TokenSymbol USDC to it and never holds QZR. A reverse lookup by address therefore finds
  // only USDC.
  TokenAddress usdc_token_address;
  // The deployment's "qzrAddress", kept outside that map: TokenSymbol QZR resolves to it.
  TokenAddress qzr_token_address;

  // Faults as get_app_context does. A copy of the process-wide context, taken under its read lock
  // (which is released before returning); builds the context on the first read of the process.
  static OperatorContext clone_global();

  friend bool operator==(const OperatorContext&, const OperatorContext&) = default;
};

// The three variables as the process environment holds them: nullopt when absent, else the raw
// bytes, which need not be UTF-8.
struct AppContextEnvironment {
  std::optional<std::string> chain_id;             // CHAIN_ID
  std::optional<std::string> contract_deployment;  // CONTRACT_DEPLOYMENT
  std::optional<std::string> qzr_share;            // QZR_SHARE
};

// What the environment decides.
struct AppContextSettings {
  std::uint64_t chain_id = 0;
  std::string contract_deployment;
  std::string addresses_path;

  friend bool operator==(const AppContextSettings&, const AppContextSettings&) = default;
};

inline constexpr std::string_view default_chain_id = "1337";
inline constexpr std::string_view default_contract_deployment = "snapshot";

// Reads CHAIN_ID, CONTRACT_DEPLOYMENT and QZR_SHARE with getenv.
AppContextEnvironment read_app_context_environment();

// Parses the environment, untrusted:
// - CHAIN_ID, "1337" when absent or not UTF-8, must be an unsigned 64-bit decimal integer: an
//   optional "+" and one or more digits, nothing else, at most 2^64-1. Otherwise Other "Cannot parse
//   CHAIN_ID: " and "cannot parse integer from empty string", "invalid digit found in string" or "number too
//   large to fit in target type".
// - CONTRACT_DEPLOYMENT is "snapshot" when absent or not UTF-8.
// - QZR_SHARE absent: Other "QZR_SHARE not set: NotPresent"; not UTF-8: Other "QZR_SHARE not set:
//   NotUnicode(<the value, quoted>)".
// - addresses_path is QZR_SHARE, a "/" unless QZR_SHARE is empty or ends with "/", and
//   "ethereum/addresses.json".
Result<AppContextSettings> parse_app_context_settings(const AppContextEnvironment& environment);

// The whole file at `path`. Failures are Other errors: opening, "Cannot initialize app context
// without addresses.json: " and the system error ("Os { code: 2, message: \"No such file or
// directory\" }"); reading, the system error alone.
Result<std::string> read_addresses_file(const std::string& path);

// Builds the record from the settings and the addresses file's text (untrusted). Failures are
// Other errors: "Cannot parse addresses.json: " and the reader's error (context/addresses_file.hpp);
// "CONTRACT_DEPLOYMENT not found in addresses.json"; "chain id from addresses.json doesn't match
// CHAIN_ID" (when the named deployment's chain id differs, whatever other deployments hold).
Result<OperatorContext> build_operator_context(const AppContextSettings& settings,
                                               std::string_view addresses_json);

// parse_app_context_settings, read_addresses_file and build_operator_context in that order: the
// whole build, with the first failure. The process-wide context is this applied to
// read_app_context_environment().
Result<OperatorContext> load_operator_context(const AppContextEnvironment& environment);

// Holds the read side of the process-wide context's lock while it lives. Readers never block
// each other (nobody writes after the build). Release it before returning to Python, and do not
// call get_app_context again while holding it.
using AppContextReadGuard = PoisonableRwLock<OperatorContext>::ReadGuard;

// Faults with the failure's text (the error's display text) when the process's one build fails,
// and every later call of the process with "Once has panicked": the build is never retried, and
// neither the environment nor the file is read again. The process-wide context, under its read
// lock: the first call of the process builds it, load_operator_context applied to
// read_app_context_environment(), and concurrent first callers wait for that one build. After a
// successful build the file and the environment are never read again either, and the call
// cannot fail.
AppContextReadGuard get_app_context();

}  // namespace qzr
