// SipHash-1-3 with zero keys.
#include "values/siphash.hpp"

#include <bit>

namespace qzr {
namespace {

struct SipState {
  std::uint64_t v0, v1, v2, v3;

  void round() noexcept {
    v0 += v1;
    v1 = std::rotl(v1, 13);
    v1 ^= v0;
    v0 = std::rotl(v0, 32);
    v2 += v3;
    v3 = std::rotl(v3, 16);
    v3 ^= v2;
    v0 += v3;
    v3 = std::rotl(v3, 21);
    v3 ^= v0;
    v2 += v1;
    v1 = std::rotl(v1, 17);
    v1 ^= v2;
    v2 = std::rotl(v2, 32);
  }

  void compress(std::uint64_t word) noexcept {
    v3 ^= word;
    round();
    v0 ^= word;
  }
};

std::uint64_t load_le64(const std::uint8_t* bytes) noexcept {
  std::uint64_t word = 0;
  for (int i = 7; i >= 0; --i) word = (word << 8) | bytes[i];
  return word;
}

}  // namespace

void SipHasher13::write(std::span<const std::uint8_t> bytes) noexcept {
  m_total_size += bytes.size();
  SipState state{m_v0, m_v1, m_v2, m_v3};
  std::size_t i = 0;
  if (m_tail_size != 0) {
    while (m_tail_size < 8 && i < bytes.size()) {
      m_tail |= std::uint64_t{bytes[i++]} << (8 * m_tail_size++);
    }
    if (m_tail_size < 8) return;  // state unchanged
    state.compress(m_tail);
    m_tail = 0;
    m_tail_size = 0;
  }
  for (; i + 8 <= bytes.size(); i += 8) state.compress(load_le64(bytes.data() + i));
  for (; i < bytes.size(); ++i) m_tail |= std::uint64_t{bytes[i]} << (8 * m_tail_size++);
  m_v0 = state.v0;
  m_v1 = state.v1;
  m_v2 = state.v2;
  m_v3 = state.v3;
}

void SipHasher13::write_u64(std::uint64_t value) noexcept {
  std::uint8_t bytes[8];
  for (auto& byte : bytes) {
    byte = static_cast<std::uint8_t>(value);
    value >>= 8;
  }
  write(bytes);
}

void SipHasher13::write_length_prefixed(std::span<const std::uint8_t> bytes) noexcept {
  write_u64(bytes.size());
  write(bytes);
}

void SipHasher13::write_text(std::string_view text) noexcept {
  write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
  write_u8(0xFF);
}

std::uint64_t SipHasher13::finish() const noexcept {
  SipState state{m_v0, m_v1, m_v2, m_v3};
  state.compress(m_tail | (m_total_size << 56));
  state.v2 ^= 0xFF;
  state.round();
  state.round();
  state.round();
  return state.v0 ^ state.v1 ^ state.v2 ^ state.v3;
}

std::uint64_t siphash13(std::span<const std::uint8_t> message) noexcept {
  SipHasher13 hasher;
  hasher.write(message);
  return hasher.finish();
}

}  // namespace qzr
