// Product and underlying symbols: the symbol alphabet, the parsing of symbol text with its error
// texts, the 5-bit packing into 6 bytes that keys and records store, and the text, word and
// debug forms. A product symbol is an underlying of 1 to 4 letters followed by the product kind
// letter, as in ETHP (the perpetual on ETH).
#pragma once

#include <array>
#include <bit>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "core/common_error.hpp"
#include "values/fixed_bytes.hpp"
#include "values/siphash.hpp"

namespace qzr {

// A character's code is its index; code 0 ('0') marks an empty position in the packed form.
inline constexpr std::string_view symbol_charset = "0ABCDEFGHIJKLMNOPQRSTUVWXYZ";

// 1 to 4 letters of 'A' to 'Z', filled up on the right with spaces to 4 bytes.
class UnderlyingSymbol {
 public:
  // The letters without the filling spaces.
  std::string_view text() const noexcept;
  // The 4 bytes: the letters, then spaces.
  const std::array<char, 4>& padded() const noexcept { return m_padded; }

  friend bool operator==(const UnderlyingSymbol&, const UnderlyingSymbol&) noexcept = default;

 private:
  explicit UnderlyingSymbol(const std::array<char, 4>& padded) noexcept : m_padded(padded) {}
  friend Result<UnderlyingSymbol> parse_underlying_symbol(std::string_view text);

  std::array<char, 4> m_padded;
};

enum class ProductKind : std::uint8_t { Perpetual };

// 'P' for Perpetual.
char product_kind_letter(ProductKind kind) noexcept;

struct ParsedProductSymbol {
  UnderlyingSymbol underlying;
  ProductKind kind;

  friend bool operator==(const ParsedProductSymbol&, const ParsedProductSymbol&) noexcept = default;
};

// The packed form: read as a 48-bit little-endian number, the code of the symbol text's character
// at position i is in bits 5i to 5i+4. A text has at most 5 characters, so bytes 4 and 5 of every
// symbol this file packs are zero. Equal symbols have equal bytes; values order by their bytes
// from byte 0 on (which is not the alphabetical order of their texts).
struct ProductSymbol {
  static constexpr std::size_t size = 6;
  std::array<std::uint8_t, size> packed{};

  // Feeds the field's hash stream: 6 as an unsigned 64-bit number, then the packed bytes.
  void hash_into(SipHasher13& hasher) const noexcept { hasher.write_length_prefixed(packed); }
  // SipHash-1-3 with zero keys of that stream, as a signed hash value (never -1).
  std::int64_t hash_value() const noexcept;

