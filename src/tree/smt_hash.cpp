// Keccak-256 of two concatenated 32-byte values, hashed from a stack buffer.
#include "tree/smt_hash.hpp"

#include <array>
#include <cstdint>
#include <cstring>

#include "values/keccak.hpp"

namespace qzr::tree {
namespace {

H256 keccak_of_pair(const H256& first, const H256& second) noexcept {
  std::array<std::uint8_t, 2 * H256::size> buffer;
  std::memcpy(buffer.data(), first.words().data(), H256::size);
  std::memcpy(buffer.data() + H256::size, second.words().data(), H256::size);
  return H256(keccak256(buffer));
}

}  // namespace

H256 smt_merge(const H256& left, const H256& right) noexcept {
  if (left.is_zero()) return right;
  if (right.is_zero()) return left;
  return keccak_of_pair(left, right);
}

H256 smt_hash_leaf(const H256& key, const H256& value_hash) noexcept {
  if (value_hash.is_zero()) return H256();
  return keccak_of_pair(key, value_hash);
}

}  // namespace qzr::tree
