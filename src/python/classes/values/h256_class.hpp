// The Python class H256 (qzr_python.h256.H256).
#pragma once

#include "python/frame/frame.hpp"
#include "values/h256.hpp"

namespace qzr::py {

template <>
struct ClassDef<H256> {
  static constexpr const char* name = "H256";
  static constexpr const char* doc = "Wraps the sparse Merkle tree's 256-bit value type.";
  static constexpr bool frozen = false;
  // Tree keys, paths and hashes are made and dropped at a high rate.
  static constexpr std::size_t free_cells = 64;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
