// Ref: an owned reference to a Python object. Whether a pointer is stolen or borrowed is named
// at the call (Ref::steal, Ref::borrow), so nobody counts Py_DECREFs by eye.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <utility>

namespace qzr::py {

class Ref {
 public:
  Ref() = default;
  static Ref steal(PyObject* object) { return Ref(object); }
  static Ref borrow(PyObject* object) {
    Py_XINCREF(object);
    return Ref(object);
  }
  Ref(const Ref& other) : m_object(other.m_object) { Py_XINCREF(m_object); }
  Ref(Ref&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
  Ref& operator=(Ref other) noexcept {
    std::swap(m_object, other.m_object);
    return *this;
  }
  ~Ref() { Py_XDECREF(m_object); }

  PyObject* get() const { return m_object; }
  // Hands the reference to the caller.
  PyObject* release() { return std::exchange(m_object, nullptr); }
  explicit operator bool() const { return m_object != nullptr; }

 private:
  explicit Ref(PyObject* object) : m_object(object) {}
  PyObject* m_object = nullptr;
};

}  // namespace qzr::py
