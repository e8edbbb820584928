#pragma once
// The main program: the report file, the date-and-time stamps and the job
// loop, each job a field-data analysis or a simulation of IREP replicates.

#include <iosfwd>
#include <string>
#include <vector>

#include "driver/clock.hpp"
#include "driver/options.hpp"

namespace arribada::driver {

// Runs the program on the given console. `options.names` are used only as
// names of files whose names were left blank; with `options.resultsDirectory`
// the results folder is created before the first question and gets the
// tables and pictures of every job. Returns the exit status: 0 after an
// orderly stop, 2 after a run-time error (its message is written to `errors`).
int runProgram(std::istream& keyboard, std::ostream& screen, std::ostream& errors, const Options& options,
               Clock& clock);

}  // namespace arribada::driver
