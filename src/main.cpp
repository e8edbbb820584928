// The arribada program: estimates of nesting female sea turtles from
// instantaneous counts, and simulations of the estimator.

#include <cerrno>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/design_run.hpp"
#include "driver/field_mode.hpp"
#include "driver/options.hpp"
#include "driver/program.hpp"
#include "driver/system.hpp"
#include "text/errors.hpp"

namespace {

// A text for the standard output; status 2 with a message when it cannot be
// written (the output closed, a full disk), as command-line tools do.
int printed(const std::string& text) {
  std::cout << text << std::flush;
  if (std::cout) return 0;
  std::cerr << "arribada: write failed on the standard output: " << std::strerror(errno) << '\n';
  return arribada::text::kRunTimeErrorStatus;
}

}  // namespace

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  arribada::driver::Options options;
  try {
    options = arribada::driver::parseOptions(arribada::driver::commandLineArguments(argc, argv));
  } catch (const std::invalid_argument& error) {
    std::cerr << "arribada: " << error.what() << '\n';
    return arribada::text::kRunTimeErrorStatus;
  }
  switch (options.action) {
    case arribada::driver::Options::Action::Version:
      return printed(arribada::driver::versionText());
    case arribada::driver::Options::Action::Help:
      return printed(arribada::driver::helpText());
    case arribada::driver::Options::Action::Field:
      return arribada::driver::runFieldAnalysis(options, std::cout, std::cerr);
    case arribada::driver::Options::Action::Design:
      return arribada::driver::runDesignSearch(*options.designFile, options.resultsDirectory, std::cout, std::cerr,
                                                 options.wide);
    case arribada::driver::Options::Action::Run:
      break;
  }
  arribada::driver::SystemClock clock;
  const int status = arribada::driver::runProgram(std::cin, std::cout, std::cerr, options, clock);
  // Started by a double click, the window would close before the last lines could be read.
  if (arribada::driver::windowClosesWithTheProgram()) arribada::driver::waitForEnter(std::cin, std::cerr);
  return status;
}
