// How the field types shared by several record classes cross the boundary (FieldForm,
// record_members.hpp). A field type that only one class has keeps its form in that class's file.
#pragma once

#include <string>

#include "python/classes/state/record_members.hpp"
#include "python/classes/values/decimal_class.hpp"
#include "values/fixed_bytes.hpp"
#include "values/recorded_amount.hpp"

namespace qzr::py {

// An amount: anything extract_decimal accepts (its DecimalError raised unchanged), recorded
// (clamped to +-RECORDED_MAX, rounded toward zero to 6 places); read back as a new Decimal.
template <>
struct FieldForm<UnscaledI128> {
  using Converted = UnscaledI128;
  static PyResult<UnscaledI128> convert(PyObject* object) { return extract_recorded_amount(object); }
  static Ref to_python(const UnscaledI128& amount) { return ToPython<Decimal>::convert(amount.value); }
};

// A 20-byte account address: a str (else the string conversion's TypeError), read after the
// conversions by the fixed reading (an optional lower-case "0x", exactly 40 digits; its errors
// are QzrCommonError); read back as the 40 lower-case digits without "0x".
template <>
struct FieldForm<AccountAddress> {
  using Converted = std::string;
  static PyResult<std::string> convert(PyObject* object) { return extract_string(object); }
  static Result<AccountAddress> check(const std::string& text) { return parse_h160(text); }
  static Ref to_python(const AccountAddress& address) {
    std::string digits;
    append_hex_digits(digits, address.bytes);
    return to_python_string(digits);
  }
};

}  // namespace qzr::py
