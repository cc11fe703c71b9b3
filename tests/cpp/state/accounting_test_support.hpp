// Helpers shared by the accounting test tables: running a computation that may fault and showing
// its outcome as one text column.
#pragma once

#include <string>
#include <utility>

#include "../values/decimal_test_support.hpp"
#include "core/fault.hpp"

namespace qzr::testing {

// The fault message the call stops with, or "" when it returns.
template <class F>
std::string fault_message_of(F&& call) {
  try {
    std::forward<F>(call)();
  } catch (const Fault& fault) {
    return fault.message;
  }
  return {};
}

}  // namespace qzr::testing
