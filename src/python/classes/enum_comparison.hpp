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

// == and != (op Py_EQ, Py_NE): an integer operand is compared with the discriminant first, then
// a member of the same class; anything else, and every ordering, is NotImplemented (Python
// then tries the reflected comparison and finally compares identities).
// An error of the integer conversion that must not be dropped (KeyboardInterrupt) is raised.
template <PyClass V>
PyResult<Ref> compare_enum_member(const V& self, Object other, int op) {
  if (op != Py_EQ && op != Py_NE) return Ref::borrow(Py_NotImplemented);
  bool equal = false;
  auto number = index_value_of(other.ptr);
  if (!number) return fail(std::move(number.error()));
  if (*number) {
    equal = **number == enum_discriminant(self);
  } else if (auto member = SharedBorrow<V>::take(other.ptr)) {
    equal = member->get() == self;
  } else {
    return Ref::borrow(Py_NotImplemented);
  }
  return Ref::borrow(equal == (op == Py_EQ) ? Py_True : Py_False);
}

}  // namespace qzr::py
