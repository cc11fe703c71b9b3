// PoisonableRwLock<T>: a value behind a reader-writer lock (std::shared_mutex), with a poison flag
// that is set when a fault unwinds through a write guard, so that nobody later trusts a value that
// a writer may have left half-changed. The flag is never cleared.
#pragma once

#include <atomic>
#include <exception>
#include <expected>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <utility>

#include "core/fault.hpp"

namespace qzr {

// The error of an acquisition that found the lock poisoned.
struct PoisonError {
  // "PoisonError { .. }": the text that store errors and fault messages carry.
  std::string debug() const { return "PoisonError { .. }"; }
};

// Any number of readers or one writer at a time. A fault in a reader does not poison the lock.
// Precondition of every acquisition: the calling thread does not already hold this lock (the
// underlying mutex is not recursive; acquiring it twice deadlocks or is undefined).
template <class T>
class PoisonableRwLock {
 public:
  class ReadGuard;
  class WriteGuard;

  explicit PoisonableRwLock(T value = T()) : m_value(std::move(value)) {}
  PoisonableRwLock(const PoisonableRwLock&) = delete;
  PoisonableRwLock& operator=(const PoisonableRwLock&) = delete;

  // Faults with "called `Result::unwrap()` on an `Err` value: PoisonError { .. }" on a poisoned
  // lock, a broken invariant. Shared access.
  ReadGuard read() { return unwrap(read_unless_poisoned()); }
  // Faults on a poisoned lock like read(). Exclusive access.
  WriteGuard write() { return unwrap(write_unless_poisoned()); }

  // The same acquisitions with a poisoned lock reported as a value (the lock is then released
  // again before returning).
  [[nodiscard]] std::expected<ReadGuard, PoisonError> read_unless_poisoned() {
    ReadGuard guard(*this);
    if (is_poisoned()) return std::unexpected(PoisonError{});
    return guard;
  }
  [[nodiscard]] std::expected<WriteGuard, PoisonError> write_unless_poisoned() {
    WriteGuard guard(*this);
    if (is_poisoned()) return std::unexpected(PoisonError{});
    return guard;
  }

  // Shared access without waiting, whether poisoned or not (to show the value in a debug text);
  // nothing when a writer holds the lock.
  std::optional<ReadGuard> try_read_ignoring_poison() {
    if (!m_mutex.try_lock_shared()) return std::nullopt;
    return ReadGuard(*this, std::adopt_lock);
  }

  bool is_poisoned() const { return m_poisoned.load(std::memory_order_acquire); }

  // Holds the lock shared until destroyed (or moved from).
  class ReadGuard {
   public:
    ReadGuard(ReadGuard&& other) noexcept : m_lock(std::exchange(other.m_lock, nullptr)) {}
    ReadGuard& operator=(ReadGuard&&) = delete;
    ~ReadGuard() {
      if (m_lock) m_lock->m_mutex.unlock_shared();
    }
    const T& operator*() const { return m_lock->m_value; }
    const T* operator->() const { return &m_lock->m_value; }

   private:
    friend class PoisonableRwLock;
    explicit ReadGuard(PoisonableRwLock& lock) : m_lock(&lock) { lock.m_mutex.lock_shared(); }
    ReadGuard(PoisonableRwLock& lock, std::adopt_lock_t) : m_lock(&lock) {}
    PoisonableRwLock* m_lock;
  };

  // Holds the lock exclusively until destroyed (or moved from). When it is destroyed by an
  // exception unwinding past it (a fault), it poisons the lock before releasing it.
  class WriteGuard {
   public:
    WriteGuard(WriteGuard&& other) noexcept
        : m_lock(std::exchange(other.m_lock, nullptr)), m_exceptions_at_entry(other.m_exceptions_at_entry) {}
    WriteGuard& operator=(WriteGuard&&) = delete;
    ~WriteGuard() {
      if (!m_lock) return;
      if (std::uncaught_exceptions() > m_exceptions_at_entry) {
        m_lock->m_poisoned.store(true, std::memory_order_release);
      }
      m_lock->m_mutex.unlock();
    }
    T& operator*() const { return m_lock->m_value; }
    T* operator->() const { return &m_lock->m_value; }

   private:
    friend class PoisonableRwLock;
    explicit WriteGuard(PoisonableRwLock& lock)
        : m_lock(&lock), m_exceptions_at_entry(std::uncaught_exceptions()) {
      lock.m_mutex.lock();
    }
    PoisonableRwLock* m_lock;
    int m_exceptions_at_entry;
  };

 private:
  template <class Guard>
  static Guard unwrap(std::expected<Guard, PoisonError>&& result) {
    if (!result) fault_unwrapped(result.error());
    return std::move(*result);
  }

  std::shared_mutex m_mutex;
  std::atomic<bool> m_poisoned{false};
  T m_value;
};

}  // namespace qzr
