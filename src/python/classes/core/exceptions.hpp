// The module's own exception types and how the domain's error values become them.
#pragma once

#include "core/common_error.hpp"
#include "python/frame/frame.hpp"

namespace qzr::py {

// "qzr_common.QzrCommonError": common errors of keys, state, tree and requests.
ExceptionType& qzr_common_error_type();
// "decimal.DecimalError": decimal parsing, arithmetic and conversion failures.
ExceptionType& decimal_error_type();
// "h256.H256Error": a byte string of the wrong length for an H256.
ExceptionType& h256_error_type();

// A QzrCommonError with `text` unchanged as its one argument (made when first needed; raising is
// the caller's).
PyErr qzr_common_error(std::string text);

// TypeError "failed to extract field <field_name>" (for example "ReleaseHash.0") whose __cause__
// is `cause`: how a value read as the single field of its own type reports any failure.
PyErr failed_to_extract_field(std::string_view field_name, PyErr cause);

template <>
struct IntoPyErr<CommonError> {
  // QzrCommonError with the error's display text.
  static PyErr convert(const CommonError& error) { return qzr_common_error(error.display()); }
};

}  // namespace qzr::py
