// The conversions compiled once: integers of every width, floats and strings read from Python, and
// the results made from them.
#include "python/frame/convert.hpp"

#include "core/fault.hpp"

namespace qzr::py {

namespace {

PyResult<Ref> index_of(PyObject* object) {
  Ref index = Ref::steal(PyNumber_Index(object));
  if (!index) return fail(PyErr::fetch());
  return index;
}

// Reads a Python int as 16 little-endian bytes, raising OverflowError when it does not fit.
PyResult<void> int_to_16_bytes(PyObject* object, unsigned char* bytes, bool is_signed) {
  auto index = index_of(object);
  if (!index) return fail(std::move(index.error()));
  auto* number = reinterpret_cast<PyLongObject*>(index->get());
#if PY_VERSION_HEX >= 0x030D0000
  int status = _PyLong_AsByteArray(number, bytes, 16, 1, is_signed ? 1 : 0, 1);
#else
  int status = _PyLong_AsByteArray(number, bytes, 16, 1, is_signed ? 1 : 0);
#endif
  if (status < 0) return fail(PyErr::fetch());
  return {};
}

}  // namespace

PyErr integer_out_of_range() {
  return PyErr::lazy([] { return PyExc_OverflowError; }, "out of range integral type conversion attempted");
}

PyErr integer_read_error() { return PyErr_Occurred() ? PyErr::fetch() : integer_out_of_range(); }

PyResult<unsigned long long> extract_unsigned_long_long(PyObject* object) {
  auto index = index_of(object);
  if (!index) return fail(std::move(index.error()));
  unsigned long long value = PyLong_AsUnsignedLongLong(index->get());
  if (value == static_cast<unsigned long long>(-1) && PyErr_Occurred()) return fail(PyErr::fetch());
  return value;
}

PyResult<__int128> extract_int128(PyObject* object) {
  unsigned char bytes[16];
  if (auto read = int_to_16_bytes(object, bytes, true); !read) return fail(std::move(read.error()));
  unsigned __int128 value = 0;
  for (int i = 15; i >= 0; --i) value = (value << 8) | bytes[i];
  return static_cast<__int128>(value);
}

PyResult<unsigned __int128> extract_uint128(PyObject* object) {
  unsigned char bytes[16];
  if (auto read = int_to_16_bytes(object, bytes, false); !read) return fail(std::move(read.error()));
  unsigned __int128 value = 0;
  for (int i = 15; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

PyResult<double> extract_double(PyObject* object) {
  double value = PyFloat_AsDouble(object);
  if (value == -1.0 && PyErr_Occurred()) return fail(PyErr::fetch());
  return value;
}

PyResult<std::string> extract_string(PyObject* object) {
  if (!PyUnicode_Check(object)) return fail(PyErr::cannot_convert(object, "PyString"));
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(object, &size);
  if (data == nullptr) return fail(PyErr::fetch());
  return copy_or_abort(static_cast<std::size_t>(size),
                       [&] { return std::string(data, static_cast<std::size_t>(size)); });
}

Ref to_python_unsigned_long_long(unsigned long long value) {
  return Ref::steal(expect_api(PyLong_FromUnsignedLongLong(value)));
}

Ref to_python_int128(__int128 value) {
  unsigned char bytes[16];
  auto bits = static_cast<unsigned __int128>(value);
  for (int i = 0; i < 16; ++i) bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
  return Ref::steal(expect_api(_PyLong_FromByteArray(bytes, 16, 1, 1)));
}

Ref to_python_uint128(unsigned __int128 value) {
  unsigned char bytes[16];
  for (int i = 0; i < 16; ++i) bytes[i] = static_cast<unsigned char>(value >> (8 * i));
  return Ref::steal(expect_api(_PyLong_FromByteArray(bytes, 16, 1, 0)));
}

Ref to_python_string(std::string_view text) {
  return Ref::steal(
      expect_api(PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()))));
}

Ref to_python_bytes(const std::uint8_t* data, std::size_t size) {
  return Ref::steal(expect_api(
      PyBytes_FromStringAndSize(reinterpret_cast<const char*>(data), static_cast<Py_ssize_t>(size))));
}

void result_allocation_failed(PyErr error) {
  Ref exception = std::move(error).into_exception();
  std::string text;
  if (auto str = str_of(exception.get())) text = *str;
  fault_unwrapped(text);
}

}  // namespace qzr::py
