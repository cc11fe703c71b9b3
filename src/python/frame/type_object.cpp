// Building a class's type object from its ClassSpec and filling its class attributes, compiled
// once for every class; the sequence slots derived from the mapping ones.
#include "python/frame/type_object.hpp"

#include <pythread.h>

#include <memory>

namespace qzr::py {

namespace {

PyObject* no_constructor(PyTypeObject*, PyObject*, PyObject*) noexcept {
  return guarded_object([]() -> PyResult<Ref> { return fail(PyErr::type_error("No constructor defined")); });
}

// Sequence slots derived from the mapping slots: the index reaches the class's own key
// lookup as a Python int.
PyObject* item_by_index(PyObject* self, Py_ssize_t index) noexcept {
  return guarded_object([&]() -> PyResult<Ref> {
    Ref key = Ref::steal(expect_api(PyLong_FromSsize_t(index)));
    Ref item = Ref::steal(PyObject_GetItem(self, key.get()));
    if (!item) return fail(PyErr::fetch());
    return item;
  });
}

int assign_item_by_index(PyObject* self, Py_ssize_t index, PyObject* value) noexcept {
  return guarded<int>(-1, [&]() -> PyResult<int> {
    Ref key = Ref::steal(expect_api(PyLong_FromSsize_t(index)));
    int status = value ? PyObject_SetItem(self, key.get(), value) : PyObject_DelItem(self, key.get());
    if (status < 0) return fail(PyErr::fetch());
    return 0;
  });
}

void attach_cause(PyObject* exception, PyErr cause) {
  PyException_SetCause(exception, std::move(cause).into_exception().release());
}

// The tables a type object points into, kept for the life of the process.
struct TypeTables {
  std::vector<PyMethodDef> methods;
  std::vector<PyGetSetDef> properties;
};

std::vector<std::unique_ptr<TypeTables>>& kept_type_tables() {
  static std::vector<std::unique_ptr<TypeTables>> kept;  // touched only under the interpreter lock
  return kept;
}

PyErr runtime_error_caused_by(std::string text, PyErr cause) {
  Ref exception = PyErr::runtime_error(std::move(text)).into_exception();
  attach_cause(exception.get(), std::move(cause));
  return PyErr::from_exception(std::move(exception));
}

PyResult<PyTypeObject*> create_type(const ClassSpec& spec, TypeBuilder& builder, const char* doc,
                                    const char* spec_name) {
  // The method and property tables must outlive the type; they are owned here and kept for the
  // process only once the type exists, so a failed creation frees them.
  auto tables = std::make_unique<TypeTables>();
  std::vector<PyType_Slot> slots;
  if (doc[0] != '\0') slots.push_back({Py_tp_doc, const_cast<char*>(doc)});
  slots.insert(slots.end(), builder.slots.begin(), builder.slots.end());
  if (!builder.methods.empty()) {
    tables->methods.assign(builder.methods.begin(), builder.methods.end());
    tables->methods.push_back({});
    slots.push_back({Py_tp_methods, tables->methods.data()});
  }
  if (!builder.properties.empty()) {
    for (const auto& entry : builder.properties)
      tables->properties.push_back({entry.name, entry.get, entry.set, entry.doc, nullptr});
    tables->properties.push_back({});
    slots.push_back({Py_tp_getset, tables->properties.data()});
  }
  if (builder.has_slot(Py_mp_subscript))
    slots.push_back({Py_sq_item, reinterpret_cast<void*>(&item_by_index)});
  if (builder.has_slot(Py_mp_ass_subscript))
    slots.push_back({Py_sq_ass_item, reinterpret_cast<void*>(&assign_item_by_index)});
  slots.push_back({Py_tp_base, &PyBaseObject_Type});
  if (!builder.has_slot(Py_tp_new)) slots.push_back({Py_tp_new, reinterpret_cast<void*>(&no_constructor)});
  slots.push_back({Py_tp_dealloc, reinterpret_cast<void*>(spec.dealloc)});
  slots.push_back({0, nullptr});

  PyType_Spec type_spec{spec_name, spec.basic_size, 0, Py_TPFLAGS_DEFAULT, slots.data()};
  PyObject* type = PyType_FromSpec(&type_spec);
  if (type == nullptr) return fail(PyErr::fetch());
  kept_type_tables().push_back(std::move(tables));
  // Types are called through this field (the type of types supports vectorcall); it is not set
  // from a spec before 3.14, so it is set here, before anything can call the type.
  if (builder.construct_call != nullptr)
    reinterpret_cast<PyTypeObject*>(type)->tp_vectorcall = builder.construct_call;
  return reinterpret_cast<PyTypeObject*>(type);
}

PyResult<void> set_class_attributes(PyTypeObject* type, const char* class_name,
                                    const std::vector<ClassAttributeEntry>& entries, bool& done,
                                    std::vector<unsigned long>& filling_threads) {
  if (done) return {};
  unsigned long thread = PyThread_get_thread_ident();
  if (std::find(filling_threads.begin(), filling_threads.end(), thread) != filling_threads.end()) return {};
  filling_threads.push_back(thread);
  auto leave = [&] { std::erase(filling_threads, thread); };

  std::vector<std::pair<const char*, Ref>> values;
  for (const auto& entry : entries) {
    auto value = entry.make();
    if (!value) {
      leave();
      return fail(runtime_error_caused_by(
          std::string("An error occurred while initializing `") + class_name + "." + entry.name + "`",
          std::move(value.error())));
    }
    values.emplace_back(entry.name, std::move(*value));
  }
  if (done) {
    leave();
    return {};
  }
  filling_threads.clear();
  for (auto& [name, value] : values) {
    if (PyObject_SetAttrString(reinterpret_cast<PyObject*>(type), name, value.get()) < 0) {
      return fail(runtime_error_caused_by(
          std::string("An error occurred while initializing `") + class_name + ".__dict__`", PyErr::fetch()));
    }
  }
  done = true;
  return {};
}

PyResult<PyTypeObject*> build_type_object(const ClassSpec& spec, ClassState& state) {
  TypeBuilder builder(spec.name);
  spec.add_members(builder);
  if (state.doc == nullptr) {
    auto doc = build_class_doc(spec.name, spec.doc, builder.text_signature);
    if (!doc) return fail(std::move(doc.error()));
    state.doc = keep_text(std::move(*doc));
  }
  auto type = create_type(spec, builder, state.doc, keep_text(std::string("builtins.") + spec.name));
  if (!type) return type;
  if (state.type == nullptr) {
    state.type = *type;
    state.class_attributes = std::move(builder.class_attributes);
  } else {
    Py_DECREF(*type);
  }
  return state.type;
}

}  // namespace

PyResult<PyTypeObject*> build_and_fill_type_object(const ClassSpec& spec, ClassState& state,
                                                   PyTypeObject*& published) {
  if (state.type == nullptr) {
    auto built = build_type_object(spec, state);
    if (!built) return fail(std::move(built.error()));
  }
  auto filled = set_class_attributes(state.type, spec.name, state.class_attributes,
                                     state.class_attributes_done, state.filling_threads);
  if (!filled) return fail(std::move(filled.error()));
  if (state.class_attributes_done) published = state.type;
  return state.type;
}

PyErr class_initialization_error(const char* class_name, PyErr cause) {
  return runtime_error_caused_by(std::string("An error occurred while initializing class ") + class_name,
                                 std::move(cause));
}

void type_object_failed(const char* class_name, PyErr error) {
  std::move(error).restore();
  PyErr_PrintEx(0);
  fault(std::string("failed to create type object for ") + class_name);
}

}  // namespace qzr::py
