// Decimal: the exact decimal number of the exchange. A value is a sign, an unsigned 96-bit
// mantissa m and a scale s of 0 to 28, and stands for m x 10^-s (negated when the sign is set).
// Fixed size (16 bytes), no heap; operations are exact unless their comment says how they round.
#pragma once

#include <array>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <string>
#include <string_view>

namespace qzr {

using UInt128 = unsigned __int128;
using Int128 = __int128;

// The error value of decimal parsing, arithmetic and conversion. Its text is what Python shows in
// DecimalError.
class [[nodiscard]] DecimalError {
 public:
  enum class Kind : std::uint8_t {
    InvalidValue,            // "Invalid value for decimal": text or number outside the model
    UnsupportedType,         // "invalid value for decimal": an object of a type that never converts
    MathOperation,           // "Check math operation error": a failed operator of the Python class,
                             // and a power that is undefined (negative base, fractional exponent)
    AdditionOverflow,        // "Addition overflowed"
    SubtractionOverflow,     // "Subtraction overflowed"
    MultiplicationOverflow,  // "Multiplication overflowed"
    DivisionOverflow,        // "Division overflowed"
    DivisionByZero,          // "Division by zero"
    NegativeToUnsigned,      // "Couldn't cast to u128 because overflow"
    IntegerOutOfRange,       // "out of range integral type conversion attempted"
  };

  constexpr explicit DecimalError(Kind kind) noexcept : m_kind(kind) {}

  constexpr Kind kind() const noexcept { return m_kind; }
  // The exact message of the kind (see the enumerators).
  std::string_view text() const noexcept;

  friend constexpr bool operator==(DecimalError, DecimalError) noexcept = default;

 private:
  Kind m_kind;
};

template <class T>
using DecimalResult = std::expected<T, DecimalError>;

inline std::unexpected<DecimalError> decimal_error(DecimalError::Kind kind) noexcept {
  return std::unexpected(DecimalError(kind));
}

// How digits that do not fit are removed.
enum class RoundingStrategy : std::uint8_t {
  ToZero,    // truncate: the kept digits are unchanged
  HalfUp,    // to nearest, ties away from zero
  HalfEven,  // to nearest, ties to an even last digit (the rounding of arithmetic results)
};

// The text of a decimal in a fixed buffer (the longest text has 31 characters).
class DecimalText {
 public:
  std::string_view view() const noexcept { return {m_chars.data(), m_size}; }
  operator std::string_view() const noexcept { return view(); }

 private:
  friend class Decimal;
  std::array<char, 32> m_chars{};
  std::uint8_t m_size = 0;
};

class Decimal {
 public:
  static constexpr std::uint32_t max_scale = 28;
  static constexpr UInt128 max_mantissa = (UInt128{1} << 96) - 1;
  using Bytes = std::array<std::uint8_t, 16>;

  // Positive zero with scale 0.
  constexpr Decimal() noexcept = default;

  static constexpr Decimal zero() noexcept { return Decimal(); }
  static constexpr Decimal one() noexcept { return from_parts_or_fault(1, 0, false); }

  // Faults with "Decimal parts outside the model: ..." for a mantissa above max_mantissa or a
  // scale above max_scale, a broken invariant (in a constant expression, such as the named
  // constants built with it, the compiler refuses it instead). The value of the parts; from_parts
  // is the form for parts that may be outside the model.
  static constexpr Decimal from_parts_or_fault(UInt128 mantissa, std::uint32_t scale, bool negative);
  // InvalidValue when the mantissa or the scale is outside the model.
  static DecimalResult<Decimal> from_parts(UInt128 mantissa, std::uint32_t scale, bool negative) noexcept;
  static constexpr Decimal from_i64(std::int64_t value) noexcept;
  // The integer at scale 0; InvalidValue when its magnitude is 2^96 or more.
  static DecimalResult<Decimal> from_i128(Int128 value) noexcept;
  // value x 10^-scale; InvalidValue when |value| >= 2^96 or scale > 28.
  static DecimalResult<Decimal> from_i128_with_scale(Int128 value, std::uint32_t scale) noexcept;
  static DecimalResult<Decimal> from_u128_with_scale(UInt128 value, std::uint32_t scale) noexcept;

