#include "python/classes/context/operator_context_class.hpp"

#include <string>

namespace qzr::py {
namespace {

std::string contract_address(const OperatorContext& self) { return to_hex(self.contract_address); }
std::uint64_t chain_id(const OperatorContext& self) { return self.chain_id; }

}  // namespace

void ClassDef<OperatorContext>::add_members(TypeBuilder& builder) {
  Members<Getter<"contract_address", &contract_address>,
          Getter<"chain_id", &chain_id>>::add_to<OperatorContext>(builder);
}

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

PyResult<Ref> make_get_operator_context(PyObject* common_module) {
  Ref module_name = Ref::steal(PyModule_GetNameObject(common_module));
  if (!module_name) return fail(PyErr::fetch());
  Ref function =
      Ref::steal(PyCFunction_NewEx(&get_operator_context_definition, common_module, module_name.get()));
  if (!function) return fail(PyErr::fetch());
  return function;
}

}  // namespace qzr::py
