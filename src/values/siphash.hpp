// SipHash-1-3 (one compression round per 8-byte word, three finalization rounds) keyed with two
// zero 64-bit keys: the hash behind the fixed, process-independent hash values of keys, symbols
// and enumeration members.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace qzr {

namespace siphash_detail {

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

inline std::uint64_t load_le64(const std::uint8_t* bytes) noexcept {
  std::uint64_t word;
  std::memcpy(&word, bytes, 8);
  if constexpr (std::endian::native == std::endian::big) word = std::byteswap(word);
  return word;
}

inline std::uint32_t load_le32(const std::uint8_t* bytes) noexcept {
  std::uint32_t word;
  std::memcpy(&word, bytes, 4);
  if constexpr (std::endian::native == std::endian::big) word = std::byteswap(word);
  return word;
}

// The `count` (0 to 7) bytes at `bytes`, least significant first, in two loads that may overlap
// (an overlapping byte lands on the same bits twice, so OR keeps it).
inline std::uint64_t load_le_partial(const std::uint8_t* bytes, std::size_t count) noexcept {
  if (count >= 4) return load_le32(bytes) | std::uint64_t{load_le32(bytes + count - 4)} << (8 * (count - 4));
  if (count == 0) return 0;
  return bytes[0] | std::uint64_t{bytes[count / 2]} << (8 * (count / 2)) |
         std::uint64_t{bytes[count - 1]} << (8 * (count - 1));
}

}  // namespace siphash_detail

// A streaming hasher: the result depends only on the concatenation of everything written, not
// on how it was split into calls. The write_* helpers fix how values become message bytes, so
// that every class feeding its fields produces the hash values the system promises.
// Everything is inline: where the sizes written are constants (the fixed fields of a key), the
// compiler resolves the word boundaries at compile time and the hasher lives in registers.
class SipHasher13 {
 public:
  SipHasher13() noexcept = default;

  void write(std::span<const std::uint8_t> bytes) noexcept;
  // `value` as 8 bytes, least significant first.
  void write_u64(std::uint64_t value) noexcept;
  void write_u8(std::uint8_t value) noexcept { write(std::span(&value, 1)); }
  // A fixed-size byte field: its length as write_u64, then the bytes.
  void write_length_prefixed(std::span<const std::uint8_t> bytes) noexcept {
    write_u64(bytes.size());
    write(bytes);
  }
  // A text field: its UTF-8 bytes, then the byte 0xFF.
  void write_text(std::string_view text) noexcept {
    write(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    write_u8(0xFF);
  }

  // The hash of everything written so far; the hasher may be written to further.
  std::uint64_t finish() const noexcept;

 private:
  siphash_detail::SipState state() const noexcept { return {m_v0, m_v1, m_v2, m_v3}; }
  void set_state(const siphash_detail::SipState& state) noexcept {
    m_v0 = state.v0;
    m_v1 = state.v1;
    m_v2 = state.v2;
    m_v3 = state.v3;
  }

  // The state after SipHash's initialization with keys k0 = k1 = 0.
  std::uint64_t m_v0 = 0x736f6d6570736575;
  std::uint64_t m_v1 = 0x646f72616e646f6d;
  std::uint64_t m_v2 = 0x6c7967656e657261;
  std::uint64_t m_v3 = 0x7465646279746573;
  std::uint64_t m_tail = 0;        // the bytes of an unfinished word, least significant first
  std::size_t m_tail_size = 0;     // 0 to 7
  std::uint64_t m_total_size = 0;  // bytes written, modulo 2^64 (only the low byte is used)
};

inline void SipHasher13::write(std::span<const std::uint8_t> bytes) noexcept {
  using siphash_detail::load_le64;
  using siphash_detail::load_le_partial;
  m_total_size += bytes.size();
  const std::uint8_t* next = bytes.data();
  std::size_t left = bytes.size();
  siphash_detail::SipState state = this->state();
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
  set_state(state);
}

inline void SipHasher13::write_u64(std::uint64_t value) noexcept {
  // A whole word completes the pending word and leaves its high bytes pending in turn.
  m_total_size += 8;
  siphash_detail::SipState state = this->state();
  if (m_tail_size == 0) {
    state.compress(value);
  } else {
    state.compress(m_tail | value << (8 * m_tail_size));
    m_tail = value >> (64 - 8 * m_tail_size);
  }
  set_state(state);
}

inline std::uint64_t SipHasher13::finish() const noexcept {
  siphash_detail::SipState state = this->state();
  state.compress(m_tail | (m_total_size << 56));
  state.v2 ^= 0xFF;
  state.round();
  state.round();
  state.round();
  return state.v0 ^ state.v1 ^ state.v2 ^ state.v3;
}

// SipHash-1-3 with zero keys of one message.
std::uint64_t siphash13(std::span<const std::uint8_t> message) noexcept;

// A 64-bit hash as the signed hash value the system hands out: 2^64 - 1 becomes 2^64 - 2, then
// the bits are read as a two's-complement signed number, so the result is never -1 (which the
// Python runtime reserves for errors).
constexpr std::int64_t signed_hash_value(std::uint64_t hash) noexcept {
  return static_cast<std::int64_t>(hash == UINT64_MAX ? UINT64_MAX - 1 : hash);
}

}  // namespace qzr
