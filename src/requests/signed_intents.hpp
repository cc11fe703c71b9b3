// The list of signed intents: one row per intent, from which the SignedIntent concept, the
// ClientRequest variant and its variant names, the module's intent classes and the intents'
// hashing instances follow. A new intent is: its record with its field list (intents.hpp), its
// EIP-712 struct type (eip712.cpp), one row here, and its Python class (the compiler refuses a
// missing one).
#pragma once

#include <tuple>

#include "requests/intents.hpp"
#include "requests/variant_rows.hpp"

namespace qzr {

// The rows in the order of the module's intent classes, which is also the order of ClientRequest's
// alternatives (no stored form holds that order: the dict form writes the variant name).
inline constexpr std::tuple signed_intents{
    VariantRow<OrderIntent>{"Order"},
    VariantRow<CancelOrderIntent>{"CancelOrder"},
    VariantRow<CancelAllIntent>{"CancelAll"},
    VariantRow<ProfileUpdate>{"ProfileUpdate"},
    VariantRow<WithdrawIntent>{"Withdraw"},
    VariantRow<WithdrawQZRIntent>{"WithdrawQZR"},
    VariantRow<InsuranceFundWithdrawIntent>{"InsuranceFundWithdraw"},
};

static_assert(variant_rows_are_distinct(signed_intents),
              "every intent stands in one row, with a variant name of its own");

// List<each intent's record type in row order>: `SignedIntentTypes<std::variant>`.
template <template <class...> class List>
using SignedIntentTypes = RowColumnsOf<signed_intents>::records<List>;

template <class T>
concept SignedIntent = (RowColumnsOf<signed_intents>::count<T> == 1);

}  // namespace qzr
