// Recorded amounts: the exchange stores every amount with at most 6 decimal places, and its
// contracts count tokens in integer grains (10^-6 USDC, 10^-18 QZR). This file holds the
// recording rule, the grain conversions and the 6-place unscaled integers of the ABI words.
#pragma once

#include <cstdint>
#include <string>

#include "values/decimal.hpp"

namespace qzr {

inline constexpr std::uint32_t RECORDED_SCALE = 6;
inline constexpr std::uint32_t USDC_GRAIN_DECIMALS = 6;
inline constexpr std::uint32_t QZR_GRAIN_DECIMALS = 18;

// The largest 6-place value of the model: mantissa 2^96 - 1 at scale 6,
// 79228162514264337593543.950335.
inline constexpr Decimal RECORDED_MAX =
    Decimal::from_parts_or_fault(Decimal::max_mantissa, RECORDED_SCALE, false);

// The recorded form of an amount: the magnitude clamped to RECORDED_MAX (on both sides), then
// rounded toward zero to 6 places, then trailing zeros stripped (any zero becomes positive zero
// with scale 0). Never fails.
Decimal round_recorded_decimal(const Decimal& value) noexcept;

// value x 10^6 (USDC) or x 10^18 (QZR), the fraction truncated. MultiplicationOverflow ("Multiplication
// overflowed") when the product does not fit the model; NegativeToUnsigned for a negative product
// (also one whose integer part is zero). The receiver is not recorded first.
DecimalResult<UInt128> to_usdc_grains(const Decimal& value) noexcept;
DecimalResult<UInt128> to_qzr_grains(const Decimal& value) noexcept;

// grains x 10^-6 (USDC) or x 10^-18 (QZR), exactly and not normalised ("1.500000").
// IntegerOutOfRange ("out of range integral type conversion attempted") for 2^96 grains or more,
// which the model cannot hold.
DecimalResult<Decimal> from_usdc_grains(UInt128 grains) noexcept;
DecimalResult<Decimal> from_qzr_grains(UInt128 grains) noexcept;

// Faults with "10^<n> does not fit 128 bits" when n > 38 (10^39 does not fit). 10^n.
UInt128 pow10_u128(std::uint32_t n);

// Faults with "Negatives don't scale into unsigned: " followed by the value's text for a negative
// non-zero value (a broken invariant). A non-negative amount as an integer count of millionths:
// mantissa x 10^(6 - scale), so 1.5 gives 1500000 and RECORDED_MAX gives 2^96 - 1. A zero gives 0
// whatever its sign. Digits beyond 6 places (never present in a recorded amount) are truncated.
UInt128 decimal_to_unscaled_u128(const Decimal& value);

// The recorded amount of `unscaled` millionths; values above 2^96 - 1 give RECORDED_MAX. The
// inverse of decimal_to_unscaled_u128 on non-negative recorded amounts.
Decimal decimal_from_unscaled(UInt128 unscaled) noexcept;

// The amount type of records and requests: a recorded Decimal under its own name.
struct UnscaledI128 {
  Decimal value;

  // "UnscaledI128(" + the decimal's text + ")", e.g. "UnscaledI128(1.5)".
  std::string debug_text() const;

  // Numeric equality of the amounts (1.5 == 1.50).
  friend bool operator==(const UnscaledI128& a, const UnscaledI128& b) noexcept { return a.value == b.value; }
};

}  // namespace qzr
