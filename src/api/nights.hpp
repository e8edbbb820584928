#pragma once
// Field surveys, one night (or count period) each: read from a file, from a
// file's text or from a table of counts; carried by a host as plain values;
// analysed night by night with their total as `arribada --field` analyses
// them, into field.csv's rows, the printed table and the results folder's
// texts. See api.hpp for the contract.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "api/values.hpp"

namespace arribada::api {

// A value of the field-data header: its name, its value and whether the
// program holds it as a whole number (NTR, NT1, JCODE) or a real.
struct HeaderValue {
  std::string name;
  double value = 0.0;
  bool whole = false;
};

// A night as plain values.
struct SurveyValues {
  std::string file;         // the file's name (or the host's description of a table)
  std::string title;
  std::string description;  // names the survey in messages: "'night-1.csv'"
  // The field-data header's nine values in the file's order (AREA, WIDTH,
  // HOURS, MEANT, LENGTH, NTR, NT1, CODE, JCODE).
  std::vector<HeaderValue> header;
  std::int32_t times = 0;      // sampling times (rows of the counts)
  std::int32_t transects = 0;  // columns of the counts
  std::vector<std::int32_t> counts;  // time by time: the count of transect j at time k is counts[k x transects + j]
  std::vector<double> weights;       // one per transect, or none
  std::optional<double> MEANT_SE;    // minutes
  std::vector<double> hours;         // per sampling time, when known
  bool clock = false;                // hours are clock hours
  std::string date;                  // the CSV layout's DATE (YYYY-MM-DD), or empty
  std::vector<std::int32_t> strata;  // each transect's stratum (from 1), or none for one stratum
  std::vector<double> stratumAreas;  // each stratum's nesting area, km^2
};

// A survey and the warnings its reading gave (input that reads but was
// probably meant otherwise), one per line, without the program's prefix.
struct SurveyRead {
  SurveyValues survey;
  std::vector<std::string> warnings;
};

// A survey file in either layout (field-data, or CSV), by its name.
SurveyRead readSurveyFile(const std::string& name);
// The same from the file's name and text, without the file system.
SurveyRead readSurveyText(const std::string& name, const std::string& text);

// A survey given as a table of counts: the sampling times (clock times
// "HH:MM" or hours since the first count), one column of counts per
// transect (NaN for an empty cell) with its name, and the survey's values
// named as in a CSV survey file (AREA, WIDTH, HOURS, MEANT, LENGTH; WEIGHTS,
// MEANT_SE, DURATIONS, TITLE). Read by the CSV reader, so its refusals are
// the file's, naming `description` and the row and column.
struct CountColumn {
  std::string name;
  std::vector<double> counts;
};
SurveyValues surveyFromTable(const std::vector<std::string>& times, const std::vector<CountColumn>& columns,
                             const NamedValues& values, const std::string& description);

// A night's total count at one sampling time.
struct TimeTotal {
  std::int32_t night = 0;  // from 1
  std::optional<double> hours;
  std::int32_t total = 0;
};

struct NightsProducts {
  Rows estimate;                 // field.csv's rows: the nights, then the total
  std::vector<TimeTotal> times;  // every night's total count at each sampling time
  std::string table;             // the table `--field` prints
  std::string fieldCsv;          // field.csv
  std::string fieldSvg;          // field.svg
};

// The nights in the order given; a survey whose values do not fit together
// (a header without its nine names in order, counts that are not a table of
// its times by its transects, a count outside 0 to 32767: a host gives a
// missing count as -1) is a refusal.
NightsProducts analyseNights(const std::vector<SurveyValues>& nights);

// A file's name and its text.
struct SurveyText {
  std::string name;
  std::string text;
};
// readSurveyText for each, then analyseNights; the warnings of every file
// are added to `warnings` when given.
NightsProducts analyseSurveyTexts(const std::vector<SurveyText>& files, std::vector<std::string>* warnings = nullptr);

}  // namespace arribada::api
