// Worker threads are joined however their owner leaves; an error of the owner stops them first.

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "support/WorkerThreads.h"

using namespace qmz;

TEST(WorkerThreads, AnErrorOfTheOwnerStopsAndJoinsTheWorkersAJoinDoesNotStop) {
  std::atomic<bool> stop{false};
  std::atomic<int> ended{0};
  const auto untilStopped = [&] {
    while (!stop.load()) std::this_thread::yield();
    ended.fetch_add(1);
  };
  try {
    WorkerThreads workers([&] { stop.store(true); });
    ASSERT_TRUE(workers.Start(untilStopped));
    ASSERT_TRUE(workers.Start(untilStopped));
    EXPECT_EQ(workers.Count(), 2u);
    throw std::runtime_error("hook");
  } catch (const std::runtime_error&) {
    EXPECT_EQ(ended.load(), 2);  // both ran to their end before the error arrived here
  }
  // Joined in the normal way, the workers finish their work: the stop is not asked for.
  stop.store(false);
  int counted = 0;
  {
    WorkerThreads workers([&] { stop.store(true); });
    ASSERT_TRUE(workers.Start([&] {
      for (int i = 0; i < 1000 && !stop.load(); ++i) ++counted;
    }));
    workers.Join();
  }
  EXPECT_EQ(counted, 1000);
  EXPECT_FALSE(stop.load());
}
