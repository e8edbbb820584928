#include "fielddata/analysis.hpp"

#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/estimate.hpp"
#include "engine/real.hpp"
#include "fielddata/field_file.hpp"
#include "fielddata/survey_checks.hpp"
#include "fielddata/value_line.hpp"
#include "text/errors.hpp"

namespace arribada::fielddata {
namespace {

using engine::plus;
using engine::real;
using engine::square;
using engine::stored;
using engine::wide;

// Sums over the counts: SUM of the unweighted counts, SS of their squares
// (weighted form with weights), the per-time totals TI, SUMN of them and SSTI
// of their squares.
struct CountSums {
  float SUM = 0.0f;
  float SS = 0.0f;
  std::vector<float> TI;
  float SUMN = 0.0f;
  float SSTI = 0.0f;
};

struct Limits {
  float LCL = kNoLimit;
  float UCL = kNoLimit;
};

// Header values far out of the ordinary (a length of 1e30 metres, say) can
// carry a result beyond the range of a real: the analysis then stops with a
// message rather than print Infinity or NaN as a number of turtles.
void requireUsable(const std::string& file, const char* what, bool usable) {
  if (!usable) {
    throw text::RunTimeError("the field-data file " + file +
                             " cannot be analysed: the header's values carry " + what + " beyond the range of a real");
  }
}

// Console line with the value, then the report value line with `field`.
void printValue(text::RecordSink& console, text::RecordSink& report, const std::string& label, float value,
                const std::string& field) {
  console.write({label, value});
  writeValueLine(report, label, field);
}

// A free-format message line, first in the report, then on the console.
void printMessage(text::RecordSink& console, text::RecordSink& report, const std::string& message) {
  report.write({message});
  console.write({message});
}

// The sample area and its ratio C to the population's area.
float printAreas(const std::string& file, const FieldHeader& h, text::RecordSink& console,
                 text::RecordSink& report) {
  constexpr int kDecimals = 6;
  const float SAREA = sampleArea(h);
  requireUsable(file, "the sample area", std::isfinite(SAREA));
  const float C = stored(wide(SAREA) / h.AREA);
  requireUsable(file, "the ratio of sample to population area", std::isfinite(C) && C > 0.0f);
  printValue(console, report, "THE POTENTIAL AREA USED BY THE POPULATION =", h.AREA, fixedField(h.AREA, kDecimals));
  printValue(console, report, "THE SAMPLE AREA=", SAREA, fixedField(SAREA, kDecimals));
  console.write({std::string("RATIO="), C});
  printValue(console, report, "THE RATIO OF SAMPLE TO POPULATION AREA=", C, fixedField(C, kDecimals));
  return C;
}

// Transect by transect, time by time. With weights, each count enters TI and
// SS multiplied by its transect's weight EL(J), SS taking weight x count^2;
// a weight of 0 gives its transect a weighted count of 0 and a term of 0 in
// SS (the term DUM * DUM / EL(J) would be 0 / 0).
CountSums sumCounts(const SurveyCounts& grid, const std::vector<float>& EL) {
  const bool weighted = !EL.empty();
  CountSums s;
  std::vector<float>& TI = s.TI;
  TI.assign(static_cast<std::size_t>(grid.times()), 0.0f);
  for (std::int32_t j = 0; j < grid.transects(); ++j) {
    for (std::int32_t k = 0; k < grid.times(); ++k) {
      float DUM = real(grid.at(j, k));
      s.SUM = plus(s.SUM, DUM);
      if (weighted) {
        const float weight = EL[static_cast<std::size_t>(j)];
        DUM = stored(wide(weight) * DUM);
        if (weight != 0.0f) {
          s.SS = plus(s.SS, square(DUM) / weight);
        }
      } else {
        s.SS = plus(s.SS, square(DUM));
      }
      float& total = TI[static_cast<std::size_t>(k)];
      total = plus(total, DUM);
    }
  }
  for (const float total : TI) {
    s.SSTI = plus(s.SSTI, square(total));
    s.SUMN = plus(s.SUMN, total);
  }
  return s;
}

// The variance of the samples; the header refusals make LENGTH nonzero with
// weights, and the caller has handled a single transect (divisor NTR - 1 = 0).
float samplesVariance(const FieldHeader& h, const CountSums& s, float CONST) {
  float VARTI = 0.0f;
  if (h.weighted()) {
    const std::int32_t squaredTransects = h.NTR * h.NTR;  // at most 100 x 100
    VARTI = stored((wide(h.LENGTH) * s.SS - s.SSTI) * squaredTransects / h.LENGTH / h.LENGTH / (h.NTR - 1.0));
  } else {
    VARTI = stored((h.NTR * wide(s.SS) - s.SSTI) / (h.NTR - 1.0));
  }
  // VARTI x CONST x CONST, in this order (the simulation scales its VARTI the other way round).
  return stored(wide(VARTI) * CONST * CONST);
}

// The estimate plus and minus twice its standard error, as for a replicate of
// a simulation (the caller has handled a negative variance).
Limits confidenceLimits(float MHAT, float VARTI) {
  const engine::ConfidenceLimits limits = engine::twoStandardErrors(MHAT, VARTI);
  return {limits.LCL, limits.UCL};
}

// The plain counts of each sampling time added over the transects (at most
// 1000 x 32767 in magnitude).
std::vector<std::int32_t> plainTimeTotals(const SurveyCounts& grid) {
  std::vector<std::int32_t> totals(static_cast<std::size_t>(grid.times()), 0);
  for (std::int32_t k = 0; k < grid.times(); ++k) {
    for (std::int32_t j = 0; j < grid.transects(); ++j) totals[static_cast<std::size_t>(k)] += grid.at(j, k);
  }
  return totals;
}

// The counts and weights of a survey, read when the analysis comes to them.
struct CountsAndWeights {
  SurveyCounts grid;
  std::vector<float> EL;  // empty without weights
};
using CountReader = std::function<CountsAndWeights()>;

// Where the analysis prints: the console and the report of a dialogue job,
// or sinks that keep nothing.
struct Output {
  text::RecordSink& console;
  text::RecordSink& report;
};

// Reads the counts and weights and prints the number of UELAs, the estimate
// and the variance; returns the confidence limits. Keeps what it printed in `kept`.
Limits estimateFromCounts(const std::string& file, const FieldHeader& h, float C, Output out,
                          const CountReader& readCountsAndWeights, FieldResult& kept) {
  text::RecordSink& console = out.console;
  text::RecordSink& report = out.report;
  const CountsAndWeights read = readCountsAndWeights();
  const CountSums s = sumCounts(read.grid, read.EL);
  kept.timeTotals = plainTimeTotals(read.grid);
  if (h.weighted()) kept.weightedTimeTotals = s.TI;
  kept.SUM = s.SUM;
  kept.SUMN = s.SUMN;

  const std::string uelas = "NO.UELAS = UNAMBIGUOUS EGG-LAYING ACTIVITY";
  console.write({uelas, s.SUMN});
  report.write({uelas, s.SUMN});

  // MEANT is given in minutes.
  const float MEANT = stored(wide(h.MEANT) / 60.0);
  const float CONST = stored(wide(h.HOURS) / MEANT / C / h.NT1);
  requireUsable(file, "the expansion factor from counts to females", std::isfinite(CONST));
  const float MHAT = stored(wide(CONST) * s.SUM);
  requireUsable(file, "the estimated number of females", std::isfinite(MHAT));
  printValue(console, report, "ESTIMATED NUMBER OF FEMALE TURTLES=", MHAT, fixedField(MHAT, 1));
  kept.MHAT = MHAT;

  if (h.NTR == 1) {
    // A single transect over several sampling times: the estimate stands,
    // but the variance has the divisor NTR - 1 = 0.
    printMessage(console, report, "1 TRANSECT; VARIANCE CANNOT BE COMPUTED!!");
    return {};
  }
  const float VARTI = samplesVariance(h, s, CONST);
  requireUsable(file, "the variance of the samples", std::isfinite(VARTI));
  printValue(console, report, "VARIANCE OF THE SAMPLES=", VARTI, generalField(VARTI));
  kept.VARTI = VARTI;
  if (VARTI < 0.0f) {
    // Possible with weights: an interval of no width, or one from a
    // clipped variance, would claim a precision the survey does not have.
    printMessage(console, report, "NEGATIVE VARIANCE; LIMITS CANNOT BE COMPUTED!!");
    return {};
  }
  return confidenceLimits(MHAT, VARTI);
}

void printLimits(const Limits& limits, text::RecordSink& console, text::RecordSink& report) {
  constexpr int kDecimals = 4;
  const std::string lower = "THE LOWER 95% CONFIDENCE LIMIT =";
  const std::string upper = "THE UPPER 95% CONFIDENCE LIMIT =";
  const std::string closing[] = {"OF THE ESTIMATED TOTAL POPULATION OF EGG-LAYING", "FEMALE TURTLES"};
  console.write({lower, limits.LCL});
  console.write({upper, limits.UCL});
  for (const std::string& line : closing) console.write({line});
  writeValueLine(report, lower, fixedField(limits.LCL, kDecimals));
  writeValueLine(report, upper, fixedField(limits.UCL, kDecimals));
  for (const std::string& line : closing) report.write({line});
}

// The analysis after the header: the areas, the samples, the counts, the
// estimate, the variance and the limits, printed on `out` as they are
// computed, so that a value that cannot be used stops it where the dialogue
// stops. `file` names the survey in messages.
FieldResult analyseHeaderAndCounts(const FieldHeader& h, const std::string& file, Output out,
                                   const CountReader& readCountsAndWeights) {
  FieldResult kept;
  kept.header = h;
  const float C = printAreas(file, h, out.console, out.report);
  kept.SAREA = sampleArea(h);
  kept.C = C;

  kept.samples = h.NT1 * h.NTR;  // at most 205 x 1000
  const float AN = real(kept.samples);
  Limits limits;
  if (AN == 1.0f) {
    // A single count: no counts are read, and there is no estimate.
    printMessage(out.console, out.report, "1 COUNT; VARIANCE CANNOT BE COMPUTED!!");
  } else {
    const std::string samples = "THE TOTAL NUMBER OF SAMPLES IS=";
    writeValueLine(out.report, samples, integerField(kept.samples));
    out.console.write({samples, AN});
    limits = estimateFromCounts(file, h, C, out, readCountsAndWeights, kept);
  }
  printLimits(limits, out.console, out.report);
  kept.LCL = limits.LCL;
  kept.UCL = limits.UCL;
  return kept;
}

}  // namespace

FieldResult analyseFieldData(text::LineSource& file, text::RecordSink& console, text::RecordSink& report,
                             engine::SimulationParameters& params, text::Warnings warnings) {
  const FieldHeader h = readHeader(file, params.NTR, warnings);
  // The job keeps its report; a sample larger than the nesting area is said beside it.
  if (const auto fault = sampleAreaFault(h, {})) {
    warnings.warn("the header of " + file.description() + ": " + fault->why + "; the estimate below takes C above 1");
  }
  params.NTR = h.NTR;
  echoHeader(h, console, report);
  params.NN = h.NT1 * h.NTR;  // at most 205 x 1000
  return analyseHeaderAndCounts(h, file.description(), {console, report}, [&] {
    SurveyCounts grid = readCounts(file, h, warnings);
    std::vector<float> EL = h.weighted() ? readWeights(file, h.NTR, report) : std::vector<float>{};
    warnAboutValuesBeyondTheLast(file, warnings);
    return CountsAndWeights{std::move(grid), std::move(EL)};
  });
}

namespace {

// A survey that a field-data file could have held, with counts and weights
// of the header's shape: a RunTimeError or std::invalid_argument otherwise.
void requireAnalysable(const Survey& survey) {
  if (const std::optional<HeaderProblem> problem = headerProblem(survey.header)) {
    throw text::RunTimeError("the survey " + survey.description + " cannot be used: " + problem->why);
  }
  // A single count is not read, nor are its weights: a weighted one may come without them.
  const bool singleCount = survey.header.NTR * survey.header.NT1 == 1;
  const std::size_t weights = survey.header.weighted() ? std::size_t(survey.header.NTR) : 0u;
  const bool shaped = survey.counts.transects() == survey.header.NTR && survey.counts.times() == survey.header.NT1 &&
                      (survey.weights.size() == weights || (singleCount && survey.weights.empty()));
  if (!shaped) {
    throw std::invalid_argument("the counts or weights of " + survey.description + " do not match NTR and NT1");
  }
}

}  // namespace

FieldResult analyseSurvey(const Survey& survey) {
  requireAnalysable(survey);
  text::DiscardingSink nowhere;
  return analyseHeaderAndCounts(survey.header, survey.description, {nowhere, nowhere},
                                [&survey] { return CountsAndWeights{survey.counts, survey.weights}; });
}

FieldResult analyseSurveyAsJob(const Survey& survey, text::RecordSink& console, text::RecordSink& report,
                               engine::SimulationParameters& params) {
  requireAnalysable(survey);
  const FieldHeader& h = survey.header;
  params.NTR = h.NTR;
  echoHeader(h, console, report);
  params.NN = h.NT1 * h.NTR;  // at most 205 x 1000
  return analyseHeaderAndCounts(h, survey.description, {console, report}, [&survey, &report] {
    if (survey.header.weighted()) writeWeights(survey.weights, report);
    return CountsAndWeights{survey.counts, survey.weights};
  });
}

}  // namespace arribada::fielddata
