#include "engine/fast/thread_wait.hpp"

#ifdef _WIN32
#include <windows.h>

namespace arribada::engine::detail {

void sleepWhileEqual(const volatile void* address, const void* old, std::size_t size) {
  // WaitOnAddress compares the bytes itself before it sleeps, so a change made
  // between the caller's look and this call is never slept through.
  WaitOnAddress(const_cast<volatile void*>(address), const_cast<void*>(old), size, INFINITE);
}

void wakeOneAt(const volatile void* address) { WakeByAddressSingle(const_cast<void*>(address)); }

void wakeAllAt(const volatile void* address) { WakeByAddressAll(const_cast<void*>(address)); }

}  // namespace arribada::engine::detail
#endif
