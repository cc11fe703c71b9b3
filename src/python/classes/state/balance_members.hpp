// The Python members that Balance, InsuranceFund and FeePool share, written once over the balance
// each holds (a Balance is its own balance; the funds hold theirs as `inner`): the constructor,
// `default`, `new_from_many`, `total_value`, `amounts`, `split`, length, item access and
// assignment (deletion refused) and addition. Each class adds its own members to this list.
//
// Tokens are named by TokenSymbol objects and resolved to their addresses through the application
// context (the first read of a process builds it). Amounts must be Decimal objects: an int, str or
// float is the argument's TypeError.
#pragma once

#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "python/classes/context/token_symbol_class.hpp"
#include "python/classes/core/exceptions.hpp"
#include "python/classes/values/decimal_class.hpp"
#include "state/balance.hpp"

namespace qzr::py {

// A dict (or dict subclass) of TokenSymbol objects to Decimal objects, as (symbol, amount) pairs in
// the dict's iteration order. A key or value of another class is that conversion's TypeError.
// Both are copied out of their objects, which runs no Python code, so the dict is walked in place.
using TokenAmounts = DictOf<TokenSymbol, Decimal, DictWalk::InPlace>;

namespace balance_members {

// The balance a class's value holds.
template <class V>
const Balance& held(const V& value) {
  if constexpr (std::is_same_v<V, Balance>) {
    // NOLINTNEXTLINE(bugprone-return-const-ref-from-parameter): an instance's value outlives the call
    return value;
  } else {
    return value.inner;
  }
}

template <class V>
Balance& held(V& value) {
  if constexpr (std::is_same_v<V, Balance>) {
    return value;
  } else {
    return value.inner;
  }
}

template <class V>
V holding(Balance balance) {
  if constexpr (std::is_same_v<V, Balance>) {
    return balance;
  } else {
    return V{std::move(balance)};
  }
}

// Faults as get_app_context does when the symbol is resolved (a failed build of the application
// context). One entry: the symbol's address and the recorded amount (a zero amount is kept).
template <class V>
V construct(const Decimal& amount, TokenSymbol symbol) {
  return holding<V>(balance_of(symbol, amount));
}

template <class V>
V make_default() {
  return holding<V>(Balance{});
}

// Faults as get_app_context does when the symbols are resolved (a failed build of the application
// context), and with the limit text ("collaterals limit exceeded: " and the refused pair) at a
// third distinct token. No pairs: QzrCommonError "Cannot create balance with no collateral
// addresses" (the context is not read).
template <class V>
Result<V> new_from_many(TokenAmounts amounts) {
  Result<Balance> balance = balance_from_symbol_pairs(amounts.pairs);
  if (!balance) return fail(std::move(balance.error()));
  return holding<V>(std::move(*balance));
}

// Faults with "Addition overflowed" when the sum does not fit. The exact sum of the amounts
// (Balance::total_value).
template <class V>
Decimal total_value(const V& self) {
  return held(self).total_value();
}

template <class V>
std::vector<Decimal> amounts(const V& self) {
  std::vector<Decimal> values;
  values.reserve(held(self).size());
  for (const BalanceEntry& entry : held(self).entries()) values.push_back(entry.amount.value);
  return values;
}

// Faults as get_app_context does when the symbol is resolved (a failed build of the application
// context), and, for a token with an entry, with "Addition overflowed", "Division overflowed" or
// "Multiplication overflowed" when a step does not fit (Balance::split). None for a token without
// an entry, a zero amount, or weights that do not add up to more than 0.
template <class V>
std::optional<std::vector<Decimal>> split(const V& self, TokenSymbol symbol, std::vector<Decimal> weights) {
  return balance_split(held(self), symbol, weights);
}

template <class V>
std::size_t length(const V& self) {
  return held(self).size();
}

// Faults as get_app_context does when the symbol is resolved (a failed build of the application
// context). Zero for a token without an entry (never KeyError).
template <class V>
Decimal get_item(const V& self, TokenSymbol key) {
  return balance_amount_of(held(self), key);
}

// Faults as get_app_context does when the symbol is resolved (a failed build of the application
// context), and with the limit text when a non-zero amount would add a third token, before
// anything changes. The balance insert; the amount it replaced is dropped.
template <class V>
void set_item(V& self, TokenSymbol key, const Decimal& value) {
  balance_insert(held(self), key, value);
}

// Faults as add_balances does: with the limit text when a sum would need a third token, and with
// "Addition overflowed" when a sum does not fit. A new object of the class; an operand of another
// class is NotImplemented.
template <class V>
V add(const V& self, const V& other) {
  return holding<V>(add_balances(held(self), held(other)));
}

// Faults as set_item does (a failed build of the application context, a third token). A copy of
// the balance at `Field` of a record with the balance insert of `symbol` and `amount` applied; the
// record itself is left as it was.
template <class R, Balance R::*Field>
Balance updated_copy(const R& record, TokenSymbol symbol, const Decimal& amount) {
  Balance copy = record.*Field;
  balance_insert(copy, symbol, amount);
  return copy;
}

}  // namespace balance_members

// The shared members of a class whose value is or holds a Balance; `SymbolParameter` is the name
// of the constructor's token parameter ("address" for Balance, "symbol" for the funds).
template <class V, FixedString SymbolParameter>
using BalanceMembers = Members<Constructor<&balance_members::construct<V>, "amount", SymbolParameter>,
                               ClassMethod<"default", &balance_members::make_default<V>>,
                               ClassMethod<"new_from_many", &balance_members::new_from_many<V>, "amounts">,
                               Method<"total_value", &balance_members::total_value<V>>,
                               Method<"amounts", &balance_members::amounts<V>>,
                               Method<"split", &balance_members::split<V>, "symbol", "weights">,
                               Len<&balance_members::length<V>>, GetItem<&balance_members::get_item<V>>,
                               SetItem<&balance_members::set_item<V>>, Add<&balance_members::add<V>>>;

}  // namespace qzr::py
