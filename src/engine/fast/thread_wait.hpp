#pragma once
// Waiting for another thread to change an atomic word, and waking the
// threads that wait on it. A waiter looks for a while first (kSpinTime),
// then sleeps in the system's own wait on that word: the futex behind
// std::atomic::wait on Linux and macOS, WaitOnAddress on Windows, where the
// MinGW-w64 runtime's std::atomic::wait can sleep through a notify for ever.
//
// The rules are std::atomic::wait's: store the new value, then wake; a
// waiter returns only once it has seen a value other than `old`.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <thread>
#include <type_traits>

namespace arribada::engine {

namespace detail {
// A waiter looks for this long before it goes to sleep (a shared replicate
// of the default job takes about a quarter of a millisecond, and a sleeping
// thread takes tens of microseconds to wake, or longer when the system
// has put it on the core of the thread that wakes it), and gives the
// processor up after every kLooksPerYield looks, so that a thread it
// waits for on the same core runs at once instead of a time slice later.
constexpr auto kSpinTime = std::chrono::milliseconds(2);
constexpr int kLooksPerYield = 64;

#ifdef _WIN32
// Sleeps until the `size` bytes at `address` may differ from those at `old`
// (it can also return without a change: the caller looks again).
void sleepWhileEqual(const volatile void* address, const void* old, std::size_t size);
void wakeOneAt(const volatile void* address);
void wakeAllAt(const volatile void* address);
#endif
}  // namespace detail

// Returns once `flag` no longer holds `old` (read with acquire order).
template <class T>
void waitWhile(const std::atomic<T>& flag, T old) {
  static_assert(std::is_trivially_copyable_v<T> && std::atomic<T>::is_always_lock_free);
  const auto until = std::chrono::steady_clock::now() + detail::kSpinTime;
  for (;;) {
    for (int look = 0; look < detail::kLooksPerYield; ++look) {
      if (flag.load(std::memory_order_acquire) != old) return;
    }
    if (std::chrono::steady_clock::now() >= until) break;
    std::this_thread::yield();
  }
#ifdef _WIN32
  static_assert(sizeof(std::atomic<T>) == sizeof(T));  // the word waited on is the value itself
  while (flag.load(std::memory_order_acquire) == old) detail::sleepWhileEqual(&flag, &old, sizeof(T));
#else
  flag.wait(old, std::memory_order_acquire);
#endif
}

// Wakes one thread waiting on `flag`, after its new value is stored.
template <class T>
void wakeOne(std::atomic<T>& flag) {
#ifdef _WIN32
  detail::wakeOneAt(&flag);
#else
  flag.notify_one();
#endif
}

// Wakes every thread waiting on `flag`, after its new value is stored.
template <class T>
void wakeAll(std::atomic<T>& flag) {
#ifdef _WIN32
  detail::wakeAllAt(&flag);
#else
  flag.notify_all();
#endif
}

}  // namespace arribada::engine
