#pragma once
// The results folder: tables (CSV) and pictures (SVG) of every job of a run,
// written as each job ends.
//
//   summary.csv        one row per simulation job
//   replicates.csv     one row per replicate of every simulation job
//   simulation-<job>.svg  the histogram of a simulation job's estimates
//   summary.svg        every simulation job's estimates on one axis, rewritten
//                      as each job ends (an interrupted run keeps the jobs before)
//   field.csv          one row for a field-data job
//   field-times.csv    one row per sampling time of a field-data job
//   field.svg          the counts of a field-data job over the sampling times
//
// An analysis of nights (arribada --field) writes field.csv, one row per
// night and the total, and field.svg, every night's counts.
//
// The simulation tables come with the first simulation job and the field
// tables with the field-data job: a run of simulations has no field tables
// and a field-data run no simulation tables.

#include <filesystem>
#include <memory>
#include <vector>

#include "fielddata/nights.hpp"
#include "results/charts.hpp"
#include "results/csv.hpp"
#include "results/sink.hpp"

namespace arribada::results {

class ResultsFolder : public ResultsSink {
 public:
  // Creates the folder; a RunTimeError when a file or folder of that name exists.
  explicit ResultsFolder(std::string folder);
  void simulationEnded(const SimulationRecord& job) override;
  void fieldDataAnalysed(const FieldRecord& field) override;

 private:
  // The name of a file in the folder.
  std::string inFolder(const std::string& file) const { return folder_ + "/" + file; }

  std::string folder_;  // as the user gave it
  std::unique_ptr<CsvFile> summary_;
  std::unique_ptr<CsvFile> replicates_;
  std::vector<JobErrors> jobs_;  // for summary.svg
};

// Creates the new folder and writes the analysis of nights into it.
void writeFieldAnalysis(const std::string& folder, const fielddata::FieldAnalysis& analysis);

}  // namespace arribada::results
