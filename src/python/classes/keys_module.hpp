// Registration of the key classes and of SpecsKind in their modules.
#pragma once

#include "python/frame/frame.hpp"

namespace qzr::py {

// Adds TraderKey, StrategyKey, PositionKey, BookOrderKey, PriceKey, InsuranceFundKey, StatsKey,
// SignerKey, SpecsKey, InsuranceFundContributionKey, FeePoolKey and EpochMetadataKey, in this
// order, to qzr_python.common.state.keys. The first failure ends the registration.
PyResult<void> add_key_classes(PyObject* keys_module);

// Adds SpecsKind to qzr_python.common.state.
PyResult<void> add_specs_kind(PyObject* state_module);

}  // namespace qzr::py
