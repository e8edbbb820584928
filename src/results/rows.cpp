#include "results/rows.hpp"

#include <cmath>
#include <optional>
#include <variant>

#include "engine/real.hpp"

namespace arribada::results {
namespace {

CsvField orMissing(const std::optional<double>& value) {
  CsvField field = Missing{};
  if (value) field = static_cast<float>(*value);
  return field;
}

// A cell of a coverage's: empty when its variance estimate cannot be computed.
CsvField ifComputed(const Coverage& c, float value) {
  return orMissing(c.computed ? std::optional<double>(value) : std::nullopt);
}

// The columns of the field-data job's figures, for a night or the total.
NamedRow programColumns(const fielddata::FieldRow& row) {
  NamedRow columns;
  for (const fielddata::HeaderField& field : fielddata::kHeaderFields) {
    const auto value = [&row](auto member) -> CsvField { return (*row.header).*member; };
    columns.push_back({field.name, row.header ? std::visit(value, field.member) : CsvField{Missing{}}});
  }
  const NamedRow figures = {{"sample_area", orMissing(row.sampleArea)},
                            {"area_ratio", orMissing(row.areaRatio)},
                            {"samples", row.samples},
                            {"uelas_counted", orMissing(row.uelasCounted)},
                            {"uelas_weighted", orMissing(row.uelasWeighted)},
                            {"estimate", orMissing(row.estimate)},
                            {"variance", orMissing(row.variance)},
                            {"se", orMissing(row.se)},
                            {"cv", orMissing(row.cv)},
                            {"LCL", orMissing(row.LCL)},
                            {"UCL", orMissing(row.UCL)}};
  columns.insert(columns.end(), figures.begin(), figures.end());
  return columns;
}

}  // namespace

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
          {"mean_se", ifComputed(m.printed, m.meanSE)},
          {"misses", job.NTILT},
          {"coverage", ifComputed(m.printed, m.printed.proportion)},
          {"coverage_se", ifComputed(m.printed, m.printed.standardError)},
          {"coverage_2se_VARM", ifComputed(m.VARM, m.VARM.proportion)},
          {"coverage_2se_VARTR", ifComputed(m.VARTR, m.VARTR.proportion)},
          {"coverage_2se_VARTI", ifComputed(m.VARTI, m.VARTI.proportion)},
          {"independent_replicates", job.independentReplicates}};
}

NamedRow replicateRow(std::int32_t job, std::int32_t L, const engine::ReplicateEstimate& r, std::int32_t NN) {
  return {{"job", job},     {"replicate", L},   {"MHAT", r.MHAT},
          {"VARM", r.VARM}, {"VARTR", r.VARTR}, {"VARTI", r.VARTI},
          {"LCL", r.LCL},   {"UCL", r.UCL},     {"covered", engine::intervalIncludes(r.LCL, r.UCL, NN)}};
}

NamedRow fieldRow(const FieldRecord& field) {
  NamedRow row = {{"job", field.job}, {"title", field.title}};
  const NamedRow figures = programColumns(fielddata::programRow(field.result));
  row.insert(row.end(), figures.begin(), figures.end());
  return row;
}

// A row of an analysis of nights: which night, today's columns of a
// field-data job (no job number), and the uncertainty of MEANT and the
// log-normal limits.
NamedRow nightRow(const fielddata::FieldRow& r) {
  CsvField night = std::string("total");
  if (r.night > 0) night = r.night;
  NamedRow row = {{"night", night}, {"file", r.file}, {"job", Missing{}}, {"title", r.title}};
  const NamedRow figures = programColumns(r);
  row.insert(row.end(), figures.begin(), figures.end());
  row.insert(row.end(), {{"MEANT_SE", orMissing(r.MEANT_SE)},
                         {"MEANT_term", orMissing(r.meantVariance)},
                         {"variance_with_MEANT", orMissing(r.varianceWithMEANT)},
                         {"lognormal_LCL", orMissing(r.logLCL)},
                         {"lognormal_UCL", orMissing(r.logUCL)},
                         {"lognormal_from", std::string(r.logWithMEANT ? "variance_with_MEANT" : "variance")}});
  return row;
}

std::vector<NamedRow> nightRows(const fielddata::FieldAnalysis& analysis) {
  std::vector<NamedRow> rows;
  for (const fielddata::FieldRow& night : analysis.nights) rows.push_back(nightRow(night));
  rows.push_back(nightRow(analysis.total));
  return rows;
}

NamedRow fieldTimeRow(std::int32_t job, std::size_t k, const fielddata::FieldResult& r) {
  CsvField weighted = Missing{};
  if (!r.weightedTimeTotals.empty()) weighted = r.weightedTimeTotals[k];
  return {{"job", job},
          {"time", static_cast<std::int32_t>(k + 1)},
          {"total", r.timeTotals[k]},
          {"weighted_total", weighted}};
}

}  // namespace arribada::results
