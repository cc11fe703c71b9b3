// Python errors as values. A PyErr is held lazily (exception type getter and text) until it is
// handed to the interpreter, so a dropped error never creates an exception object; errors
// fetched from the interpreter are held as exception objects.
#pragma once

#include <expected>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

#include "python/frame/ref.hpp"

namespace qzr::py {

// A process-wide exception class, created on first use with PyErr_NewExceptionWithDoc.
class ExceptionType {
 public:
  enum class Base { Exception, BaseException };
  constexpr ExceptionType(const char* qualified_name, Base base, const char* doc)
      : m_qualified_name(qualified_name), m_base(base), m_doc(doc) {}
  // The type object (borrowed; lives for the process). A failure to create it is a fault.
  PyObject* get();

 private:
  const char* m_qualified_name;
  Base m_base;
  const char* m_doc;
  PyObject* m_type = nullptr;
};

// "pyo3_runtime.PanicException", derived from BaseException: what a fault becomes in Python.
PyObject* panic_exception_type();

using TypeGetter = PyObject* (*)();

class [[nodiscard]] PyErr {
 public:
  // An error of `type` with `text` as its one argument, made when first needed.
  static PyErr lazy(TypeGetter type, std::string text) { return PyErr(Lazy{type, std::move(text), true}); }
  // An error of `type` without arguments.
  static PyErr lazy_without_args(TypeGetter type) { return PyErr(Lazy{type, {}, false}); }
  static PyErr type_error(std::string text);
  static PyErr value_error(std::string text);
  static PyErr runtime_error(std::string text);
  static PyErr attribute_error(std::string text);
  static PyErr not_implemented_error(std::string text);
  static PyErr overflow_error_without_text();
  static PyErr import_error(std::string text);
  // The PanicException a fault becomes.
  static PyErr panic(std::string message);
  // "'<type name>' object cannot be converted to '<class name>'", its text made when needed.
  static PyErr cannot_convert(PyObject* object, const char* class_name);
  // Faults when the pending error is a PanicException: the fault it stands for is resumed
  // (reported to standard error, then a Fault is thrown), since it is no ordinary error.
  // Otherwise takes the interpreter's pending error; SystemError "attempted to fetch exception
  // but none was set" when there is none.
  static PyErr fetch();
  // Wraps an existing exception instance.
  static PyErr from_exception(Ref exception);

  PyErr(PyErr&&) noexcept = default;
  PyErr& operator=(PyErr&&) noexcept = default;
  ~PyErr() = default;

  // Hands the error to the interpreter as its current exception.
  void restore() &&;
  // The exception instance (creating it for a lazy error).
  Ref into_exception() &&;
  // True when the error's type is exactly TypeError (not a subclass).
  bool is_exactly_type_error() const;
  // True when the error derives from Exception: an error that a conversion step may drop.
  // KeyboardInterrupt, SystemExit, GeneratorExit and PanicException do not.
  bool is_ordinary() const;

 private:
  struct Lazy {
    TypeGetter type;
    std::string text;
    bool has_text;
  };
  struct CannotConvert {
    Ref from_type;
    const char* class_name;
  };
  using State = std::variant<Lazy, CannotConvert, Ref>;
  // Frees a state out of line: destroying a PyErr is a null test where it is inlined, and
  // nothing after a move, where the compiler knows the box is empty.
  struct DeleteState {
    void operator()(State* state) const noexcept;
  };
  explicit PyErr(State state) : m_state(new State(std::move(state))) {}
  PyObject* type_object() const;

  // Boxed so that a PyResult<T> stays one pointer wider than T on the hot path; only a failing
  // call allocates. Never null for a live error.
  std::unique_ptr<State, DeleteState> m_state;
};

template <class T>
using PyResult = std::expected<T, PyErr>;

inline std::unexpected<PyErr> fail(PyErr error) { return std::unexpected(std::move(error)); }

// The error raised when converting argument `name` failed: an exact TypeError becomes a new
// TypeError "argument '<name>': <text>" whose __cause__ is the original's __cause__; any other
// error passes unchanged.
PyErr wrap_argument_error(std::string_view name, PyErr error);

// For a conversion step whose failure lets the caller go on (try the next step, answer
// NotImplemented): an ordinary error (is_ordinary) is dropped and success returned; any other
// error (KeyboardInterrupt, SystemExit) comes back, to be raised unchanged.
PyResult<void> drop_ordinary_error(PyErr error);

// How a domain error type becomes a Python error. Specialised by the class bindings.
template <class E>
struct IntoPyErr;

template <>
struct IntoPyErr<PyErr> {
  static PyErr convert(PyErr error) { return error; }
};

// A C-API call that must not fail did: print the pending error, then fault with
// "Python API call failed".
[[noreturn]] void api_call_failed();

// Faults (api_call_failed) when `result` is null; otherwise returns it. For the result of a
// C-API call that must not fail.
inline PyObject* expect_api(PyObject* result) {
  if (result == nullptr) api_call_failed();
  return result;
}

// `str(object)` as UTF-8, or nullopt-like failure as an error.
PyResult<std::string> str_of(PyObject* object);

// How type_qualified_name reads a __qualname__.
enum class UnreadableName {
  // As the conversion errors name a type: a str attribute's UTF-8 text; when the lookup fails,
  // gives no str, or the text has no UTF-8 form, "<failed to extract type name>" (the error
  // cleared). Never an error.
  Placeholder,
  // str() of the attribute; an error of the lookup or of str() is returned (a PanicException
  // resumes its fault, as PyErr::fetch does).
  Raise,
};

// The text of `type`'s __qualname__, read as `unreadable` says.
PyResult<std::string> type_qualified_name(PyObject* type, UnreadableName unreadable);

}  // namespace qzr::py
