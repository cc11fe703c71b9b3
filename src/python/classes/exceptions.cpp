#include "python/classes/exceptions.hpp"

namespace qzr::py {

namespace {
constinit ExceptionType qzr_common_error{"qzr_common.QzrCommonError", ExceptionType::Base::Exception,
                                         nullptr};
constinit ExceptionType decimal_error{"decimal.DecimalError", ExceptionType::Base::Exception, nullptr};
constinit ExceptionType h256_error{"h256.H256Error", ExceptionType::Base::Exception, nullptr};
}  // namespace

ExceptionType& qzr_common_error_type() { return qzr_common_error; }
ExceptionType& decimal_error_type() { return decimal_error; }
ExceptionType& h256_error_type() { return h256_error; }

PyErr raise_message(std::string text) {
  return PyErr::lazy([] { return qzr_common_error.get(); }, std::move(text));
}

}  // namespace qzr::py
