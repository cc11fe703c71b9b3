// The ABI tokens of the record field types and their untrusted readers.
#include "state/record_fields.hpp"

#include <vector>

#include "abi/words.hpp"
#include "state/map_tuple_token.hpp"

namespace qzr {

// A reader's value converted to the field type, or its error passed on.
template <class T, class From, class Convert>
Result<T> read_as(Result<From> read, Convert convert) {
  if (!read) return fail(std::move(read.error()));
  return convert(*read);
}

abi::Token RecordField<UnscaledI128>::into_token(const UnscaledI128& amount) {
  return abi::decimal_into_token(amount.value);
}
Result<UnscaledI128> RecordField<UnscaledI128>::from_token(const abi::Token& token) {
  return read_as<UnscaledI128>(abi::decimal_from_token(token),
                               [](const Decimal& value) { return UnscaledI128{value}; });
}

abi::Token RecordField<std::uint64_t>::into_token(std::uint64_t value) {
  return abi::Token::unsigned_int(abi::U256::from_u64(value));
}
Result<std::uint64_t> RecordField<std::uint64_t>::from_token(const abi::Token& token) {
  return abi::u64_from_uint_token(token);
}

Result<bool> RecordField<bool>::from_token(const abi::Token& token) { return abi::bool_from_token(token); }

abi::Token RecordField<AccountAddress>::into_token(const AccountAddress& address) {
  return abi::address_into_token(address.bytes);
}
Result<AccountAddress> RecordField<AccountAddress>::from_token(const abi::Token& token) {
  return read_as<AccountAddress>(abi::address_from_token(token),
                                 [](const abi::Address& bytes) { return AccountAddress{bytes}; });
}

abi::Token RecordField<TraderAddress>::into_token(const TraderAddress& address) {
  return abi::trader_address_into_token(address);
}
Result<TraderAddress> RecordField<TraderAddress>::from_token(const abi::Token& token) {
  return abi::bytes21_from_abi(token);
}

abi::Token RecordField<StrategyId>::into_token(const StrategyId& id) {
  return abi::bytes32_into_token(id.bytes);
}
Result<StrategyId> RecordField<StrategyId>::from_token(const abi::Token& token) {
  return read_as<StrategyId>(abi::h256_from_token(token),
                             [](const H256& word) { return StrategyId{word.bytes()}; });
}

abi::Token RecordField<StrategyIdHash>::into_token(const StrategyIdHash& hash) {
  return abi::bytes32_into_token(abi::strategy_id_hash_to_word(hash));
}
Result<StrategyIdHash> RecordField<StrategyIdHash>::from_token(const abi::Token& token) {
  return abi::strategy_id_hash_from_token(token);
}

abi::Token RecordField<OrderSide>::into_token(OrderSide side) { return abi::order_side_into_token(side); }
Result<OrderSide> RecordField<OrderSide>::from_token(const abi::Token& token) {
  return abi::order_side_from_token(token);
}

abi::Token RecordField<PositionSide>::into_token(PositionSide side) {
  return abi::discriminant_tuple_into_token(accounting_discriminant(side));
}
Result<PositionSide> RecordField<PositionSide>::from_token(const abi::Token& token) {
  return abi::discriminant_tuple_member(token, &position_side_from_discriminant);
}

abi::Token RecordField<Balance>::into_token(const Balance& balance) {
  std::vector<abi::Token> tokens;
  std::vector<abi::Token> amounts;
  tokens.reserve(balance.size());
  amounts.reserve(balance.size());
  for (const BalanceEntry& entry : balance.entries()) {
    tokens.push_back(abi::address_into_token(entry.token.bytes));
    amounts.push_back(abi::decimal_into_token(entry.amount.value));
  }
  return map_tuple_into_token(std::move(tokens), std::move(amounts));
}

Result<Balance> RecordField<Balance>::from_token(const abi::Token& token) {
  Result<MapTuplePairs> pairs = map_tuple_from_token(token);
  if (!pairs) return fail(std::move(pairs.error()));
  Balance balance;
  for (std::size_t i = 0; i < pairs->keys.size(); ++i) {
    Result<AccountAddress> address = RecordField<AccountAddress>::from_token(pairs->keys[i]);
    if (!address) return fail(std::move(address.error()));
    Result<Decimal> amount = abi::decimal_from_token(pairs->values[i]);
    if (!amount) return fail(std::move(amount.error()));
    Result<void> assigned = balance.try_assign(TokenAddress{address->bytes}, *amount);
    if (!assigned) return fail(std::move(assigned.error()));
  }
  return balance;
}

abi::Token RecordField<ReleaseHash>::into_token(const ReleaseHash& hash) {
  return abi::into_single_token(hash.bytes);
}
Result<ReleaseHash> RecordField<ReleaseHash>::from_token(const abi::Token& token) {
  return read_as<ReleaseHash>(abi::h256_from_tokens(token),
                              [](const H256& word) { return ReleaseHash{word.bytes()}; });
}

abi::Token RecordField<NextBookOrdinals>::into_token(const NextBookOrdinals& map) {
  std::vector<abi::Token> symbols;
  std::vector<abi::Token> ordinals;
  symbols.reserve(map.size());
  ordinals.reserve(map.size());
  for (const auto& [symbol, ordinal] : map.sorted_entries()) {
    symbols.push_back(abi::bytes32_into_token(product_symbol_to_bytes32(symbol).bytes));
    ordinals.push_back(RecordField<std::uint64_t>::into_token(ordinal));
  }
  return map_tuple_into_token(std::move(symbols), std::move(ordinals));
}

Result<NextBookOrdinals> RecordField<NextBookOrdinals>::from_token(const abi::Token& token) {
  Result<MapTuplePairs> pairs = map_tuple_from_token(token);
  if (!pairs) return fail(std::move(pairs.error()));
  std::vector<NextBookOrdinals::Entry> entries;
  entries.reserve(pairs->keys.size());
  for (std::size_t i = 0; i < pairs->keys.size(); ++i) {
    Result<ProductSymbol> symbol = abi::product_symbol_from_token(pairs->keys[i]);
    if (!symbol) return fail(std::move(symbol.error()));
    Result<std::uint64_t> ordinal = abi::u64_from_uint_token(pairs->values[i]);
    if (!ordinal) return fail(std::move(ordinal.error()));
    entries.emplace_back(*symbol, *ordinal);
  }
  return NextBookOrdinals::from_pairs(entries);
}

}  // namespace qzr
