#include "results/folder.hpp"

#include <cmath>

#include "engine/real.hpp"

#include "results/charts.hpp"
#include "results/files.hpp"
#include "results/measures.hpp"
#include "results/rows.hpp"

namespace arribada::results {

ResultsFolder::ResultsFolder(std::string folder) : folder_(std::move(folder)) { createFolder(folder_); }

void ResultsFolder::simulationEnded(const SimulationRecord& job) {
  std::int32_t L = 0;
  for (const engine::ReplicateEstimate& r : job.replicates) {
    writeRow(replicates_, inFolder("replicates.csv"), replicateRow(job.job, ++L, r, job.parameters.NN));
  }
  const JobMeasures measures = measureJob(job);
  writeRow(summary_, inFolder("summary.csv"), summaryRow(job, measures));
  writeNewFile(inFolder("simulation-" + std::to_string(job.job) + ".svg"), simulationPicture(job, measures));
  jobs_.push_back(jobErrors(job));
  replaceFile(inFolder("summary.svg"), summaryPicture(jobs_));
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

void writeFieldAnalysis(const std::string& folder, const fielddata::FieldAnalysis& analysis) {
  createFolder(folder);
  writeNewFile(folder + "/field.csv", csvText(nightRows(analysis)));
  writeNewFile(folder + "/field.svg", nightsPicture(analysis));
}

SimulationRecord simulationRecord(std::int32_t job, std::string title, const engine::SimulationParameters& p,
                                  const engine::ReplicateSummary& summary, std::int32_t independentReplicates) {
  const engine::ReplicateSummary::Statistics s = summary.statistics();
  return {.job = job,
          .title = std::move(title),
          .parameters = p,
          .replicates = summary.replicates(),
          .AVEPOP = s.AVEPOP,
          .AVEVAR = s.AVEVAR,
          .SS2 = s.SS2,
          .SS3 = s.SS3,
          .SS = s.SS,
          .NTILT = summary.NTILT(),
          .independentReplicates = independentReplicates};
}

std::unique_ptr<ResultsSink> openResults(const std::optional<std::string>& folder) {
  if (!folder) return std::make_unique<ResultsSink>();
  return std::make_unique<ResultsFolder>(*folder);
}

}  // namespace arribada::results
