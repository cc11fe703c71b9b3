// The one record protocol behind the ABI value and the debug text of all twelve state records:
// each record is a list of named fields (RecordLayout), each field type has its token and text
// forms (RecordField, record_fields.hpp), and the functions below walk the list.
//
// A record's value is the tuple of its fields in declared order, except for the single-value
// records (InsuranceFund, Signer, Specs, FeePool), whose value is their one field itself, not
// wrapped in a tuple. The item ABI value puts it after the kind word (item_abi.hpp). Values are
// written straight into bytes (no token tree: the leaf hash of every tree update writes one) and
// read back from the decoder's tokens.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "abi/token.hpp"
#include "core/common_error.hpp"
#include "state/map_tuple_token.hpp"
#include "state/position.hpp"
#include "state/price.hpp"
#include "state/record_fields.hpp"
#include "state/records.hpp"
#include "values/debug_shapes.hpp"

namespace qzr {

// For a record R:
//   static constexpr std::string_view name;                      its debug text's name
//   static constexpr std::array<std::string_view, N> field_names;
//   static constexpr bool single_value;                          value token without a tuple
//   static auto fields(auto& record);                            std::tie of its N fields
template <class R>
struct RecordLayout;

template <>
struct RecordLayout<Trader> {
  static constexpr std::string_view name = "Trader";
  static constexpr std::array<std::string_view, 4> field_names{"avail_qzr_balance", "locked_qzr_balance",
                                                               "referral_address", "pay_fees_in_qzr"};
  static constexpr bool single_value = false;
  static auto fields(auto& r) {
    return std::tie(r.avail_qzr_balance, r.locked_qzr_balance, r.referral_address, r.pay_fees_in_qzr);
  }
};

template <>
struct RecordLayout<Strategy> {
  static constexpr std::string_view name = "Strategy";
  static constexpr std::array<std::string_view, 5> field_names{"strategy_id", "avail_collateral",
                                                               "locked_collateral", "max_leverage", "frozen"};
  static constexpr bool single_value = false;
  static auto fields(auto& r) {
    return std::tie(r.strategy_id, r.avail_collateral, r.locked_collateral, r.max_leverage, r.frozen);
  }
};

template <>
struct RecordLayout<Position> {
  static constexpr std::string_view name = "Position";
  static constexpr std::array<std::string_view, 3> field_names{"side", "balance", "avg_entry_price"};
  static constexpr bool single_value = false;
  static auto fields(auto& r) { return std::tie(r.side, r.balance, r.avg_entry_price); }
};

template <>
struct RecordLayout<BookOrder> {
  static constexpr std::string_view name = "BookOrder";
  static constexpr std::array<std::string_view, 7> field_names{
      "side", "amount", "price", "trader_address", "strategy_id_hash", "book_ordinal", "time_value"};
  static constexpr bool single_value = false;
  static auto fields(auto& r) {
    return std::tie(r.side, r.amount, r.price, r.trader_address, r.strategy_id_hash, r.book_ordinal,
                    r.time_value);
  }
};

template <>
struct RecordLayout<Price> {
  static constexpr std::string_view name = "Price";
  static constexpr std::array<std::string_view, 4> field_names{"index_price", "ema", "ordinal", "time_value"};
  static constexpr bool single_value = false;
  static auto fields(auto& r) { return std::tie(r.index_price, r.ema, r.ordinal, r.time_value); }
};

template <>
struct RecordLayout<InsuranceFund> {
  static constexpr std::string_view name = "InsuranceFund";
  static constexpr std::array<std::string_view, 1> field_names{"inner"};
  static constexpr bool single_value = true;
  static auto fields(auto& r) { return std::tie(r.inner); }
};

template <>
struct RecordLayout<Stats> {
  static constexpr std::string_view name = "Stats";
  static constexpr std::array<std::string_view, 2> field_names{"maker_volume", "taker_volume"};
  static constexpr bool single_value = false;
  static auto fields(auto& r) { return std::tie(r.maker_volume, r.taker_volume); }
};

template <>
struct RecordLayout<Signer> {
  static constexpr std::string_view name = "Signer";
  static constexpr std::array<std::string_view, 1> field_names{"inner"};
  static constexpr bool single_value = true;
  static auto fields(auto& r) { return std::tie(r.inner); }
};

template <>
struct RecordLayout<Specs> {
  static constexpr std::string_view name = "Specs";
  static constexpr std::array<std::string_view, 1> field_names{"inner"};
  static constexpr bool single_value = true;
  static auto fields(auto& r) { return std::tie(r.inner); }
};

template <>
struct RecordLayout<InsuranceFundContribution> {
  static constexpr std::string_view name = "InsuranceFundContribution";
  static constexpr std::array<std::string_view, 2> field_names{"avail_balance", "locked_balance"};
  static constexpr bool single_value = false;
  static auto fields(auto& r) { return std::tie(r.avail_balance, r.locked_balance); }
};

template <>
struct RecordLayout<FeePool> {
  static constexpr std::string_view name = "FeePool";
  static constexpr std::array<std::string_view, 1> field_names{"inner"};
  static constexpr bool single_value = true;
  static auto fields(auto& r) { return std::tie(r.inner); }
};

template <>
struct RecordLayout<EpochMetadata> {
  static constexpr std::string_view name = "EpochMetadata";
  static constexpr std::array<std::string_view, 1> field_names{"next_book_ordinals"};
  static constexpr bool single_value = false;
  static auto fields(auto& r) { return std::tie(r.next_book_ordinals); }
};

template <class T>
using RecordFieldOf = RecordField<std::remove_cvref_t<T>>;

// --- Writing --------------------------------------------------------------------------------------
// The value forms of records and fields alike: a record is dynamic when one of its fields is, and
// its static size is the sum of its fields'; a single-value record takes its value's form.

template <class T>
concept Record = requires {
  RecordLayout<T>::name;
};

template <class T>
constexpr bool is_dynamic_value();

template <class T>
constexpr std::size_t static_value_size();

template <class T>
void write_static_value(std::uint8_t* dest, const T& value);

template <class T>
void append_dynamic_value(std::vector<std::uint8_t>& out, const T& value);

// The std::tuple of references that a record's field list gives.
template <Record R>
using RecordFieldTypes = decltype(RecordLayout<R>::fields(std::declval<const R&>()));

template <class T>
constexpr bool is_dynamic_value() {
  if constexpr (Record<T>) {
    return []<class... F>(std::type_identity<std::tuple<F...>>) {
      return (is_dynamic_value<std::remove_cvref_t<F>>() || ...);
    }(std::type_identity<RecordFieldTypes<T>>{});
  } else {
    return !requires { RecordField<T>::static_size; };
  }
}

template <class T>
constexpr std::size_t static_value_size() {
  if constexpr (Record<T>) {
    return []<class... F>(std::type_identity<std::tuple<F...>>) {
      return (static_value_size<std::remove_cvref_t<F>>() + ...);
    }(std::type_identity<RecordFieldTypes<T>>{});
  } else {
    return RecordField<T>::static_size;
  }
}

// The bytes a value takes in its enclosing tuple's head.
template <class T>
constexpr std::size_t head_size() {
  if constexpr (is_dynamic_value<T>()) {
    return 32;
  } else {
    return static_value_size<T>();
  }
}

// Appends the tuple of `values` in the standard head and tail layout: the heads in order (static
// values in place, an offset word for each dynamic one, counted from the tuple's start), then the
// dynamic values' encodings in order.
template <class... T>
void append_tuple(std::vector<std::uint8_t>& out, const T&... values) {
  const std::size_t start = out.size();
  out.resize(start + (head_size<T>() + ...));
  std::size_t head = start;
  auto append_one = [&]<class V>(const V& value) {
    if constexpr (is_dynamic_value<V>()) {
      write_u64_word(out.data() + head, out.size() - start);
      append_dynamic_value(out, value);
    } else {
      write_static_value(out.data() + head, value);
    }
    head += head_size<V>();
  };
  (append_one(values), ...);
}

template <class T>
void write_static_value(std::uint8_t* dest, const T& value) {
  if constexpr (Record<T>) {
    std::apply(
        [&](const auto&... field) {
          ((write_static_value(dest, field),
            dest += static_value_size<std::remove_cvref_t<decltype(field)>>()),
           ...);
        },
        RecordLayout<T>::fields(value));
  } else {
    RecordField<T>::write_static(dest, value);
  }
}

template <class T>
void append_dynamic_value(std::vector<std::uint8_t>& out, const T& value) {
  if constexpr (!Record<T>) {
    RecordField<T>::append_dynamic(out, value);
  } else if constexpr (RecordLayout<T>::single_value) {
    append_dynamic_value(out, std::get<0>(RecordLayout<T>::fields(value)));
  } else {
    std::apply([&](const auto&... field) { append_tuple(out, field...); }, RecordLayout<T>::fields(value));
  }
}

// --- Reading and text ----------------------------------------------------------------------------

// Reads an untrusted value token. A tuple's fields are read in order, the first failure being the
// result: not a tuple is Other "Not a tuple", a tuple that ends before the last field Other "No
// token left at this position", and elements after the last field are ignored.
template <class R>
Result<R> record_from_value_token(const abi::Token& token) {
  using Layout = RecordLayout<R>;
  R record{};
  std::optional<CommonError> error;
  auto read_into = [&error](auto& field, const abi::Token* element) {
    if (element == nullptr) {
      error = CommonError::other("No token left at this position");
      return false;
    }
    auto value = RecordFieldOf<decltype(field)>::from_token(*element);
    if (!value) {
      error = std::move(value.error());
      return false;
    }
    field = std::move(*value);
    return true;
  };
  if constexpr (Layout::single_value) {
    read_into(std::get<0>(Layout::fields(record)), &token);
  } else {
    const std::vector<abi::Token>* elements = token.if_tuple();
    if (elements == nullptr) return fail(CommonError::other("Not a tuple"));
    std::apply(
        [&](auto&... field) {
          std::size_t index = 0;
          auto element = [&]() { return index < elements->size() ? &(*elements)[index++] : nullptr; };
          (read_into(field, element()) && ...);
        },
        Layout::fields(record));
  }
  if (error) return fail(std::move(*error));
  return record;
}

// The struct shape of the record's fields: "Name { a: x, b: y }".
template <class R>
std::string record_debug_text(const R& record) {
  using Layout = RecordLayout<R>;
  return std::apply(
      [](const auto&... field) {
        const std::array<std::string, sizeof...(field)> texts{
            RecordFieldOf<decltype(field)>::debug(field)...};
        return [&]<std::size_t... I>(std::index_sequence<I...>) {
          return debug_struct(Layout::name, {{Layout::field_names[I], texts[I]}...});
        }
        (std::index_sequence_for<decltype(field)...>{});
      },
      Layout::fields(record));
}

}  // namespace qzr
