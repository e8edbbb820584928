#pragma once
// What a design search leaves for people: the console's table and
// recommendation as text, and the results folder's files
//
//   designs.csv            one row per design and scenario (docs/method.md explains every column)
//   design-replicates.csv  one row per design, scenario and replicate: MHAT, VARM, VARTR, VARTI, the limits
//   designs.svg            observer-hours against relative RMSE, one panel per scenario
//
// Nothing here writes to the console: the caller prints the texts.

#include <string>
#include <vector>

#include "design/search.hpp"
#include "results/csv.hpp"

namespace arribada::design {

// The row of designs.csv for one design in one scenario.
results::NamedRow designRow(const SearchSettings& settings, const DesignRow& row);

// The table sorted by cost, the skipped designs with their reasons, and the
// recommendation on its own last line.
std::string searchTable(const SearchSettings& settings, const SearchResult& search);

// The texts of designs.csv and design-replicates.csv (empty when the search has no such rows).
std::string designsCsv(const SearchSettings& settings, const SearchResult& search);
std::string designReplicatesCsv(const SearchSettings& settings, const SearchResult& search);

// Writes the three files into the existing folder `folder` (each created
// new; a RunTimeError when one exists or cannot be written).
void writeSearchFiles(const std::string& folder, const SearchSettings& settings, const SearchResult& search,
                      const std::vector<ScenarioResult>& results);

// The picture alone, as an SVG document.
std::string searchPicture(const SearchSettings& settings, const SearchResult& search,
                          const std::vector<ScenarioResult>& results);

}  // namespace arribada::design
