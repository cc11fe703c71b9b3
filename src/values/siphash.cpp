// SipHash-1-3 with zero keys.
#include "values/siphash.hpp"

#include <bit>
#include <cstring>

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
  std::uint64_t word;
  std::memcpy(&word, bytes, 8);
  if constexpr (std::endian::native == std::endian::big) word = std::byteswap(word);
  return word;
}

std::uint32_t load_le32(const std::uint8_t* bytes) noexcept {
  std::uint32_t word;
  std::memcpy(&word, bytes, 4);
  if constexpr (std::endian::native == std::endian::big) word = std::byteswap(word);
  return word;
}

// The `count` (0 to 7) bytes at `bytes`, least significant first, in two loads that may overlap
// (an overlapping byte lands on the same bits twice, so OR keeps it).
std::uint64_t load_le_partial(const std::uint8_t* bytes, std::size_t count) noexcept {
  if (count >= 4) return load_le32(bytes) | std::uint64_t{load_le32(bytes + count - 4)} << (8 * (count - 4));
  if (count == 0) return 0;
  return bytes[0] | std::uint64_t{bytes[count / 2]} << (8 * (count / 2)) |
         std::uint64_t{bytes[count - 1]} << (8 * (count - 1));
}

}  // namespace

void SipHasher13::write(std::span<const std::uint8_t> bytes) noexcept {
  m_total_size += bytes.size();
  const std::uint8_t* next = bytes.data();
  std::size_t left = bytes.size();
  SipState state{m_v0, m_v1, m_v2, m_v3};
  if (m_tail_size != 0) {
    const std::size_t fill = left < 8 - m_tail_size ? left : 8 - m_tail_size;
    m_tail |= load_le_partial(next, fill) << (8 * m_tail_size);
    m_tail_size += fill;
    if (m_tail_size < 8) return;  // state unchanged
    next += fill;
    left -= fill;
    state.compress(m_tail);
    m_tail_size = 0;
  }
  for (; left >= 8; next += 8, left -= 8) state.compress(load_le64(next));
  m_tail = load_le_partial(next, left);
  m_tail_size = left;
  m_v0 = state.v0;
  m_v1 = state.v1;
  m_v2 = state.v2;
  m_v3 = state.v3;
}

void SipHasher13::write_u64(std::uint64_t value) noexcept {
  // A whole word completes the pending word and leaves its high bytes pending in turn.
  m_total_size += 8;
  SipState state{m_v0, m_v1, m_v2, m_v3};
  if (m_tail_size == 0) {
    state.compress(value);
  } else {
    state.compress(m_tail | value << (8 * m_tail_size));
    m_tail = value >> (64 - 8 * m_tail_size);
  }
  m_v0 = state.v0;
  m_v1 = state.v1;
  m_v2 = state.v2;
  m_v3 = state.v3;
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
