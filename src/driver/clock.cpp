#include "driver/clock.hpp"

#include <chrono>
#include <ctime>

namespace arribada::driver {
namespace {

// The local time of `seconds`, from the system's thread-safe conversion.
std::tm localTime(std::time_t seconds) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &seconds);
#else
  localtime_r(&seconds, &local);
#endif
  return local;
}

}  // namespace

DateTime SystemClock::now() {
  const auto stamp = std::chrono::system_clock::now();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(stamp);
  const std::tm local = localTime(seconds);
  const auto sinceSecond = stamp - std::chrono::system_clock::from_time_t(seconds);
  DateTime t;
  t.year = local.tm_year + 1900;
  t.month = local.tm_mon + 1;
  t.day = local.tm_mday;
  t.hour = local.tm_hour;
  t.minute = local.tm_min;
  t.second = local.tm_sec;
  t.hundredths = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceSecond).count() / 10);
  return t;
}

}  // namespace arribada::driver
