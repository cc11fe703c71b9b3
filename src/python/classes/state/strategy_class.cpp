// The members of the Python class Strategy.
#include "python/classes/state/strategy_class.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

Result<Strategy> make_strategy(std::string strategy_id) {
  Result<StrategyId> id = strategy_id_from_text(strategy_id);
  if (!id) return fail(std::move(id.error()));
  Strategy strategy;
  strategy.strategy_id = *id;
  return strategy;
}

template void add_record_members<Strategy>(TypeBuilder& builder);

}  // namespace qzr::py
