// Balance: the amounts of at most two collateral tokens, keyed by token contract address. It is
// the collateral of strategies and insurance-fund contributions and the whole value of the
// insurance fund and of fee pools. A plain inline value: no heap storage.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "context/token_symbol.hpp"
#include "core/common_error.hpp"
#include "values/decimal.hpp"
#include "values/fixed_bytes.hpp"
#include "values/recorded_amount.hpp"

namespace qzr {

struct BalanceEntry {
  TokenAddress token;
  UnscaledI128 amount;
};

// Entries keep their insertion order, except that removing one moves the last entry into its
// place; entries are never re-sorted, so equal balances may list their entries in different
// orders (and then encode to different bytes). No two entries share a token address. An entry
// may hold a zero amount: only insert() with a zero amount removes one.
//
// Every amount that an operation here stores has been recorded (round_recorded_decimal): clamped
// to +-RECORDED_MAX, rounded toward zero to 6 places, trailing zeros stripped.
//
// Holding a third token is a broken invariant: every operation that would need one faults with
// the limit text (balance_limit_text) before it changes anything.
class Balance {
 public:
  static constexpr std::size_t capacity = 2;

  // No entries.
  Balance() = default;

  std::span<const BalanceEntry> entries() const noexcept { return {m_entries.data(), m_size}; }
  std::size_t size() const noexcept { return m_size; }
  bool empty() const noexcept { return m_size == 0; }

  // The entry of `token`, or nullptr.
  const BalanceEntry* find(const TokenAddress& token) const noexcept;
  // The amount of `token`, zero when there is no entry for it.
  Decimal amount_of(const TokenAddress& token) const noexcept;

  // Faults with the limit text (balance_limit_text) when it would append a third token. Sets the
  // amount of one token and returns the amount it replaced or removed, if any. A zero `amount`
  // (any scale or sign, tested before recording, so 0.0000004 is not zero here) removes the
  // token's entry, the last entry taking its place. Any other amount is recorded and replaces the
  // entry's amount in place, or is appended.
  std::optional<Decimal> insert(const TokenAddress& token, const Decimal& amount);

  // Faults with the limit text when it would append a third token. Records `amount` and replaces
  // the amount of the token's entry, or appends one; a zero amount is kept as an entry.
  void assign_or_fault(const TokenAddress& token, const Decimal& amount);

  // The same for an amount from untrusted input: a third token is the Other error with the limit
  // text, and the balance is unchanged.
  [[nodiscard]] Result<void> checked_assign(const TokenAddress& token, const Decimal& amount);

  // Faults with "Addition overflowed" when the sum does not fit. The exact sum of all amounts in
  // entry order, not rounded (zero for no entries).
  Decimal total_value() const;

  // Whether every amount is zero (any scale or sign); true for no entries.
  bool all_amounts_zero() const noexcept;

  // Faults with "Addition overflowed", "Division overflowed" or "Multiplication overflowed" when a
  // step does not fit (only for a token with an entry, whose weights are added first). One
  // token's amount divided in proportion to `weights`: factor = amount / sum of weights, and the
  // result holds weight x factor for every weight, in order, exact to the decimal's precision and
  // not recorded, so the parts need not add up to the amount. Nothing for a token without an entry
  // (before the weights are read), for a zero amount, or when the weights do not add up to more
  // than zero.
  std::optional<std::vector<Decimal>> split(const TokenAddress& token,
                                            std::span<const Decimal> weights) const;

  // "Balance({TokenAddress(0x...): UnscaledI128(1), ...})" in entry order; "Balance({})".
  std::string debug_text() const;

  // Equal as maps: the same number of entries, and each token of one found in the other with a
  // numerically equal amount, in any order.
  friend bool operator==(const Balance& a, const Balance& b) noexcept;

 private:
  // The limit error of appending (token, recorded amount) to a full balance, or the append.
  [[nodiscard]] Result<void> assign_recorded(const TokenAddress& token, const Decimal& recorded);

  std::array<BalanceEntry, capacity> m_entries{};
  std::uint8_t m_size = 0;
};

// "collaterals limit exceeded": the fault and error texts of a third token are this, ": " and the
// refused pair "(TokenAddress(0x...), UnscaledI128(x))" with its recorded amount.
inline constexpr std::string_view balance_limit_text = "collaterals limit exceeded";

// Faults with the limit text when a sum would need a third token (never dropping one), and with
// "Addition overflowed" when a sum does not fit. The per-token sum: a copy of `left`; then, for
// each entry of `right` in its order, the sum of the amounts (a missing entry counts as zero),
// recorded, written into the token's entry or appended. Zero sums stay entries; left-only entries
// are not recorded again. Neither operand changes.
Balance add_balances(const Balance& left, const Balance& right);

// Faults with the limit text at a third distinct token. A balance from (token, amount) pairs, in
// order: each amount recorded and assigned (zero amounts kept). No pairs at all is the Other
// error no_collateral_addresses_text.
inline constexpr std::string_view no_collateral_addresses_text =
    "Cannot create balance with no collateral addresses";
Result<Balance> balance_from_pairs(std::span<const std::pair<TokenAddress, Decimal>> pairs);

// --- By token symbol -----------------------------------------------------------------------------
// Each faults as the operation it names does, and, on the process's first read of the
// application context, as building the context does (after a failed build, every read faults
// with "Once has panicked"). The same operations naming tokens by
// symbol: each resolves the symbol's address through the process-wide application context first
// (context/token_symbol.hpp).

std::optional<Decimal> balance_insert(Balance& balance, TokenSymbol symbol, const Decimal& amount);
Decimal balance_amount_of(const Balance& balance, TokenSymbol symbol);
std::optional<std::vector<Decimal>> balance_split(const Balance& balance, TokenSymbol symbol,
                                                  std::span<const Decimal> weights);
// One entry: the symbol's address and the recorded amount (zero kept).
Balance balance_of(TokenSymbol symbol, const Decimal& amount);
Result<Balance> balance_from_symbol_pairs(std::span<const std::pair<TokenSymbol, Decimal>> pairs);

}  // namespace qzr
