// The parts of the member kinds that do not depend on a class or a body (members.hpp): refusals
// and parsing on the call path, the constructor's tuple-and-dict call, the errors of deletion and
// length, and `!=` by negation.
#include "python/frame/members.hpp"

namespace qzr::py {

namespace {

// Parsed objects held by a new reference each until the call ends.
struct StrongObjects {
  PyObject* slots[max_parsed_parameters] = {};
  StrongObjects() = default;
  StrongObjects(const StrongObjects&) = delete;
  StrongObjects& operator=(const StrongObjects&) = delete;
  ~StrongObjects() {
    for (PyObject* object : slots) Py_XDECREF(object);
  }
};

}  // namespace

PyObject* refused(PyErr error, Refusal refusal) noexcept {
  if (refusal == Refusal::Raise) return raised(std::move(error));
  try {
    if (auto dropped = drop_ordinary_error(std::move(error)); !dropped)
      return raised(std::move(dropped.error()));
    return Py_NewRef(Py_NotImplemented);
  } catch (...) {
    raise_current_exception();
  }
  return nullptr;
}

PyObject* refused_argument(PyErr error, const std::string_view* name, Refusal refusal) {
  return refused(name ? wrap_argument_error(*name, std::move(error)) : std::move(error), refusal);
}

void raise_argument_error(PyErr error, const std::string_view* name) {
  raise_error(name ? wrap_argument_error(*name, std::move(error)) : std::move(error));
}

PyObject* call_with_parsed_arguments(const FunctionDescription& description, FastcallEntry entry,
                                     PyObject* self, PyObject* const* args, Py_ssize_t positional_count,
                                     PyObject* keyword_names) noexcept {
  // Borrowed: the caller's array holds every object for the whole call.
  PyObject* objects[max_parsed_parameters] = {};
  try {
    if (auto parsed =
            parse_fastcall_arguments_in_full(description, args, positional_count, keyword_names, objects);
        !parsed)
      return raised(std::move(parsed.error()));
  } catch (...) {
    raise_current_exception();
    return nullptr;
  }
  return entry(self, objects, static_cast<Py_ssize_t>(description.parameter_count), nullptr);
}

PyObject* construct_from_tuple_dict(const FunctionDescription& description, ConstructFunction construct,
                                    PyTypeObject* type, PyObject* args, PyObject* kwargs) noexcept {
  // Held by new references: converting one argument can run Python code that drops the
  // dictionary's last reference to another.
  StrongObjects objects;
  try {
    if (auto parsed = parse_tuple_dict_arguments_into(description, args, kwargs, objects.slots); !parsed)
      return raised(std::move(parsed.error()));
  } catch (...) {
    raise_current_exception();
    return nullptr;
  }
  return construct(type, objects.slots);
}

int refuse_attribute_deletion() noexcept {
  return guarded<int>(
      -1, []() -> PyResult<int> { return fail(PyErr::attribute_error("can't delete attribute")); });
}

int refuse_item_deletion() noexcept {
  return guarded<int>(
      -1, []() -> PyResult<int> { return fail(PyErr::not_implemented_error("can't delete item")); });
}

Py_ssize_t length_or_overflow(std::optional<std::size_t> length) {
  if (!length) return -1;
  if (*length > static_cast<std::size_t>(PY_SSIZE_T_MAX)) {
    raise_error(PyErr::overflow_error_without_text());
    return -1;
  }
  return static_cast<Py_ssize_t>(*length);
}

PyObject* not_equal_by_negation(PyObject* self, PyObject* other) noexcept {
  return guarded_object([&]() -> PyResult<Ref> {
    Ref equal = Ref::steal(PyObject_RichCompare(self, other, Py_EQ));
    if (!equal) return fail(PyErr::fetch());
    int truth = PyObject_IsTrue(equal.get());
    if (truth < 0) return fail(PyErr::fetch());
    return Ref::borrow(truth ? Py_False : Py_True);
  });
}

}  // namespace qzr::py
