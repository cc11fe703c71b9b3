// Argument parsing against a method's parameter list, with the interpreter-style TypeError texts.
#pragma once

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>

#include "python/frame/error.hpp"
#include "python/frame/fixed_string.hpp"

namespace qzr::py {

// The parameter list of one method or module function: every parameter can be given by position or
// by keyword; the first `required` must be given.
struct FunctionDescription {
  std::string_view class_name;  // empty for a module function
  std::string_view method_name;
  const std::string_view* parameters;
  std::size_t parameter_count;
  std::size_t required;
  // "Class.method()" ("function()" for a module function), used in messages.
  std::string full_name() const;
};

// Whether a parser stores new references in the argument slots or borrows the objects.
enum class Hold { Borrowed, Strong };

// Stores in `out[i]` the object of each given parameter, borrowed from `args`, with every check
// and error text; `out` holds one null slot per parameter. Objects of a vectorcall array are
// borrowed, since its caller holds every one of them for the whole call (also when it unpacked
// them from a dictionary: the array then holds references of its own).
PyResult<void> parse_fastcall_arguments_in_full(const FunctionDescription& description, PyObject* const* args,
                                                Py_ssize_t positional_count, PyObject* keyword_names,
                                                PyObject** out);

// The same for an argument tuple and a keyword dictionary (or null); stores new references:
// converting one argument can run Python code (__index__, __float__) that drops the caller's
// last reference to another, for example by emptying the keyword dictionary.
PyResult<void> parse_tuple_dict_arguments_into(const FunctionDescription& description, PyObject* args,
                                               PyObject* kwargs, PyObject** out);

// The interpreter's own call of a type (its __new__, then its __init__) with the arguments of a
// vectorcall, gathered into a tuple and a keyword dictionary.
PyObject* call_type_from_vector(PyObject* type, PyObject* const* args, std::size_t nargsf,
                                PyObject* keyword_names) noexcept;

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
