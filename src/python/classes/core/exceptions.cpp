// The module's three exception types, made on first use, and the errors built from them.
#include "python/classes/core/exceptions.hpp"

namespace qzr::py {

namespace {
constinit ExceptionType qzr_common_error_class{"qzr_common.QzrCommonError", ExceptionType::Base::Exception,
                                               nullptr};
constinit ExceptionType decimal_error_class{"decimal.DecimalError", ExceptionType::Base::Exception, nullptr};
constinit ExceptionType h256_error_class{"h256.H256Error", ExceptionType::Base::Exception, nullptr};
}  // namespace

ExceptionType& qzr_common_error_type() { return qzr_common_error_class; }
ExceptionType& decimal_error_type() { return decimal_error_class; }
ExceptionType& h256_error_type() { return h256_error_class; }

PyErr qzr_common_error(std::string text) {
  return PyErr::lazy([] { return qzr_common_error_class.get(); }, std::move(text));
}

PyErr failed_to_extract_field(std::string_view field_name, PyErr cause) {
  Ref cause_exception = std::move(cause).into_exception();
  Ref error = PyErr::type_error("failed to extract field " + std::string(field_name)).into_exception();
  PyException_SetCause(error.get(), cause_exception.release());  // steals the reference
  return PyErr::from_exception(std::move(error));
}

}  // namespace qzr::py
