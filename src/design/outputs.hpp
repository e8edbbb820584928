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

// What the three files of a search are expected to take, in bytes, from
// the rows they get: designs.csv one per scenario and design,
// design-replicates.csv one per scenario, design and replicate, and
// designs.svg one panel per scenario with a point per design. The bytes per
// row are those of the shipped example's files, rounded up.
struct OutputSize {
  double rows = 0.0;           // of designs.csv
  double replicateRows = 0.0;  // of design-replicates.csv
  double designs = 0.0, replicates = 0.0, picture = 0.0;
  double total() const { return designs + replicates + picture; }
};
OutputSize expectedOutputSize(const SearchSettings& settings);

// The row of designs.csv for one design in one scenario.
results::NamedRow designRow(const SearchSettings& settings, const DesignRow& row);

// The console's table: `narrow` fits 80 columns (the recommendation first,
// then designs by cost with their precision and coverage, the scenarios' key
// and the skipped designs); `wide` is the full table, one line per design
// and scenario, the recommendation on its own last line.
enum class TableWidth { narrow, wide };
inline constexpr std::size_t kScreenColumns = 80;
inline constexpr std::size_t kNoWrap = 0;
std::string searchTable(const SearchSettings& settings, const SearchResult& search,
                        TableWidth width = TableWidth::narrow);

// One warning per design whose feasible round lasts longer than
// kLongestInstantRoundMinutes, for the error output.
std::vector<std::string> longRoundWarnings(const SearchResult& search);

// Hours (or minutes) as people write them: one decimal ("6.7").
std::string hoursText(double hours);

// `text` broken at spaces into lines of at most `width` characters (a word
// longer stays whole), the later lines indented by two; kNoWrap leaves it whole.
std::string wrapped(const std::string& text, std::size_t width);

// Writes the three files into the existing folder `folder` (each created
// new; a RunTimeError when one exists or cannot be written).
void writeSearchFiles(const std::string& folder, const SearchSettings& settings, const SearchResult& search,
                      const std::vector<ScenarioResult>& results);

// The picture alone, as an SVG document.
std::string searchPicture(const SearchSettings& settings, const SearchResult& search,
                          const std::vector<ScenarioResult>& results);

}  // namespace arribada::design
