// The form of a value read from Python as the single field of its own type (a str read into a
// one-field value, whose every failure names that field), and SpecsExpr's, which the field of
// Specs and the values of VelmarindSMT.from_genesis's specs dict share.
#pragma once

#include <string>
#include <utility>

#include "keys/specs.hpp"
#include "python/classes/core/exceptions.hpp"
#include "python/classes/core/field_members.hpp"

namespace qzr::py {

// A str's UTF-8 text read into T by `Read` (`Result<T>(std::string)`). Every failure (a non-str,
// a str without a UTF-8 form such as a lone surrogate, a text `Read` refuses) is TypeError
// "failed to extract field <Field>" (for example "ReleaseHash.0") caused by it. Reading a str runs
// no Python code.
template <class T, FixedString Field, auto Read>
struct SingleFieldForm {
  using Converted = T;
  static constexpr bool runs_python_code = false;
  static PyResult<T> convert(PyObject* object) {
    auto text = extract_string(object);
    if (!text) return fail(failed_to_extract_field(Field.view(), std::move(text.error())));
    Result<T> value = Read(std::move(*text));
    if (!value)
      return fail(failed_to_extract_field(Field.view(), IntoPyErr<CommonError>::convert(value.error())));
    return std::move(*value);
  }
};

// The text, unchecked (the empty text included).
inline Result<SpecsExpr> specs_expr_from_text(std::string text) { return SpecsExpr{std::move(text)}; }

// Its field is "SpecsExpr.0".
template <>
struct FieldForm<SpecsExpr> : SingleFieldForm<SpecsExpr, "SpecsExpr.0", &specs_expr_from_text> {};

}  // namespace qzr::py
