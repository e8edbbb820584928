#pragma once
// A thread kept for a whole simulation job that runs one task at a time for
// the thread that owns it: started with the first shared replicate, asleep
// between replicates. (A thread started afresh for every replicate was often
// first run on the core of the thread that started it, and the two then
// shared one core for milliseconds.)
//
// Protocol: the owner writes task_ (and stop_) and then publishes them by
// incrementing started_ with release order; the worker, having seen the new
// value of started_ with acquire order, reads them and runs the task, then
// publishes everything the task wrote by storing the count it saw in
// finished_ with release order; the owner's wait() returns once it sees
// finished_ == started_ with acquire order. Only the owner calls start(),
// wait() and the destructor.

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

namespace arribada::engine {

class Worker {
 public:
  Worker() = default;
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;
  // Has `task` run on the worker thread (started on first use); waits for the previous task first.
  void start(std::function<void()> task);
  // Waits for the task started last (at once if there is none).
  void wait();

 private:
  void loop();
  void keepOffOwnersCore();

  std::thread thread_;
  std::function<void()> task_;  // written by the owner before started_ is published
  bool stop_ = false;           // likewise
  std::atomic<std::uint32_t> started_{0};   // tasks started: owner increments, release
  std::atomic<std::uint32_t> finished_{0};  // tasks finished: worker stores, release
  int avoidedCore_ = -1;                     // the owner's core the worker is kept off (owner only)
};

}  // namespace arribada::engine
