// The ABI form that maps take inside item values: a tuple of two dynamic arrays, the keys and, at
// the same positions, their values, (K[],V[]) with one-word elements. Balances and the epoch
// metadata's ordinals are written this way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "abi/token.hpp"
#include "core/common_error.hpp"

namespace qzr {

// Appends the encoding of a map tuple of `count` pairs: the two offset words, then each array as
// its count word and its elements. `write_key(i, word)` and `write_value(i, word)` fill the 32-byte
// word of pair i.
template <class WriteKey, class WriteValue>
void append_map_tuple(std::vector<std::uint8_t>& out, std::size_t count, WriteKey write_key,
                      WriteValue write_value);

// The pairs of a decoded map tuple, both spans cut to the shorter array's length (surplus elements
// of the longer one are dropped without error).
struct MapTuplePairs {
  std::span<const abi::Token> keys;
  std::span<const abi::Token> values;
};

// Reads an untrusted token: not a tuple is Other "Not a tuple"; a tuple without exactly two
// elements is Other "Map in tuple of two"; an element that is not a dynamic array (the values
// are looked at first) is Other "Token array".
Result<MapTuplePairs> map_tuple_from_token(const abi::Token& token);

// --- Template definitions --------------------------------------------------------------------------

// The big-endian word of a number, written into the 32 bytes at `word`.
void write_u64_word(std::uint8_t* word, std::uint64_t value) noexcept;

template <class WriteKey, class WriteValue>
void append_map_tuple(std::vector<std::uint8_t>& out, std::size_t count, WriteKey write_key,
                      WriteValue write_value) {
  constexpr std::size_t word = 32;
  const std::size_t array_size = word * (1 + count);
  const std::size_t start = out.size();
  out.resize(start + 2 * word + 2 * array_size);
  std::uint8_t* at = out.data() + start;
  write_u64_word(at, 2 * word);
  write_u64_word(at + word, 2 * word + array_size);
  std::uint8_t* keys = at + 2 * word;
  std::uint8_t* values = keys + array_size;
  write_u64_word(keys, count);
  write_u64_word(values, count);
  for (std::size_t i = 0; i < count; ++i) {
    write_key(i, keys + word * (1 + i));
    write_value(i, values + word * (1 + i));
  }
}

}  // namespace qzr
