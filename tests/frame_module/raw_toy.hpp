// RawToy: the benchmark's baseline, written by hand against the CPython C API.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

namespace qzr::frametest {

// The RawToy type (a new reference), built on first call; null with the error set on failure.
PyObject* raw_toy_type();

}  // namespace qzr::frametest
