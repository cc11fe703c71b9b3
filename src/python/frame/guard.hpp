// The guard every C entry runs its body in: a returned error is handed to the interpreter, a
// fault becomes PanicException, and nothing escapes into the interpreter. The entries are
// noexcept; a fault that escapes the guard's own steps aborts the process.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>

#include "core/fault.hpp"
#include "python/frame/error.hpp"

namespace qzr::py {

[[noreturn]] inline void abort_uncaught_fault() noexcept {
  std::fputs("uncaught panic at ffi boundary\n", stderr);
  std::abort();
}

// Memory exhaustion is not an error: the process reports it and aborts, naming the size of the
// refused request where it is known.
[[noreturn]] inline void abort_out_of_memory(std::optional<std::size_t> bytes = std::nullopt) noexcept {
  if (bytes) {
    std::fprintf(stderr, "memory allocation of %zu bytes failed\n", *bytes);
  } else {
    std::fputs("memory allocation failed\n", stderr);
  }
  std::abort();
}

// Runs `copy`, which allocates `bytes` bytes: memory exhaustion aborts naming that size.
template <class Copy>
auto copy_or_abort(std::size_t bytes, Copy&& copy) -> decltype(copy()) {
  try {
    return copy();
  } catch (std::bad_alloc&) {
    abort_out_of_memory(bytes);
  }
}

// Sets `error` as the interpreter's exception; a fault while doing so raises PanicException.
inline void raise_error(PyErr error) noexcept {
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

// Runs `body` (returning PyResult<T>) and returns its value, or `error_value` with the
// exception set.
template <class T, class Body>
[[gnu::always_inline]] inline T guarded(T error_value, Body&& body) noexcept {
  try {
    auto result = body();
    if (result) return std::move(*result);
    raise_error(std::move(result.error()));
  } catch (Fault& failure) {
    raise_error(PyErr::panic(std::move(failure.message)));
  } catch (std::bad_alloc&) {
    abort_out_of_memory();
  }
  return error_value;
}

// For entries that return a new object: the body returns PyResult<Ref>.
template <class Body>
[[gnu::always_inline]] inline PyObject* guarded_object(Body&& body) noexcept {
  try {
    PyResult<Ref> result = body();
    if (result) [[likely]]
      return result->release();
    raise_error(std::move(result.error()));
  } catch (Fault& failure) {
    raise_error(PyErr::panic(std::move(failure.message)));
  } catch (std::bad_alloc&) {
    abort_out_of_memory();
  }
  return nullptr;
}

// For deallocation, which cannot report: a fault is written through the unraisable hook.
template <class Body>
void guarded_unraisable(Body&& body) noexcept {
  try {
    body();
  } catch (Fault& failure) {
    raise_error(PyErr::panic(std::move(failure.message)));
    PyErr_WriteUnraisable(nullptr);
  } catch (std::bad_alloc&) {
    abort_out_of_memory();
  }
}

}  // namespace qzr::py
