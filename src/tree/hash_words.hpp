// Word-wise forms of the H256 comparisons on the tree's hot paths (the byte-array forms compile to
// library calls and byte loops). Results equal H256's own operations.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "values/h256.hpp"

namespace qzr::tree {

struct HashWords {
  std::uint64_t word[4];
  explicit HashWords(const H256& value) { std::memcpy(word, value.bytes().data(), sizeof word); }
};

// a == b.
inline bool same_hash(const H256& a, const H256& b) {
  const HashWords x(a), y(b);
  return ((x.word[0] ^ y.word[0]) | (x.word[1] ^ y.word[1]) | (x.word[2] ^ y.word[2]) |
          (x.word[3] ^ y.word[3])) == 0;
}

// a.is_zero().
inline bool is_zero_hash(const H256& a) {
  const HashWords x(a);
  return (x.word[0] | x.word[1] | x.word[2] | x.word[3]) == 0;
}

// a.fork_height(b): the highest differing bit, 0 when equal. Bit i of the value is bit i % 64 of
// little-endian word i / 64.
inline std::uint8_t fork_height_of(const H256& a, const H256& b) {
  static_assert(std::endian::native == std::endian::little);
  const HashWords x(a), y(b);
  for (int w = 3; w >= 0; --w) {
    const std::uint64_t difference = x.word[w] ^ y.word[w];
    if (difference != 0) return static_cast<std::uint8_t>(w * 64 + 63 - std::countl_zero(difference));
  }
  return 0;
}

// a < b in the tree order (byte 31 first): word 3, read little-endian, holds bytes 31 to 24 with
// byte 31 most significant, and so on down.
inline bool hash_less(const H256& a, const H256& b) {
  const HashWords x(a), y(b);
  for (int w = 3; w >= 0; --w) {
    if (x.word[w] != y.word[w]) return x.word[w] < y.word[w];
  }
  return false;
}

// Orders H256 values by hash_less, for sorts, searches and ordered maps.
struct HashLess {
  bool operator()(const H256& a, const H256& b) const { return hash_less(a, b); }
};

}  // namespace qzr::tree