  // The double's exact binary value at the largest scale (at most 28) whose mantissa fits 96 bits,
  // rounded half to even; then, while the mantissa is 2^52 or more and the scale above 0, the last
  // digit is dropped, adding one when it was 5 or more; finally trailing fractional zeros are
  // stripped (the sign is kept, so -0.0 gives a negative zero). NaN, the infinities and magnitudes
  // of 2^96 or more are InvalidValue.
  static DecimalResult<Decimal> from_f64(double value) noexcept;
  // The same for a float, with the threshold 2^24 (so the float 0.002 gives exactly 0.002).
  static DecimalResult<Decimal> from_f32(float value) noexcept;

  // The 16-byte form: the flags word (scale in bits 16 to 23, sign in bit 31) and the mantissa's
  // low, middle and high 32-bit words, each little-endian.
  Bytes to_bytes() const noexcept;
  // Never fails: of the flags word only the scale field (bits 16 to 20) and the sign are read; a
  // scale of 29 to 31 is brought to 28 by dividing the mantissa by 10, 100 or 1000, rounding the
  // dropped digits half up.
  static Decimal from_bytes(const Bytes& bytes) noexcept;

  constexpr UInt128 mantissa() const noexcept { return (UInt128{m_high} << 64) | m_low; }
  constexpr std::uint32_t scale() const noexcept { return (m_flags >> 16) & 0xff; }
  // The sign bit, which a zero may carry too (it prints "-0").
  constexpr bool is_sign_negative() const noexcept { return (m_flags >> 31) != 0; }
  constexpr bool is_zero() const noexcept { return m_low == 0 && m_high == 0; }
  // True when sign, mantissa and scale are all equal (1.5 and 1.50 compare equal but are not this).
  constexpr bool same_representation(const Decimal& other) const noexcept {
    return m_flags == other.m_flags && m_high == other.m_high && m_low == other.m_low;
  }

  // Numeric comparison: the scale does not matter, and every zero equals every other zero.
  friend inline bool operator==(const Decimal& a, const Decimal& b) noexcept;
  friend inline std::weak_ordering operator<=>(const Decimal& a, const Decimal& b) noexcept;
  // *this unless `other` is strictly smaller (so equal values give *this).
  const Decimal& min(const Decimal& other) const noexcept { return other < *this ? other : *this; }
  // *this unless `other` is strictly larger (so equal values give *this).
  const Decimal& max(const Decimal& other) const noexcept { return other > *this ? other : *this; }

  // Both keep mantissa and scale; negation flips the sign of a zero too.
  constexpr Decimal operator-() const noexcept {
    Decimal result = *this;
    result.m_flags ^= sign_bit;
    return result;
  }
  constexpr Decimal abs() const noexcept {
    Decimal result = *this;
    result.m_flags &= ~sign_bit;
    return result;
  }

  // Checked arithmetic. A result that needs more than 96 bits of mantissa or a scale above 28 is
  // rounded half to even to the largest scale at which it fits; one that does not fit even at
  // scale 0 is the kind's overflow error.
  // Sum and difference: scale max(s1, s2). An exact zero is positive unless both terms are
  // negative.
  DecimalResult<Decimal> checked_add(const Decimal& other) const noexcept;
  DecimalResult<Decimal> checked_sub(const Decimal& other) const noexcept;
  // Product: scale s1 + s2; a zero operand gives positive zero with scale 0.
  inline DecimalResult<Decimal> checked_mul(const Decimal& other) const noexcept;
  // Quotient: when exact, at the smallest scale of at least max(0, s1 - s2) that holds it (10 / 4
  // is 2.5, 1.50 / 1 is 1.50); otherwise with as many digits as fit (1 / 3 has 28 places).
  // DivisionByZero, DivisionOverflow.
  DecimalResult<Decimal> checked_div(const Decimal& other) const noexcept;
  // Remainder of the quotient truncated toward zero: exact, scale max(s1, s2), the sign of *this
  // (also when it is zero). DivisionByZero.
  DecimalResult<Decimal> checked_rem(const Decimal& other) const noexcept;
  // Power by an unsigned integer through repeated squaring; MultiplicationOverflow.
  DecimalResult<Decimal> checked_powu(std::uint64_t exponent) const noexcept;
  // Power with a decimal exponent: exponent 0 gives 1; a zero base gives 0 (DivisionByZero for a
  // negative exponent); base 1 gives 1; exponent 1 gives the base. An integral exponent (after
  // stripping trailing zeros) uses checked_powu, and its reciprocal when negative; a magnitude of
  // 2^32 or more is MathOperation. Any other exponent is exp(exponent x ln(base)), computed with
  // about 33 significant digits and rounded half to even to the largest scale that fits;
  // MathOperation for a negative base, MultiplicationOverflow when the result does not fit.
  DecimalResult<Decimal> checked_pow(const Decimal& exponent) const noexcept;

