// Faults: the stop on a broken invariant. A fault writes its report to standard error and
// throws `Fault`, which deliberately does not derive from std::exception: only the Python
// frame's guard catches it, and turns it into PanicException.
#pragma once

#include <string>

namespace qzr {

struct Fault {
  std::string message;
};

// Writes "fault: <message>" to standard error and throws Fault{message}.
[[noreturn]] void fault(std::string message);

}  // namespace qzr
