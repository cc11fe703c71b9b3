// PoisonableRwLock: readers share, a writer excludes, and a fault unwinding through a write guard
// poisons the lock for good.
#include "core/poisonable_rw_lock.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "core_test_support.hpp"

namespace qzr {
namespace {

const char* const poison_fault = "called `Result::unwrap()` on an `Err` value: PoisonError { .. }";

TEST(PoisonableRwLock, GuardsGiveAccessAndRelease) {
  PoisonableRwLock<std::vector<int>> lock({1});
  lock.write()->push_back(2);
  EXPECT_EQ(*lock.read(), (std::vector<int>{1, 2}));
  {
    auto first = lock.read();
    auto second = lock.read_unless_poisoned();  // readers share
    ASSERT_TRUE(second.has_value());
    EXPECT_EQ(&**second, &*first);
  }
  auto writer = lock.write_unless_poisoned();
  ASSERT_TRUE(writer.has_value());
  (*writer)->clear();
  auto moved = std::move(*writer);
  EXPECT_TRUE(moved->empty());
}

TEST(PoisonableRwLock, OnlyAFaultUnwindingThroughAWriteGuardPoisons) {
  struct Case {
    const char* name;
    void (*scenario)(PoisonableRwLock<int>&);
    bool poisons;
  };
  static const Case cases[] = {
      {"fault while writing",
       [](PoisonableRwLock<int>& lock) {
         auto guard = lock.write();
         *guard = 7;
         fault("writer stopped");
       },
       true},
      {"fault while reading",
       [](PoisonableRwLock<int>& lock) {
         auto guard = lock.read();
         fault("reader stopped");
       },
       false},
      {"fault caught inside the write scope",
       [](PoisonableRwLock<int>& lock) {
         auto guard = lock.write();
         try {
           fault("handled");
         } catch (const Fault&) {
         }
       },
       false},
      {"write guard used and released inside a destructor during unwinding",
       [](PoisonableRwLock<int>& lock) {
         struct WritesOnExit {
           PoisonableRwLock<int>& lock;
           ~WritesOnExit() { *lock.write() = 9; }
         } writes_on_exit{lock};
         fault("unrelated");
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PoisonableRwLock<int> lock(1);
    (void)fault_message_of([&] { c.scenario(lock); });
    EXPECT_EQ(lock.is_poisoned(), c.poisons);
    if (!c.poisons) {
      EXPECT_TRUE(lock.read_unless_poisoned().has_value());
      continue;
    }
    EXPECT_EQ(lock.read_unless_poisoned().error().debug(), "PoisonError { .. }");
    EXPECT_EQ(lock.write_unless_poisoned().error().debug(), "PoisonError { .. }");
    EXPECT_EQ(fault_message_of([&] { (void)lock.read(); }), poison_fault);
    EXPECT_EQ(fault_message_of([&] { (void)lock.write(); }), poison_fault);
    // The lock was released on every path, and the value the writer left can still be shown.
    auto shown = lock.try_read_ignoring_poison();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(**shown, 7);
  }
}

TEST(PoisonableRwLock, TryReadFailsOnlyWhileAWriterHolds) {
  PoisonableRwLock<int> lock(3);
  auto try_from_other_thread = [&] {
    bool got = false;
    std::thread([&] { got = lock.try_read_ignoring_poison().has_value(); }).join();
    return got;
  };
  {
    auto reader = lock.read();
    EXPECT_TRUE(try_from_other_thread());
  }
  {
    auto writer = lock.write();
    EXPECT_FALSE(try_from_other_thread());
  }
  EXPECT_TRUE(try_from_other_thread());
}

TEST(PoisonableRwLock, WritersExcludeEachOther) {
  PoisonableRwLock<long> lock(0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < 10000; ++i) {
        auto guard = lock.write();
        long value = *guard;
        *guard = value + 1;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(*lock.read(), 40000);
}

}  // namespace
}  // namespace qzr
