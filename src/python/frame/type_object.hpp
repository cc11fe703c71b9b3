// Building a class's type object from its ClassDef once per process, filling its class
// attributes (re-entrant: a class attribute that makes an instance of its own class gets the
// type as it stands), and deallocating instances.
#pragma once

#include <algorithm>
#include <vector>

#include "python/frame/guard.hpp"
#include "python/frame/instance.hpp"
#include "python/frame/type_builder.hpp"

namespace qzr::py {

// What a class's type object is built from: constants of its ClassDef.
struct ClassSpec {
  const char* name;
  std::string_view doc;
  int basic_size;
  destructor dealloc;
  void (*add_members)(TypeBuilder&);
};

// What is kept of one class while and after its type object is built.
struct ClassState {
  PyTypeObject* type = nullptr;
  const char* doc = nullptr;
  std::vector<ClassAttributeEntry> class_attributes;
  bool class_attributes_done = false;
  std::vector<unsigned long> filling_threads;
};

// Builds the class's type object when `state` holds none yet and fills its class attributes;
// once both are done, stores the type in `published` (the class's exact_type_object). Errors are
// the build's or the fill's own. Compiled once: a class passes its constants and its state.
PyResult<PyTypeObject*> build_and_fill_type_object(const ClassSpec& spec, ClassState& state,
                                                   PyTypeObject*& published);
// The RuntimeError "An error occurred while initializing class X" with `cause` attached.
PyErr class_initialization_error(const char* class_name, PyErr cause);
// Prints `error` as an unhandled error, then faults "failed to create type object for X".
[[noreturn]] void type_object_failed(const char* class_name, PyErr error);

// Destroys the value (when the frame built it), frees the cell or keeps it for reuse, and
// releases the instance's reference to its type.
template <PyClass V>
void deallocate(PyObject* self) noexcept {
  guarded_unraisable([&] {
    auto* instance = instance_of<V>(self);
    if (instance->constructed) {
      instance->constructed = false;
      instance->value().~V();
    }
  });
  PyTypeObject* type = Py_TYPE(self);
  if constexpr (CellTraits<V>::free_cells > 0) {
    if (type == exact_type_object<V> && FreeCells<V>::keep(self)) {
      Py_DECREF(type);
      return;
    }
  }
  freefunc free_object = type->tp_free ? type->tp_free : PyObject_Free;
  free_object(self);
  Py_DECREF(type);
}

template <PyClass V>
inline constexpr ClassSpec class_spec{ClassDef<V>::name, ClassDef<V>::doc,
                                      static_cast<int>(sizeof(Instance<V>)), &deallocate<V>,
                                      &ClassDef<V>::add_members};

template <PyClass V>
inline ClassState class_state;

template <PyClass V>
PyResult<PyTypeObject*> try_class_type_object() {
  if (PyTypeObject* type = exact_type_object<V>) return type;
  auto type = build_and_fill_type_object(class_spec<V>, class_state<V>, exact_type_object<V>);
  if (!type) return fail(class_initialization_error(ClassDef<V>::name, std::move(type.error())));
  return type;
}

// The slow path of class_type_object: the first build and fill.
template <PyClass V>
[[gnu::noinline]] PyTypeObject* build_class_type_object() {
  auto type = build_and_fill_type_object(class_spec<V>, class_state<V>, exact_type_object<V>);
  if (!type) type_object_failed(ClassDef<V>::name, std::move(type.error()));
  return *type;
}

// exact_type_object<V> is set once the type is built and its class attributes are filled.
template <PyClass V>
[[gnu::always_inline]] inline PyTypeObject* class_type_object() {
  if (PyTypeObject* type = exact_type_object<V>) [[likely]]
    return type;
  return build_class_type_object<V>();
}

}  // namespace qzr::py
