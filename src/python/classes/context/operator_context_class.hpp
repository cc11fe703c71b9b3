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
      "Holds application-layer environment information\n"
      "\n"
      "Information in here as analogous to something like the operating system locale, but at the "
      "application layer.\n"
      "In the git application for instance, such context includes name and email.\n"
      "Storing this information globally saves us the noise of repeating the same informational "
      "arguments\n"
      "in multiple functions throughout the application.\n"
      "\n"
      "This does NOT include logic inputs of individual units like configuration parameters (like db "
      "credentials),\n"
      "business rules (like epoch sizes), etc. We capture these in `TrustedContext` and `NodeContext`, "
      "and\n"
      "pass them explicitly to individual components (in the name of functional testability).\n"
      "\n"
      "This information does not impact logic routes (testability)";
  static constexpr bool frozen = true;
  static void add_members(TypeBuilder& builder);
};

// Faults as get_app_context does: with the build's error text when the process's one build of
// the application context fails (CHAIN_ID that does not parse, QZR_SHARE unset or not UTF-8, an
// addresses file that cannot be read or parsed, or that lacks the deployment or gives it another
// chain id), and with "Once has panicked" on every call after that; either reaches Python as
// PanicException. The body of the module function get_operator_context (a Function row of the
// common module, module.cpp: a built-in function bound to the module, its text signature "()", no
// docstring): a new OperatorContext holding a copy of the application context, which the first
// read of the process builds.
OperatorContext get_operator_context();

}  // namespace qzr::py
