#pragma once
// Emscripten's older libc++ has <bit> without std::bit_cast, which the fast
// path's kernels use; the compiler's builtin does the same. The page's build
// includes this header ahead of every source (web/build.sh).
#include <bit>
#if !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
