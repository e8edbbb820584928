#pragma once
// The main program: the report file, the date-and-time stamps and the job
// loop, each job a field-data analysis or a simulation of IREP replicates.

#include <iosfwd>
#include <string>
#include <vector>

#include "driver/clock.hpp"

namespace arribada::driver {

// Runs the program on the given console. `arguments` are the command-line
// arguments, used only as names of files whose names were left blank.
// Returns the exit status: 0 after an orderly stop, 2 after a run-time error
// (its message is written to `errors`).
int runProgram(std::istream& keyboard, std::ostream& screen, std::ostream& errors,
               std::vector<std::string> arguments, Clock& clock);

}  // namespace arribada::driver
