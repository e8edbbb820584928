#include "engine/hot_loops.hpp"  // first: see there
#include "engine/fast/worker.hpp"

#include "engine/fast/thread_wait.hpp"

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

namespace arribada::engine {

// Linux tends to wake a thread on the core of the thread that wakes it, and
// then leaves the two sharing that core for many milliseconds (dozens of
// replicates) while another core stands idle. So the worker is kept off the
// owner's core: its allowed cores are the owner's, less the one the owner
// now runs on, looked at again at every start. With a single allowed core,
// or where the system refuses, nothing changes. Other systems schedule
// their own way and are left to it.
void Worker::keepOffOwnersCore() {
#if defined(__linux__)
  const int core = sched_getcpu();
  if (core < 0 || core == avoidedCore_) return;
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return;
  if (!CPU_ISSET(core, &allowed) || CPU_COUNT(&allowed) < 2) return;
  CPU_CLR(core, &allowed);
  if (pthread_setaffinity_np(thread_.native_handle(), sizeof allowed, &allowed) == 0) avoidedCore_ = core;
#endif
}

Worker::~Worker() {
  if (!thread_.joinable()) return;
  wait();
  stop_ = true;
  started_.fetch_add(1, std::memory_order_release);
  wakeOne(started_);
  thread_.join();
}

void Worker::start(std::function<void()> task) {
  wait();
  task_ = std::move(task);
  if (!thread_.joinable()) thread_ = std::thread([this] { loop(); });
  keepOffOwnersCore();
  started_.fetch_add(1, std::memory_order_release);
  wakeOne(started_);
}

void Worker::wait() {
  for (;;) {
    const std::uint32_t done = finished_.load(std::memory_order_acquire);
    if (done == started_.load(std::memory_order_relaxed)) return;
    waitWhile(finished_, done);
  }
}

void Worker::loop() {
  for (std::uint32_t seen = 0;;) {
    waitWhile(started_, seen);
    seen = started_.load(std::memory_order_acquire);
    if (stop_) return;
    task_();  // runSecond, which catches everything
    finished_.store(seen, std::memory_order_release);
    wakeAll(finished_);
  }
}

}  // namespace arribada::engine
