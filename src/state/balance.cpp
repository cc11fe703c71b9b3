// Balance: lookups, the insertion and assignment rules, sums, splits and the debug text.
#include "state/balance.hpp"

#include <algorithm>

#include "core/fault.hpp"
#include "values/debug_shapes.hpp"

namespace qzr {

namespace {

std::string limit_message(const TokenAddress& token, const Decimal& recorded) {
  return std::string(balance_limit_text) + ": (" + debug_text(token) + ", " +
         UnscaledI128{recorded}.debug_text() + ")";
}

void or_fault(Result<void> outcome) {
  if (!outcome) fault(outcome.error().display());
}

}  // namespace

const BalanceEntry* Balance::find(const TokenAddress& token) const noexcept {
  for (const BalanceEntry& entry : entries()) {
    if (entry.token == token) return &entry;
  }
  return nullptr;
}

Decimal Balance::amount_of(const TokenAddress& token) const noexcept {
  const BalanceEntry* entry = find(token);
  return entry ? entry->amount.value : Decimal::zero();
}

Result<void> Balance::assign_recorded(const TokenAddress& token, const Decimal& recorded) {
  for (BalanceEntry& entry : std::span(m_entries.data(), m_size)) {
    if (entry.token == token) {
      entry.amount.value = recorded;
      return {};
    }
  }
  if (m_size == capacity) return fail(CommonError::other(limit_message(token, recorded)));
  m_entries[m_size++] = BalanceEntry{token, UnscaledI128{recorded}};
  return {};
}

std::optional<Decimal> Balance::insert(const TokenAddress& token, const Decimal& amount) {
  if (amount.is_zero()) {
    for (std::size_t i = 0; i < m_size; ++i) {
      if (m_entries[i].token != token) continue;
      const Decimal removed = m_entries[i].amount.value;
      m_entries[i] = m_entries[m_size - 1];
      m_entries[--m_size] = BalanceEntry{};
      return removed;
    }
    return std::nullopt;
  }
  const BalanceEntry* existing = find(token);
  const std::optional<Decimal> previous =
      existing ? std::optional<Decimal>(existing->amount.value) : std::nullopt;
  or_fault(assign_recorded(token, round_recorded_decimal(amount)));
  return previous;
}

void Balance::assign_or_fault(const TokenAddress& token, const Decimal& amount) {
  or_fault(checked_assign(token, amount));
}

Result<void> Balance::checked_assign(const TokenAddress& token, const Decimal& amount) {
  return assign_recorded(token, round_recorded_decimal(amount));
}

Decimal Balance::total_value() const {
  Decimal total = Decimal::zero();
  for (const BalanceEntry& entry : entries()) total = add_or_fault(total, entry.amount.value);
  return total;
}

bool Balance::all_amounts_zero() const noexcept {
  return std::ranges::all_of(entries(),
                             [](const BalanceEntry& entry) { return entry.amount.value.is_zero(); });
}

std::optional<std::vector<Decimal>> Balance::split(const TokenAddress& token,
                                                   std::span<const Decimal> weights) const {
  const BalanceEntry* entry = find(token);
  if (!entry) return std::nullopt;
  Decimal weight_sum = Decimal::zero();
  for (const Decimal& weight : weights) weight_sum = add_or_fault(weight_sum, weight);
  const Decimal amount = entry->amount.value;
  if (amount.is_zero() || weight_sum <= Decimal::zero()) return std::nullopt;
  const Decimal factor = div_or_fault(amount, weight_sum);
  std::vector<Decimal> parts;
  parts.reserve(weights.size());
  for (const Decimal& weight : weights) parts.push_back(mul_or_fault(weight, factor));
  return parts;
}

std::string Balance::debug_text() const {
  std::string map = "{";
  for (const BalanceEntry& entry : entries()) {
    if (map.size() > 1) map += ", ";
    map += qzr::debug_text(entry.token);
    map += ": ";
    map += entry.amount.debug_text();
  }
  map += '}';
  return debug_tuple("Balance", map);
}

bool operator==(const Balance& a, const Balance& b) noexcept {
  if (a.size() != b.size()) return false;
  return std::ranges::all_of(a.entries(), [&](const BalanceEntry& entry) {
    const BalanceEntry* other = b.find(entry.token);
    return other != nullptr && other->amount == entry.amount;
  });
}

Balance add_balances(const Balance& left, const Balance& right) {
  Balance sum = left;
  for (const BalanceEntry& entry : right.entries()) {
    sum.assign_or_fault(entry.token, add_or_fault(sum.amount_of(entry.token), entry.amount.value));
  }
  return sum;
}

Result<Balance> balance_from_pairs(std::span<const std::pair<TokenAddress, Decimal>> pairs) {
  if (pairs.empty()) return fail(CommonError::other(std::string(no_collateral_addresses_text)));
  Balance balance;
  for (const auto& [token, amount] : pairs) balance.assign_or_fault(token, amount);
  return balance;
}

// --- By token symbol -----------------------------------------------------------------------------

std::optional<Decimal> balance_insert(Balance& balance, TokenSymbol symbol, const Decimal& amount) {
  return balance.insert(token_symbol_address(symbol), amount);
}

Decimal balance_amount_of(const Balance& balance, TokenSymbol symbol) {
  return balance.amount_of(token_symbol_address(symbol));
}

std::optional<std::vector<Decimal>> balance_split(const Balance& balance, TokenSymbol symbol,
                                                  std::span<const Decimal> weights) {
  return balance.split(token_symbol_address(symbol), weights);
}

Balance balance_of(TokenSymbol symbol, const Decimal& amount) {
  Balance balance;
  balance.assign_or_fault(token_symbol_address(symbol), amount);
  return balance;
}

Result<Balance> balance_from_symbol_pairs(std::span<const std::pair<TokenSymbol, Decimal>> pairs) {
  std::vector<std::pair<TokenAddress, Decimal>> resolved;
  resolved.reserve(pairs.size());
  for (const auto& [symbol, amount] : pairs) resolved.emplace_back(token_symbol_address(symbol), amount);
  return balance_from_pairs(resolved);
}

}  // namespace qzr
