#include "core/fault.hpp"

#include <cstdio>
#include <cstdlib>

namespace qzr {

void fault(std::string message) {
  std::fprintf(stderr, "fault: %s\n", message.c_str());
  std::fflush(stderr);
  throw Fault{std::move(message)};
}

void abort_on_allocation_failure(std::size_t bytes) noexcept {
  std::fprintf(stderr, "memory allocation of %zu bytes failed\n", bytes);
  std::fflush(stderr);
  std::abort();
}

}  // namespace qzr
