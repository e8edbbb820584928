#pragma once
// arribada --design FILE [--results DIR]: a design search without the
// dialogue. The table and the recommendation go to `out`; the run's plan, a
// time estimate, progress and faults to `errors`. The results folder
// (DIR, or the design file's name with "-designs" for its extension) is
// refused when it exists; it is written under another name beside it and
// takes its name only when its three files are whole, so that a stopped or
// failed search leaves no folder of that name.
//
// The same search spread over a cluster, one task per scenario:
//   arribada --design FILE --tasks                 the number of tasks, alone on `out`
//   arribada --design FILE --task K --results DIR  task K's part written into DIR (made when missing)
//   arribada --collect DIR --results OUT           the parts checked and combined: the same
//                                                  table and files as the one-shot search
//
// A standard output that cannot be written (closed, a broken pipe) does not
// stop the work: the files are finished, then the status is 2 with a line
// on `errors` saying what became of the table.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

namespace arribada::driver {

// Each returns the exit status: 0; 2 after a fault (its message on
// `errors`); 128 + the signal after an interrupt. `wide` prints the full
// table instead of the one that fits 80 columns.
int runDesignSearch(const std::string& designFile, const std::optional<std::string>& resultsDirectory,
                    std::ostream& out, std::ostream& errors, bool wide = false);
int printTaskCount(const std::string& designFile, std::ostream& out, std::ostream& errors);
int runDesignTask(const std::string& designFile, std::int32_t task, const std::string& partsDirectory,
                  std::ostream& errors);
int collectDesignTasks(const std::string& partsDirectory, const std::string& resultsDirectory, std::ostream& out,
                       std::ostream& errors, bool wide = false);

// The folder a design file's results go to without --results: beach.design -> beach-designs.
std::string defaultDesignFolder(const std::string& designFile);

}  // namespace arribada::driver
