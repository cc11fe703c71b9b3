// The Python classes of the records and keys of the list of kinds (state/kinds.hpp), for code
// that handles every kind alike: the module's rows, the state tree's per-kind members. Every
// kind's record and key has its class.
#pragma once

#include <type_traits>

#include "python/classes/keys/keys_classes.hpp"
#include "python/classes/state/book_order_class.hpp"
#include "python/classes/state/epoch_metadata_class.hpp"
#include "python/classes/state/fund_classes.hpp"
#include "python/classes/state/insurance_fund_contribution_class.hpp"
#include "python/classes/state/position_class.hpp"
#include "python/classes/state/price_class.hpp"
#include "python/classes/state/signer_specs_classes.hpp"
#include "python/classes/state/stats_class.hpp"
#include "python/classes/state/strategy_class.hpp"
#include "python/classes/state/trader_class.hpp"
#include "state/kinds.hpp"

namespace qzr::py {

namespace record_classes_detail {
template <class... V>
struct AllClasses : std::bool_constant<(PyClass<V> && ...)> {};
}  // namespace record_classes_detail

static_assert(RecordTypes<record_classes_detail::AllClasses>::value, "a kind's record has no Python class");
static_assert(KeyTypes<record_classes_detail::AllClasses>::value, "a kind's key has no Python class");

}  // namespace qzr::py
