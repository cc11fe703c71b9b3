// Building a module tree: submodules, registration with __all__, sys.modules entries, and the
// module entry with its interpreter check and cached root. The tree itself is a constant: a
// RootModule type whose rows are its members (see the end of this file).
#pragma once

#include <string>
#include <vector>

#include "python/frame/members.hpp"
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
// Makes the built-in function `name` bound to `module` (its __self__ the module, its __module__
// the module's __name__) from a C entry of `flags`, with the docstring kept_method_doc gives the
// parameters as written (so its text signature is the parameter list and it has no other
// docstring), and registers it with add_function. The definition is kept for the process.
PyResult<void> add_module_function(PyObject* module, const char* name, PyCFunction function, int flags,
                                   const std::string_view* written_parameters, std::size_t count);
// sys.modules[dotted_name] = module.
PyResult<void> set_sys_modules_entry(const char* dotted_name, PyObject* module);

template <PyClass V>
PyResult<void> add_class(PyObject* module) {
  auto type = try_class_type_object<V>();
  if (!type) return fail(std::move(type.error()));
  return add(module, ClassDef<V>::name, reinterpret_cast<PyObject*>(*type));
}

inline PyResult<void> add_exception(PyObject* module, const char* name, ExceptionType& type) {
  return add(module, name, type.get());
}

// top.<path...> fetched back by attribute access; a failure after the tree was built is a fault.
Ref submodule_at(PyObject* top, const std::vector<const char*>& path);

// The module entry: records the first interpreter that imports the module (a later import from
// another interpreter is ImportError), returns the root built before, or creates the root from
// `definition` and runs `init` on it. Runs inside the guard, so a fault becomes PanicException.
PyObject* module_entry(PyModuleDef& definition, PyResult<void> (*init)(PyObject* root)) noexcept;

// ---- the module tree as data ----------------------------------------------------------------
//
// A module's members are rows, registered in their order (which is the order of __all__):
//   Class<V>                     the class's type object under its Python name
//   Classes<V...>                each class in order, as as many Class rows
//   Exception<"Name", &type>     an exception type (`ExceptionType& type()`)
//   Function<"name", Body, "param"...>  a built-in function bound to the module: Body(args...),
//                                its parameters as a static method's (Method in named_members.hpp),
//                                its text signature the parameter list
//   Module<"name", Rows...>      a submodule: built depth first, then registered in its parent
// RootModule<"name", "doc", Rows...> is the whole tree. Once a child of the root is registered
// in the root, it and every module below it (in the order they were built) enter sys.modules
// under their dotted names, computed from the path; each module below is fetched back from the
// root's child by attribute access along its path. The first error ends the build; what was done
// before it stays done.

template <PyClass V>
struct Class {
  static PyResult<void> add_to(PyObject* module) { return add_class<V>(module); }
};

// The classes of a type list, in its order: a row for a family of classes listed elsewhere
// (the record and key classes of the list of kinds).
template <PyClass... V>
struct Classes {
  static PyResult<void> add_to(PyObject* module) {
    PyResult<void> added;
    static_cast<void>(((added = add_class<V>(module)) && ...));
    return added;
  }
};

template <FixedString Name, ExceptionType& (*Type)()>
struct Exception {
  static PyResult<void> add_to(PyObject* module) { return add_exception(module, Name.c_str(), Type()); }
};

// The entries are a static method's, owned by no class (`void`): its error texts name the
// function alone, "name()".
template <FixedString Name, auto Body, FixedString... Written>
struct Function {
  using Entries = MethodMember<MethodKind::Static, BorrowOf::Body, Name, Body, Written...>;
  static PyResult<void> add_to(PyObject* module) {
    if constexpr (sizeof...(Written) == 0) {
      return add(module, reinterpret_cast<void (*)()>(&Entries::template noargs_entry<void>), METH_NOARGS);
    } else {
      return add(module, reinterpret_cast<void (*)()>(&Entries::template fastcall_entry<void>),
                 METH_FASTCALL | METH_KEYWORDS);
    }
  }

 private:
  static PyResult<void> add(PyObject* module, void (*entry)(), int flags) {
    return add_module_function(module, Name.c_str(), reinterpret_cast<PyCFunction>(entry), flags,
                               Entries::written.data(), Entries::written.size());
  }
};

// Each row in order; the first failure ends the registration.
template <class... Rows>
PyResult<void> add_rows([[maybe_unused]] PyObject* module) {
  PyResult<void> added;
  static_cast<void>(((added = Rows::add_to(module)) && ...));
  return added;
}

template <class Row>
concept ModuleRow = requires {
  Row::name;
  typename Row::is_module;
};

template <FixedString Name, class... Rows>
struct Module {
  using is_module = void;
  static constexpr FixedString name = Name;

  static PyResult<Ref> build() {
    auto module = new_module(Name.c_str());
    if (!module) return module;
    if (auto added = add_rows<Rows...>(module->get()); !added) return fail(std::move(added.error()));
    return module;
  }

  static PyResult<void> add_to(PyObject* parent) {
    auto module = build();
    if (!module) return fail(std::move(module.error()));
    return add_submodule(parent, module->get());
  }

  // Enters the modules below this one in sys.modules, depth first. `dotted` is this module's
  // dotted name, `path` its attribute path from `top`, the child of the root it is under.
  static PyResult<void> enter_below([[maybe_unused]] PyObject* top,
                                    [[maybe_unused]] const std::string& dotted,
                                    [[maybe_unused]] std::vector<const char*>& path) {
    PyResult<void> entered;
    static_cast<void>(((entered = enter_if_module<Rows>(top, dotted, path)) && ...));
    return entered;
  }

 private:
  template <class Row>
  static PyResult<void> enter_if_module(PyObject* top, const std::string& dotted,
                                        std::vector<const char*>& path) {
    if constexpr (ModuleRow<Row>) {
      std::string child = dotted + "." + std::string(Row::name.view());
      path.push_back(Row::name.c_str());
      auto entered = set_sys_modules_entry(child.c_str(), submodule_at(top, path).get());
      if (entered) entered = Row::enter_below(top, child, path);
      path.pop_back();
      return entered;
    } else {
      return {};
    }
  }
};

template <FixedString Name, FixedString Doc, class... Rows>
struct RootModule {
  // The module body: every row in order; a submodule is entered in sys.modules right after it
  // is registered in the root.
  static PyResult<void> init(PyObject* root) {
    PyResult<void> added;
    static_cast<void>(((added = add_root_row<Rows>(root)) && ...));
    return added;
  }

  // PyInit_<name>: `functions` (or null) are the module's own functions.
  static PyObject* entry(PyMethodDef* functions = nullptr) noexcept {
    static PyModuleDef definition = {
        PyModuleDef_HEAD_INIT,
        Name.c_str(),
        Doc.empty() ? nullptr : Doc.c_str(),
        0,
        functions,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
    };
    return module_entry(definition, &init);
  }

 private:
  template <class Row>
  static PyResult<void> add_root_row(PyObject* root) {
    if constexpr (ModuleRow<Row>) {
      auto module = Row::build();
      if (!module) return fail(std::move(module.error()));
      if (auto added = add_submodule(root, module->get()); !added) return added;
      std::string dotted = std::string(Name.view()) + "." + std::string(Row::name.view());
      if (auto entered = set_sys_modules_entry(dotted.c_str(), module->get()); !entered) return entered;
      std::vector<const char*> path;
      return Row::enter_below(module->get(), dotted, path);
    } else {
      return Row::add_to(root);
    }
  }
};

}  // namespace qzr::py
