// How a specs expression (SpecsExpr) is read from Python: the field of Specs and the values of
// VelmarindSMT.from_genesis's specs dict, read alike.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "keys/specs.hpp"
#include "python/classes/core/exceptions.hpp"
#include "python/classes/core/field_members.hpp"

namespace qzr::py {

// A str's UTF-8 text; a failure is TypeError "failed to extract field <field_name>" caused by it:
// how a value read as the single field of its own type reports it.
inline PyResult<std::string> extract_field_text(PyObject* object, std::string_view field_name) {
  auto text = extract_string(object);
  if (!text) return fail(failed_to_extract_field(field_name, std::move(text.error())));
  return text;
}

// A str's UTF-8 text, unchecked (the empty text included). A non-str, or a str without a UTF-8
// form (a lone surrogate), is TypeError "failed to extract field SpecsExpr.0" caused by it.
template <>
struct FieldForm<SpecsExpr> {
  using Converted = SpecsExpr;
  static PyResult<SpecsExpr> convert(PyObject* object) {
    auto text = extract_field_text(object, "SpecsExpr.0");
    if (!text) return fail(std::move(text.error()));
    return SpecsExpr{std::move(*text)};
  }
};

}  // namespace qzr::py
