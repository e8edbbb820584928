#pragma once
// The two ways a run ends early: a run-time error (a failed open, an unreadable
// value, an end of input, a refused value from a file) and an orderly stop.

#include <stdexcept>
#include <string>

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

}  // namespace arribada::text
