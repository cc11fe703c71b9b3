// The Python class OperatorContext (qzr_python.common.OperatorContext): a copy of the application
// context with read-only attributes; Python cannot create one except through
// get_operator_context().
#pragma once

#include "context/app_context.hpp"
#include "python/frame/frame.hpp"

namespace qzr::py {

template <>
struct ClassDef<OperatorContext> {
  static constexpr const char* name = "OperatorContext";
  static constexpr const char* doc =
      "Holds application-layer environment information\n\nInformation in here as analogous to something like "
      "the "
      "operating system locale, but at the application layer.\nIn the git application for instance, such "
      "context "
      "includes name and email.\nStoring this information globally saves us the noise of repeating the same "
      "informational arguments\nin multiple functions throughout the application.\n\nThis does NOT include "
      "logic "
      "inputs of individual units like configuration parameters (like db credentials),\nbusiness rules (like "
      "epoch "
      "sizes), etc. We capture these in `TrustedContext` and `NodeContext`, and\npass them explicitly to "
      "individual "
      "components (in the name of functional testability).\n\nThis information does not impact logic routes "
      "(testability)";
  static constexpr const char* text_signature = nullptr;
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
