#pragma once
// A survey saved from a spreadsheet as CSV: one night (or count period).
//
//   # AREA = 0.08                 the survey's values, one `# NAME = value`
//   # WIDTH = 2                   line each, in the field-data file's units
//   # MEANT_SE = 1.5
//   time,T1,T2,T3                 the header row: the time column, then one
//   19:00,3,7,3                   column per transect; one row per sampling
//   21:00,9,12,8                  time
//
// Values: AREA (km^2), WIDTH (transect half-width, m), MEANT (minutes) and
// LENGTH (m) are required, and HOURS unless the times give it; WEIGHTS (one
// per transect), MEANT_SE (minutes), DURATIONS (the minutes of the timed
// females, which give MEANT and its standard error instead), TITLE, DATE
// (YYYY-MM-DD, naming the night) and STRIPS (each transect's strip on a
// beach of numbered strips, for a design search that takes the survey as a
// pilot; the analysis does not use it) are optional, and so are STRATUM (each
// transect's stratum, numbered from 1) and STRATUM_AREA (each stratum's
// nesting area, km^2, adding up to AREA within 1%), given together. A list's
// values run on across the line's cells; trailing empty cells are ignored.
// The first column holds clock times (HH:MM, or HH:MM:SS; a night may cross
// midnight once) or hours since the first count, increasing.
//
// The separator is ';' when the header row holds one, else ','; with ';' the
// decimal mark is the comma. Every fault is a RunTimeError naming the file,
// the row and the column.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fielddata/analysis.hpp"
#include "fielddata/strata.hpp"
#include "fielddata/survey_checks.hpp"
#include "text/channels.hpp"

namespace arribada::fielddata {

// Where the transects lie: STRIPS, one whole number of 1 or more per
// transect, all different, with the row and the columns they were read from.
struct TransectStrips {
  std::vector<std::int32_t> strips;  // in the order of the transect columns
  std::size_t row = 0;
  std::vector<std::size_t> columns;  // one per strip
};

struct CsvSurvey {
  Survey survey;  // CODE 1; JCODE 1 with weights
  std::string title;
  std::optional<float> MEANT_SE;  // minutes
  SamplingTimes times;
  std::string date;  // YYYY-MM-DD, or empty
  std::optional<TransectStrips> strips;
  Strata strata;     // none unless STRATUM and STRATUM_AREA are given
};

// Whether a file's text is in the CSV layout: its name ends in ".csv" (in
// any case) or its first line, past a byte-order mark, begins with '#'.
bool isCsvSurvey(const std::string& name, std::string_view bytes);

// Reads the CSV layout from the file's bytes; `description` names the file
// in messages ("'night-1.csv'"). The survey's values are checked against
// each other and against the counts (surveyFault); a value that reads but
// was probably meant otherwise gets a line on `warnings`.
CsvSurvey readCsvSurvey(std::string_view bytes, const std::string& description,
                        text::Warnings warnings = text::Warnings{});

}  // namespace arribada::fielddata
