// Building a class's type object from its ClassDef once per process, filling its class
// attributes (re-entrant: a class attribute that makes an instance of its own class gets the
// type as it stands), and deallocating instances.
#pragma once

#include <algorithm>
#include <vector>

#include "python/frame/members.hpp"

namespace qzr::py {

// The parts of type building that do not depend on the class.
struct TypeParts {
  const char* spec_name;
  int basic_size;
  destructor dealloc;
};
PyResult<PyTypeObject*> create_type(const TypeParts& parts, TypeBuilder& builder, const char* doc);
// Sets the class attributes; a failure is the RuntimeError of the class attribute fill.
PyResult<void> set_class_attributes(PyTypeObject* type, const char* class_name,
                                    const std::vector<ClassAttributeEntry>& entries, bool& done,
                                    std::vector<unsigned long>& filling_threads);
// The RuntimeError "An error occurred while initializing class X" with `cause` attached.
PyErr class_initialization_error(const char* class_name, PyErr cause);
// Prints `error` as an unhandled error, then faults "failed to create type object for X".
[[noreturn]] void type_object_failed(const char* class_name, PyErr error);

template <PyClass V>
struct ClassState {
  static inline PyTypeObject* type = nullptr;
  static inline const char* doc = nullptr;
  static inline std::vector<ClassAttributeEntry> class_attributes;
  static inline bool class_attributes_done = false;
  static inline std::vector<unsigned long> filling_threads;
};

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
PyResult<PyTypeObject*> build_type_object() {
  using State = ClassState<V>;
  TypeBuilder builder(ClassDef<V>::name);
  ClassDef<V>::add_members(builder);
  if (State::doc == nullptr) {
    auto doc = build_class_doc(ClassDef<V>::name, ClassDef<V>::doc, builder.text_signature);
    if (!doc) return fail(std::move(doc.error()));
    State::doc = keep_text(std::move(*doc));
  }
  TypeParts parts{keep_text(std::string("builtins.") + ClassDef<V>::name),
                  static_cast<int>(sizeof(Instance<V>)), &deallocate<V>};
  auto type = create_type(parts, builder, State::doc);
  if (!type) return type;
  if (State::type == nullptr) {
    State::type = *type;
    State::class_attributes = std::move(builder.class_attributes);
  } else {
    Py_DECREF(*type);
  }
  return State::type;
}

// Builds the type when it does not exist yet and fills its class attributes; once both are
// done, publishes it as exact_type_object<V>. Errors are the build's or the fill's own.
template <PyClass V>
PyResult<PyTypeObject*> build_and_fill_type_object() {
  using State = ClassState<V>;
  if (State::type == nullptr) {
    auto built = build_type_object<V>();
    if (!built) return fail(std::move(built.error()));
  }
  auto filled = set_class_attributes(State::type, ClassDef<V>::name, State::class_attributes,
                                     State::class_attributes_done, State::filling_threads);
  if (!filled) return fail(std::move(filled.error()));
  if (State::class_attributes_done) exact_type_object<V> = State::type;
  return State::type;
}

template <PyClass V>
PyResult<PyTypeObject*> try_class_type_object() {
  if (PyTypeObject* type = exact_type_object<V>) return type;
  auto type = build_and_fill_type_object<V>();
  if (!type) return fail(class_initialization_error(ClassDef<V>::name, std::move(type.error())));
  return type;
}

// The slow path of class_type_object: the first build and fill.
template <PyClass V>
[[gnu::noinline]] PyTypeObject* build_class_type_object() {
  auto type = build_and_fill_type_object<V>();
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
