// The equality that every enumeration class shares: a member equals an integer holding its
// discriminant and a member of its own class with the same discriminant; ordering is not
// defined. Declare it as RichCompare<&compare_enum_member<V>> for an enum type V whose
// underlying values are the Python discriminants.
#pragma once

#include <cstdint>
#include <optional>
#include <type_traits>

#include "python/frame/frame.hpp"

namespace qzr::py {

template <class V>
requires std::is_enum_v<V>
constexpr std::int64_t enum_discriminant(const V& member) noexcept {
  return static_cast<std::int64_t>(member);
}

// The integer an operand stands for through the index protocol (int, bool, any __index__), or
// nullopt when it has none or it does not fit 64 signed bits; that failure is dropped, never
// raised. (A PanicException raised by __index__ is not an ordinary error: it resumes the fault.)
inline std::optional<std::int64_t> index_value_of(PyObject* object) {
  // Without __index__ the conversion can only fail: skip making the error that would be dropped.
  if (!PyIndex_Check(object)) return std::nullopt;
  Ref index = Ref::steal(PyNumber_Index(object));
  if (!index) {
    static_cast<void>(PyErr::fetch());
    return std::nullopt;
  }
  long long value = PyLong_AsLongLong(index.get());
  if (value == -1 && PyErr_Occurred()) {
    static_cast<void>(PyErr::fetch());
    return std::nullopt;
  }
  return value;
}

// == and != (op Py_EQ, Py_NE): an integer operand is compared with the discriminant first, then
// a member of the same class; anything else, and every ordering, is NotImplemented (Python
// then tries the reflected comparison and finally compares identities).
template <PyClass V>
Ref compare_enum_member(const V& self, Object other, int op) {
  if (op != Py_EQ && op != Py_NE) return Ref::borrow(Py_NotImplemented);
  bool equal = false;
  if (std::optional<std::int64_t> number = index_value_of(other.ptr)) {
    equal = *number == enum_discriminant(self);
  } else if (auto member = SharedBorrow<V>::take(other.ptr)) {
    equal = member->get() == self;
  } else {
    return Ref::borrow(Py_NotImplemented);
  }
  return Ref::borrow(equal == (op == Py_EQ) ? Py_True : Py_False);
}

}  // namespace qzr::py
