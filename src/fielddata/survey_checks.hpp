#pragma once
// A survey's values checked against each other and against its counts,
// wherever a survey is read outside the dialogue (arribada --field, the R
// package): HOURS against the sampling times, a column that is a total of
// the others, WIDTH, MEANT against HOURS, the transects' area against AREA,
// the weights against LENGTH. Each check takes the survey as read, with where its parts stand,
// and returns its fault with the row and the column (none when the survey
// passes); the caller names the file or the table. The dialogue's field-data job keeps its own checks only.
//
// The tolerances (docs/method.md, "Times, HOURS and the counts"):
// - the sampling times are evenly spaced when every interval between two
//   counts lies within 10 minutes, or a tenth of the usual (median) interval
//   when that is more, of the usual interval (field clocks are read to the
//   minute: 21:05 for 21:00 passes);
// - HOURS agrees with the times when it lies within 10 minutes, or 2% when
//   that is more, of what they imply: the number of counts times the mean
//   interval (7 counts two hours apart imply 14).

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fielddata/field_file.hpp"

namespace arribada::fielddata {

// A place in a survey's table, rows and columns counted from 1 as a
// spreadsheet shows them (a line of a file is its row, column 1).
struct Place {
  std::size_t row = 1;
  std::size_t column = 1;
};

struct SurveyFault {
  Place place;
  std::string why;
};

// When the counts of a night were made, for its picture and the checks.
struct SamplingTimes {
  std::vector<double> hours;  // per sampling time, hours from the clock's midnight or the first count
  bool clock = false;         // hours are clock hours (19.5 for 19:30; past 24 after midnight)
  bool operator==(const SamplingTimes&) const = default;
};

// Where a table of counts stands.
struct TablePlaces {
  std::size_t headerRow = 1;            // the row naming the transects
  std::size_t timeColumn = 1;           // the column of the times
  std::size_t firstTransectColumn = 2;  // the column of transect 1
  Place time(std::size_t k) const { return {headerRow + 1 + k, timeColumn}; }
  Place count(std::size_t j, std::size_t k) const { return {headerRow + 1 + k, firstTransectColumn + j}; }
  Place name(std::size_t j) const { return {headerRow, firstTransectColumn + j}; }
};

// A survey as read from a table: its values and where each stands, the
// transects' names, the counts and, when the table has them, the times.
struct SurveyTable {
  FieldHeader header;
  std::vector<float> weights;                // one per transect, or none
  std::map<std::string, Place> valueLines;  // AREA, WIDTH, HOURS, ... where each is given
  std::vector<std::string> transects;        // the header row's names
  SurveyCounts counts{0, 0};
  std::optional<SamplingTimes> times;  // none for a table without times
  TablePlaces places;
  Place valueLine(const std::string& name) const;  // the header row when that value is not given
};

// The first fault of every check below, in their order.
std::optional<SurveyFault> surveyFault(const SurveyTable& table);

// What the times imply HOURS to be: the number of counts times their mean
// interval; none for fewer than two counts.
std::optional<double> hoursFromTimes(const std::vector<double>& hours);

// HOURS at or below 0, or (with times) disagreeing with what they imply.
std::optional<SurveyFault> hoursFault(float HOURS, Place line, const std::optional<SamplingTimes>& times);

// The first count whose interval from the one before is not the others'.
std::optional<SurveyFault> unevenTimesFault(const SamplingTimes& times, const TablePlaces& places);

// A column named as a total (Total, Sum, Suma, in any case), or one that
// equals the sum of at least three other transects in every row where they
// are not all zero: it would be counted as one more transect.
std::optional<SurveyFault> totalColumnFault(const std::vector<std::string>& transects, const SurveyCounts& counts,
                                            const TablePlaces& places);

// A transect half-width at or below 0.
std::optional<SurveyFault> widthFault(float WIDTH, Place line);

// A sample larger than the nesting area: the transects' area LENGTH x 2 x
// WIDTH above AREA, the sampled fraction C above 1 (a unit slip, such as
// AREA in hectares); `area` names the value ("AREA", or a stratum's area).
std::optional<SurveyFault> sampleAreaFault(const FieldHeader& h, Place line, const std::string& area = "AREA");

// Weights that cannot be the transects' shares of LENGTH: one below 0, or a
// sum that is not LENGTH (within 1%).
std::optional<SurveyFault> weightsFault(const std::vector<float>& weights, float LENGTH, Place line);

// The warning for a MEANT below 5 (minutes that look like hours) or above
// 240 (minutes that look like seconds); `where` follows the value in the
// text (" in the header of 'x.dat'").
std::optional<std::string> meantUnitWarning(float MEANT, const std::string& where);

// A MEANT longer than the whole arribada (HOURS): every female would be in
// egg-laying activity from the first count to the last.
std::optional<SurveyFault> meantFault(float MEANT, float HOURS, Place line);

// Hours as messages quote them: at most two decimals, no trailing zeros.
std::string hoursText(double hours);

}  // namespace arribada::fielddata
