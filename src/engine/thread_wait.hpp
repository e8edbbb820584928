#pragma once
// Waiting for another thread to change an atomic word, and waking the
// threads that wait on it. A waiter looks for a short while first (a
// replicate of the default job takes well under a millisecond on two
// threads, and a sleeping thread takes tens of microseconds to wake), then
// sleeps in the system's own wait on that word: the futex behind
// std::atomic::wait on Linux and macOS, WaitOnAddress on Windows, where the
// MinGW-w64 runtime's std::atomic::wait can sleep through a notify for ever.
//
// The rules are std::atomic::wait's: store the new value, then wake; a
// waiter returns only once it has seen a value other than `old`.

#include <atomic>
#include <cstddef>
#include <type_traits>

namespace arribada::engine {

namespace detail {
// Looks this many times before going to sleep.
constexpr int kSpins = 1 << 15;

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
  for (int spin = 0; spin < detail::kSpins; ++spin) {
    if (flag.load(std::memory_order_acquire) != old) return;
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
