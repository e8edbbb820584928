#include "results/folder.hpp"

#include <cmath>

#include "engine/real.hpp"

#include "results/charts.hpp"
#include "results/files.hpp"
#include "results/measures.hpp"
#include "results/rows.hpp"
#include "text/errors.hpp"

namespace arribada::results {

ResultsFolder::ResultsFolder(std::string folder) : folder_(std::move(folder)) {}

void ResultsFolder::simulationEnded(const SimulationRecord& job) {
  writing_ = true;
  std::int32_t L = 0;
  for (const engine::ReplicateEstimate& r : job.replicates) {
    writeRow(replicates_, inFolder(kReplicatesTable), replicateRow(job.job, ++L, r, job.parameters.NN));
  }
  const JobMeasures measures = measureJob(job);
  writeRow(summary_, inFolder(kSummaryTable), summaryRow(job, measures));
  writeNewFile(inFolder(kJobPicturePrefix + std::to_string(job.job) + kJobPictureSuffix),
               simulationPicture(job, measures));
  jobs_.push_back(jobErrors(job));
  replaceFile(inFolder(kSummaryPicture), summaryPicture(jobs_));
  writing_ = false;
  ++wholeJobs_;
}

void ResultsFolder::runEnded() {
  // Closed first: some systems will not rename a folder with open files in it.
  summary_.reset();
  replicates_.reset();
  folder_.publish();
}

void ResultsFolder::fieldDataAnalysed(const FieldRecord& field) {
  writing_ = true;
  std::unique_ptr<CsvFile> table;
  writeRow(table, inFolder(kFieldTable), fieldRow(field));
  std::unique_ptr<CsvFile> times;
  for (std::size_t k = 0; k < field.result.timeTotals.size(); ++k) {
    writeRow(times, inFolder(kFieldTimesTable), fieldTimeRow(field.job, k, field.result));
  }
  writeNewFile(inFolder(kFieldPicture), fieldPicture(field));
  writing_ = false;
  ++wholeJobs_;
}

void writeFieldAnalysis(const std::string& folder, const fielddata::FieldAnalysis& analysis,
                        const std::function<bool()>& goOn) {
  StagedFolder staged(folder);
  writeNewFile(staged.path() + "/" + kFieldTable, csvText(nightRows(analysis)));
  writeNewFile(staged.path() + "/" + kFieldPicture, nightsPicture(analysis));
  if (goOn && !goOn()) throw text::RunTimeError("interrupted while writing the results folder '" + folder + "'");
  staged.publish();
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
