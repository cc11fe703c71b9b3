// Building a module tree: submodules, registration with __all__, sys.modules entries, and the
// module entry with its interpreter check and cached root.
#pragma once

#include "python/frame/type_object.hpp"

namespace qzr::py {

// A new empty module whose __name__ is `name`.
PyResult<Ref> new_module(const char* name);
// Appends `name` to the module's __all__ (created on first use), then sets the attribute.
// The append comes first: if setting the attribute fails, the name stays in __all__.
PyResult<void> add(PyObject* module, const char* name, PyObject* value);
// Registers `child` in `parent` under the child's __name__.
PyResult<void> add_submodule(PyObject* parent, PyObject* child);
// Registers a function object under its __name__.
PyResult<void> add_function(PyObject* module, PyObject* function);
// sys.modules[dotted_name] = module.
PyResult<void> set_sys_modules_entry(const char* dotted_name, PyObject* module);

template <PyClass V>
PyResult<void> add_class(PyObject* module) {
  auto type = try_class_type_object<V>();
  if (!type) return fail(std::move(type.error()));
  return add(module, ClassDef<V>::name, reinterpret_cast<PyObject*>(*type));
}

// add_class for each class in order; the first failure ends the registration.
template <PyClass... V>
PyResult<void> add_classes(PyObject* module) {
  PyResult<void> added;
  (void)((added = add_class<V>(module)) && ...);
  return added;
}

inline PyResult<void> add_exception(PyObject* module, const char* name, ExceptionType& type) {
  return add(module, name, type.get());
}

// The module entry: records the first interpreter that imports the module (a later import from
// another interpreter is ImportError), returns the root built before, or creates the root from
// `definition` and runs `init` on it. Runs inside the guard, so a fault becomes PanicException.
PyObject* module_entry(PyModuleDef& definition, PyResult<void> (*init)(PyObject* root)) noexcept;

}  // namespace qzr::py
