// Faults: the report on standard error, the message the thrown Fault carries, and the text of
// an unwrapped error, whether given as text or as an error value with a debug() text.
#include "core/fault.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core_test_support.hpp"

namespace qzr {
namespace {

// An error value as the layers write them: its debug() text is what an unwrap fault shows.
struct ToyError {
  std::string detail;
  std::string debug() const { return "Toy(" + detail + ")"; }
};

TEST(Fault, ReportsOnStandardErrorAndThrowsItsMessage) {
  struct Case {
    const char* name;
    std::function<void()> action;
    std::string message;  // the literal text each form is documented to write
  };
  const std::string unwrapped = "called `Result::unwrap()` on an `Err` value: ";
  const Case cases[] = {
      {"plain fault", [] { fault("table broken"); }, "table broken"},
      {"unwrapped text", [] { fault_unwrapped("PoisonError { .. }"); }, unwrapped + "PoisonError { .. }"},
      {"unwrapped empty text", [] { fault_unwrapped(std::string()); }, unwrapped},
      {"unwrapped error value", [] { fault_unwrapped(ToyError{"\"x\""}); }, unwrapped + "Toy(\"x\")"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::internal::CaptureStderr();
    const std::string message = fault_message_of(c.action);
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_EQ(message, c.message);
    EXPECT_EQ(report, "fault: " + c.message + "\n");
  }
}

}  // namespace
}  // namespace qzr
