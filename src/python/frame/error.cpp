// Python errors as values: exception types made on first use (PanicException among them), lazy
// errors and their exceptions, fetching a pending error (resuming a fault), argument error wrapping.
#include "python/frame/error.hpp"

#include <cstdio>

#include "core/fault.hpp"

namespace qzr::py {

namespace {

PyObject* type_error_type() { return PyExc_TypeError; }
PyObject* value_error_type() { return PyExc_ValueError; }
PyObject* runtime_error_type() { return PyExc_RuntimeError; }
PyObject* attribute_error_type() { return PyExc_AttributeError; }
PyObject* not_implemented_error_type() { return PyExc_NotImplementedError; }
PyObject* overflow_error_type() { return PyExc_OverflowError; }
PyObject* import_error_type() { return PyExc_ImportError; }
PyObject* system_error_type() { return PyExc_SystemError; }

constinit ExceptionType panic_exception{
    "pyo3_runtime.PanicException", ExceptionType::Base::BaseException,
    "\nThe exception raised when native code called from Python faults.\n\n"
    "Like SystemExit, this exception is derived from BaseException so that\n"
    "it will typically propagate all the way through the stack and cause the\n"
    "Python interpreter to exit.\n"};

std::string utf8_of(PyObject* text_object) {
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(text_object, &size);
  if (data == nullptr) {
    PyErr_Clear();
    return {};
  }
  return std::string(data, static_cast<std::size_t>(size));
}

// An exception's text may quote untrusted bytes (a fault message quoting a file's raw byte):
// bytes that are not UTF-8 become U+FFFD rather than losing the whole text.
Ref text_to_python(const std::string& text) {
  return Ref::steal(
      expect_api(PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace")));
}

// Makes an instance of `type` from one text argument, or none.
Ref make_exception(PyObject* type, const std::string* text) {
  Ref args = text ? Ref::steal(expect_api(PyTuple_Pack(1, text_to_python(*text).get())))
                  : Ref::steal(expect_api(PyTuple_New(0)));
  Ref exception = Ref::steal(PyObject_Call(type, args.get(), nullptr));
  if (!exception) return PyErr::fetch().into_exception();
  return exception;
}

// The pending exception as a normalised instance with its traceback, or null when none is set.
Ref take_pending_exception() {
#if PY_VERSION_HEX >= 0x030C0000
  return Ref::steal(PyErr_GetRaisedException());
#else
  PyObject *type, *value, *traceback;
  PyErr_Fetch(&type, &value, &traceback);
  if (type == nullptr) {
    Py_XDECREF(value);
    Py_XDECREF(traceback);
    return {};
  }
  PyErr_NormalizeException(&type, &value, &traceback);
  if (traceback != nullptr) PyException_SetTraceback(value, traceback);
  Py_DECREF(type);
  Py_XDECREF(traceback);
  return Ref::steal(value);
#endif
}

}  // namespace

PyObject* ExceptionType::get() {
  if (m_type != nullptr) return m_type;
  PyObject* base = m_base == Base::Exception ? PyExc_Exception : PyExc_BaseException;
  if (base == nullptr) api_call_failed();
  PyObject* type = PyErr_NewExceptionWithDoc(m_qualified_name, m_doc, base, nullptr);
  if (type == nullptr) {
    std::string description;
    if (Ref error = take_pending_exception()) {
      Ref text = Ref::steal(PyObject_Str(error.get()));
      if (text) description = utf8_of(text.get());
      PyErr_Clear();
    }
    fault("Failed to initialize new exception type.: " + description);
  }
  if (m_type != nullptr) {
    Py_DECREF(type);
  } else {
    m_type = type;
  }
  return m_type;
}

PyObject* panic_exception_type() { return panic_exception.get(); }

PyErr PyErr::type_error(std::string text) { return lazy(type_error_type, std::move(text)); }
PyErr PyErr::value_error(std::string text) { return lazy(value_error_type, std::move(text)); }
PyErr PyErr::runtime_error(std::string text) { return lazy(runtime_error_type, std::move(text)); }
PyErr PyErr::attribute_error(std::string text) { return lazy(attribute_error_type, std::move(text)); }
PyErr PyErr::not_implemented_error(std::string text) {
  return lazy(not_implemented_error_type, std::move(text));
}
PyErr PyErr::overflow_error_without_text() { return lazy_without_args(overflow_error_type); }
PyErr PyErr::import_error(std::string text) { return lazy(import_error_type, std::move(text)); }
PyErr PyErr::panic(std::string message) { return lazy(panic_exception_type, std::move(message)); }

PyErr PyErr::cannot_convert(PyObject* object, const char* class_name) {
  return PyErr(CannotConvert{Ref::borrow(reinterpret_cast<PyObject*>(Py_TYPE(object))), class_name});
}

void PyErr::DeleteState::operator()(State* state) const noexcept { delete state; }

PyErr PyErr::from_exception(Ref exception) { return PyErr(std::move(exception)); }

PyErr PyErr::fetch() {
  Ref exception = take_pending_exception();
  if (!exception) return lazy(system_error_type, "attempted to fetch exception but none was set");
  if (Py_TYPE(exception.get()) == reinterpret_cast<PyTypeObject*>(panic_exception_type())) {
    std::string message = "Unwrapped panic from Python code";
    if (Ref text = Ref::steal(PyObject_Str(exception.get()))) {
      message = utf8_of(text.get());
    } else {
      PyErr_Clear();
    }
    std::fprintf(stderr, "native fault resumed after a PanicException was fetched from Python\n");
    std::fprintf(stderr, "Python stack trace below:\n");
    std::fflush(stderr);
    Ref traceback = Ref::steal(PyException_GetTraceback(exception.get()));
    PyErr_Display(reinterpret_cast<PyObject*>(Py_TYPE(exception.get())), exception.get(),
                  traceback ? traceback.get() : Py_None);
    fault(std::move(message));
  }
  return PyErr(std::move(exception));
}

PyObject* PyErr::type_object() const {
  if (auto* lazy_error = std::get_if<Lazy>(m_state.get())) return lazy_error->type();
  if (std::holds_alternative<CannotConvert>(*m_state)) return PyExc_TypeError;
  return reinterpret_cast<PyObject*>(Py_TYPE(std::get<Ref>(*m_state).get()));
}

bool PyErr::is_exactly_type_error() const { return type_object() == PyExc_TypeError; }

bool PyErr::is_ordinary() const { return PyErr_GivenExceptionMatches(type_object(), PyExc_Exception) != 0; }

Ref PyErr::into_exception() && {
  if (auto* lazy_error = std::get_if<Lazy>(m_state.get())) {
    return make_exception(lazy_error->type(), lazy_error->has_text ? &lazy_error->text : nullptr);
  }
  if (auto* cannot = std::get_if<CannotConvert>(m_state.get())) {
    std::string text = "'" + *type_qualified_name(cannot->from_type.get(), UnreadableName::Placeholder) +
                       "' object cannot be converted to '" + cannot->class_name + "'";
    return make_exception(PyExc_TypeError, &text);
  }
  return std::move(std::get<Ref>(*m_state));
}

void PyErr::restore() && {
  Ref exception = std::move(*this).into_exception();
  PyObject* type = reinterpret_cast<PyObject*>(Py_TYPE(exception.get()));
  Py_INCREF(type);
  PyObject* traceback = PyException_GetTraceback(exception.get());
  PyErr_Restore(type, exception.release(), traceback);
}

PyErr wrap_argument_error(std::string_view name, PyErr error) {
  if (!error.is_exactly_type_error()) return error;
  Ref underlying = std::move(error).into_exception();
  std::string text;
  if (Ref str = Ref::steal(PyObject_Str(underlying.get()))) {
    text = utf8_of(str.get());
  } else {
    PyErr_WriteUnraisable(underlying.get());
    Ref type_name = Ref::steal(
        PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(underlying.get())), "__name__"));
    if (type_name && PyUnicode_Check(type_name.get())) {
      text = "<unprintable " + utf8_of(type_name.get()) + " object>";
    } else {
      PyErr_Clear();
      text = "<unprintable object>";
    }
  }
  text = "argument '" + std::string(name) + "': " + text;
  Ref wrapped = make_exception(PyExc_TypeError, &text);
  PyException_SetCause(wrapped.get(), PyException_GetCause(underlying.get()));
  return PyErr::from_exception(std::move(wrapped));
}

PyResult<void> drop_ordinary_error(PyErr error) {
  if (!error.is_ordinary()) return fail(std::move(error));
  return {};
}

void api_call_failed() {
  if (PyErr_Occurred()) PyErr_PrintEx(0);
  fault("Python API call failed");
}

PyResult<std::string> type_qualified_name(PyObject* type, UnreadableName unreadable) {
  Ref name = Ref::steal(PyObject_GetAttrString(type, "__qualname__"));
  if (unreadable == UnreadableName::Raise) {
    if (!name) return fail(PyErr::fetch());
    return str_of(name.get());
  }
  if (name && PyUnicode_Check(name.get())) {
    Py_ssize_t size = 0;
    if (const char* data = PyUnicode_AsUTF8AndSize(name.get(), &size))
      return std::string(data, static_cast<std::size_t>(size));
  }
  PyErr_Clear();
  return std::string("<failed to extract type name>");
}

PyResult<std::string> str_of(PyObject* object) {
  Ref text = Ref::steal(PyObject_Str(object));
  if (!text) return fail(PyErr::fetch());
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(text.get(), &size);
  if (data == nullptr) return fail(PyErr::fetch());
  return std::string(data, static_cast<std::size_t>(size));
}

}  // namespace qzr::py
