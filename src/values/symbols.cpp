// Product and underlying symbols: parsing, packing and text forms.
#include "values/symbols.hpp"

#include <array>
#include <cstdint>

#include "core/debug_quote.hpp"
#include "core/fault.hpp"
#include "core/utf8.hpp"
#include "values/debug_shapes.hpp"

namespace qzr {
namespace {

constexpr std::size_t underlying_capacity = 4;
constexpr char padding_character = '0';

constexpr bool is_ascii_whitespace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

// The index of every byte in symbol_charset, or -1.
constexpr auto charset_codes = [] {
  std::array<std::int8_t, 256> codes{};
  codes.fill(-1);
  for (std::size_t i = 0; i < symbol_charset.size(); ++i)
    codes[static_cast<unsigned char>(symbol_charset[i])] = static_cast<std::int8_t>(i);
  return codes;
}();

// The index of `c` in symbol_charset, or -1.
constexpr int charset_code(char c) { return charset_codes[static_cast<unsigned char>(c)]; }

// Ok("text") for valid UTF-8, else Err(Utf8Error { valid_up_to: N, error_len: ... }).
std::string utf8_decoding_debug_text(std::string_view bytes) {
  const std::optional<Utf8Error> error = find_utf8_error(bytes);
  if (!error) return debug_tuple("Ok", debug_quote(bytes));
  const std::string error_len =
      error->error_len ? debug_tuple("Some", std::to_string(*error->error_len)) : std::string("None");
  return debug_tuple("Err", debug_struct("Utf8Error", {{"valid_up_to", std::to_string(error->valid_up_to)},
                                                       {"error_len", error_len}}));
}

}  // namespace

std::string_view UnderlyingSymbol::text() const noexcept {
  std::string_view text(m_padded.data(), m_padded.size());
  return text.substr(0, text.find(' '));
}

char product_kind_letter(ProductKind kind) noexcept {
  switch (kind) {
    case ProductKind::Perpetual: return 'P';
  }
  return 'P';
}

Result<UnderlyingSymbol> parse_underlying_symbol(std::string_view text) {
  if (text.size() > underlying_capacity) {
    return fail(CommonError::parse("Expected up to 4 ASCII characters for underlying symbol; got " +
                                   utf8_decoding_debug_text(text)));
  }
  std::size_t length = text.size();
  while (length > 0 && is_ascii_whitespace(text[length - 1])) --length;
  std::array<char, underlying_capacity> padded{' ', ' ', ' ', ' '};
  for (std::size_t i = 0; i < length; ++i) {
    const char c = text[i];
    if (static_cast<unsigned char>(c) >= 0x80 || charset_code(c) < 0) {
      return fail(CommonError::conversion("Illegal character in " +
                                          std::to_string(static_cast<unsigned char>(c)) +
                                          " charset=" + std::string(symbol_charset)));
    }
    if (c == padding_character) {
      return fail(CommonError::conversion("Illegal padding character 0 in underlying symbol"));
    }
    padded[i] = c;
  }
  if (length == 0) return fail(CommonError::parse("Expected at least 1 character for underlying symbol"));
  return UnderlyingSymbol(padded);
}

Result<ParsedProductSymbol> parse_product_symbol(std::string_view text) {
  if (text.size() < 2) return fail(CommonError::parse("Expected at least 2 characters for product symbol"));
  Result<UnderlyingSymbol> underlying = parse_underlying_symbol(text.substr(0, text.size() - 1));
  if (!underlying) return fail(std::move(underlying.error()));
  const auto kind_byte = static_cast<unsigned char>(text.back());
  if (kind_byte != static_cast<unsigned char>(product_kind_letter(ProductKind::Perpetual))) {
    std::string message = "Unknown product kind ";
    append_utf8(message, kind_byte);  // the byte taken as a code point
    return fail(CommonError::parse(std::move(message)));
  }
  return ParsedProductSymbol{*underlying, ProductKind::Perpetual};
}

ProductSymbol pack_product_symbol(const ParsedProductSymbol& symbol) noexcept {
  // The underlying symbol's letters, then the kind letter, five bits each from the lowest.
  const std::string_view underlying = symbol.underlying.text();
  std::uint64_t number = 0;
  for (std::size_t i = 0; i < underlying.size(); ++i) {
    number |= static_cast<std::uint64_t>(charset_code(underlying[i])) << (5 * i);
  }
  number |= static_cast<std::uint64_t>(charset_code(product_kind_letter(symbol.kind)))
            << (5 * underlying.size());
  ProductSymbol packed;
  for (std::size_t i = 0; i < ProductSymbol::size; ++i)
    packed.packed[i] = static_cast<std::uint8_t>(number >> (8 * i));
  return packed;
}

Result<ProductSymbol> product_symbol_from_text(std::string_view text) {
  Result<ParsedProductSymbol> parsed = parse_product_symbol(text);
  if (!parsed) return fail(std::move(parsed.error()));
  return pack_product_symbol(*parsed);
}

Result<std::string> unpack_product_symbol(const ProductSymbol& symbol) {
  using symbol_detail::packed_code_count;
  const std::uint64_t number = symbol_detail::packed_number(symbol);
  std::array<char, packed_code_count> letters;
  std::size_t length = 0;
  for (int i = 0; i < packed_code_count; ++i) {
    const auto code = static_cast<std::size_t>((number >> (5 * i)) & 0x1F);
    if (code == 0) continue;
    if (code >= symbol_charset.size()) {
      return fail(CommonError::other("Illegal characters packed in " + debug_byte_list(symbol.packed) +
                                     " charset=" + std::string(symbol_charset)));
    }
    letters[length++] = symbol_charset[code];
  }
  return std::string(letters.data(), length);
}

std::string product_symbol_display(const ProductSymbol& symbol) {
  Result<std::string> text = unpack_product_symbol(symbol);
  if (!text) fault("product symbol that does not unpack: " + text.error().debug());
  return std::move(*text);
}

Result<ProductSymbol> reparse_product_symbol(const ProductSymbol& symbol) {
  Result<std::string> text = unpack_product_symbol(symbol);
  if (!text) return fail(std::move(text.error()));
  return product_symbol_from_text(*text);
}

Bytes32 product_symbol_to_bytes32(const ProductSymbol& symbol) {
  // At most 9 letters, well below the 31 bytes a Bytes32 holds.
  Result<Bytes32> word = bytes32_from_text(product_symbol_display(symbol));
  if (!word) fault("product symbol text too long for a Bytes32: " + word.error().debug());
  return *word;
}

std::int64_t ProductSymbol::hash_value() const noexcept {
  SipHasher13 hasher;
  hash_into(hasher);
  return signed_hash_value(hasher.finish());
}

std::string debug_text(const ProductSymbol& symbol) {
  return debug_tuple("ProductSymbol", debug_quote(product_symbol_display(symbol)));
}

std::string debug_text(const UnderlyingSymbol& symbol) {
  return debug_tuple("UnderlyingSymbol", debug_quote(symbol.text()));
}

std::string debug_text(ProductKind kind) {
  switch (kind) {
    case ProductKind::Perpetual: return "Perpetual";
  }
  return "Perpetual";
}

}  // namespace qzr
