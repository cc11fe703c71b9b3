// The module tree's steps compiled once: modules, registration with __all__, module functions,
// sys.modules entries, and the module entry with its interpreter check and cached root.
#include "python/frame/module_tree.hpp"

#include <atomic>
#include <deque>

namespace qzr::py {

namespace {

std::atomic<std::int64_t> first_interpreter{-1};
PyObject* built_root = nullptr;  // set once, under the interpreter lock

constexpr const char* subinterpreter_message =
    "this native extension module does not yet support subinterpreters: it was first imported by another "
    "interpreter of this process";

}  // namespace

PyResult<Ref> new_module(const char* name) {
  Ref module = Ref::steal(PyModule_New(name));
  if (!module) return fail(PyErr::fetch());
  return module;
}

PyResult<void> add(PyObject* module, const char* name, PyObject* value) {
  Ref all = Ref::steal(PyObject_GetAttrString(module, "__all__"));
  if (!all) {
    if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return fail(PyErr::fetch());
    PyErr_Clear();
    all = Ref::steal(PyList_New(0));
    if (!all) return fail(PyErr::fetch());
    if (PyObject_SetAttrString(module, "__all__", all.get()) < 0) return fail(PyErr::fetch());
  }
  Ref name_object = to_python_string(name);
  if (!PyList_Check(all.get()) || PyList_Append(all.get(), name_object.get()) < 0) {
    std::string description = "__all__ is not a list";
    if (PyErr_Occurred()) {
      Ref error = PyErr::fetch().into_exception();
      if (auto text = str_of(error.get())) description = *text;
    }
    fault("could not append __name__ to __all__: " + description);
  }
  if (PyObject_SetAttrString(module, name, value) < 0) return fail(PyErr::fetch());
  return {};
}

PyResult<void> add_submodule(PyObject* parent, PyObject* child) {
  PyObject* name = PyModule_GetNameObject(child);
  if (name == nullptr) return fail(PyErr::fetch());
  Ref name_ref = Ref::steal(name);
  const char* text = PyUnicode_AsUTF8(name);
  if (text == nullptr) {
    PyErr_Clear();
    fault("PyModule_GetName expected to return utf8");
  }
  return add(parent, text, child);
}

PyResult<void> add_function(PyObject* module, PyObject* function) {
  Ref name = Ref::steal(PyObject_GetAttrString(function, "__name__"));
  if (!name) return fail(PyErr::fetch());
  auto text = extract_string(name.get());
  if (!text) return fail(std::move(text.error()));
  return add(module, text->c_str(), function);
}

PyResult<void> add_module_function(PyObject* module, const char* name, PyCFunction function, int flags,
                                   const std::string_view* written_parameters, std::size_t count) {
  const char* doc = kept_method_doc(name, "", written_parameters, count);
  // CPython keeps a pointer to the definition for the life of every function object made from it.
  static std::deque<PyMethodDef> definitions;  // touched only under the interpreter lock
  PyMethodDef& definition = definitions.emplace_back(PyMethodDef{name, function, flags, doc});
  Ref module_name = Ref::steal(PyModule_GetNameObject(module));
  if (!module_name) return fail(PyErr::fetch());
  Ref made = Ref::steal(PyCFunction_NewEx(&definition, module, module_name.get()));
  if (!made) return fail(PyErr::fetch());
  return add_function(module, made.get());
}

PyResult<void> set_sys_modules_entry(const char* dotted_name, PyObject* module) {
  Ref sys = Ref::steal(PyImport_ImportModule("sys"));
  if (!sys) return fail(PyErr::fetch());
  Ref modules = Ref::steal(PyObject_GetAttrString(sys.get(), "modules"));
  if (!modules) return fail(PyErr::fetch());
  Ref key = to_python_string(dotted_name);
  if (PyObject_SetItem(modules.get(), key.get(), module) < 0) return fail(PyErr::fetch());
  return {};
}

Ref submodule_at(PyObject* top, const std::vector<const char*>& path) {
  Ref module = Ref::borrow(top);
  for (const char* name : path) {
    module = Ref::steal(PyObject_GetAttrString(module.get(), name));
    if (!module) {
      Ref error = PyErr::fetch().into_exception();
      auto text = str_of(error.get());
      fault_unwrapped(text ? *text : std::string());
    }
  }
  return module;
}

PyObject* module_entry(PyModuleDef& definition, PyResult<void> (*init)(PyObject* root)) noexcept {
  return guarded_object([&]() -> PyResult<Ref> {
    std::int64_t current = PyInterpreterState_GetID(PyInterpreterState_Get());
    if (current == -1) return fail(PyErr::fetch());
    std::int64_t expected = -1;
    if (!first_interpreter.compare_exchange_strong(expected, current) && expected != current) {
      return fail(PyErr::import_error(subinterpreter_message));
    }
    if (built_root != nullptr) return Ref::borrow(built_root);
    Ref root = Ref::steal(PyModule_Create2(&definition, 1013));
    if (!root) return fail(PyErr::fetch());
    if (auto built = init(root.get()); !built) return fail(std::move(built.error()));
    if (built_root == nullptr) built_root = root.release();
    return Ref::borrow(built_root);
  });
}

}  // namespace qzr::py
