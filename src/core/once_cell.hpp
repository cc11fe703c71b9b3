// OnceCell: a value built once, on first read, by the function the first reader gives, and shared
// read-only afterwards. Unlike std::call_once, a build that faults is not retried: the cell stays
// failed and every later read faults with "Once has panicked".
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "core/fault.hpp"

namespace qzr {

// Thread-safe. Readers that arrive while another thread builds wait for it. The build runs
// without the cell's mutex held, so it may read other cells; reading the same cell from inside
// its own build is a fault (it could never complete). Give a cell static storage as a
// function-local static (`static OnceCell<Table> cell; return cell.get_or_init(build_table);`),
// so that it exists before its first reader whatever the order of static initialisation.
template <class T>
class OnceCell {
 public:
  OnceCell() = default;
  OnceCell(const OnceCell&) = delete;
  OnceCell& operator=(const OnceCell&) = delete;

  // Faults with "Once has panicked" when an earlier build stopped by a fault or any other
  // exception, and with "OnceCell read from inside its own build" when called by this cell's
  // build. The value, built by `build()` (which returns a T) if no value exists yet; a build that
  // stops by an exception passes it on and leaves the cell failed.
  template <class Build>
  const T& get_or_init(Build&& build) {
    if (m_state.load(std::memory_order_acquire) == State::Ready) return *m_value;
    {
      std::unique_lock lock(m_mutex);
      if (m_state.load(std::memory_order_relaxed) == State::Building &&
          m_builder == std::this_thread::get_id()) {
        fault("OnceCell read from inside its own build");
      }
      m_changed.wait(lock, [this] { return m_state.load(std::memory_order_relaxed) != State::Building; });
      switch (m_state.load(std::memory_order_relaxed)) {
        case State::Ready: return *m_value;
        case State::Failed: fault("Once has panicked");
        case State::Empty:
        case State::Building: break;
      }
      m_state.store(State::Building, std::memory_order_relaxed);
      m_builder = std::this_thread::get_id();
    }
    // Marks the cell failed unless the build completes: an exception unwinding through here
    // (a Fault) passes on untouched.
    struct FailUnlessDone {
      OnceCell& cell;
      bool done = false;
      ~FailUnlessDone() {
        if (!done) cell.finish(State::Failed);
      }
    } guard{*this};
    m_value.emplace(std::forward<Build>(build)());
    guard.done = true;
    finish(State::Ready);
    return *m_value;
  }

  // Faults with "Once has panicked" when the build failed. The value if it has been built, else
  // nullptr (without building).
  const T* get() const {
    State state = m_state.load(std::memory_order_acquire);
    if (state == State::Ready) return &*m_value;
    if (state == State::Failed) fault("Once has panicked");
    return nullptr;
  }

 private:
  enum class State { Empty, Building, Ready, Failed };

  void finish(State state) {
    {
      std::lock_guard lock(m_mutex);
      m_builder = {};
      m_state.store(state, std::memory_order_release);
    }
    m_changed.notify_all();
  }

  std::atomic<State> m_state{State::Empty};
  std::mutex m_mutex;
  std::condition_variable m_changed;
  std::thread::id m_builder;
  std::optional<T> m_value;
};

}  // namespace qzr