  // Rounded to `places` decimal places when the scale is larger; otherwise unchanged (no zeros
  // are added). A zero keeps its sign and gets scale `places`; a non-zero value that rounds to
  // zero becomes positive zero.
  Decimal rounded_to_places(std::uint32_t places, RoundingStrategy strategy) const noexcept;
  // Trailing zeros stripped; any zero becomes positive zero with scale 0.
  Decimal normalized() const noexcept;

  // The integer part (fraction dropped toward zero); always fits.
  Int128 to_i128_truncated() const noexcept;
  // The integer part of a value whose sign is clear (a negative zero gives 0); NegativeToUnsigned
  // for a negative non-zero value, also when its integer part is zero.
  DecimalResult<UInt128> to_u128_truncated() const noexcept;
  // Scale 0 converts the integer directly; otherwise integer part + fraction digits / 10^scale, and
  // when the fraction is not zero that sum is multiplied by 10^scale, rounded to an integer (ties
  // away from zero) and divided by 10^scale. The sign is applied last.
  double to_f64() const noexcept;
  // to_f64() narrowed to float.
  float to_f32() const noexcept;

  // The digits with a point `scale` places from the right, at least one digit before it,
  // trailing zeros kept, "-" when the sign is set (also "-0"), never an exponent.
  DecimalText text() const noexcept;
  std::string to_string() const { return std::string(text().view()); }

  // Equal values hash alike: the 16-byte form of normalized() folded by XOR into 8 bytes (byte i
  // into byte i mod 8), read big-endian as a signed 64-bit number; -1 becomes -2.
  std::int64_t hash() const noexcept;

 private:
  // operator<=> for operands of different scales or signs.
  static std::weak_ordering compare_unlike(const Decimal& a, const Decimal& b) noexcept;
  // checked_mul for the operands its inline part does not take.
  DecimalResult<Decimal> checked_mul_out_of_line(const Decimal& other) const noexcept;
  // The non-zero product of two one-word mantissas at `scale`, which does not fit as it is,
  // rounded into the model; MultiplicationOverflow.
  static DecimalResult<Decimal> rounded_product(UInt128 product, std::uint32_t scale, bool negative) noexcept;

  static constexpr std::uint32_t sign_bit = 0x8000'0000u;

