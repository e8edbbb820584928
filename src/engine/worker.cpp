#include "engine/worker.hpp"

#include "engine/thread_wait.hpp"

namespace arribada::engine {

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
