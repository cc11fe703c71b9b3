#include "python/classes/requests/request_arguments.hpp"

namespace qzr::py {

PyResult<U64StrPair> FromPython<U64StrPair>::extract(PyObject* object) {
  if (!PyTuple_Check(object)) return fail(PyErr::cannot_convert(object, "PyTuple"));
  const Py_ssize_t length = PyTuple_GET_SIZE(object);
  if (length != 2) {
    return fail(
        PyErr::type_error("expected tuple of length 2, but got tuple of length " + std::to_string(length)));
  }
  auto number = FromPython<std::uint64_t>::extract(PyTuple_GET_ITEM(object, 0));
  if (!number) return fail(std::move(number.error()));
  auto text = extract_string(PyTuple_GET_ITEM(object, 1));
  if (!text) return fail(std::move(text.error()));
  return U64StrPair{*number, std::move(*text)};
}

}  // namespace qzr::py