  friend constexpr bool operator==(const ProductSymbol& a, const ProductSymbol& b) noexcept {
    return bytes_equal(a.packed, b.packed);
  }
  friend constexpr std::strong_ordering operator<=>(const ProductSymbol&,
                                                    const ProductSymbol&) noexcept = default;
};

// Reads the underlying of a symbol text, untrusted:
// - more than 4 bytes: Parse "Expected up to 4 ASCII characters for underlying symbol; got " and
//   Ok("<text>") (quoted as debug texts quote), or for invalid UTF-8
//   Err(Utf8Error { valid_up_to: N, error_len: None | Some(E) });
// - trailing ASCII whitespace (space, \t, \n, \f, \r) is dropped;
// - a byte that is not in symbol_charset: Conversion "Illegal character in <byte in decimal>
//   charset=0ABCDEFGHIJKLMNOPQRSTUVWXYZ" (leading and inner whitespace included);
// - the padding character '0': Conversion "Illegal padding character 0 in underlying symbol";
// - nothing left: Parse "Expected at least 1 character for underlying symbol".
// The last two are refused because such texts would pack into bytes that print, and parse back,
// as a different symbol.
Result<UnderlyingSymbol> parse_underlying_symbol(std::string_view text);

// Reads a product symbol text, untrusted: fewer than 2 bytes fail with Parse "Expected at least
// 2 characters for product symbol"; the bytes before the last are the underlying (its errors
// come first); a last byte other than 'P' fails with Parse "Unknown product kind <the byte as a
// code point>".
Result<ParsedProductSymbol> parse_product_symbol(std::string_view text);

ProductSymbol pack_product_symbol(const ParsedProductSymbol& symbol) noexcept;

// parse_product_symbol, then pack_product_symbol.
Result<ProductSymbol> product_symbol_from_text(std::string_view text);

// The text of a packed value: nine 5-bit codes from bit 0 up (bits 45-47 are not read); code 0
// adds nothing, 1-26 append their letter, 27-31 fail with Other "Illegal characters packed in
// [b0, ..., b5] charset=0ABCDEFGHIJKLMNOPQRSTUVWXYZ".
Result<std::string> unpack_product_symbol(const ProductSymbol& symbol);

namespace symbol_detail {

constexpr int packed_code_count = 9;  // bits 0 to 44

// The packed bytes as a little-endian number, read as bytes 0-3 and bytes 4-5 (two loads, no
// partial copy through memory).
inline std::uint64_t packed_number(const ProductSymbol& symbol) noexcept {
  std::uint32_t low;
  std::uint16_t high;
  std::memcpy(&low, symbol.packed.data(), sizeof low);
  std::memcpy(&high, symbol.packed.data() + sizeof low, sizeof high);
  if constexpr (std::endian::native == std::endian::big) {
    low = std::byteswap(low);
    high = std::byteswap(high);
  }
  return low | std::uint64_t{high} << 32;
}

// `lane_value` in every other code lane from lane `first` on (0 even lanes, 1 odd lanes).
constexpr std::uint64_t every_other_code(int first, std::uint64_t lane_value) {
  std::uint64_t word = 0;
  for (int i = first; i < packed_code_count; i += 2) word |= lane_value << (5 * i);
  return word;
}

// Whether a code of the lanes picked by `first` is 27 or more: with every other lane masked
// out, adding 5 to each lane (at most 31 + 5 = 36) carries into the bit above it exactly then.
constexpr bool has_unnamed_code(std::uint64_t number, int first) {
  const std::uint64_t lanes = number & every_other_code(first, 0x1F);
  return ((lanes + every_other_code(first, 32 - symbol_charset.size())) & every_other_code(first, 0x20)) != 0;
}

}  // namespace symbol_detail

// Whether unpack_product_symbol succeeds, without building the text: every code is 0 to 26.
inline bool product_symbol_unpacks(const ProductSymbol& symbol) noexcept {
  const std::uint64_t number = symbol_detail::packed_number(symbol);
  return !symbol_detail::has_unnamed_code(number, 0) && !symbol_detail::has_unnamed_code(number, 1);
}

// Faults with "product symbol that does not unpack: " and the unpacking error's debug text for a
// value that does not unpack. unpack_product_symbol for a value known to unpack: every value this
// file packs, and every value a key decoder accepted.
std::string product_symbol_display(const ProductSymbol& symbol);

// Unpacks, parses and packs again: how a ProductSymbol argument is read, so that a value whose
// bytes hold '0' codes is read as the symbol it prints as. Fails as unpacking and parsing do.
Result<ProductSymbol> reparse_product_symbol(const ProductSymbol& symbol);

// Faults as product_symbol_display does for a value that does not unpack. The symbol text as a
// Bytes32 (length byte, ASCII text, zero bytes): the word that EIP-712 and ABI values carry.
Bytes32 product_symbol_to_bytes32(const ProductSymbol& symbol);

// Faults as product_symbol_display does for a value that does not unpack.
// ProductSymbol("ETHP"): the debug text of the value and of a field holding it. The Python
// class's repr wraps it: debug_struct("ProductSymbol", {{"inner", debug_text(symbol)}}).
std::string debug_text(const ProductSymbol& symbol);
// UnderlyingSymbol("ETH").
std::string debug_text(const UnderlyingSymbol& symbol);
// Perpetual.
std::string debug_text(ProductKind kind);

}  // namespace qzr
