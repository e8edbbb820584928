#pragma once
// The analysis of a field survey: from the header and the instantaneous
// counts of a field-data file, the sampled area and its ratio to the nesting
// area, the number of UELAs, the estimated number of egg-laying females, the
// variance of the samples and the 95% confidence limits.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/parameters.hpp"
#include "fielddata/field_file.hpp"
#include "text/channels.hpp"
#include "text/lines.hpp"

namespace arribada::fielddata {

// The limits of a survey whose variance cannot be computed.
inline constexpr float kNoLimit = -999.0f;
// Whether a printed limit is a real one: -999 marks a limit that cannot be computed.
inline bool limitComputed(float limit) { return limit != kNoLimit; }

// What the analysis printed, kept for tables and pictures beside the report.
struct FieldResult {
  FieldHeader header;
  float SAREA = 0.0f;                // sample area
  float C = 0.0f;                    // ratio of sample to population area
  std::int32_t samples = 0;          // NT1 x NTR
  std::optional<float> SUM;          // every count added, unweighted; none for a single count
  std::optional<float> SUMN;         // the number of UELAs the report prints: with weights, the weighted
                                     // counts added; none for a single count
  std::optional<float> MHAT;         // none for a single count
  std::optional<float> VARTI;        // none for a single count or a single transect
  float LCL = kNoLimit;
  float UCL = kNoLimit;
  std::vector<std::int32_t> timeTotals;  // per sampling time, the plain counts over the transects
  std::vector<float> weightedTimeTotals;  // with weights, the weighted totals TI; empty without
};

// Reads a field-data file from its second line on (the title was read and
// echoed by the caller), echoes the header, prints the areas, ratio, samples,
// reads the counts and weights, prints the estimate, variance and limits (or
// the single-count or negative-variance message and limits of -999) on the
// console and in the report; input that reads but was probably meant
// otherwise gets a line on `warnings`.
// Leaves params.NTR = number of sample transects and params.NN = NT1 * NTR,
// the survey's size as the caller's parameters hold it after a field job
// (the run ends with that job, so nothing in the program reads them later).
FieldResult analyseFieldData(text::LineSource& file, text::RecordSink& console, text::RecordSink& report,
                             engine::SimulationParameters& params, text::Warnings warnings = text::Warnings{});

// A survey already read, from a spreadsheet's table or from the R package.
struct Survey {
  std::string description;     // names the survey in messages: "'night-1.csv'"
  FieldHeader header;          // NTR, NT1 and JCODE as the counts and weights are
  SurveyCounts counts;         // NTR x NT1
  std::vector<float> weights;  // one per transect when header.weighted(), else none
};

// The analysis of analyseFieldData, the same computation step by step, with
// nothing printed and nothing read. A RunTimeError for a header that a
// field-data file could not have either, or values beyond the range of a
// real; std::invalid_argument for counts or weights of another shape than
// the header's.
FieldResult analyseSurvey(const Survey& survey);

// The field-data job of analyseFieldData for a survey already read (a CSV
// night): the same header echo, the same lines on the console and in the
// report, the "EL=" line of the weights where a file's weights would be
// read, and the same values left in `params`. The errors of analyseSurvey.
FieldResult analyseSurveyAsJob(const Survey& survey, text::RecordSink& console, text::RecordSink& report,
                               engine::SimulationParameters& params);

}  // namespace arribada::fielddata
