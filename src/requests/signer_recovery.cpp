// Signer recovery on libsecp256k1, with one library context for the process.
#include "requests/signer_recovery.hpp"

#include <secp256k1.h>
#include <secp256k1_recovery.h>

#include <algorithm>
#include <array>
#include <memory>
#include <optional>
#include <string>

#include "core/fault.hpp"
#include "core/once_cell.hpp"
#include "values/keccak.hpp"

namespace qzr {
namespace {

// (n - 1) / 2 for the secp256k1 group order n, big-endian: the largest s that EIP-2 allows.
constexpr std::array<std::uint8_t, 32> half_group_order = {
    0x7f, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
    0x5d, 0x57, 0x6e, 0x73, 0x57, 0xa4, 0x50, 0x1d, 0xdf, 0xe9, 0x2f, 0x46, 0x68, 0x1b, 0x20, 0xa0};

// The message of an illegal-argument report made on this thread during the current library call.
// The library's default reaction is to abort the process; ours records the report, and the call's
// wrapper turns it into a fault once the library has returned, so that no C++ exception unwinds
// through the library's frames.
std::optional<std::string>& pending_illegal_argument() {
  thread_local std::optional<std::string> message;
  return message;
}

void record_illegal_argument(const char* message, void*) { pending_illegal_argument() = message; }

// Faults when the library call just made reported an illegal argument (a broken precondition of
// ours: never reachable from the bytes of a signature or digest).
void fault_on_illegal_argument() {
  if (std::optional<std::string> message = std::exchange(pending_illegal_argument(), std::nullopt)) {
    fault("secp256k1 illegal argument: " + *message);
  }
}

struct ContextDeleter {
  void operator()(secp256k1_context* context) const noexcept { secp256k1_context_destroy(context); }
};
using ContextHandle = std::unique_ptr<secp256k1_context, ContextDeleter>;

// The process's library context, built on first use and read-only afterwards (the recovery
// functions take it const, so concurrent use is safe).
const secp256k1_context* recovery_context() {
  static OnceCell<ContextHandle> cell;
  return cell
      .get_or_init([] {
        ContextHandle context(secp256k1_context_create(SECP256K1_CONTEXT_NONE));
        if (!context) fault("secp256k1_context_create failed");
        secp256k1_context_set_illegal_callback(context.get(), record_illegal_argument, nullptr);
        return context;
      })
      .get();
}

bool s_is_high(const Signature& signature) {
  const auto s = std::span(signature.bytes).subspan<32, 32>();
  return std::ranges::lexicographical_compare(half_group_order, s);
}

}  // namespace

Result<AccountAddress> recover_signer_address(const Hash& digest, const Signature& signature) {
  const std::uint8_t recovery_id = static_cast<std::uint8_t>(signature.bytes[64] - 27);
  if (recovery_id > 3) return fail(CommonError::crypto("InvalidRecoveryId"));

  const secp256k1_context* context = recovery_context();
  secp256k1_ecdsa_recoverable_signature parsed;
  const int parsed_ok = secp256k1_ecdsa_recoverable_signature_parse_compact(
      context, &parsed, signature.bytes.data(), recovery_id);
  fault_on_illegal_argument();
  if (!parsed_ok) return fail(CommonError::crypto("InvalidSignature"));
  if (s_is_high(signature)) return fail(CommonError::other("Signature is not compliant with EIP-2"));

  secp256k1_pubkey public_key;
  const int recovered = secp256k1_ecdsa_recover(context, &public_key, &parsed, digest.bytes.data());
  fault_on_illegal_argument();
  if (!recovered) return fail(CommonError::crypto("InvalidSignature"));

  std::array<std::uint8_t, 65> serialized{};
  std::size_t serialized_size = serialized.size();
  secp256k1_ec_pubkey_serialize(context, serialized.data(), &serialized_size, &public_key,
                                SECP256K1_EC_UNCOMPRESSED);
  fault_on_illegal_argument();
  const Keccak256Digest key_hash = keccak256(std::span(serialized).subspan<1>());
  AccountAddress address;
  std::ranges::copy(std::span(key_hash).subspan<12>(), address.bytes.begin());
  return address;
}

}  // namespace qzr
