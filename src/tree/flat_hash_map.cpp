// The per-map random seed.
#include "tree/flat_hash_map.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace qzr::tree {

std::array<std::uint64_t, 4> random_map_seed() {
  std::array<std::uint64_t, 4> seed;
  if (getentropy(seed.data(), sizeof seed) != 0) {
    fault(std::string("getentropy failed: ") + std::strerror(errno));
  }
  return seed;
}

}  // namespace qzr::tree
