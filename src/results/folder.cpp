#include "results/folder.hpp"

#include <cmath>

#include "results/charts.hpp"
#include "results/files.hpp"
#include "results/measures.hpp"

namespace arribada::results {
namespace {

const std::vector<std::string> kSummaryColumns = {"job",
                                                  "title",
                                                  "NN",
                                                  "IHR",
                                                  "MIN",
                                                  "STDDEV",
                                                  "NTR",
                                                  "IC",
                                                  "IREP",
                                                  "JX",
                                                  "KSW",
                                                  "NTI",
                                                  "mean_estimate",
                                                  "bias",
                                                  "percent_bias",
                                                  "rmse",
                                                  "empirical_variance",
                                                  "mean_VARM",
                                                  "mean_VARTR",
                                                  "mean_VARTI",
                                                  "misses",
                                                  "coverage",
                                                  "coverage_se",
                                                  "coverage_2se_VARM",
                                                  "coverage_2se_VARTR",
                                                  "coverage_2se_VARTI"};

const std::vector<std::string> kReplicateColumns = {"job",   "replicate", "MHAT", "VARM",   "VARTR",
                                                    "VARTI", "LCL",       "UCL",  "covered"};

const std::vector<std::string> kFieldColumns = {
    "job",         "title",      "AREA",    "WIDTH", "HOURS",    "MEANT",    "LENGTH", "NTR", "NT1", "CODE", "JCODE",
    "sample_area", "area_ratio", "samples", "uelas", "estimate", "variance", "se",     "cv",  "LCL", "UCL"};

const std::vector<std::string> kFieldTimeColumns = {"job", "time", "total", "weighted_total"};

CsvField orMissing(const std::optional<float>& value) {
  CsvField field = Missing{};
  if (value) field = *value;
  return field;
}

CsvField limit(float value) { return orMissing(fielddata::limitComputed(value) ? std::optional(value) : std::nullopt); }

CsvRow summaryRow(const SimulationRecord& job, const JobMeasures& m) {
  const engine::SimulationParameters& p = job.parameters;
  return {job.job,
          job.title,
          p.NN,
          p.IHR,
          p.MIN,
          p.STDDEV,
          p.NTR,
          p.IC,
          p.IREP,
          p.JX,
          p.KSW,
          p.NTI,
          job.AVEPOP,
          m.bias,
          m.percentBias,
          m.rmse,
          job.SS,
          job.AVEVAR,
          job.SS2,
          job.SS3,
          job.NTILT,
          m.printed.proportion,
          m.printed.standardError,
          m.VARM.proportion,
          m.VARTR.proportion,
          m.VARTI.proportion};
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
  s.se = static_cast<float>(std::sqrt(static_cast<double>(*r.VARTI)));
  if (r.MHAT && *r.MHAT != 0.0f) s.cv = static_cast<float>(static_cast<double>(*s.se) / *r.MHAT);
  return s;
}

CsvRow fieldRow(const FieldRecord& field) {
  const fielddata::FieldResult& r = field.result;
  const fielddata::FieldHeader& h = r.header;
  const Spread s = spreadOf(r);
  return {field.job,
          field.title,
          h.AREA,
          h.WIDTH,
          h.HOURS,
          h.MEANT,
          h.LENGTH,
          h.NTR,
          h.NT1,
          h.CODE,
          h.JCODE,
          r.SAREA,
          r.C,
          r.samples,
          orMissing(r.SUMN),
          orMissing(r.MHAT),
          orMissing(r.VARTI),
          orMissing(s.se),
          orMissing(s.cv),
          limit(r.LCL),
          limit(r.UCL)};
}

}  // namespace

ResultsFolder::ResultsFolder(std::filesystem::path folder) : folder_(std::move(folder)) { createFolder(folder_); }

CsvFile& ResultsFolder::table(std::unique_ptr<CsvFile>& file, const char* name,
                              const std::vector<std::string>& columns) {
  if (!file) file = std::make_unique<CsvFile>(folder_ / name, columns);
  return *file;
}

void ResultsFolder::simulationEnded(const SimulationRecord& job) {
  CsvFile& replicates = table(replicates_, "replicates.csv", kReplicateColumns);
  std::int32_t L = 0;
  for (const engine::ReplicateEstimate& r : job.replicates) {
    const bool covered = engine::intervalIncludes(r.LCL, r.UCL, job.parameters.NN);
    replicates.write({job.job, ++L, r.MHAT, r.VARM, r.VARTR, r.VARTI, r.LCL, r.UCL, covered});
  }
  const JobMeasures measures = measureJob(job);
  table(summary_, "summary.csv", kSummaryColumns).write(summaryRow(job, measures));
  writeNewFile(folder_ / ("simulation-" + std::to_string(job.job) + ".svg"), simulationPicture(job, measures));
}

void ResultsFolder::fieldDataAnalysed(const FieldRecord& field) {
  CsvFile(folder_ / "field.csv", kFieldColumns).write(fieldRow(field));
  CsvFile times(folder_ / "field-times.csv", kFieldTimeColumns);
  const fielddata::FieldResult& r = field.result;
  for (std::size_t k = 0; k < r.timeTotals.size(); ++k) {
    CsvRow row = {field.job, static_cast<std::int32_t>(k + 1), r.timeTotals[k], Missing{}};
    if (!r.weightedTimeTotals.empty()) row.back() = r.weightedTimeTotals[k];
    times.write(row);
  }
  writeNewFile(folder_ / "field.svg", fieldPicture(field));
}

std::unique_ptr<ResultsSink> openResults(const std::optional<std::string>& folder) {
  if (!folder) return std::make_unique<ResultsSink>();
  return std::make_unique<ResultsFolder>(*folder);
}

}  // namespace arribada::results
