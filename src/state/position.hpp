// Position: the state record of one strategy's open exposure in one product, its debug text and
// its accounting (profit and loss, adding to and reducing the position, crossing over, the
// bankruptcy price). The accounting is implemented in position_accounting.cpp.
#pragma once

#include <string_view>
#include <tuple>

#include "core/common_error.hpp"
#include "core/field_list.hpp"
#include "state/accounting_enums.hpp"
#include "values/debug_form.hpp"
#include "values/recorded_amount.hpp"

namespace qzr {

struct PositionUpdate;

// Accounting contract shared by every step below: the record is never changed (a step works on a
// copy and returns it); the arithmetic is the faulting Decimal arithmetic, so an overflow or a
// division by zero is a fault with the decimal message ("Multiplication overflowed", "Division by
// zero", ...); the amounts a step stores are recorded (round_recorded_decimal), the amounts it
// returns are not rounded. The order of operations is part of the result: each step computes
// exactly the products, sums and quotients its comment lists, in that order.
struct Position {
  PositionSide side = PositionSide::Empty;
  // The position size, in units of the underlying. A recorded amount.
  UnscaledI128 balance;
  // The average entry price of the open size. A recorded amount.
  UnscaledI128 avg_entry_price;

  // The record with both amounts passed through round_recorded_decimal, as every constructor,
  // setter and decoder stores them.
  static Position recorded(PositionSide side, const Decimal& balance,
                           const Decimal& avg_entry_price) noexcept {
    return {side, {round_recorded_decimal(balance)}, {round_recorded_decimal(avg_entry_price)}};
  }

  // A position is void (its tree leaf is removed) when its balance is zero.
  bool is_void() const noexcept { return balance.value.is_zero(); }

  // Faults with "Subtraction overflowed" when the difference does not fit. Per-unit unrealized
  // profit at `ref_price`: Long ref_price - avg_entry_price, Short avg_entry_price - ref_price,
  // Empty a zero of scale 0.
  Decimal avg_pnl(const Decimal& ref_price) const;
  // Faults as avg_pnl does, and with "Multiplication overflowed" when the product does not fit.
  // avg_pnl(ref_price) x balance.
  Decimal unrealized_pnl(const Decimal& ref_price) const;

  // Faults with "Addition overflowed", "Multiplication overflowed" or "Division overflowed" when a
  // step does not fit, and, for a Long or Short position, with "Division by zero" when balance +
  // amount is zero. Adds `amount` traded at `price`. Empty: avg_entry_price := R(price), balance :=
  // R(balance + amount). Long or Short: n = avg_entry_price x balance, m = price x amount, q = (n +
  // m) / (balance + amount), then avg_entry_price := R(q), balance := R(balance + amount). Never
  // changes the side (an Empty position stays Empty: the caller sets the side). The returned
  // amount is zero.
  PositionUpdate increase(const Decimal& price, const Decimal& amount) const;
  // Faults with "Subtraction overflowed" or "Multiplication overflowed" when a step does not fit.
  // Reduces the position by `amount` at `price`: realized = amount x avg_pnl(price), returned;
  // balance := R(balance - amount); when that is zero the side becomes Empty and avg_entry_price
  // is left as it was. Nothing bounds `amount`: a larger one leaves a negative balance on the
  // same side.
  PositionUpdate decrease(const Decimal& price, const Decimal& amount) const;
  // Faults with "Subtraction overflowed" or "Multiplication overflowed" when a step does not fit
  // (an Empty position is the error below, not a fault). Turns the position to the opposite side
  // with `amount` at `price`: realized = unrealized_pnl(price) of the old position (returned),
  // side := the other side, balance := R(amount - balance), avg_entry_price := R(price). An Empty
  // position has no opposite side: the error Other "Cannot cross over empty position".
  Result<PositionUpdate> cross_over(const Decimal& price, const Decimal& amount) const;
  // Faults with "called `Result::unwrap()` on an `Err` value: " + the error's debug text where
  // cross_over returns its error (what the Python method does with it), and where cross_over
  // faults. Otherwise cross_over's update.
  PositionUpdate cross_over_or_fault(const Decimal& price, const Decimal& amount) const;
  // Faults with "Bankruptcy price not applicable to empty position" for an Empty position, with
  // "Division by zero" for a zero balance, and with "Division overflowed" or "Subtraction
  // overflowed" when a step does not fit. mark_price - s x (account_total_value / balance), s = 1
  // for Long and -1 for Short.
  Decimal bankruptcy_price(const Decimal& mark_price, const Decimal& account_total_value) const;

  // Equal sides and numerically equal amounts (scale ignored).
  friend bool operator==(const Position&, const Position&) noexcept = default;
};

// The debug text (record_debug_text): "Position { side: Long, balance: UnscaledI128(1.5),
// avg_entry_price: UnscaledI128(100) }"; the empty side prints "None".
template <>
struct FieldList<Position> {
  static constexpr std::string_view name = "Position";
  static constexpr auto fields = std::tuple{
      field("side", &Position::side),
      field("balance", &Position::balance),
      field("avg_entry_price", &Position::avg_entry_price),
  };
};

// The result of an accounting step: the new position and the step's realized amount (not
// rounded).
struct PositionUpdate {
  Position position;
  Decimal realized;
};

}  // namespace qzr