  std::uint32_t m_flags = 0;  // scale in bits 16 to 23, sign in bit 31
  std::uint32_t m_high = 0;   // mantissa bits 64 to 95
  std::uint64_t m_low = 0;    // mantissa bits 0 to 63
};

// Faults with "Decimal parts outside the model: mantissa <digits>, scale <digits>": the fault of
// from_parts_or_fault, out of line.
[[noreturn]] void decimal_invalid_parts_fault(UInt128 mantissa, std::uint32_t scale);

constexpr Decimal Decimal::from_parts_or_fault(UInt128 mantissa, std::uint32_t scale, bool negative) {
  if (mantissa > max_mantissa || scale > max_scale) decimal_invalid_parts_fault(mantissa, scale);
  Decimal result;
  result.m_flags = (scale << 16) | (negative ? sign_bit : 0);
  result.m_high = static_cast<std::uint32_t>(mantissa >> 64);
  result.m_low = static_cast<std::uint64_t>(mantissa);
  return result;
}

// Operands of one scale and one sign (the usual prices and amounts) compare by their mantissas,
// inline; zeros need no care there: a zero mantissa is the smallest magnitude of either sign.
inline std::weak_ordering operator<=>(const Decimal& a, const Decimal& b) noexcept {
  if (a.m_flags == b.m_flags) [[likely]] {
    const std::weak_ordering magnitude = a.mantissa() <=> b.mantissa();
    return a.is_sign_negative() ? 0 <=> magnitude : magnitude;
  }
  return Decimal::compare_unlike(a, b);
}

inline bool operator==(const Decimal& a, const Decimal& b) noexcept { return (a <=> b) == 0; }

// The usual product, of two non-zero mantissas below 2^64 that fits the model as it is, is made
// inline (so its result stays in registers); zeros, wider products and rounding are not.
// A zero operand shows as a zero product, which one test of product - 1 sends out of line too;
// a one-word product that must be rounded goes straight to the rounding.
inline DecimalResult<Decimal> Decimal::checked_mul(const Decimal& other) const noexcept {
  if ((m_high | other.m_high) == 0) {
    const UInt128 product = UInt128{m_low} * other.m_low;
    const std::uint32_t product_scale = scale() + other.scale();
    if (product - 1 < max_mantissa && product_scale <= max_scale)
      return from_parts_or_fault(product, product_scale, is_sign_negative() != other.is_sign_negative());
    if (product != 0)
      return rounded_product(product, product_scale, is_sign_negative() != other.is_sign_negative());
  }
  return checked_mul_out_of_line(other);
}

constexpr Decimal Decimal::from_i64(std::int64_t value) noexcept {
  const std::uint64_t magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : value;
  return from_parts_or_fault(magnitude, 0, value < 0);
}

// Fault with the error's text where the checked operation returns an error ("Addition
// overflowed", "Subtraction overflowed", "Multiplication overflowed", "Division overflowed",
// "Division by zero"; those texts are part of the contract, since a fault reaches Python as
// PanicException with that message); otherwise the checked operation's value. They are not for
// broken invariants only: the accounting computations use them on values that come from Python
// (trading_fee, Position's pnl, increase, decrease, cross_over and bankruptcy_price, Balance's
// total_value and split, add_balances, Price::mark_price), so a Python argument reaches the fault:
// TradeSide.Taker.trading_fee(Decimal("79228162514264337593543950335"), Decimal(2)) faults with
// "Multiplication overflowed". Each of those computations states its faults in its contract.
Decimal add_or_fault(const Decimal& a, const Decimal& b);
Decimal sub_or_fault(const Decimal& a, const Decimal& b);
Decimal mul_or_fault(const Decimal& a, const Decimal& b);
Decimal div_or_fault(const Decimal& a, const Decimal& b);
Decimal rem_or_fault(const Decimal& a, const Decimal& b);

// Plain text: an optional "+" or "-" first, then digits with at most one "."; "_" may stand
// anywhere after the first digit and is ignored. The scale is the number of digits after the
// point. Fraction digits beyond 28 places or beyond a 96-bit mantissa are dropped, adding one to
// the last kept digit when the first dropped digit is 5 or more. InvalidValue for anything else,
// including an integer part that does not fit.
DecimalResult<Decimal> parse_decimal_plain(std::string_view text) noexcept;
// Plain text, "e" or "E", and a decimal exponent k with an optional "-" or "+". A negative k
// raises the scale by k (at most to 28); a non-negative k not above the scale lowers it by k; a
// larger k (at most 28) multiplies by 10^k and strips trailing zeros ("1.5e3" is 1500).
DecimalResult<Decimal> parse_decimal_scientific(std::string_view text) noexcept;
// Plain text, else scientific text; InvalidValue when neither reads it.
DecimalResult<Decimal> parse_decimal_text(std::string_view text) noexcept;

// The binary operators of the Python class, one entry for all six.
enum class DecimalOperator : std::uint8_t { Add, Subtract, Multiply, Divide, Remainder, Power };
// left op right with the checked operation; any failure is MathOperation. Always inline, so that
// a caller with a constant operator calls the operation directly (left to itself the compiler
// keeps one out-of-line copy with the whole switch).
[[gnu::always_inline]] inline DecimalResult<Decimal> apply_decimal_operator(DecimalOperator op,
                                                                            const Decimal& left,
                                                                            const Decimal& right) noexcept {
  DecimalResult<Decimal> result = [&] [[gnu::always_inline]] () {
    switch (op) {
      case DecimalOperator::Add: return left.checked_add(right);
      case DecimalOperator::Subtract: return left.checked_sub(right);
      case DecimalOperator::Multiply: return left.checked_mul(right);
      case DecimalOperator::Divide: return left.checked_div(right);
      case DecimalOperator::Remainder: return left.checked_rem(right);
      case DecimalOperator::Power: return left.checked_pow(right);
    }
    return DecimalResult<Decimal>(decimal_error(DecimalError::Kind::MathOperation));
  }();
  // One named result, changed in place and returned: the operation's result is built where the
  // caller reads it, not copied (a 16-byte copy of fields just stored stalls store forwarding).
  if (!result) result = decimal_error(DecimalError::Kind::MathOperation);
  return result;
}

}  // namespace qzr
