// A test oracle: the Solidity ABI encoder, a list of tokens to the bytes of a parameter list, against
// which the decoder and the item ABI values are checked. Not product code: the item ABI values are
// written by the state layer's own writer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "abi/token.hpp"

namespace qzr::abi {

namespace encoder_detail {

inline constexpr std::size_t word_size = 32;

using Bytes = std::vector<std::uint8_t>;

inline void write_u64_word(std::uint8_t* dest, std::uint64_t value) {
  std::fill_n(dest, word_size, 0);
  for (std::size_t i = 0; i < 8; ++i) dest[word_size - 1 - i] = static_cast<std::uint8_t>(value >> (8 * i));
}

struct Shape {
  bool dynamic;
  // The bytes the token takes in its list's head: 32 behind an offset, else its whole encoding.
  std::size_t head_size;
};

inline const std::vector<Token>* tuple_or_fixed_array(const Token& token) {
  return token.if_tuple() ? token.if_tuple() : token.if_fixed_array();
}

inline Shape shape(const Token& token) {
  switch (token.kind()) {
    case Token::Kind::Bytes:
    case Token::Kind::String:
    case Token::Kind::Array: return {true, word_size};
    case Token::Kind::FixedArray:
    case Token::Kind::Tuple: {
      std::size_t total = 0;
      for (const Token& element : *tuple_or_fixed_array(token)) {
        Shape element_shape = shape(element);
        if (element_shape.dynamic) return {true, word_size};
        total += element_shape.head_size;
      }
      return {false, total};
    }
    case Token::Kind::Address:
    case Token::Kind::FixedBytes:
    case Token::Kind::Int:
    case Token::Kind::Uint:
    case Token::Kind::Bool: return {false, word_size};
  }
  return {false, word_size};
}

inline std::size_t padded_size(std::size_t length) {
  return (length + word_size - 1) / word_size * word_size;
}

inline std::size_t list_size(std::span<const Token> tokens);

// The size of what a dynamic token's offset points to.
inline std::size_t tail_size(const Token& token) {
  if (const auto* data = token.if_bytes()) return word_size + padded_size(data->size());
  if (const auto* text = token.if_string()) return word_size + padded_size(text->size());
  if (const auto* elements = token.if_array()) return word_size + list_size(*elements);
  return list_size(*tuple_or_fixed_array(token));
}

inline std::size_t list_size(std::span<const Token> tokens) {
  std::size_t total = 0;
  for (const Token& token : tokens) {
    Shape token_shape = shape(token);
    total += token_shape.head_size + (token_shape.dynamic ? tail_size(token) : 0);
  }
  return total;
}

// Writes a static token at `dest`, which has room for its shape().head_size bytes.
inline void write_static(const Token& token, std::uint8_t* dest) {
  switch (token.kind()) {
    case Token::Kind::Address: {
      std::fill_n(dest, 12, 0);
      std::copy_n(token.if_address()->data(), 20, dest + 12);
      return;
    }
    case Token::Kind::FixedBytes: {
      const Bytes& value = *token.if_fixed_bytes();
      std::copy(value.begin(), value.end(), dest);
      std::fill(dest + value.size(), dest + word_size, 0);
      return;
    }
    case Token::Kind::Int: std::copy_n(token.if_int()->be_bytes().data(), word_size, dest); return;
    case Token::Kind::Uint: std::copy_n(token.if_uint()->be_bytes().data(), word_size, dest); return;
    case Token::Kind::Bool: write_u64_word(dest, *token.if_bool() ? 1 : 0); return;
    case Token::Kind::FixedArray:
    case Token::Kind::Tuple: {
      for (const Token& element : *tuple_or_fixed_array(token)) {
        write_static(element, dest);
        dest += shape(element).head_size;
      }
      return;
    }
    case Token::Kind::Bytes:
    case Token::Kind::String:
    case Token::Kind::Array: return;  // dynamic: never written in place
  }
}

inline void append_list(std::span<const Token> tokens, Bytes& out);

inline void append_length_prefixed(std::span<const std::uint8_t> data, Bytes& out) {
  std::size_t start = out.size();
  out.resize(start + word_size + padded_size(data.size()), 0);
  write_u64_word(out.data() + start, data.size());
  std::copy(data.begin(), data.end(), out.begin() + static_cast<std::ptrdiff_t>(start + word_size));
}

// Appends the contents of a dynamic token, the part its offset points to.
inline void append_tail(const Token& token, Bytes& out) {
  if (const Bytes* data = token.if_bytes()) {
    append_length_prefixed(*data, out);
  } else if (const std::string* text = token.if_string()) {
    append_length_prefixed({reinterpret_cast<const std::uint8_t*>(text->data()), text->size()}, out);
  } else if (const auto* elements = token.if_array()) {
    std::size_t start = out.size();
    out.resize(start + word_size);
    write_u64_word(out.data() + start, elements->size());
    append_list(*elements, out);
  } else if (const auto* elements = tuple_or_fixed_array(token)) {
    append_list(*elements, out);
  }
}

// Appends the list's heads, then the tails of its dynamic tokens with their offsets patched in.
inline void append_list(std::span<const Token> tokens, Bytes& out) {
  std::size_t start = out.size();
  std::size_t heads = 0;
  for (const Token& token : tokens) heads += shape(token).head_size;
  out.resize(start + heads, 0);
  std::size_t head = start;
  for (const Token& token : tokens) {
    Shape token_shape = shape(token);
    if (token_shape.dynamic) {
      write_u64_word(out.data() + head, out.size() - start);
      append_tail(token, out);
    } else {
      write_static(token, out.data() + head);
    }
    head += token_shape.head_size;
  }
}

}  // namespace encoder_detail

// The standard (not packed) encoding of `tokens` as one parameter list: 32-byte words, static
// values in place in the head, dynamic values behind an offset word that counts from the start
// of their enclosing list, their contents in the tail in list order. Integers are written as
// their 32 bytes; addresses right-aligned, fixed bytes left-aligned, both zero-padded; bytes and
// strings as a length word and the data zero-padded to whole words; arrays as a count word and
// the elements' list. A token list encodes alone without an enclosing offset: to encode one
// dynamic tuple as a single parameter, pass a list holding that tuple. Cannot fail.
inline std::vector<std::uint8_t> encode(std::span<const Token> tokens) {
  encoder_detail::Bytes out;
  out.reserve(encoder_detail::list_size(tokens));
  encoder_detail::append_list(tokens, out);
  return out;
}

}  // namespace qzr::abi
