// PyInit_qzr_python and the module tree: ten modules, their __all__ lists in registration order,
// and their sys.modules entries.
#include <functional>
#include <initializer_list>

#include "python/classes/decimal_class.hpp"
#include "python/classes/exceptions.hpp"
#include "python/classes/h256_class.hpp"
#include "python/classes/keys_classes.hpp"
#include "python/classes/operator_context_class.hpp"
#include "python/classes/order_side_class.hpp"
#include "python/classes/product_symbol_class.hpp"
#include "python/classes/token_symbol_class.hpp"
#include "python/frame/frame.hpp"

namespace qzr::py {
namespace {

using Step = std::function<PyResult<void>()>;

// Runs the steps in order; the first error ends the build.
PyResult<void> run(std::initializer_list<Step> steps) {
  for (const auto& step : steps) {
    if (auto done = step(); !done) return done;
  }
  return {};
}

PyResult<void> init_decimal_module(PyObject* root) {
  auto module = new_module("decimal");
  if (!module) return fail(std::move(module.error()));
  PyObject* decimal = module->get();
  return run({
      [&] { return add_class<Decimal>(decimal); },
      [&] { return add_exception(decimal, "DecimalError", decimal_error_type()); },
      [&] { return add_submodule(root, decimal); },
      [&] { return set_sys_modules_entry("qzr_python.decimal", decimal); },
  });
}

PyResult<void> init_h256_module(PyObject* root) {
  auto module = new_module("h256");
  if (!module) return fail(std::move(module.error()));
  PyObject* h256 = module->get();
  return run({
      [&] { return add_class<H256>(h256); },
      [&] { return add_exception(h256, "H256Error", h256_error_type()); },
      [&] { return add_submodule(root, h256); },
      [&] { return set_sys_modules_entry("qzr_python.h256", h256); },
  });
}

// Fetches common.<path...> back by attribute access; a failure after the tree was built is a fault.
Ref submodule_at(PyObject* common, std::initializer_list<const char*> path) {
  Ref module = Ref::borrow(common);
  for (const char* name : path) {
    module = Ref::steal(PyObject_GetAttrString(module.get(), name));
    if (!module) {
      Ref error = PyErr::fetch().into_exception();
      auto text = str_of(error.get());
      fault("called `Result::unwrap()` on an `Err` value: " + (text ? *text : std::string()));
    }
  }
  return module;
}

// The submodules of common entered in sys.modules, in this order, each fetched back from common
// along its path.
struct SubmoduleEntry {
  const char* dotted_name;
  std::initializer_list<const char*> path;
};

PyResult<void> set_common_submodule_entries(PyObject* common) {
  static const SubmoduleEntry entries[] = {
      {"qzr_python.common.requests", {"requests"}},
      {"qzr_python.common.requests.intents", {"requests", "intents"}},
      {"qzr_python.common.enums", {"enums"}},
      {"qzr_python.common.state", {"state"}},
      {"qzr_python.common.state.keys", {"state", "keys"}},
      {"qzr_python.common.transactions", {"transactions"}},
  };
  for (const auto& entry : entries) {
    if (auto set = set_sys_modules_entry(entry.dotted_name, submodule_at(common, entry.path).get()); !set) {
      return set;
    }
  }
  return {};
}

PyResult<void> init_common_module(PyObject* root) {
  Ref common, requests, intents, enums, state, keys, transactions;
  auto make = [](Ref& target, const char* name) -> PyResult<void> {
    auto module = new_module(name);
    if (!module) return fail(std::move(module.error()));
    target = std::move(*module);
    return {};
  };
  return run({
      [&] { return make(common, "common"); },
      [&] { return make(requests, "requests"); },
      [&] { return make(intents, "intents"); },
      [&] { return add_submodule(requests.get(), intents.get()); },
      [&] { return add_submodule(common.get(), requests.get()); },
      [&] { return make(enums, "enums"); },
      [&] { return add_classes<OrderSide>(enums.get()); },
      [&] { return add_submodule(common.get(), enums.get()); },
      [&] { return make(state, "state"); },
      [&] { return add_classes<SpecsKind>(state.get()); },
      [&] { return make(keys, "keys"); },
      [&] {
        return add_classes<TraderKey, StrategyKey, PositionKey, BookOrderKey, PriceKey, InsuranceFundKey,
                           StatsKey, SignerKey, SpecsKey, InsuranceFundContributionKey, FeePoolKey,
                           EpochMetadataKey>(keys.get());
      },
      [&] { return add_submodule(state.get(), keys.get()); },
      [&] { return add_submodule(common.get(), state.get()); },
      [&] { return make(transactions, "transactions"); },
      [&] { return add_submodule(common.get(), transactions.get()); },
      [&]() -> PyResult<void> {
        auto function = make_get_operator_context(common.get());
        if (!function) return fail(std::move(function.error()));
        return add_function(common.get(), function->get());
      },
      [&] { return add_classes<ProductSymbol, TokenSymbol, OperatorContext>(common.get()); },
      [&] { return add_exception(common.get(), "QzrCommonError", qzr_common_error_type()); },
      [&] { return add_submodule(root, common.get()); },
      [&] { return set_sys_modules_entry("qzr_python.common", common.get()); },
      [&] { return set_common_submodule_entries(common.get()); },
  });
}

PyResult<void> init_root_module(PyObject* root) {
  return run({
      [&] { return init_decimal_module(root); },
      [&] { return init_h256_module(root); },
      [&] { return init_common_module(root); },
  });
}

PyModuleDef root_definition = {
    PyModuleDef_HEAD_INIT,
    "qzr_python",
    "Bindings and utilities of the exchange's data model for Python.",
    0,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace
}  // namespace qzr::py

extern "C" __attribute__((visibility("default"))) PyObject* PyInit_qzr_python() {
  return qzr::py::module_entry(qzr::py::root_definition, &qzr::py::init_root_module);
}
