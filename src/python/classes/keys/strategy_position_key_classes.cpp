// The members of StrategyKey and PositionKey: constructors from hexadecimal texts (and a symbol),
// field getters, the conversions between the two, then what every key class shares.
#include <string>

#include "python/classes/keys/key_class_members.hpp"
#include "python/classes/keys/keys_classes.hpp"
#include "python/classes/values/product_symbol_class.hpp"

namespace qzr::py {
namespace {

using TraderAddressText = HexText<TraderAddress>;
using StrategyIdHashText = HexText<StrategyIdHash>;

StrategyKey make_strategy_key(TraderAddressText trader_address, StrategyIdHashText strategy_id_hash) {
  return StrategyKey{trader_address.value, strategy_id_hash.value};
}

// The symbol object's packed bytes are taken as they are, not read through its text.
PositionKey strategy_as_position_key(const StrategyKey& key, const ProductSymbol& symbol) {
  return PositionKey{key.trader_address, key.strategy_id_hash, symbol};
}

// The hash of the strategy id `strategy_id` (at most 31 UTF-8 bytes) as "0x" and 8 digits.
// NOLINTNEXTLINE(performance-unnecessary-value-param): a binding body, the frame converts into it
Result<std::string> generate_strategy_id_hash(std::string strategy_id) {
  auto id = strategy_id_from_text(strategy_id);
  if (!id) return fail(std::move(id.error()));
  return to_hex(strategy_id_hash_of(*id));
}

PositionKey make_position_key(TraderAddressText trader_address, StrategyIdHashText strategy_id_hash,
                              ProductSymbolArgument symbol) {
  return PositionKey{trader_address.value, strategy_id_hash.value, symbol.value};
}
StrategyKey position_as_strategy_key(const PositionKey& key) {
  return StrategyKey{key.trader_address, key.strategy_id_hash};
}

}  // namespace

void ClassDef<StrategyKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_strategy_key, "trader_address", "strategy_id_hash">, FieldGetters<StrategyKey>,
          StaticMethod<"generate_strategy_id_hash", &generate_strategy_id_hash, "strategy_id">,
          Method<"as_position_key", &strategy_as_position_key, "symbol">,
          KeyMembers<StrategyKey>>::add_to<StrategyKey>(builder);
}

void ClassDef<PositionKey>::add_members(TypeBuilder& builder) {
  Members<Constructor<&make_position_key, "trader_address", "strategy_id_hash", "symbol">,
          FieldGetters<PositionKey>, Method<"as_strategy_key", &position_as_strategy_key>,
          KeyMembers<PositionKey>>::add_to<PositionKey>(builder);
}

}  // namespace qzr::py
