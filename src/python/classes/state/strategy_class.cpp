// The members of the Python class Strategy, and how its id crosses the boundary.
#include "python/classes/state/strategy_class.hpp"

#include "python/classes/state/record_field_forms.hpp"

namespace qzr::py {

// The id: a str (else the string conversion's TypeError) of at most 31 UTF-8 bytes (else
// QzrCommonError "Bytes32 has 31 utf8 bytes prefixed with 1 length byte"); read back as its text
// (the length byte taken as at most 31, invalid UTF-8 replaced).
template <>
struct FieldForm<StrategyId> {
  using Converted = std::string;
  static PyResult<std::string> convert(PyObject* object) { return extract_string(object); }
  static Result<StrategyId> check(const std::string& text) { return strategy_id_from_text(text); }
  static Ref to_python(const StrategyId& id) { return to_python_string(strategy_id_text(id)); }
};

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
