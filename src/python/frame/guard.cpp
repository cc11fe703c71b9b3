// What the guard does with an error or an exception, compiled once: raising, turning a fault into
// PanicException, and aborting on memory exhaustion.
#include "python/frame/guard.hpp"

#include <cstdio>
#include <cstdlib>
#include <new>

namespace qzr::py {

void abort_uncaught_fault() noexcept {
  std::fputs("uncaught panic at ffi boundary\n", stderr);
  std::abort();
}

void abort_out_of_memory(std::optional<std::size_t> bytes) noexcept {
  if (bytes) {
    std::fprintf(stderr, "memory allocation of %zu bytes failed\n", *bytes);
  } else {
    std::fputs("memory allocation failed\n", stderr);
  }
  std::abort();
}

void raise_error(PyErr error) noexcept {
  try {
    try {
      std::move(error).restore();
    } catch (Fault& failure) {
      PyErr::panic(std::move(failure.message)).restore();
    }
  } catch (Fault&) {
    abort_uncaught_fault();
  } catch (std::bad_alloc&) {
    abort_out_of_memory();
  }
}

PyObject* raised(PyErr error) noexcept {
  raise_error(std::move(error));
  return nullptr;
}

void raise_current_exception() noexcept {
  try {
    throw;
  } catch (Fault& failure) {
    raise_error(PyErr::panic(std::move(failure.message)));
  } catch (std::bad_alloc&) {
    abort_out_of_memory();
  }
}

}  // namespace qzr::py
