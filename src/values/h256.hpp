// H256: the 32-byte value of the state tree (keys, node hashes, roots), with the bit numbering and
// order the tree's walk, merge and proofs rest on. Bit i is bit (i mod 8) of byte i / 8, bit 0 of
// a byte being its least significant bit; values order from byte 31 down, i.e. as little-endian
// 256-bit unsigned numbers, so bit numbering and order agree.
#pragma once

#include <array>
#include <bit>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace qzr {

class H256 {
 public:
  static constexpr std::size_t size = 32;
  using Bytes = std::array<std::uint8_t, size>;

  // The zero value.
  constexpr H256() noexcept = default;
  constexpr explicit H256(const Bytes& bytes) noexcept : m_bytes(bytes) {}

  static constexpr H256 zero() noexcept { return H256(); }
  // The value of exactly 32 bytes, byte 0 first; nullopt for any other length (the Python layer
  // then raises H256Error with h256_invalid_length_text).
  static std::optional<H256> from_slice(std::span<const std::uint8_t> bytes) noexcept;

  constexpr const Bytes& bytes() const noexcept { return m_bytes; }

  constexpr bool is_zero() const noexcept { return *this == H256(); }

  // Every i in 0..255 is a valid bit index, which the parameter type guarantees.
  constexpr bool get_bit(std::uint8_t i) const noexcept { return (m_bytes[i / 8] >> (i % 8)) & 1; }
  constexpr void set_bit(std::uint8_t i) noexcept {
    m_bytes[i / 8] |= static_cast<std::uint8_t>(1u << (i % 8));
  }
  constexpr void clear_bit(std::uint8_t i) noexcept {
    m_bytes[i / 8] &= static_cast<std::uint8_t>(~(1u << (i % 8)));
  }

  // The highest bit index at which this value and `key` differ; 0 when they are equal, so a
  // difference in bit 0 alone also gives 0.
  constexpr std::uint8_t fork_height(const H256& key) const noexcept {
    for (std::size_t byte = size; byte-- > 0;) {
      const unsigned difference = m_bytes[byte] ^ key.m_bytes[byte];
      if (difference != 0) return static_cast<std::uint8_t>(byte * 8 + std::bit_width(difference) - 1);
    }
    return 0;
  }

  // The bits above `height` (zero for height 255): the path of the parent node.
  constexpr H256 parent_path(std::uint8_t height) const noexcept {
    return height == 255 ? H256() : copy_bits(static_cast<std::uint8_t>(height + 1));
  }

  // The bits with index >= `start`; all lower bits cleared. copy_bits(0) is the whole value.
  constexpr H256 copy_bits(std::uint8_t start) const noexcept {
    H256 result;
    const std::size_t first_byte = start / 8;
    for (std::size_t byte = first_byte; byte < size; ++byte) result.m_bytes[byte] = m_bytes[byte];
    result.m_bytes[first_byte] &= static_cast<std::uint8_t>(0xFF << (start % 8));
    return result;
  }

  friend constexpr bool operator==(const H256&, const H256&) noexcept = default;
  // The tree order: byte 31 first, down to byte 0, as unsigned numbers.
  friend constexpr std::strong_ordering operator<=>(const H256& a, const H256& b) noexcept {
    for (std::size_t byte = size; byte-- > 0;) {
      if (a.m_bytes[byte] != b.m_bytes[byte]) return a.m_bytes[byte] <=> b.m_bytes[byte];
    }
    return std::strong_ordering::equal;
  }

 private:
  Bytes m_bytes{};
};

// The error text of a wrong-length slice (see H256::from_slice).
inline constexpr std::string_view h256_invalid_length_text =
    "Invalid length for H256: could not convert slice to array";

// "0x" and 64 lower-case digits, byte 0 first. Not in numeric order: the last two digits are
// byte 31, the most significant byte.
std::string to_hex(const H256& value);

// "H256([b0, b1, ..., b31])" with the bytes in decimal.
std::string debug_text(const H256& value);

}  // namespace qzr
