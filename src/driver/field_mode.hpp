#pragma once
// arribada --field FILE...: the survey files analysed without the dialogue,
// one night each. A table of the nights and their total goes to standard
// output, what is being read and any warning to the error output; with
// --results, field.csv and field.svg go into the new folder.

#include <ostream>

#include "driver/options.hpp"

namespace arribada::driver {

// Returns the exit status: 0, or 2 after a message on `errors`.
int runFieldAnalysis(const Options& options, std::ostream& out, std::ostream& errors);

}  // namespace arribada::driver
