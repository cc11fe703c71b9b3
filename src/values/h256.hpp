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
  // Word w holds bytes 8w to 8w + 7 as a little-endian number, so bit i of the value is bit i % 64
  // of word i / 64, and word 3 (bytes 31 down to 24) is the most significant in the order.
  static constexpr std::size_t word_count = 4;
  using Words = std::array<std::uint64_t, word_count>;

  // The zero value.
  constexpr H256() noexcept = default;
  constexpr explicit H256(const Bytes& bytes) noexcept : m_words(std::bit_cast<Words>(bytes)) {}

  static constexpr H256 zero() noexcept { return H256(); }
  // The value of exactly 32 bytes, byte 0 first; nullopt for any other length (the Python layer
  // then raises H256Error with h256_invalid_length_text).
  static std::optional<H256> from_slice(std::span<const std::uint8_t> bytes) noexcept;

  // The 32 bytes, byte 0 first. A copy: iterate a named copy, not two calls' temporaries.
  constexpr Bytes bytes() const noexcept { return std::bit_cast<Bytes>(m_words); }

  constexpr const Words& words() const noexcept { return m_words; }

  constexpr bool is_zero() const noexcept { return (m_words[0] | m_words[1] | m_words[2] | m_words[3]) == 0; }

  // Every i in 0..255 is a valid bit index, which the parameter type guarantees.
  constexpr bool get_bit(std::uint8_t i) const noexcept { return (m_words[i / 64] >> (i % 64)) & 1; }
  constexpr void set_bit(std::uint8_t i) noexcept { m_words[i / 64] |= std::uint64_t{1} << (i % 64); }
  constexpr void clear_bit(std::uint8_t i) noexcept { m_words[i / 64] &= ~(std::uint64_t{1} << (i % 64)); }

  // The highest bit index at which this value and `key` differ; 0 when they are equal, so a
  // difference in bit 0 alone also gives 0.
  constexpr std::uint8_t fork_height(const H256& key) const noexcept {
    for (std::size_t word = word_count; word-- > 0;) {
      const std::uint64_t difference = m_words[word] ^ key.m_words[word];
      if (difference != 0) return static_cast<std::uint8_t>(word * 64 + 63 - std::countl_zero(difference));
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
    const std::size_t first_word = start / 64;
    for (std::size_t word = first_word; word < word_count; ++word) result.m_words[word] = m_words[word];
    result.m_words[first_word] &= ~std::uint64_t{0} << (start % 64);
    return result;
  }

  // Word by word without branches (the defaulted form compiles to a memcmp call).
  friend constexpr bool operator==(const H256& a, const H256& b) noexcept {
    return ((a.m_words[0] ^ b.m_words[0]) | (a.m_words[1] ^ b.m_words[1]) | (a.m_words[2] ^ b.m_words[2]) |
            (a.m_words[3] ^ b.m_words[3])) == 0;
  }
  // The tree order: byte 31 first, down to byte 0, as unsigned numbers.
  friend constexpr std::strong_ordering operator<=>(const H256& a, const H256& b) noexcept {
    for (std::size_t word = word_count; word-- > 0;) {
      if (a.m_words[word] != b.m_words[word]) return a.m_words[word] <=> b.m_words[word];
    }
    return std::strong_ordering::equal;
  }

 private:
  static_assert(std::endian::native == std::endian::little, "the word layout assumes a little-endian host");

  Words m_words{};
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
