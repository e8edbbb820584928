#pragma once
// A survey counted over several nights (or count periods), one file each,
// in the field-data layout or the CSV layout: every night analysed exactly
// as the field-data job analyses its file, the nights added up, and beside
// the program's figures the uncertainty of MEANT (delta method) and
// log-normal limits.
//
// For one night of estimate MHAT, the program's variance V and, when given,
// the standard error SE of MEANT:
//   MEANT term      MHAT^2 (SE / MEANT)^2
//   variance        V + the MEANT term
// For the total, estimates and the program's variances are added (the
// nights are counted independently), while the MEANT term is shared, since
// one sample of timed females serves every night: (sum of MHAT)^2 (SE / MEANT)^2.
// With the MEANT term: its standard error, CV and limits MHAT -+ 2 SE, which
// are the limits to quote (they hold every known variance; docs/method.md).
// Log-normal limits, with the program's multiplier 2: MHAT / F and MHAT x F,
// F = exp(2 sqrt(ln(1 + variance / MHAT^2))), the variance with the MEANT
// term when SE is given, else the program's.
//
// The rows are plain values for a table, a CSV file or the R package; the
// library prints nothing.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fielddata/analysis.hpp"
#include "fielddata/csv_survey.hpp"
#include "text/channels.hpp"

namespace arribada::fielddata {

// One row of the analysis: a night, or the total (night 0). A value that
// cannot be computed is none.
struct FieldRow {
  std::int32_t night = 0;             // 1, 2, ... in the order given; 0 for the total
  std::string file;                   // the night's file; empty for the total
  std::string title;                  // the file's title; empty for the total
  std::optional<FieldHeader> header;  // none for the total
  std::optional<double> sampleArea;   // km^2; none for the total
  std::optional<double> areaRatio;    // C; none for the total
  std::int32_t samples = 0;           // NT1 x NTR (added up for the total)
  std::optional<double> uelasCounted;   // every count added: the sum the estimate is CONST times
  std::optional<double> uelasWeighted;  // with weights, the weighted counts added (the report's NO.UELAS then)
  std::optional<double> estimate;       // MHAT
  std::optional<double> variance;       // the program's VARIANCE OF THE SAMPLES
  std::optional<double> se;             // its square root
  std::optional<double> cv;             // se / estimate
  std::optional<double> LCL;            // estimate - 2 se (a night: the report's limits)
  std::optional<double> UCL;            // estimate + 2 se
  std::optional<double> MEANT_SE;       // minutes, when the survey gives it
  std::optional<double> meantVariance;  // the MEANT term
  std::optional<double> varianceWithMEANT;
  std::optional<double> seWithMEANT;   // its square root
  std::optional<double> cvWithMEANT;   // seWithMEANT / estimate
  std::optional<double> LCLWithMEANT;  // estimate - 2 seWithMEANT: with every known variance
  std::optional<double> UCLWithMEANT;  // estimate + 2 seWithMEANT
  std::optional<double> logLCL;  // log-normal limits
  std::optional<double> logUCL;
  bool logWithMEANT = false;  // the log-normal limits include the MEANT term (else the program's variance only)
  // Which limits a team should quote: those with the MEANT term when MEANT_SE
  // is given (every known variance), else the sampling-only ones (docs/method.md).
  bool quoteWithMEANT() const { return MEANT_SE.has_value(); }
};

// One night's file as read.
struct SurveyNight {
  std::string file;
  std::string title;
  Survey survey;
  std::optional<float> MEANT_SE;  // minutes
  SamplingTimes times;            // the field-data layout: (k - 1) x HOURS / NT1
  std::string date;               // the CSV layout's DATE (YYYY-MM-DD), or empty
  std::optional<TransectStrips> strips;  // the CSV layout's STRIPS, when given
  Strata strata;                  // the CSV layout's STRATUM and STRATUM_AREA; none for one stratum
};

// The per-time totals of a night's counts, for its picture.
struct NightCounts {
  SamplingTimes times;
  std::vector<std::int32_t> totals;  // plain counts over the transects; empty for a single count
};

struct FieldAnalysis {
  std::vector<FieldRow> nights;
  FieldRow total;
  std::vector<NightCounts> counts;  // one per night
};

// The largest survey file read: far above the largest survey the grid holds
// (205 sampling times of 1000 transects, a count a line with 80 columns of
// notes is 16.4 MB); a larger file, or an endless one, is refused before it
// is read.
inline constexpr std::uintmax_t kLargestSurveyFile = 64u * 1024u * 1024u;

// Reads a survey file in either layout (isCsvSurvey tells which). The
// field-data layout is read as the dialogue reads it, with its warnings on
// `warnings`, and then checked as a CSV survey is (HOURS and WIDTH above 0,
// the weights LENGTH's shares). A RunTimeError for a file that cannot be
// opened or read, or one larger than kLargestSurveyFile.
SurveyNight readSurveyFile(const std::string& name, text::Warnings warnings = text::Warnings{});
// The same from the file's bytes, without the file system (a page's upload).
SurveyNight readSurveyBytes(const std::string& name, std::string bytes, text::Warnings warnings = text::Warnings{});

// Whether the file `name` holds a survey in the CSV layout (isCsvSurvey on
// its bytes); the errors of readSurveyFile for a file that cannot be read.
bool isCsvSurveyFile(const std::string& name);

// One night as the field-data job analyses its survey, stratum by stratum
// when it has strata (their estimates and variances added).
FieldResult analyseNight(const SurveyNight& night);

// Analyses the nights. A RunTimeError when none is given, when nights give
// MEANT's standard error but not the same MEANT and standard error, when a
// night is given twice (the same file, or the same values and counts) or
// two nights give one DATE; nights with the same counts but other values
// get a line on `warnings`.
FieldAnalysis analyseNights(const std::vector<SurveyNight>& nights, text::Warnings warnings = text::Warnings{});

// The first two nights that are one night given twice, or that share a
// DATE: a RunTimeError naming both. Nights with the same counts otherwise
// get a line on `warnings`.
void refuseRepeatedNights(const std::vector<SurveyNight>& nights, text::Warnings& warnings);

// readSurveyFile for each name, then analyseNights.
FieldAnalysis analyseSurveyFiles(const std::vector<std::string>& names, text::Warnings warnings = text::Warnings{});

// The figures of the field-data job as a row (night 0, no file or title).
FieldRow programRow(const FieldResult& result);

struct LogNormalLimits {
  double lower = 0.0;
  double upper = 0.0;
};
// None for an estimate of 0 or below or a negative variance.
std::optional<LogNormalLimits> logNormalLimits(double estimate, double variance);

}  // namespace arribada::fielddata
