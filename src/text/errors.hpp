#pragma once
// The two ways a run ends early: a run-time error (a failed open, an unreadable
// value, an end of input, a refused value from a file) and an orderly stop.

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace arribada::text {

// A failure that ends the run with a message on the console and exit status 2.
// The message names the operation, the unit or file, the place and the
// offending text.
class RunTimeError : public std::runtime_error {
 public:
  explicit RunTimeError(const std::string& message) : std::runtime_error(message) {}
};

// The program's plain stop: "Stop - Program terminated." and exit status 0.
class OrderlyStop {};

inline constexpr int kRunTimeErrorStatus = 2;

// A real as the messages quote it: six significant digits in the shorter of
// the fixed and exponent forms (2.5, 0.001, 1e+30).
inline std::string shortReal(float value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(value));
  return buffer;
}

// Whole numbers as the messages list them: "1, 2, 3".
inline std::string numberList(const std::vector<std::int32_t>& values) {
  std::string text;
  for (const std::int32_t v : values) text += (text.empty() ? "" : ", ") + std::to_string(v);
  return text;
}

}  // namespace arribada::text
