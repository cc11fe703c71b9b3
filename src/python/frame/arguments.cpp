// Argument parsing against a parameter list (positional, keyword, required), with the
// interpreter-style TypeError texts, and the type call with a vectorcall's arguments.
#include "python/frame/arguments.hpp"

#include <string>
#include <vector>

#include "core/fault.hpp"

namespace qzr::py {

std::string FunctionDescription::full_name() const {
  if (class_name.empty()) return std::string(method_name) + "()";
  return std::string(class_name) + "." + std::string(method_name) + "()";
}

namespace {

PyErr too_many_positional(const FunctionDescription& d, Py_ssize_t given) {
  std::string text = d.full_name();
  if (d.required == d.parameter_count) {
    text += " takes " + std::to_string(d.parameter_count);
  } else {
    text += " takes from " + std::to_string(d.required) + " to " + std::to_string(d.parameter_count);
  }
  text += " positional arguments but " + std::to_string(given) + (given == 1 ? " was" : " were") + " given";
  return PyErr::type_error(std::move(text));
}

PyErr multiple_values(const FunctionDescription& d, std::string_view name) {
  return PyErr::type_error(d.full_name() + " got multiple values for argument '" + std::string(name) + "'");
}

PyErr unexpected_keyword(const FunctionDescription& d, PyObject* keyword) {
  std::string name;
  if (Ref text = Ref::steal(PyObject_Str(keyword))) {
    Py_ssize_t size = 0;
    if (const char* data = PyUnicode_AsUTF8AndSize(text.get(), &size)) name.assign(data, size);
  }
  PyErr_Clear();
  return PyErr::type_error(d.full_name() + " got an unexpected keyword argument '" + name + "'");
}

// "'a'", "'a' and 'b'", "'a', 'b', and 'c'".
std::string name_list(const std::vector<std::string_view>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) {
      if (names.size() == 2) {
        text += " and ";
      } else {
        text += i + 1 == names.size() ? ", and " : ", ";
      }
    }
    text += "'" + std::string(names[i]) + "'";
  }
  return text;
}

PyResult<void> assign_keyword(const FunctionDescription& d, PyObject* keyword, PyObject* value, Hold hold,
                              PyObject** out) {
  Py_ssize_t size = 0;
  const char* data = PyUnicode_Check(keyword) ? PyUnicode_AsUTF8AndSize(keyword, &size) : nullptr;
  if (data == nullptr) {
    PyErr_Clear();  // a name that cannot be encoded matches nothing
    return fail(unexpected_keyword(d, keyword));
  }
  std::string_view name(data, static_cast<std::size_t>(size));
  for (std::size_t i = 0; i < d.parameter_count; ++i) {
    if (d.parameters[i] != name) continue;
    if (out[i] != nullptr) return fail(multiple_values(d, name));
    out[i] = hold == Hold::Strong ? Py_NewRef(value) : value;
    return {};
  }
  return fail(unexpected_keyword(d, keyword));
}

PyResult<void> check_required(const FunctionDescription& d, Py_ssize_t positional_count, PyObject** out) {
  if (static_cast<std::size_t>(positional_count) >= d.required) return {};
  std::vector<std::string_view> missing;
  for (std::size_t i = static_cast<std::size_t>(positional_count); i < d.required; ++i) {
    if (out[i] == nullptr) missing.push_back(d.parameters[i]);
  }
  if (missing.empty()) return {};
  return fail(PyErr::type_error(d.full_name() + " missing " + std::to_string(missing.size()) +
                                " required positional " + (missing.size() == 1 ? "argument" : "arguments") +
                                ": " + name_list(missing)));
}

PyResult<void> take_positional(const FunctionDescription& d, PyObject* const* args,
                               Py_ssize_t positional_count, Hold hold, PyObject** out) {
  auto parameter_count = static_cast<Py_ssize_t>(d.parameter_count);
  for (Py_ssize_t i = 0; i < std::min(positional_count, parameter_count); ++i)
    out[i] = hold == Hold::Strong ? Py_NewRef(args[i]) : args[i];
  if (positional_count > parameter_count) return fail(too_many_positional(d, positional_count));
  return {};
}

}  // namespace

PyResult<void> parse_fastcall_arguments_in_full(const FunctionDescription& d, PyObject* const* args,
                                                Py_ssize_t positional_count, PyObject* keyword_names,
                                                PyObject** out) {
  if (auto taken = take_positional(d, args, positional_count, Hold::Borrowed, out); !taken) return taken;
  if (keyword_names != nullptr) {
    Py_ssize_t keyword_count = PyTuple_GET_SIZE(keyword_names);
    for (Py_ssize_t k = 0; k < keyword_count; ++k) {
      auto assigned = assign_keyword(d, PyTuple_GET_ITEM(keyword_names, k), args[positional_count + k],
                                     Hold::Borrowed, out);
      if (!assigned) return assigned;
    }
  }
  return check_required(d, positional_count, out);
}

PyResult<void> parse_tuple_dict_arguments_into(const FunctionDescription& d, PyObject* args, PyObject* kwargs,
                                               PyObject** out) {
  Py_ssize_t positional_count = PyTuple_GET_SIZE(args);
  if (auto taken = take_positional(d, &PyTuple_GET_ITEM(args, 0), positional_count, Hold::Strong, out);
      !taken)
    return taken;
  if (kwargs != nullptr) {
    Py_ssize_t initial_size = PyDict_GET_SIZE(kwargs);
    Py_ssize_t position = 0;
    PyObject *keyword, *value;
    while (PyDict_Next(kwargs, &position, &keyword, &value)) {
      auto assigned = assign_keyword(d, keyword, value, Hold::Strong, out);
      if (!assigned) return assigned;
      if (PyDict_GET_SIZE(kwargs) != initial_size) fault("dictionary changed size during iteration");
    }
  }
  return check_required(d, positional_count, out);
}

PyObject* call_type_from_vector(PyObject* type, PyObject* const* args, std::size_t nargsf,
                                PyObject* keyword_names) noexcept {
  const Py_ssize_t positional_count = PyVectorcall_NARGS(nargsf);
  Ref positional = Ref::steal(PyTuple_New(positional_count));
  if (!positional) return nullptr;
  for (Py_ssize_t i = 0; i < positional_count; ++i) PyTuple_SET_ITEM(positional.get(), i, Py_NewRef(args[i]));
  Ref keywords;
  if (keyword_names != nullptr && PyTuple_GET_SIZE(keyword_names) > 0) {
    keywords = Ref::steal(PyDict_New());
    if (!keywords) return nullptr;
    for (Py_ssize_t k = 0; k < PyTuple_GET_SIZE(keyword_names); ++k) {
      if (PyDict_SetItem(keywords.get(), PyTuple_GET_ITEM(keyword_names, k), args[positional_count + k]) < 0)
        return nullptr;
    }
  }
  return PyType_Type.tp_call(type, positional.get(), keywords.get());
}

}  // namespace qzr::py
