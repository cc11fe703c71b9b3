// Argument parsing against a method's parameter list, with the interpreter-style TypeError texts.
#pragma once

#include <algorithm>
#include <array>
#include <string_view>

#include "python/frame/error.hpp"
#include "python/frame/fixed_string.hpp"

namespace qzr::py {

// The parameter list of one method: every parameter can be given by position or by keyword;
// the first `required` must be given.
struct FunctionDescription {
  std::string_view class_name;
  std::string_view method_name;
  const std::string_view* parameters;
  std::size_t parameter_count;
  std::size_t required;
  // "Class.method()", used in messages.
  std::string full_name() const;
};

// The general case of parse_fastcall_arguments, with every check and error text.
PyResult<void> parse_fastcall_arguments_in_full(const FunctionDescription& description, PyObject* const* args,
                                                Py_ssize_t positional_count, PyObject* keyword_names,
                                                PyObject** out);

// Fills `out[i]` with a borrowed object for each given parameter, or leaves it null. Inline for
// the common call (positional arguments only, as many as the parameters allow), which needs no check.
inline PyResult<void> parse_fastcall_arguments(const FunctionDescription& description, PyObject* const* args,
                                               Py_ssize_t positional_count, PyObject* keyword_names,
                                               PyObject** out) {
  auto count = static_cast<std::size_t>(positional_count);
  if (keyword_names == nullptr && count >= description.required && count <= description.parameter_count) {
    std::copy_n(args, count, out);
    return {};
  }
  return parse_fastcall_arguments_in_full(description, args, positional_count, keyword_names, out);
}

// The same for an argument tuple and a keyword dictionary (or null).
PyResult<void> parse_tuple_dict_arguments(const FunctionDescription& description, PyObject* args,
                                          PyObject* kwargs, PyObject** out);

template <FixedString... Written>
struct ParameterList {
  static constexpr std::array<std::string_view, sizeof...(Written)> names{parameter_name(Written.view())...};
  static constexpr std::array<bool, sizeof...(Written)> optional{is_optional_parameter(Written.view())...};
  static constexpr std::size_t count = sizeof...(Written);
  static constexpr std::size_t required = [] {
    std::size_t n = 0;
    while (n < count && !optional[n]) ++n;
    return n;
  }();
  static_assert(
      [] {
        for (std::size_t i = required; i < count; ++i)
          if (!optional[i]) return false;
        return true;
      }(),
      "optional parameters must come last");
};

}  // namespace qzr::py
