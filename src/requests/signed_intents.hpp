// The list of signed intents: one row per intent, from which the SignedIntent concept, the
// ClientRequest variant and its variant names, the module's intent classes and the intents'
// hashing instances follow. A new intent is: its record with its field list (intents.hpp), its
// EIP-712 struct type (eip712.cpp), one row here, and its Python class (the compiler refuses a
// missing one).
#pragma once

#include <array>
#include <cstddef>
#include <string_view>
#include <tuple>
#include <type_traits>

#include "requests/intents.hpp"

namespace qzr {

// One intent: its record type and its variant name in the request dict form ({"t": "Order"}).
template <class Record>
struct IntentRow {
  using record = Record;
  std::string_view variant;
};

// The rows in the order of the module's intent classes, which is also the order of ClientRequest's
// alternatives (no stored form holds that order: the dict form writes the variant name).
inline constexpr std::tuple signed_intents{
    IntentRow<OrderIntent>{"Order"},
    IntentRow<CancelOrderIntent>{"CancelOrder"},
    IntentRow<CancelAllIntent>{"CancelAll"},
    IntentRow<ProfileUpdate>{"ProfileUpdate"},
    IntentRow<WithdrawIntent>{"Withdraw"},
    IntentRow<WithdrawQZRIntent>{"WithdrawQZR"},
    IntentRow<InsuranceFundWithdrawIntent>{"InsuranceFundWithdraw"},
};

inline constexpr std::size_t signed_intent_count =
    std::tuple_size_v<std::remove_const_t<decltype(signed_intents)>>;

// The variant names in row order: the name of ClientRequest's alternative I is entry I.
inline constexpr std::array<std::string_view, signed_intent_count> signed_intent_variant_names = std::apply(
    [](const auto&... row) { return std::array<std::string_view, signed_intent_count>{row.variant...}; },
    signed_intents);

namespace signed_intents_detail {
template <class Rows>
struct Columns;
template <class... Row>
struct Columns<std::tuple<Row...>> {
  template <template <class...> class List>
  using records = List<typename Row::record...>;
};
using IntentColumns = Columns<std::remove_const_t<decltype(signed_intents)>>;

template <class... Record>
struct Records {
  template <class T>
  static constexpr std::size_t count = (std::size_t{std::is_same_v<T, Record>} + ... + 0);
  static constexpr bool distinct = ((count<Record> == 1) && ...);
};

constexpr bool variant_names_are_distinct() {
  for (std::size_t i = 0; i < signed_intent_count; ++i) {
    if (signed_intent_variant_names[i].empty()) return false;
    for (std::size_t j = 0; j < i; ++j)
      if (signed_intent_variant_names[j] == signed_intent_variant_names[i]) return false;
  }
  return true;
}
static_assert(IntentColumns::records<Records>::distinct, "an intent's record stands in one row");
static_assert(variant_names_are_distinct(), "every intent has a variant name of its own");
}  // namespace signed_intents_detail

// List<each intent's record type in row order>: `SignedIntentTypes<std::variant>`.
template <template <class...> class List>
using SignedIntentTypes = signed_intents_detail::IntentColumns::records<List>;

template <class T>
concept SignedIntent = SignedIntentTypes<signed_intents_detail::Records>::template count<T> == 1;

}  // namespace qzr
