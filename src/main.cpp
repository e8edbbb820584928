// The arribada program: estimates of nesting female sea turtles from
// instantaneous counts, and simulations of the estimator.

#include <iostream>
#include <string>
#include <vector>

#include "driver/program.hpp"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  arribada::driver::SystemClock clock;
  return arribada::driver::runProgram(std::cin, std::cout, std::cerr, arguments, clock);
}
