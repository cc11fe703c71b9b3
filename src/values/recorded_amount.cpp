// Recorded amounts, grains and unscaled 6-place integers.
#include "values/recorded_amount.hpp"

#include <string>

#include "core/fault.hpp"
#include "values/decimal_wide.hpp"

namespace qzr {

using Kind = DecimalError::Kind;

Decimal round_recorded_decimal(const Decimal& value) noexcept {
  Decimal clamped = value;
  if (value > RECORDED_MAX) clamped = RECORDED_MAX;
  if (value < -RECORDED_MAX) clamped = -RECORDED_MAX;
  return clamped.rounded_to_places(RECORDED_SCALE, RoundingStrategy::ToZero).normalized();
}

namespace {

DecimalResult<UInt128> to_grains(const Decimal& value, std::uint32_t decimals) noexcept {
  const Decimal factor = Decimal::from_parts_or_fault(decimal_detail::pow10_u128_table[decimals], 0, false);
  const DecimalResult<Decimal> product = value.checked_mul(factor);
  if (!product) return decimal_error(Kind::MultiplicationOverflow);
  return product->to_u128_truncated();
}

DecimalResult<Decimal> from_grains(UInt128 grains, std::uint32_t decimals) noexcept {
  if (grains > Decimal::max_mantissa) return decimal_error(Kind::IntegerOutOfRange);
  return Decimal::from_parts_or_fault(grains, decimals, false);
}

}  // namespace

DecimalResult<UInt128> to_usdc_grains(const Decimal& value) noexcept {
  return to_grains(value, USDC_GRAIN_DECIMALS);
}
DecimalResult<UInt128> to_qzr_grains(const Decimal& value) noexcept {
  return to_grains(value, QZR_GRAIN_DECIMALS);
}
DecimalResult<Decimal> from_usdc_grains(UInt128 grains) noexcept {
  return from_grains(grains, USDC_GRAIN_DECIMALS);
}
DecimalResult<Decimal> from_qzr_grains(UInt128 grains) noexcept {
  return from_grains(grains, QZR_GRAIN_DECIMALS);
}

UInt128 pow10_u128(std::uint32_t n) {
  if (n >= decimal_detail::pow10_u128_table.size())
    fault("10^" + std::to_string(n) + " does not fit 128 bits");
  return decimal_detail::pow10_u128_table[n];
}

UInt128 decimal_to_unscaled_u128(const Decimal& value) {
  if (value.is_zero()) return 0;
  if (value.is_sign_negative()) fault("Negatives don't scale into unsigned: " + value.to_string());
  const std::uint32_t scale = value.scale();
  if (scale > RECORDED_SCALE)
    return value.mantissa() / decimal_detail::pow10_u128_table[scale - RECORDED_SCALE];
  return value.mantissa() * decimal_detail::pow10_u128_table[RECORDED_SCALE - scale];
}

Decimal decimal_from_unscaled(UInt128 unscaled) noexcept {
  if (unscaled > Decimal::max_mantissa) return RECORDED_MAX;
  return round_recorded_decimal(Decimal::from_parts_or_fault(unscaled, RECORDED_SCALE, false));
}

std::string UnscaledI128::debug_text() const { return "UnscaledI128(" + value.to_string() + ")"; }

}  // namespace qzr
