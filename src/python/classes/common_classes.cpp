#include "python/classes/common_classes.hpp"

#include "python/classes/operator_context_class.hpp"
#include "python/classes/order_side_class.hpp"
#include "python/classes/token_symbol_class.hpp"

namespace qzr::py {
namespace {

PyObject* get_operator_context(PyObject*, PyObject*) noexcept {
  return guarded_object(
      []() -> PyResult<Ref> { return ToPython<OperatorContext>::convert(OperatorContext::clone_global()); });
}

// CPython keeps a pointer to the definition for the life of every function object made from it.
PyMethodDef get_operator_context_definition = {
    "get_operator_context",
    &get_operator_context,
    METH_NOARGS,
    "get_operator_context()\n--\n\n",
};

}  // namespace

PyResult<void> add_order_side(PyObject* enums_module) { return add_class<OrderSide>(enums_module); }

PyResult<Ref> make_get_operator_context(PyObject* common_module) {
  Ref module_name = Ref::steal(PyModule_GetNameObject(common_module));
  if (!module_name) return fail(PyErr::fetch());
  Ref function =
      Ref::steal(PyCFunction_NewEx(&get_operator_context_definition, common_module, module_name.get()));
  if (!function) return fail(PyErr::fetch());
  return function;
}

PyResult<void> add_token_symbol_and_operator_context(PyObject* common_module) {
  if (auto added = add_class<TokenSymbol>(common_module); !added) return added;
  return add_class<OperatorContext>(common_module);
}

}  // namespace qzr::py
