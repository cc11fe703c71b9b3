// RawToy: the same bodies as the frame's Toy (scaled_sum, the number getter, + with an int),
// written directly against the CPython C API as a careful extension author would, without the
// frame's guard, borrow flag or argument parser. bench/frame_call.py times the two side by side.
// The bodies cannot fail for the values the benchmark uses (short labels, no items), so no C++
// exception is expected to cross these entries.
#include "raw_toy.hpp"

#include <new>
#include <utility>

#include "toy_values.hpp"

namespace qzr::frametest {

namespace {

struct RawToyObject {
  PyObject_HEAD;
  ToyValue value;
};

PyTypeObject* raw_type = nullptr;  // lives for the process

ToyValue& value_of(PyObject* object) { return reinterpret_cast<RawToyObject*>(object)->value; }

PyObject* new_raw_toy(PyTypeObject* type, ToyValue&& value) {
  PyObject* object = type->tp_alloc(type, 0);
  if (object == nullptr) return nullptr;
  new (&value_of(object)) ToyValue(std::move(value));
  return object;
}

PyObject* raw_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  static const char* keywords[] = {"number", nullptr};
  long long number = 0;
  if (!PyArg_ParseTupleAndKeywords(args, kwargs, "L", const_cast<char**>(keywords), &number)) return nullptr;
  return new_raw_toy(type, ToyValue(number, "", {}));
}

void raw_dealloc(PyObject* self) {
  value_of(self).~ToyValue();
  PyTypeObject* type = Py_TYPE(self);
  type->tp_free(self);
  Py_DECREF(type);
}

PyObject* raw_scaled_sum(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  if (kwnames != nullptr && PyTuple_GET_SIZE(kwnames) != 0) {
    PyErr_SetString(PyExc_TypeError, "RawToy.scaled_sum() takes no keyword arguments");
    return nullptr;
  }
  if (nargs != 2) {
    PyErr_Format(PyExc_TypeError, "RawToy.scaled_sum() takes 2 positional arguments but %zd were given",
                 nargs);
    return nullptr;
  }
  long long scale = PyLong_AsLongLong(args[0]);
  if (scale == -1 && PyErr_Occurred()) return nullptr;
  long long offset = PyLong_AsLongLong(args[1]);
  if (offset == -1 && PyErr_Occurred()) return nullptr;
  return PyLong_FromLongLong(scaled_sum(value_of(self), scale, offset));
}

PyObject* raw_number(PyObject* self, void*) { return PyLong_FromLongLong(value_of(self).number); }

// `toy + amount` and `amount + toy`; anything else is NotImplemented.
PyObject* raw_add(PyObject* left, PyObject* right) {
  bool reflected = !PyObject_TypeCheck(left, raw_type);
  PyObject* toy = reflected ? right : left;
  PyObject* amount_object = reflected ? left : right;
  if (!PyObject_TypeCheck(toy, raw_type)) Py_RETURN_NOTIMPLEMENTED;
  long long amount = PyLong_AsLongLong(amount_object);
  if (amount == -1 && PyErr_Occurred()) {
    PyErr_Clear();
    Py_RETURN_NOTIMPLEMENTED;
  }
  const ToyValue& value = value_of(toy);
  if (reflected)
    return new_raw_toy(Py_TYPE(toy), ToyValue(wrapping_add(value.number, amount), "reflected", value.items));
  return new_raw_toy(Py_TYPE(toy), plus(value, amount));
}

PyMethodDef raw_methods[] = {
    {"scaled_sum", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(&raw_scaled_sum)),
     METH_FASTCALL | METH_KEYWORDS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef raw_getset[] = {
    {"number", &raw_number, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyType_Slot raw_slots[] = {
    {Py_tp_new, reinterpret_cast<void*>(&raw_new)},
    {Py_tp_dealloc, reinterpret_cast<void*>(&raw_dealloc)},
    {Py_tp_methods, raw_methods},
    {Py_tp_getset, raw_getset},
    {Py_nb_add, reinterpret_cast<void*>(&raw_add)},
    {0, nullptr},
};

PyType_Spec raw_spec = {"qzr_frame_testmod.RawToy", static_cast<int>(sizeof(RawToyObject)), 0,
                        Py_TPFLAGS_DEFAULT, raw_slots};

}  // namespace

PyObject* raw_toy_type() {
  if (raw_type == nullptr) {
    raw_type = reinterpret_cast<PyTypeObject*>(PyType_FromSpec(&raw_spec));
    if (raw_type == nullptr) return nullptr;
  }
  Py_INCREF(raw_type);
  return reinterpret_cast<PyObject*>(raw_type);
}

}  // namespace qzr::frametest
