// Instances of the module's classes: the cell layout, the construction marker, the type check
// and the shared and exclusive borrows (RAII guards, so every way out of a body restores the flag).
#pragma once

#include <new>
#include <utility>

#include "python/frame/error.hpp"

namespace qzr::py {
class TypeBuilder;
}

namespace qzr::py {

// Every class is described once by a specialisation of ClassDef<V> for its value type V:
//   static constexpr const char* name, doc, text_signature (nullptr when it has no constructor);
//   static constexpr bool frozen;
//   and either `using members = Members<...>;` (see members.hpp) or, to keep the member table
//   in one .cpp file, `static void add_members(TypeBuilder&);` defined there as
//   `Members<...>::add_to<V>(builder)`.
template <class V>
struct ClassDef;

template <class V>
concept PyClass = requires {
  { ClassDef<V>::name } -> std::convertible_to<const char*>;
};

// The object header, then the borrow flag (0 free, n > 0 shared borrows, -1 exclusive), the
// marker set once the value was constructed by the frame, and the value. An instance made by
// a replaced __new__ without the frame has the marker clear: it fails the type check and its
// deallocation destroys nothing.
template <class V>
struct Instance {
  PyObject_HEAD;
  Py_ssize_t borrow_flag;
  bool constructed;
  alignas(V) unsigned char storage[sizeof(V)];

  V& value() { return *std::launder(reinterpret_cast<V*>(storage)); }
  void construct(V&& v) {
    new (storage) V(std::move(v));
    borrow_flag = 0;
    constructed = true;
  }
};

template <class V>
Instance<V>* instance_of(PyObject* object) {
  return reinterpret_cast<Instance<V>*>(object);
}

// The class's type object, built on first need. A failure is printed and becomes a fault.
template <PyClass V>
PyTypeObject* class_type_object();
// The same, returning the failure as RuntimeError "An error occurred while initializing class X".
template <PyClass V>
PyResult<PyTypeObject*> try_class_type_object();

template <PyClass V>
[[gnu::always_inline]] inline bool is_instance(PyObject* object) {
  PyTypeObject* type = class_type_object<V>();
  if (Py_TYPE(object) != type && !PyType_IsSubtype(Py_TYPE(object), type)) return false;
  return instance_of<V>(object)->constructed;
}

// The errors of the type check and the borrows, kept out of the callers' hot paths.
template <PyClass V>
[[gnu::cold, gnu::noinline]] PyErr cannot_convert_to(PyObject* object) {
  return PyErr::cannot_convert(object, ClassDef<V>::name);
}
[[gnu::cold, gnu::noinline]] inline PyErr already_mutably_borrowed() {
  return PyErr::runtime_error("Already mutably borrowed");
}
[[gnu::cold, gnu::noinline]] inline PyErr already_borrowed() {
  return PyErr::runtime_error("Already borrowed");
}

// A held shared reference to an instance's value; releasing it undoes the borrow.
template <PyClass V>
class SharedBorrow {
 public:
  [[gnu::always_inline]] static PyResult<SharedBorrow> take(PyObject* object) {
    if (!is_instance<V>(object)) [[unlikely]]
      return fail(cannot_convert_to<V>(object));
    Instance<V>* instance = instance_of<V>(object);
    if constexpr (!ClassDef<V>::frozen) {
      if (instance->borrow_flag == -1) [[unlikely]]
        return fail(already_mutably_borrowed());
      ++instance->borrow_flag;
    }
    return SharedBorrow(instance);
  }
  // Holds no borrow: what a nullable parameter keeps for None.
  static SharedBorrow none() { return SharedBorrow(nullptr); }
  SharedBorrow(SharedBorrow&& other) noexcept : m_instance(std::exchange(other.m_instance, nullptr)) {}
  SharedBorrow& operator=(SharedBorrow&&) = delete;
  ~SharedBorrow() {
    if constexpr (!ClassDef<V>::frozen) {
      if (m_instance) --m_instance->borrow_flag;
    }
  }
  const V& get() const { return m_instance->value(); }
  // Null for none().
  const V* get_if() const { return m_instance ? &m_instance->value() : nullptr; }
  PyObject* object() const { return reinterpret_cast<PyObject*>(m_instance); }

 private:
  explicit SharedBorrow(Instance<V>* instance) : m_instance(instance) {}
  Instance<V>* m_instance = nullptr;
};

// A held exclusive reference to an instance's value; releasing it undoes the borrow.
template <PyClass V>
class ExclusiveBorrow {
 public:
  [[gnu::always_inline]] static PyResult<ExclusiveBorrow> take(PyObject* object) {
    static_assert(!ClassDef<V>::frozen, "frozen classes are never borrowed exclusively");
    if (!is_instance<V>(object)) [[unlikely]]
      return fail(cannot_convert_to<V>(object));
    Instance<V>* instance = instance_of<V>(object);
    if (instance->borrow_flag != 0) [[unlikely]]
      return fail(already_borrowed());
    instance->borrow_flag = -1;
    return ExclusiveBorrow(instance);
  }
  ExclusiveBorrow(ExclusiveBorrow&& other) noexcept : m_instance(std::exchange(other.m_instance, nullptr)) {}
  ExclusiveBorrow& operator=(ExclusiveBorrow&&) = delete;
  ~ExclusiveBorrow() {
    if (m_instance) m_instance->borrow_flag = 0;
  }
  V& get() const { return m_instance->value(); }

 private:
  explicit ExclusiveBorrow(Instance<V>* instance) : m_instance(instance) {}
  Instance<V>* m_instance = nullptr;
};

// An independent copy of an instance's value (refused while it is exclusively borrowed).
template <PyClass V>
PyResult<V> extract_clone(PyObject* object) {
  if (!is_instance<V>(object)) [[unlikely]]
    return fail(cannot_convert_to<V>(object));
  Instance<V>* instance = instance_of<V>(object);
  if constexpr (!ClassDef<V>::frozen) {
    if (instance->borrow_flag == -1) [[unlikely]]
      return fail(already_mutably_borrowed());
  }
  return V(instance->value());
}

// A new instance of `type` (the class's own type, or the type a constructor was called on)
// holding `value`, or the interpreter's error when allocation fails.
template <PyClass V>
PyResult<Ref> new_instance_of_type(PyTypeObject* type, V&& value) {
  allocfunc allocate = type->tp_alloc ? type->tp_alloc : PyType_GenericAlloc;
  Ref object = Ref::steal(allocate(type, 0));
  if (!object) return fail(PyErr::fetch());
  instance_of<V>(object.get())->construct(std::move(value));
  return object;
}

template <PyClass V>
PyResult<Ref> new_instance(V&& value) {
  return new_instance_of_type<V>(class_type_object<V>(), std::move(value));
}

}  // namespace qzr::py
