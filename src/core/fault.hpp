// Faults: the stop on a broken invariant. A fault writes its report to standard error and
// throws `Fault`, which deliberately does not derive from std::exception: only the Python
// frame's guard catches it, and turns it into PanicException.
#pragma once

#include <concepts>
#include <string>
#include <string_view>

namespace qzr {

struct Fault {
  std::string message;
};

// Writes "fault: <message>" to standard error and throws Fault{message}.
[[noreturn]] void fault(std::string message);

// Faults with "called `Result::unwrap()` on an `Err` value: " followed by `error_debug_text`:
// the fault of taking the value of a result that holds an error.
[[noreturn]] void fault_unwrapped(std::string_view error_debug_text);

// The same for an error value, with its debug() text.
template <class E>
requires requires(const E& error) {
  { error.debug() } -> std::convertible_to<std::string_view>;
}
[[noreturn]] void fault_unwrapped(const E& error) { fault_unwrapped(std::string_view(error.debug())); }

}  // namespace qzr
