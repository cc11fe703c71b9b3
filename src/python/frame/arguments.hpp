// Argument parsing against a method's parameter list, with the interpreter-style TypeError texts.
#pragma once

#include <algorithm>
#include <array>
#include <iterator>
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

// Whether a parser stores new references in the argument slots or borrows the objects.
enum class Hold { Borrowed, Strong };

// The argument objects of one call, one slot per parameter, null for a parameter not given.
// Every filled slot keeps its object alive until the call ends: converting one argument can run
// Python code (__index__, __float__) that drops the caller's last reference to another, for
// example by emptying the keyword dictionary the call was made with. So objects taken from a
// dictionary are held by a new reference; objects of a vectorcall array are borrowed, since its
// caller holds every one of them for the whole call (also when it unpacked them from a
// dictionary: the array then holds references of its own).
template <std::size_t N>
class ArgumentSlots {
 public:
  ArgumentSlots() = default;
  ArgumentSlots(const ArgumentSlots&) = delete;
  ArgumentSlots& operator=(const ArgumentSlots&) = delete;
  ~ArgumentSlots() {
    if (m_hold == Hold::Strong) {
      for (PyObject* object : m_objects) Py_XDECREF(object);
    }
  }
  // Where the parser stores the objects, held as `hold` says: every slot null until it does.
  PyObject** slots(Hold hold) {
    m_hold = hold;
    std::fill(std::begin(m_objects), std::end(m_objects), nullptr);
    return m_objects;
  }
  // Uses the caller's array of exactly N objects in place of the slots (nothing is copied: a
  // copy read back at once would wait on store forwarding).
  void use_array(PyObject* const* objects) { m_view = objects; }
  // The objects, for the conversions (borrowed: the slots or the caller keep them alive).
  operator PyObject* const*() const { return m_view; }

 private:
  PyObject* m_objects[N + 1];  // one more: no array of length zero; filled by slots()
  PyObject* const* m_view = m_objects;
  Hold m_hold = Hold::Borrowed;
};

// The general case of parse_fastcall_arguments, with every check and error text. Stores in
// `out[i]` the object of each given parameter, borrowed from `args`.
PyResult<void> parse_fastcall_arguments_in_full(const FunctionDescription& description, PyObject* const* args,
                                                Py_ssize_t positional_count, PyObject* keyword_names,
                                                PyObject** out);

// Fills a slot for each given parameter and leaves the others null. Inline for the common call
// (positional arguments only, as many as the parameters allow), which needs no check.
template <std::size_t N>
[[gnu::always_inline]] inline PyResult<void> parse_fastcall_arguments(const FunctionDescription& description,
                                                                      PyObject* const* args,
                                                                      Py_ssize_t positional_count,
                                                                      PyObject* keyword_names,
                                                                      ArgumentSlots<N>& out) {
  auto count = static_cast<std::size_t>(positional_count);
  if (keyword_names == nullptr && count == N) [[likely]] {
    out.use_array(args);
    return {};
  }
  PyObject** slots = out.slots(Hold::Borrowed);
  if (keyword_names == nullptr && count >= description.required && count <= description.parameter_count) {
    for (std::size_t i = 0; i < count; ++i) slots[i] = args[i];
    return {};
  }
  return parse_fastcall_arguments_in_full(description, args, positional_count, keyword_names, slots);
}

// The same for an argument tuple and a keyword dictionary (or null); stores new references.
PyResult<void> parse_tuple_dict_arguments_into(const FunctionDescription& description, PyObject* args,
                                               PyObject* kwargs, PyObject** out);

template <std::size_t N>
inline PyResult<void> parse_tuple_dict_arguments(const FunctionDescription& description, PyObject* args,
                                                 PyObject* kwargs, ArgumentSlots<N>& out) {
  return parse_tuple_dict_arguments_into(description, args, kwargs, out.slots(Hold::Strong));
}

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
