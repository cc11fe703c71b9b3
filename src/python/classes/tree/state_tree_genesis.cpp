// VelmarindSMT.from_genesis: the tree an exchange starts with, from the insurance fund's cap, the
// fee pool and the market specs (a dict of SpecsKey to specs expression text).
#include "python/classes/core/exceptions.hpp"
#include "python/classes/keys/keys_classes.hpp"
#include "python/classes/state/balance_class.hpp"
#include "python/classes/state/single_field_form.hpp"
#include "python/classes/tree/state_tree_class.hpp"
#include "tree/genesis.hpp"

namespace qzr::py {
namespace {

// The specs dict, read by the body itself, so its errors name no argument: a dict (or a dict
// subclass) of SpecsKey objects to str, each value read as Specs reads its expression
// (single_field_form.hpp: TypeError "failed to extract field SpecsExpr.0" caused by the str
// conversion's error). Reading runs no Python code, so the dict cannot change meanwhile.
PyResult<tree::GenesisSpecs> read_genesis_specs(PyObject* specs) {
  auto read = FromPython<DictOf<SpecsKey, FieldArgument<SpecsExpr>, DictWalk::InPlace>>::extract(specs);
  if (!read) return fail(std::move(read.error()));
  tree::GenesisSpecs entries;
  entries.reserve(read->pairs.size());
  for (auto& [key, expression] : read->pairs)
    entries.emplace_back(std::move(key), std::move(expression.value));
  return entries;
}

// The class argument is not consulted: the result is always a VelmarindSMT.
PyResult<tree::StateTree> from_genesis(Balance insurance_fund_cap, Balance fee_pool, Object specs) {
  auto entries = read_genesis_specs(specs.ptr);
  if (!entries) return fail(std::move(entries.error()));
  return to_py_result(tree::build_genesis_tree(insurance_fund_cap, fee_pool, *entries));
}

}  // namespace

void add_state_tree_genesis_member(TypeBuilder& builder) {
  Members<ClassMethod<"from_genesis", &from_genesis, "insurance_fund_cap", "fee_pool", "specs">>::add_to<
      tree::StateTree>(builder);
}

}  // namespace qzr::py
