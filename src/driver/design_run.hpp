#pragma once
// arribada --design FILE [--results DIR]: a design search without the
// dialogue. The table and the recommendation go to `out`; the run's plan, a
// time estimate, progress and faults to `errors`. The results folder
// (DIR, or the design file's name with "-designs" for its extension) is
// created before any work and refused when it exists.

#include <iosfwd>
#include <optional>
#include <string>

namespace arribada::driver {

// Returns the exit status: 0, or 2 after a fault (its message on `errors`, and no folder for a faulty file).
// `wide` prints the full table instead of the one that fits 80 columns.
int runDesignSearch(const std::string& designFile, const std::optional<std::string>& resultsDirectory,
                    std::ostream& out, std::ostream& errors, bool wide = false);

// The folder a design file's results go to without --results: beach.design -> beach-designs.
std::string defaultDesignFolder(const std::string& designFile);

}  // namespace arribada::driver
