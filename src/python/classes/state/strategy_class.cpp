// The members of the Python class Strategy.
#include "python/classes/state/strategy_class.hpp"

#include "python/classes/state/record_members.hpp"

namespace qzr::py {

// NOLINTNEXTLINE(performance-unnecessary-value-param): a binding body, the frame converts into it
Result<Strategy> make_strategy(std::string strategy_id) {
  Result<StrategyId> id = strategy_id_from_text(strategy_id);
  if (!id) return fail(std::move(id.error()));
  Strategy strategy;
  strategy.strategy_id = *id;
  return strategy;
}

void ClassDef<Strategy>::add_members(TypeBuilder& builder) {
  Members<RecordMembers<Strategy>,
          Method<"update_avail_collateral",
                 &balance_members::updated_copy<Strategy, &Strategy::avail_collateral>, "symbol", "amount">,
          Method<"update_locked_collateral",
                 &balance_members::updated_copy<Strategy, &Strategy::locked_collateral>, "symbol",
                 "amount">>::add_to<Strategy>(builder);
}

}  // namespace qzr::py
