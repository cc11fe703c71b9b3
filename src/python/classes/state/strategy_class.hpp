// The Python class Strategy (qzr_python.common.state.Strategy): one trading strategy
// (sub-account) of a trader, a record class (record_protocol.hpp) built from its id alone, with
// two collateral balances and the update methods that return a changed copy of one.
#pragma once

#include "python/classes/state/balance_class.hpp"
#include "python/classes/state/record_protocol.hpp"

namespace qzr::py {

// A new strategy: the id from its text, no collateral, maximum leverage 3, not frozen. The text
// must be a str of at most 31 UTF-8 bytes (else QzrCommonError).
Result<Strategy> make_strategy(std::string strategy_id);

template <>
struct ClassDef<Strategy> : RecordClassDef<Strategy> {
  static constexpr const char* doc = "An trading strategy (aka sub-account, formerly known as account)";
  using constructor = Constructor<&make_strategy, "strategy_id">;
  using field_docs =
      FieldDocs<"", "Amount of the collateral per token available as margin",
                "Amount of collateral per token frozen for withdrawal", "Maximum amount of leverage allowed",
                "Whether the entire account frozen for strategy tokenization">;
  static void add_members(TypeBuilder& builder);
};

}  // namespace qzr::py
