// The guard every C entry runs its body in: a returned error is handed to the interpreter, a
// fault becomes PanicException, and nothing escapes into the interpreter. The entries are
// noexcept; a fault that escapes the guard's own steps aborts the process. What the guard does
// with an error or an exception is compiled once (guard.cpp): an entry holds only its try block
// and one catch-all that calls it.
#pragma once

#include <cstddef>
#include <optional>

#include "core/fault.hpp"
#include "python/frame/error.hpp"

namespace qzr::py {

[[noreturn]] void abort_uncaught_fault() noexcept;

// Memory exhaustion is not an error: the process reports it and aborts, naming the size of the
// refused request where it is known.
[[noreturn]] void abort_out_of_memory(std::optional<std::size_t> bytes = std::nullopt) noexcept;

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
void raise_error(PyErr error) noexcept;

// The same, for an entry that returns null on error.
[[gnu::cold]] PyObject* raised(PyErr error) noexcept;

// Called inside `catch (...)` of an entry: a Fault becomes PanicException, memory exhaustion
// aborts, and any other exception ends the process as one escaping a noexcept entry would.
[[gnu::cold]] void raise_current_exception() noexcept;

// Runs `body`, which returns the entry's C result itself (its error already raised), and
// returns `error_value` when it throws. An entry's body is its one typed call path, so the
// entries mark it always_inline: left to the inliner, it becomes a call that passes the entry's
// arguments through memory.
template <class T, class Body>
[[gnu::always_inline]] inline T guarded_raw(T error_value, Body&& body) noexcept {
  try {
    return body();
  } catch (...) {
    raise_current_exception();
  }
  return error_value;
}

// Runs `body` (returning PyResult<T>) and returns its value, or `error_value` with the
// exception set.
template <class T, class Body>
inline T guarded(T error_value, Body&& body) noexcept {
  return guarded_raw<T>(error_value, [&] {
    auto result = body();
    if (result) [[likely]]
      return T(std::move(*result));
    raise_error(std::move(result.error()));
    return error_value;
  });
}

// For entries that return a new object: the body returns PyResult<Ref>.
template <class Body>
inline PyObject* guarded_object(Body&& body) noexcept {
  return guarded<PyObject*>(nullptr, [&]() -> PyResult<PyObject*> {
    PyResult<Ref> result = body();
    if (!result) [[unlikely]]
      return fail(std::move(result.error()));
    return result->release();
  });
}

// For deallocation, which cannot report: a fault is written through the unraisable hook.
template <class Body>
void guarded_unraisable(Body&& body) noexcept {
  try {
    body();
  } catch (...) {
    raise_current_exception();
    PyErr_WriteUnraisable(nullptr);
  }
}

}  // namespace qzr::py
