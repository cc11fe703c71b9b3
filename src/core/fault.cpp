#include "core/fault.hpp"

#include <cstdio>

namespace qzr {

void fault(std::string message) {
  std::fprintf(stderr, "fault: %s\n", message.c_str());
  std::fflush(stderr);
  throw Fault{std::move(message)};
}

}  // namespace qzr
