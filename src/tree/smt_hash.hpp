// The two hash rules of the tree, both on Keccak-256 (Ethereum's padding, not SHA3): the
// zero-aware merge of two children and the leaf hash of a key and its value hash. A zero hash
// stands for an empty subtree, so both rules pass zero through without hashing.
#pragma once

#include "values/h256.hpp"

namespace qzr::tree {

// Node hash of two children: `right` when `left` is zero, `left` when `right` is zero, otherwise
// Keccak-256 of left's 32 bytes followed by right's. Not symmetric.
H256 smt_merge(const H256& left, const H256& right) noexcept;

// Leaf hash: zero when `value_hash` is zero (no leaf), otherwise Keccak-256 of the key's 32 bytes
// followed by the value hash's.
H256 smt_hash_leaf(const H256& key, const H256& value_hash) noexcept;

}  // namespace qzr::tree
