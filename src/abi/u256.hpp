// U256: a 256-bit integer held as its 32 big-endian bytes, the form in which an ABI integer word
// is written. Int tokens keep their value as these bits in two's complement.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace qzr::abi {

using Word = std::array<std::uint8_t, 32>;
using Uint128 = unsigned __int128;

class U256 {
 public:
  // Zero.
  constexpr U256() = default;

  static constexpr U256 from_be_bytes(const Word& bytes) {
    U256 value;
    value.m_bytes = bytes;
    return value;
  }
  static constexpr U256 from_u64(std::uint64_t value) { return from_u128(value); }
  static constexpr U256 from_u128(Uint128 value) {
    U256 result;
    for (std::size_t i = 0; i < 16; ++i) result.m_bytes[31 - i] = static_cast<std::uint8_t>(value >> (8 * i));
    return result;
  }
  // The two's complement bits of `value` (sign-extended to 256 bits), as an Int token holds them.
  static constexpr U256 from_i64(std::int64_t value) {
    U256 result = from_u64(static_cast<std::uint64_t>(value));
    if (value < 0) {
      for (std::size_t i = 0; i < 24; ++i) result.m_bytes[i] = 0xff;
    }
    return result;
  }

  constexpr const Word& be_bytes() const { return m_bytes; }

  constexpr bool is_zero() const { return high_bytes_are_zero(32); }
  constexpr bool fits_u64() const { return high_bytes_are_zero(24); }
  constexpr bool fits_u128() const { return high_bytes_are_zero(16); }

  // The low 64 (128) bits; the bits above are dropped without a check.
  constexpr std::uint64_t low_u64() const { return static_cast<std::uint64_t>(low_u128()); }
  constexpr Uint128 low_u128() const {
    Uint128 value = 0;
    for (std::size_t i = 16; i < 32; ++i) value = (value << 8) | m_bytes[i];
    return value;
  }

  // The value, or nothing when it does not fit the target width.
  constexpr std::optional<std::uint64_t> to_u64() const {
    if (!fits_u64()) return std::nullopt;
    return low_u64();
  }
  constexpr std::optional<Uint128> to_u128() const {
    if (!fits_u128()) return std::nullopt;
    return low_u128();
  }

  // Bit 255: the sign when the bits are read as a two's complement signed integer.
  constexpr bool is_negative_twos_complement() const { return (m_bytes[0] & 0x80) != 0; }

  // 2^256 - value (zero stays zero): the magnitude of a negative two's complement value.
  constexpr U256 twos_complement_negated() const {
    U256 result;
    unsigned carry = 1;
    for (std::size_t i = 32; i-- > 0;) {
      unsigned sum = static_cast<std::uint8_t>(~m_bytes[i]) + carry;
      result.m_bytes[i] = static_cast<std::uint8_t>(sum);
      carry = sum >> 8;
    }
    return result;
  }

  // The unsigned value in decimal digits, without sign or leading zeros ("0" for zero).
  std::string to_decimal() const;

  // Big-endian bytes compare in numeric order.
  friend constexpr bool operator==(const U256&, const U256&) = default;
  friend constexpr std::strong_ordering operator<=>(const U256&, const U256&) = default;

 private:
  constexpr bool high_bytes_are_zero(std::size_t count) const {
    for (std::size_t i = 0; i < count; ++i) {
      if (m_bytes[i] != 0) return false;
    }
    return true;
  }

  Word m_bytes{};
};

}  // namespace qzr::abi
