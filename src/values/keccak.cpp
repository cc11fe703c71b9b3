// Keccak-256 through Crypto++'s Keccak_256 (padding byte 0x01). This file is the only place that
// sees Crypto++.
#include "values/keccak.hpp"

#include <cryptopp/keccak.h>

#include <memory>
#include <new>

namespace qzr {
namespace {

using Implementation = CryptoPP::Keccak_256;
static_assert(Implementation::DIGESTSIZE == 32);

}  // namespace

Keccak256Digest keccak256(std::span<const std::uint8_t> data) noexcept {
  // The state is a fixed-size block inside the object: no heap allocation.
  Implementation hash;
  hash.Update(data.data(), data.size());
  Keccak256Digest digest;
  hash.TruncatedFinal(digest.data(), digest.size());
  return digest;
}

Keccak256Digest keccak256(std::string_view data) noexcept {
  return keccak256(std::span(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
}

namespace {

Implementation& implementation(std::byte* state) {
  return *std::launder(reinterpret_cast<Implementation*>(state));
}
const Implementation& implementation(const std::byte* state) {
  return *std::launder(reinterpret_cast<const Implementation*>(state));
}

}  // namespace

Keccak256Hasher::Keccak256Hasher() noexcept {
  static_assert(sizeof(Implementation) <= state_size,
                "Keccak256Hasher::state_size is too small for Keccak_256");
  static_assert(alignof(Implementation) <= 16, "Keccak256Hasher::m_state is aligned to 16 bytes only");
  new (m_state) Implementation();
}

Keccak256Hasher::Keccak256Hasher(const Keccak256Hasher& other) noexcept {
  new (m_state) Implementation(implementation(other.m_state));
}

Keccak256Hasher& Keccak256Hasher::operator=(const Keccak256Hasher& other) noexcept {
  if (this != &other) {
    std::destroy_at(&implementation(m_state));
    new (m_state) Implementation(implementation(other.m_state));
  }
  return *this;
}

Keccak256Hasher::~Keccak256Hasher() { std::destroy_at(&implementation(m_state)); }

void Keccak256Hasher::update(std::span<const std::uint8_t> data) noexcept {
  implementation(m_state).Update(data.data(), data.size());
}

void Keccak256Hasher::update(std::string_view data) noexcept {
  update(std::span(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
}

Keccak256Digest Keccak256Hasher::finalize() noexcept {
  Keccak256Digest digest;
  implementation(m_state).TruncatedFinal(digest.data(), digest.size());
  return digest;
}

}  // namespace qzr
