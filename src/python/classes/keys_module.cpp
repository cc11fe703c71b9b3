#include "python/classes/keys_module.hpp"

#include "python/classes/keys_classes.hpp"

namespace qzr::py {

PyResult<void> add_key_classes(PyObject* keys_module) {
  for (auto add :
       {&add_class<TraderKey>, &add_class<StrategyKey>, &add_class<PositionKey>, &add_class<BookOrderKey>,
        &add_class<PriceKey>, &add_class<InsuranceFundKey>, &add_class<StatsKey>, &add_class<SignerKey>,
        &add_class<SpecsKey>, &add_class<InsuranceFundContributionKey>, &add_class<FeePoolKey>,
        &add_class<EpochMetadataKey>}) {
    if (auto added = add(keys_module); !added) return added;
  }
  return {};
}

PyResult<void> add_specs_kind(PyObject* state_module) { return add_class<SpecsKind>(state_module); }

}  // namespace qzr::py
