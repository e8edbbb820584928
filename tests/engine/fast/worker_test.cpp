// The second thread of a replicate: tasks run in order and their work is
// seen after wait(), also once the worker has gone to sleep; on Linux it
// runs off its owner's core.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "engine/fast/worker.hpp"

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

namespace arribada::engine {
namespace {

TEST(Worker, RunsTasksInOrderAlsoAfterItHasGoneToSleep) {
  Worker worker;
  std::vector<int> done;  // written by the tasks only, read after wait()
  for (int task = 0; task < 4; ++task) {
    // Longer than a waiter looks before it sleeps: the later starts wake a sleeping worker.
    if (task >= 2) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    worker.start([&done, task] { done.push_back(task); });
    worker.wait();
    ASSERT_EQ(done.size(), static_cast<std::size_t>(task + 1));
  }
  EXPECT_EQ(done, (std::vector<int>{0, 1, 2, 3}));
}

#if defined(__linux__)
TEST(Worker, KeepsOffTheCoreItsOwnerRunsOn) {
  cpu_set_t owner;
  CPU_ZERO(&owner);
  ASSERT_EQ(sched_getaffinity(0, sizeof owner, &owner), 0);
  if (CPU_COUNT(&owner) < 2) GTEST_SKIP() << "one core allowed: nothing to keep off";
  Worker worker;
  cpu_set_t own;
  CPU_ZERO(&own);
  int ranOn = -1;
  worker.start([&] {
    pthread_getaffinity_np(pthread_self(), sizeof own, &own);
    ranOn = sched_getcpu();
  });
  worker.wait();
  // One core fewer than the owner's, all of them the owner's, and it ran on one of them.
  EXPECT_EQ(CPU_COUNT(&own), CPU_COUNT(&owner) - 1);
  cpu_set_t both;
  CPU_AND(&both, &own, &owner);
  EXPECT_TRUE(CPU_EQUAL(&both, &own));
  EXPECT_TRUE(ranOn >= 0 && CPU_ISSET(ranOn, &own));
}
#endif

}  // namespace
}  // namespace arribada::engine
