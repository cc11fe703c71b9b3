// Keccak-256: the sponge (rate 136 bytes, padding byte 0x01, the last byte of the block xored with
// 0x80) written here over Crypto++'s Keccak-f[1600] permutation. This file is the only place that
// sees Crypto++, and the permutation is all it takes from it: Crypto++'s Keccak_256 class derives
// from the library's generic hash interface, whose object file brings most of the library (big
// integers, elliptic curves, block ciphers, other hashes) into a static link. The build links the
// permutation's object file alone (see the root CMakeLists.txt), so any other use of Crypto++
// here fails to link instead of growing the module.
#include "values/keccak.hpp"

#include <cryptopp/config_int.h>

#include <bit>
#include <cstring>
#include <memory>
#include <new>

namespace CryptoPP {
// The permutation, declared as Crypto++ declares it for its own sponges (no public header has it).
// The linked name carries the parameter type, so a change of it fails the link, not the digest.
void KeccakF1600(word64* state);
}  // namespace CryptoPP

namespace qzr {
namespace {

static_assert(std::endian::native == std::endian::little,
              "the state's lanes are read and written as little-endian bytes");

constexpr std::size_t rate = 136;  // bytes absorbed per permutation: 1600 - 2 * 256 bits

// The sponge's state: 25 lanes of 64 bits and the number of bytes of the current block absorbed
// so far (always < rate between calls). All zero is the empty state.
struct Sponge {
  CryptoPP::word64 lanes[25] = {};
  std::size_t position = 0;
};

void xor_into(unsigned char* state, const std::uint8_t* data, std::size_t size) {
  for (; size >= 8; state += 8, data += 8, size -= 8) {
    std::uint64_t word;
    std::uint64_t input;
    std::memcpy(&word, state, 8);
    std::memcpy(&input, data, 8);
    word ^= input;
    std::memcpy(state, &word, 8);
  }
  for (; size > 0; ++state, ++data, --size) *state ^= *data;
}

void absorb(Sponge& sponge, const std::uint8_t* data, std::size_t size) {
  auto* state = reinterpret_cast<unsigned char*>(sponge.lanes);
  while (size >= rate - sponge.position) {
    const std::size_t room = rate - sponge.position;
    xor_into(state + sponge.position, data, room);
    CryptoPP::KeccakF1600(sponge.lanes);
    data += room;
    size -= room;
    sponge.position = 0;
  }
  xor_into(state + sponge.position, data, size);
  sponge.position += size;
}

// The digest of everything absorbed; leaves `sponge` empty.
Keccak256Digest squeeze(Sponge& sponge) {
  auto* state = reinterpret_cast<unsigned char*>(sponge.lanes);
  state[sponge.position] ^= 0x01;
  state[rate - 1] ^= 0x80;
  CryptoPP::KeccakF1600(sponge.lanes);
  Keccak256Digest digest;
  std::memcpy(digest.data(), state, digest.size());
  sponge = Sponge{};
  return digest;
}

}  // namespace

Keccak256Digest keccak256(std::span<const std::uint8_t> data) noexcept {
  Sponge sponge;
  absorb(sponge, data.data(), data.size());
  return squeeze(sponge);
}

Keccak256Digest keccak256(std::string_view data) noexcept {
  return keccak256(std::span(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
}

namespace {

Sponge& sponge_in(std::byte* state) { return *std::launder(reinterpret_cast<Sponge*>(state)); }
const Sponge& sponge_in(const std::byte* state) {
  return *std::launder(reinterpret_cast<const Sponge*>(state));
}

}  // namespace

Keccak256Hasher::Keccak256Hasher() noexcept {
  static_assert(sizeof(Sponge) <= state_size, "Keccak256Hasher::state_size is too small for the sponge");
  static_assert(alignof(Sponge) <= 16, "Keccak256Hasher::m_state is aligned to 16 bytes only");
  new (m_state) Sponge();
}

Keccak256Hasher::Keccak256Hasher(const Keccak256Hasher& other) noexcept {
  new (m_state) Sponge(sponge_in(other.m_state));
}

Keccak256Hasher& Keccak256Hasher::operator=(const Keccak256Hasher& other) noexcept {
  if (this != &other) sponge_in(m_state) = sponge_in(other.m_state);
  return *this;
}

Keccak256Hasher::~Keccak256Hasher() { std::destroy_at(&sponge_in(m_state)); }

void Keccak256Hasher::update(std::span<const std::uint8_t> data) noexcept {
  absorb(sponge_in(m_state), data.data(), data.size());
}

void Keccak256Hasher::update(std::string_view data) noexcept {
  update(std::span(reinterpret_cast<const std::uint8_t*>(data.data()), data.size()));
}

Keccak256Digest Keccak256Hasher::finalize() noexcept { return squeeze(sponge_in(m_state)); }

}  // namespace qzr
