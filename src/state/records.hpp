// The state records of the exchange that this layer defines (Position and Price live in
// position.hpp and price.hpp): plain values with public fields. Amount fields hold recorded
// amounts (round_recorded_decimal); whoever stores into them records first, and the ABI encoder
// records again, so the bytes never depend on it. Equality is field by field: amounts
// numerically (1.5 == 1.50), balances and maps as maps, bytes bytewise.
//
// Each record's field list (names, order, ABI form and debug text) is in record_layout.hpp.
// Every record has:
//   is_void()     whether the record is not worth a leaf: the tree's per-kind stores delete the
//                 key instead of storing it. "Zero" is a zero amount of any scale or sign; a
//                 balance without entries is all zero.
//   debug_text()  the struct shape of its fields, "Trader { avail_qzr_balance: ... }"; for the
//                 single-value records (InsuranceFund, Signer, Specs, FeePool) "Signer { inner:
//                 ReleaseHash(Hash(0x...)) }", the text of their Python classes.
#pragma once

#include <cstdint>
#include <string>

#include "keys/specs.hpp"
#include "state/balance.hpp"
#include "state/next_book_ordinals.hpp"
#include "values/fixed_bytes.hpp"
#include "values/order_side.hpp"
#include "values/recorded_amount.hpp"

namespace qzr {

// Kind 1: one trader account.
struct Trader {
  UnscaledI128 avail_qzr_balance;
  UnscaledI128 locked_qzr_balance;
  AccountAddress referral_address;
  bool pay_fees_in_qzr = false;

  // Never.
  constexpr bool is_void() const noexcept { return false; }
  std::string debug_text() const;

  friend bool operator==(const Trader&, const Trader&) = default;
};

// Kind 2: one trading strategy (sub-account) of a trader. A new strategy has no collateral,
// maximum leverage 3 and is not frozen.
struct Strategy {
  // Stored as given: the decoder does not check the length byte.
  StrategyId strategy_id;
  Balance avail_collateral;
  Balance locked_collateral;
  std::uint64_t max_leverage = 3;
  bool frozen = false;

  // Every amount of both collateral balances is zero, whatever the id, leverage and frozen flag.
  bool is_void() const noexcept;
  std::string debug_text() const;

  friend bool operator==(const Strategy&, const Strategy&) = default;
};

// Kind 4: a resting maker order; its product symbol and order hash are its tree key.
struct BookOrder {
  OrderSide side = OrderSide::Bid;
  UnscaledI128 amount;
  UnscaledI128 price;
  // The chain byte is stored as given.
  TraderAddress trader_address;
  StrategyIdHash strategy_id_hash;
  std::uint64_t book_ordinal = 0;
  std::uint64_t time_value = 0;

  // The amount is zero, whatever the price.
  bool is_void() const noexcept { return amount.value.is_zero(); }
  std::string debug_text() const;

  friend bool operator==(const BookOrder&, const BookOrder&) = default;
};

// Kind 6: the exchange's insurance fund.
struct InsuranceFund {
  Balance inner;

  // Every amount is zero.
  bool is_void() const noexcept { return inner.all_amounts_zero(); }
  std::string debug_text() const;

  friend bool operator==(const InsuranceFund&, const InsuranceFund&) = default;
};

// Kind 7: a trader's volumes in the current trade mining period.
struct Stats {
  UnscaledI128 maker_volume;
  UnscaledI128 taker_volume;

  // Both volumes are zero.
  bool is_void() const noexcept { return maker_volume.value.is_zero() && taker_volume.value.is_zero(); }
  std::string debug_text() const;

  friend bool operator==(const Stats&, const Stats&) = default;
};

// Kind 8: a signer's release hash.
struct Signer {
  ReleaseHash inner;

  // Never, also for 32 zero bytes.
  constexpr bool is_void() const noexcept { return false; }
  std::string debug_text() const;

  friend bool operator==(const Signer&, const Signer&) = default;
};

// Kind 9: a market's specs expression, any text (the empty one included).
struct Specs {
  SpecsExpr inner;

  // The text is empty.
  bool is_void() const noexcept { return inner.text.empty(); }
  std::string debug_text() const;

  friend bool operator==(const Specs&, const Specs&) = default;
};

// Kind 10: one contributor's stake in the insurance fund.
struct InsuranceFundContribution {
  Balance avail_balance;
  Balance locked_balance;

  // Every amount of both balances is zero.
  bool is_void() const noexcept;
  std::string debug_text() const;

  friend bool operator==(const InsuranceFundContribution&, const InsuranceFundContribution&) = default;
};

// Kind 11: the fee pool of an epoch.
struct FeePool {
  Balance inner;

  // Every amount is zero.
  bool is_void() const noexcept { return inner.all_amounts_zero(); }
  std::string debug_text() const;

  friend bool operator==(const FeePool&, const FeePool&) = default;
};

// Kind 12: written when an epoch has been transitioned. Its symbols are parsed symbols (every one
// unpacks to its text), which the encoder writes as their text words.
struct EpochMetadata {
  NextBookOrdinals next_book_ordinals;

  // Never, also for an empty map.
  constexpr bool is_void() const noexcept { return false; }
  std::string debug_text() const;

  friend bool operator==(const EpochMetadata&, const EpochMetadata&) = default;
};

}  // namespace qzr
