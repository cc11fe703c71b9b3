// How the value types that are fields of several record classes cross the boundary (FieldForm,
// classes/core/field_members.hpp). A field type that only one class has keeps its form in that
// class's file.
#pragma once

#include <string>
#include <string_view>

#include "context/token_symbol.hpp"
#include "python/classes/core/field_members.hpp"
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

// A strategy id: a str (else the string conversion's TypeError) of at most 31 UTF-8 bytes (else
// QzrCommonError "Bytes32 has 31 utf8 bytes prefixed with 1 length byte"); read back as its text
// (the length byte taken as at most 31, invalid UTF-8 replaced).
template <>
struct FieldForm<StrategyId> {
  using Converted = std::string;
  static PyResult<std::string> convert(PyObject* object) { return extract_string(object); }
  static Result<StrategyId> check(const std::string& text) { return strategy_id_from_text(text); }
  static Ref to_python(const StrategyId& id) { return to_python_string(strategy_id_text(id)); }
};

// Read back as "0x" and lower-case digits.
template <class T>
struct HexDigitsForm {
  static Ref to_python(const T& value) { return to_python_string(to_hex(value)); }
};

// A str read by `Read` (a reader of values/ or context/) into T; read back as "0x" and lower-case
// digits. A non-str is the string conversion's TypeError; a refused text is QzrCommonError with
// the reader's text, raised during the conversion so that the arguments fail in their order. The
// readers follow one of two hex rules (values/hex.hpp): the strip reading (every "0x" removed, then
// hexadecimal digits, white space skipped, exactly the bytes of T: "Expected exactly 21 bytes") or
// the fixed reading (one optional leading "0x", exactly the digits of T).
template <class T, Result<T> (*Read)(std::string_view)>
struct HexFieldForm : HexDigitsForm<T> {
  using Converted = T;
  static PyResult<T> convert(PyObject* object) {
    auto text = extract_string(object);
    if (!text) return fail(std::move(text.error()));
    return to_py_result(Read(*text));
  }
};

// The strip reading.
template <>
struct FieldForm<TraderAddress> : HexFieldForm<TraderAddress, &parse_trader_address> {};
template <>
struct FieldForm<StrategyIdHash> : HexFieldForm<StrategyIdHash, &strategy_id_hash_from_hex> {};
template <>
struct FieldForm<Bytes25> : HexFieldForm<Bytes25, &bytes25_from_hex> {};
template <>
struct FieldForm<Signature> : HexFieldForm<Signature, &signature_from_hex> {};

// The fixed reading: 64 digits of a nonce, 40 of a token address.
template <>
struct FieldForm<qzr::Hash> : HexFieldForm<qzr::Hash, &bytes32_from_hex> {};
template <>
struct FieldForm<TokenAddress> : HexFieldForm<TokenAddress, &parse_token_address> {};

}  // namespace qzr::py
