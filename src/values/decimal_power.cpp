// Decimal powers: integral exponents by repeated multiplication, fractional exponents as
// exp(exponent x ln(base)) in IEEE binary128, whose 113-bit significand (about 34 digits) leaves
// several digits of margin over the 29 a decimal can hold.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "values/decimal.hpp"
#include "values/decimal_wide.hpp"

namespace qzr {

using Kind = DecimalError::Kind;

namespace {

#if defined(__SIZEOF_FLOAT128__)
using Quad = __float128;
#else
#error "the fractional decimal power needs IEEE binary128 (__float128)"
#endif

constexpr int quad_bias = 16383;

// 2^n as a binary128, for n within the normal exponent range.
Quad power_of_two(int n) noexcept {
  const UInt128 bits = static_cast<UInt128>(quad_bias + n) << 112;
  Quad result;
  std::memcpy(&result, &bits, sizeof result);
  return result;
}

// ln 2 rounded to 113 bits: 0x162e42fefa39ef35793c7673007e6 x 2^-113 (from Python's decimal
// module at 120 digits: round(Decimal(2).ln() * 2**113)).
Quad ln2() noexcept {
  constexpr UInt128 scaled = (UInt128{0x162e42fefa39eULL} << 64) | 0xf35793c7673007e6ULL;
  return static_cast<Quad>(scaled) * power_of_two(-113);
}

// Natural logarithm of a positive normal number: x = f x 2^k with f in [1/sqrt 2, sqrt 2], and
// ln f = 2 atanh(z) for z = (f - 1) / (f + 1), |z| < 0.172, summed until the terms are below 2^-120.
Quad natural_log(Quad x) noexcept {
  UInt128 bits;
  std::memcpy(&bits, &x, sizeof bits);
  int k = static_cast<int>((bits >> 112) & 0x7fff) - quad_bias;
  bits = (bits & ((UInt128{1} << 112) - 1)) | (static_cast<UInt128>(quad_bias) << 112);
  Quad f;
  std::memcpy(&f, &bits, sizeof f);
  if (f > static_cast<Quad>(1.4142135623730951)) {
    f = f / 2;
    ++k;
  }
  const Quad z = (f - 1) / (f + 1);
  const Quad z2 = z * z;
  Quad sum = 0;
  Quad power = z;
  for (int n = 1; n <= 49; n += 2) {
    sum += power / n;
    power *= z2;
  }
  return 2 * sum + static_cast<Quad>(k) * ln2();
}

// e^t for |t| <= 80: t = k ln 2 + r with |r| <= ln 2 / 2, and the Taylor series of e^r to the
// 32nd term (below 2^-120).
Quad exponential(Quad t) noexcept {
  const int k = static_cast<int>(std::nearbyint(static_cast<double>(t / ln2())));
  const Quad r = t - static_cast<Quad>(k) * ln2();
  Quad sum = 1;
  Quad term = 1;
  for (int n = 1; n <= 32; ++n) {
    term = term * r / n;
    sum += term;
  }
  return sum * power_of_two(k);
}

Quad to_quad(const Decimal& value) noexcept {
  const Quad magnitude = static_cast<Quad>(value.mantissa()) /
                         static_cast<Quad>(decimal_detail::pow10_u128_table[value.scale()]);
  return value.is_sign_negative() ? -magnitude : magnitude;
}

// base^exponent for a positive base and a non-integral exponent.
DecimalResult<Decimal> fractional_power(const Decimal& base, const Decimal& exponent) noexcept {
  const Quad t = to_quad(exponent) * natural_log(to_quad(base));
  // e^67 is beyond 2^96; e^-70 is far below half of 10^-28.
  if (t > 67) return decimal_error(Kind::MultiplicationOverflow);
  if (t < -70) return Decimal::from_parts_or_fault(0, Decimal::max_scale, false);
  const Quad power = exponential(t);
  const Quad limit = power_of_two(96);
  // The largest scale at which the rounded mantissa fits, rounding half to even.
  for (int scale = Decimal::max_scale; scale >= 0; --scale) {
    const Quad scaled = power * static_cast<Quad>(decimal_detail::pow10_u128_table[scale]);
    if (!(scaled < limit)) continue;
    UInt128 mantissa = static_cast<UInt128>(scaled);
    const Quad fraction = scaled - static_cast<Quad>(mantissa);
    if (fraction > static_cast<Quad>(0.5) || (fraction == static_cast<Quad>(0.5) && (mantissa & 1) != 0)) {
      ++mantissa;
    }
    if (mantissa <= Decimal::max_mantissa) {
      return Decimal::from_parts_or_fault(mantissa, static_cast<std::uint32_t>(scale), false);
    }
  }
  return decimal_error(Kind::MultiplicationOverflow);
}

}  // namespace

DecimalResult<Decimal> Decimal::checked_pow(const Decimal& exponent) const noexcept {
  if (exponent.is_zero()) return one();
  if (is_zero()) {
    // 0 to a negative power is a division by zero.
    if (exponent.is_sign_negative()) return decimal_error(Kind::DivisionByZero);
    return Decimal();
  }
  if (*this == one()) return one();
  if (exponent == one()) return *this;
  const Decimal integral = exponent.normalized();
  if (integral.scale() == 0) {
    const UInt128 magnitude = integral.mantissa();
    if ((magnitude >> 32) != 0) return decimal_error(Kind::MathOperation);
    DecimalResult<Decimal> power = checked_powu(static_cast<std::uint64_t>(magnitude));
    if (!power || !integral.is_sign_negative()) return power;
    return one().checked_div(*power);
  }
  if (is_sign_negative()) return decimal_error(Kind::MathOperation);
  return fractional_power(*this, exponent);
}

}  // namespace qzr
