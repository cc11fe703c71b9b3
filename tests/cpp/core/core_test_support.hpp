// Helpers shared by the core tests.
#pragma once

#include <string>

#include "core/fault.hpp"

namespace qzr {

// The message of the fault `action` raises, or "no fault".
inline std::string fault_message_of(auto&& action) {
  try {
    action();
  } catch (const Fault& fault) {
    return fault.message;
  }
  return "no fault";
}

}  // namespace qzr
