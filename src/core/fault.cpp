// The fault report and throw, and the text of an unwrapped error.
#include "core/fault.hpp"

#include <cstdio>

namespace qzr {

void fault(std::string message) {
  std::fprintf(stderr, "fault: %s\n", message.c_str());
  std::fflush(stderr);
  throw Fault{std::move(message)};
}

void fault_unwrapped(std::string_view error_debug_text) {
  std::string message = "called `Result::unwrap()` on an `Err` value: ";
  message += error_debug_text;
  fault(std::move(message));
}

}  // namespace qzr
