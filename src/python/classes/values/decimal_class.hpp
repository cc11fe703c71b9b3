// The Python class Decimal (qzr_python.decimal.Decimal) and the conversion of any Python value
// into a Decimal that the records and requests share.
#pragma once

#include "python/frame/frame.hpp"
#include "values/decimal.hpp"
#include "values/recorded_amount.hpp"

namespace qzr::py {

template <>
struct ClassDef<Decimal> {
  static constexpr const char* name = "Decimal";
  static constexpr const char* doc =
      "Wraps the decimal arithmetic library's `Decimal` type; its constructor only supports text, "
      "for example `Decimal(\"123.456\")`.";
  static constexpr bool frozen = false;
  // Results of arithmetic are made and dropped at a high rate.
  static constexpr std::size_t free_cells = 64;
  static constexpr bool caches_hash = true;
  static void add_members(TypeBuilder& builder);
};

template <>
struct IntoPyErr<DecimalError> {
  // DecimalError with the error's text.
  static PyErr convert(const DecimalError& error);
};

// The Decimal a Python object stands for, tried in order: a Decimal object (copied), a str
// (parsed), an integer (exact, |value| < 2^96), a float (the double's shortest decimal);
// anything else is DecimalError "invalid value for decimal".
PyResult<Decimal> extract_decimal(PyObject* object);

// An amount as the records and requests store it: anything extract_decimal accepts (its
// DecimalError returned unchanged), recorded (clamped to +-RECORDED_MAX, rounded toward zero to
// 6 places).
inline PyResult<UnscaledI128> extract_recorded_amount(PyObject* object) {
  auto value = extract_decimal(object);
  if (!value) return fail(std::move(value.error()));
  return UnscaledI128{round_recorded_decimal(*value)};
}

// The decimal's text as a Python str.
Ref decimal_to_py_str(const Decimal& value);

}  // namespace qzr::py
