// Keccak-256 with the Keccak padding byte 0x01 (as Ethereum uses it, not SHA-3's 0x06): one-shot
// and incremental hashing. The implementation behind it is not part of this interface.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace qzr {

using Keccak256Digest = std::array<std::uint8_t, 32>;

// The digest of `data`. Allocates nothing.
Keccak256Digest keccak256(std::span<const std::uint8_t> data) noexcept;
Keccak256Digest keccak256(std::string_view data) noexcept;

// Incremental hashing: update() any number of times, then finalize(), which returns the digest
// of everything written since construction or the last finalize() and starts over empty. Holds
// its state inline (no heap allocation); copies continue independently from the copied state.
class Keccak256Hasher {
 public:
  Keccak256Hasher() noexcept;
  Keccak256Hasher(const Keccak256Hasher& other) noexcept;
  Keccak256Hasher& operator=(const Keccak256Hasher& other) noexcept;
  ~Keccak256Hasher();

  void update(std::span<const std::uint8_t> data) noexcept;
  void update(std::string_view data) noexcept;
  Keccak256Digest finalize() noexcept;

 private:
  // Room for the implementation's state object; keccak.cpp checks at compile time that it fits.
  static constexpr std::size_t state_size = 256;
  alignas(16) std::byte m_state[state_size];
};

}  // namespace qzr
