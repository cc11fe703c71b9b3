// SipHash-1-3 (one compression round per 8-byte word, three finalization rounds) keyed with two
// zero 64-bit keys: the hash behind the fixed, process-independent hash values of keys, symbols
// and enumeration members.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace qzr {

// A streaming hasher: the result depends only on the concatenation of everything written, not
// on how it was split into calls. The write_* helpers fix how values become message bytes, so
// that every class feeding its fields produces the hash values the system promises.
class SipHasher13 {
 public:
  SipHasher13() noexcept = default;

  void write(std::span<const std::uint8_t> bytes) noexcept;
  // `value` as 8 bytes, least significant first.
  void write_u64(std::uint64_t value) noexcept;
  void write_u8(std::uint8_t value) noexcept { write(std::span(&value, 1)); }
  // A fixed-size byte field: its length as write_u64, then the bytes.
  void write_length_prefixed(std::span<const std::uint8_t> bytes) noexcept;
  // A text field: its UTF-8 bytes, then the byte 0xFF.
  void write_text(std::string_view text) noexcept;

  // The hash of everything written so far; the hasher may be written to further.
  std::uint64_t finish() const noexcept;

 private:
  // The state after SipHash's initialization with keys k0 = k1 = 0.
  std::uint64_t m_v0 = 0x736f6d6570736575;
  std::uint64_t m_v1 = 0x646f72616e646f6d;
  std::uint64_t m_v2 = 0x6c7967656e657261;
  std::uint64_t m_v3 = 0x7465646279746573;
  std::uint64_t m_tail = 0;        // the bytes of an unfinished word, least significant first
  std::size_t m_tail_size = 0;     // 0 to 7
  std::uint64_t m_total_size = 0;  // bytes written, modulo 2^64 (only the low byte is used)
};

// SipHash-1-3 with zero keys of one message.
std::uint64_t siphash13(std::span<const std::uint8_t> message) noexcept;

// A 64-bit hash as the signed hash value the system hands out: 2^64 - 1 becomes 2^64 - 2, then
// the bits are read as a two's-complement signed number, so the result is never -1 (which the
// Python runtime reserves for errors).
constexpr std::int64_t signed_hash_value(std::uint64_t hash) noexcept {
  return static_cast<std::int64_t>(hash == UINT64_MAX ? UINT64_MAX - 1 : hash);
}

}  // namespace qzr
