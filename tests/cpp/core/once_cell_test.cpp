// OnceCell: one build, shared afterwards; a failed build leaves the cell failed for good.
#include "core/once_cell.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core_test_support.hpp"

namespace qzr {
namespace {

TEST(OnceCell, BuildsOnceOnFirstRead) {
  OnceCell<std::vector<int>> cell;
  int builds = 0;
  auto build = [&] {
    ++builds;
    return std::vector<int>{1, 2, 3};
  };
  EXPECT_EQ(cell.get(), nullptr);
  const std::vector<int>& first = cell.get_or_init(build);
  const std::vector<int>& second = cell.get_or_init(build);
  EXPECT_EQ(builds, 1);
  EXPECT_EQ(&first, &second);
  EXPECT_EQ(first, (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(cell.get(), &first);
}

TEST(OnceCell, AFailedBuildIsNeverRetried) {
  struct Case {
    const char* name;
    void (*failing_build)();
    const char* first_message;  // what the first reader sees
  };
  static const Case cases[] = {
      {"fault", [] { fault("table broken"); }, "table broken"},
      {"other exception", [] { throw std::runtime_error("boom"); }, "no fault"},
      {"read of the same cell inside its build", nullptr, "OnceCell read from inside its own build"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OnceCell<int> cell;
    std::string first = fault_message_of([&] {
      try {
        cell.get_or_init([&] {
          if (c.failing_build) {
            c.failing_build();
          } else {
            cell.get_or_init([] { return 2; });
          }
          return 1;
        });
      } catch (const std::runtime_error&) {
      }
    });
    EXPECT_EQ(first, c.first_message);
    int builds = 0;
    EXPECT_EQ(fault_message_of([&] { cell.get_or_init([&] { return ++builds; }); }), "Once has panicked");
    EXPECT_EQ(fault_message_of([&] { cell.get(); }), "Once has panicked");
    EXPECT_EQ(builds, 0);
  }
}

TEST(OnceCell, ConcurrentFirstReadersWaitForOneBuilder) {
  OnceCell<std::string> cell;
  std::atomic<int> builds{0};
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  std::vector<const std::string*> seen(8, nullptr);
  for (std::size_t i = 0; i < seen.size(); ++i) {
    threads.emplace_back([&, i] {
      while (!go.load()) std::this_thread::yield();
      seen[i] = &cell.get_or_init([&] {
        ++builds;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return std::string("built");
      });
    });
  }
  go.store(true);
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(builds.load(), 1);
  for (const std::string* value : seen) {
    ASSERT_EQ(value, seen.front());
    EXPECT_EQ(*value, "built");
  }
}

TEST(OnceCell, AReaderWaitingOnAFailingBuildFaults) {
  OnceCell<int> cell;
  std::atomic<bool> building{false};
  std::atomic<bool> release{false};
  std::string builder_message;
  std::thread builder([&] {
    builder_message = fault_message_of([&] {
      cell.get_or_init([&]() -> int {
        building.store(true);
        while (!release.load()) std::this_thread::yield();
        fault("build failed");
      });
    });
  });
  while (!building.load()) std::this_thread::yield();
  std::string waiter_message;
  std::thread waiter([&] { waiter_message = fault_message_of([&] { cell.get_or_init([] { return 0; }); }); });
  // Give the waiter time to block on the build in progress; it faults the same way if it comes late.
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  release.store(true);
  builder.join();
  waiter.join();
  EXPECT_EQ(builder_message, "build failed");
  EXPECT_EQ(waiter_message, "Once has panicked");
}

}  // namespace
}  // namespace qzr
