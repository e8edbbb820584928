#include "results/folder.hpp"

#include <cmath>

#include "engine/real.hpp"

#include "results/charts.hpp"
#include "results/files.hpp"
#include "results/measures.hpp"

namespace arribada::results {
namespace {

CsvField orMissing(const std::optional<float>& value) {
  CsvField field = Missing{};
  if (value) field = *value;
  return field;
}

CsvField limit(float value) { return orMissing(fielddata::limitComputed(value) ? std::optional(value) : std::nullopt); }

NamedRow summaryRow(const SimulationRecord& job, const JobMeasures& m) {
  const engine::SimulationParameters& p = job.parameters;
  return {{"job", job.job},
          {"title", job.title},
          {"NN", p.NN},
          {"IHR", p.IHR},
          {"MIN", p.MIN},
          {"STDDEV", p.STDDEV},
          {"NTR", p.NTR},
          {"IC", p.IC},
          {"IREP", p.IREP},
          {"JX", p.JX},
          {"KSW", p.KSW},
          {"NTI", p.NTI},
          {"mean_estimate", job.AVEPOP},
          {"bias", m.bias},
          {"percent_bias", m.percentBias},
          {"rmse", m.rmse},
          {"empirical_variance", job.SS},
          {"mean_VARM", job.AVEVAR},
          {"mean_VARTR", job.SS2},
          {"mean_VARTI", job.SS3},
          {"mean_se", m.meanSE},
          {"misses", job.NTILT},
          {"coverage", m.printed.proportion},
          {"coverage_se", m.printed.standardError},
          {"coverage_2se_VARM", m.VARM.proportion},
          {"coverage_2se_VARTR", m.VARTR.proportion},
          {"coverage_2se_VARTI", m.VARTI.proportion},
          {"independent_replicates", job.independentReplicates}};
}

NamedRow replicateRow(std::int32_t job, std::int32_t L, const engine::ReplicateEstimate& r, std::int32_t NN) {
  return {{"job", job},     {"replicate", L},   {"MHAT", r.MHAT},
          {"VARM", r.VARM}, {"VARTR", r.VARTR}, {"VARTI", r.VARTI},
          {"LCL", r.LCL},   {"UCL", r.UCL},     {"covered", engine::intervalIncludes(r.LCL, r.UCL, NN)}};
}

// The standard error and coefficient of variation of a field estimate:
// none without a variance, a negative variance or (for the coefficient) a zero estimate.
struct Spread {
  std::optional<float> se;
  std::optional<float> cv;
};

Spread spreadOf(const fielddata::FieldResult& r) {
  Spread s;
  if (!r.VARTI || *r.VARTI < 0.0f) return s;
  s.se = engine::stored(std::sqrt(engine::wide(*r.VARTI)));
  if (r.MHAT && *r.MHAT != 0.0f) s.cv = engine::stored(engine::wide(*s.se) / *r.MHAT);
  return s;
}

NamedRow fieldRow(const FieldRecord& field) {
  const fielddata::FieldResult& r = field.result;
  const fielddata::FieldHeader& h = r.header;
  const Spread s = spreadOf(r);
  return {{"job", field.job},
          {"title", field.title},
          {"AREA", h.AREA},
          {"WIDTH", h.WIDTH},
          {"HOURS", h.HOURS},
          {"MEANT", h.MEANT},
          {"LENGTH", h.LENGTH},
          {"NTR", h.NTR},
          {"NT1", h.NT1},
          {"CODE", h.CODE},
          {"JCODE", h.JCODE},
          {"sample_area", r.SAREA},
          {"area_ratio", r.C},
          {"samples", r.samples},
          {"uelas", orMissing(r.SUMN)},
          {"estimate", orMissing(r.MHAT)},
          {"variance", orMissing(r.VARTI)},
          {"se", orMissing(s.se)},
          {"cv", orMissing(s.cv)},
          {"LCL", limit(r.LCL)},
          {"UCL", limit(r.UCL)}};
}

NamedRow fieldTimeRow(std::int32_t job, std::size_t k, const fielddata::FieldResult& r) {
  CsvField weighted = Missing{};
  if (!r.weightedTimeTotals.empty()) weighted = r.weightedTimeTotals[k];
  return {{"job", job},
          {"time", static_cast<std::int32_t>(k + 1)},
          {"total", r.timeTotals[k]},
          {"weighted_total", weighted}};
}

}  // namespace

ResultsFolder::ResultsFolder(std::string folder) : folder_(std::move(folder)) { createFolder(folder_); }

void ResultsFolder::simulationEnded(const SimulationRecord& job) {
  std::int32_t L = 0;
  for (const engine::ReplicateEstimate& r : job.replicates) {
    writeRow(replicates_, inFolder("replicates.csv"), replicateRow(job.job, ++L, r, job.parameters.NN));
  }
  const JobMeasures measures = measureJob(job);
  writeRow(summary_, inFolder("summary.csv"), summaryRow(job, measures));
  writeNewFile(inFolder("simulation-" + std::to_string(job.job) + ".svg"), simulationPicture(job, measures));
}

void ResultsFolder::fieldDataAnalysed(const FieldRecord& field) {
  std::unique_ptr<CsvFile> table;
  writeRow(table, inFolder("field.csv"), fieldRow(field));
  std::unique_ptr<CsvFile> times;
  for (std::size_t k = 0; k < field.result.timeTotals.size(); ++k) {
    writeRow(times, inFolder("field-times.csv"), fieldTimeRow(field.job, k, field.result));
  }
  writeNewFile(inFolder("field.svg"), fieldPicture(field));
}

std::unique_ptr<ResultsSink> openResults(const std::optional<std::string>& folder) {
  if (!folder) return std::make_unique<ResultsSink>();
  return std::make_unique<ResultsFolder>(*folder);
}

}  // namespace arribada::results
