// Registration of the common classes of values and context in the module tree: OrderSide in
// qzr_python.common.enums; get_operator_context, TokenSymbol and OperatorContext in
// qzr_python.common.
#pragma once

#include "python/frame/frame.hpp"

namespace qzr::py {

// add_class OrderSide into the enums module.
PyResult<void> add_order_side(PyObject* enums_module);

// The built-in function get_operator_context bound to the common module (its __self__ is the
// module, its __module__ the module's __name__, its text signature "()", no docstring); each
// call returns a new OperatorContext holding a copy of the application context, which the
// first read of the process builds (a failed build is PanicException). Register it with
// add_function.
PyResult<Ref> make_get_operator_context(PyObject* common_module);

// add_class TokenSymbol, then OperatorContext, into the common module; the first failure ends it.
PyResult<void> add_token_symbol_and_operator_context(PyObject* common_module);

}  // namespace qzr::py
