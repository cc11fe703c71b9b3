// The state records of the exchange that this layer defines (Position and Price live in
// position.hpp and price.hpp): plain values with public fields. Amount fields hold recorded
// amounts (round_recorded_decimal); whoever stores into them records first, and the ABI encoder
// records again, so the bytes never depend on it. Equality is field by field: amounts
// numerically (1.5 == 1.50), balances and maps as maps, bytes bytewise.
//
// Each record's field list (FieldList, beside the record) gives its field names and order, from
// which its ABI value (record_abi.hpp), debug text and Python properties are derived. The
// transparent records (InsuranceFund, Signer, Specs, FeePool) have the value of their one field.
// Every record has is_void(): whether the record is not worth a leaf, so that the tree's per-kind
// stores delete the key instead of storing it. "Zero" is a zero amount of any scale or sign; a
// balance without entries is all zero. A record's debug text is record_debug_text(record)
// (values/debug_form.hpp): the struct shape of its fields, "Trader { avail_qzr_balance: ... }";
// for the transparent records (InsuranceFund, Signer, Specs, FeePool) "Signer { inner:
// ReleaseHash(Hash(0x...)) }", the text of their Python classes.
#pragma once

#include <cstdint>
#include <string_view>
#include <tuple>

#include "core/field_list.hpp"
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

  friend bool operator==(const Trader&, const Trader&) = default;
};

template <>
struct FieldList<Trader> {
  static constexpr std::string_view name = "Trader";
  static constexpr auto fields = std::tuple{
      field("avail_qzr_balance", &Trader::avail_qzr_balance),
      field("locked_qzr_balance", &Trader::locked_qzr_balance),
      field("referral_address", &Trader::referral_address),
      field("pay_fees_in_qzr", &Trader::pay_fees_in_qzr),
  };
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

  friend bool operator==(const Strategy&, const Strategy&) = default;
};

template <>
struct FieldList<Strategy> {
  static constexpr std::string_view name = "Strategy";
  static constexpr auto fields = std::tuple{
      field("strategy_id", &Strategy::strategy_id),
      field("avail_collateral", &Strategy::avail_collateral),
      field("locked_collateral", &Strategy::locked_collateral),
      field("max_leverage", &Strategy::max_leverage),
      field("frozen", &Strategy::frozen),
  };
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

  friend bool operator==(const BookOrder&, const BookOrder&) = default;
};

template <>
struct FieldList<BookOrder> {
  static constexpr std::string_view name = "BookOrder";
  static constexpr auto fields = std::tuple{
      field("side", &BookOrder::side),
      field("amount", &BookOrder::amount),
      field("price", &BookOrder::price),
      field("trader_address", &BookOrder::trader_address),
      field("strategy_id_hash", &BookOrder::strategy_id_hash),
      field("book_ordinal", &BookOrder::book_ordinal),
      field("time_value", &BookOrder::time_value),
  };
};

// Kind 6: the exchange's insurance fund.
struct InsuranceFund {
  Balance inner;

  // Every amount is zero.
  bool is_void() const noexcept { return inner.all_amounts_zero(); }

  friend bool operator==(const InsuranceFund&, const InsuranceFund&) = default;
};

template <>
struct FieldList<InsuranceFund> {
  static constexpr std::string_view name = "InsuranceFund";
  static constexpr auto fields = std::tuple{field("inner", &InsuranceFund::inner)};
  static constexpr bool transparent = true;
};

// Kind 7: a trader's volumes in the current trade mining period.
struct Stats {
  UnscaledI128 maker_volume;
  UnscaledI128 taker_volume;

  // Both volumes are zero.
  bool is_void() const noexcept { return maker_volume.value.is_zero() && taker_volume.value.is_zero(); }

  friend bool operator==(const Stats&, const Stats&) = default;
};

template <>
struct FieldList<Stats> {
  static constexpr std::string_view name = "Stats";
  static constexpr auto fields =
      std::tuple{field("maker_volume", &Stats::maker_volume), field("taker_volume", &Stats::taker_volume)};
};

// Kind 8: a signer's release hash.
struct Signer {
  ReleaseHash inner;

  // Never, also for 32 zero bytes.
  constexpr bool is_void() const noexcept { return false; }

  friend bool operator==(const Signer&, const Signer&) = default;
};

template <>
struct FieldList<Signer> {
  static constexpr std::string_view name = "Signer";
  static constexpr auto fields = std::tuple{field("inner", &Signer::inner)};
  static constexpr bool transparent = true;
};

// Kind 9: a market's specs expression, any text (the empty one included).
struct Specs {
  SpecsExpr inner;

  // The text is empty.
  bool is_void() const noexcept { return inner.text.empty(); }

  friend bool operator==(const Specs&, const Specs&) = default;
};

template <>
struct FieldList<Specs> {
  static constexpr std::string_view name = "Specs";
  static constexpr auto fields = std::tuple{field("inner", &Specs::inner)};
  static constexpr bool transparent = true;
};

// Kind 10: one contributor's stake in the insurance fund.
struct InsuranceFundContribution {
  Balance avail_balance;
  Balance locked_balance;

  // Every amount of both balances is zero.
  bool is_void() const noexcept;

  friend bool operator==(const InsuranceFundContribution&, const InsuranceFundContribution&) = default;
};

template <>
struct FieldList<InsuranceFundContribution> {
  static constexpr std::string_view name = "InsuranceFundContribution";
  static constexpr auto fields =
      std::tuple{field("avail_balance", &InsuranceFundContribution::avail_balance),
                 field("locked_balance", &InsuranceFundContribution::locked_balance)};
};

// Kind 11: the fee pool of an epoch.
struct FeePool {
  Balance inner;

  // Every amount is zero.
  bool is_void() const noexcept { return inner.all_amounts_zero(); }

  friend bool operator==(const FeePool&, const FeePool&) = default;
};

template <>
struct FieldList<FeePool> {
  static constexpr std::string_view name = "FeePool";
  static constexpr auto fields = std::tuple{field("inner", &FeePool::inner)};
  static constexpr bool transparent = true;
};

// Kind 12: written when an epoch has been transitioned. Its symbols are parsed symbols (every one
// unpacks to its text), which the encoder writes as their text words.
struct EpochMetadata {
  NextBookOrdinals next_book_ordinals;

  // Never, also for an empty map.
  constexpr bool is_void() const noexcept { return false; }

  friend bool operator==(const EpochMetadata&, const EpochMetadata&) = default;
};

template <>
struct FieldList<EpochMetadata> {
  static constexpr std::string_view name = "EpochMetadata";
  static constexpr auto fields = std::tuple{field("next_book_ordinals", &EpochMetadata::next_book_ordinals)};
};

}  // namespace qzr
