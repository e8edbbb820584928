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
// The folder is written under another name beside its own (results/files.hpp,
// StagedFolder) and takes its name when the run ends in order: a folder with
// the name asked for is always whole.
//
// The simulation tables come with the first simulation job and the field
// tables with the field-data job: a run of simulations has no field tables
// and a field-data run no simulation tables.

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "fielddata/nights.hpp"
#include "results/charts.hpp"
#include "results/csv.hpp"
#include "results/files.hpp"
#include "results/sink.hpp"

namespace arribada::results {

// The names of the files above but the job pictures, and the job pictures'
// prefix and suffix (simulation-<job>.svg): every name the folder may hold,
// for removing an unfinished one without listing it.
inline constexpr const char* kSummaryTable = "summary.csv";
inline constexpr const char* kReplicatesTable = "replicates.csv";
inline constexpr const char* kSummaryPicture = "summary.svg";
inline constexpr const char* kFieldTable = "field.csv";
inline constexpr const char* kFieldTimesTable = "field-times.csv";
inline constexpr const char* kFieldPicture = "field.svg";
inline constexpr const char* kFolderFiles[] = {kSummaryTable, kReplicatesTable, kSummaryPicture, "summary.svg.part",
                                               kFieldTable,   kFieldTimesTable, kFieldPicture};
inline constexpr const char* kJobPicturePrefix = "simulation-";
inline constexpr const char* kJobPictureSuffix = ".svg";

class ResultsFolder : public ResultsSink {
 public:
  // Creates the unfinished folder; a RunTimeError when a file or folder of the final name exists.
  explicit ResultsFolder(std::string folder);
  void simulationEnded(const SimulationRecord& job) override;
  void fieldDataAnalysed(const FieldRecord& field) override;
  void runEnded() override;
  std::string unfinishedFolder() const override { return folder_.unfinishedName(); }
  std::string folderName() const override { return folder_.finalName(); }
  std::int32_t wholeJobs() const override { return writing_ ? 0 : wholeJobs_; }

 private:
  // The name of a file in the folder.
  std::string inFolder(const std::string& file) const { return folder_.path() + "/" + file; }

  StagedFolder folder_;
  std::unique_ptr<CsvFile> summary_;
  std::unique_ptr<CsvFile> replicates_;
  std::vector<JobErrors> jobs_;  // for summary.svg
  std::int32_t wholeJobs_ = 0;
  bool writing_ = false;  // a job's files begun and not all written (a failed write leaves it so)
};

// Writes the analysis of nights into the new folder, whole or not at all:
// when `goOn` says no once the files are written (an interrupt), the folder
// is not made and a RunTimeError says so.
void writeFieldAnalysis(const std::string& folder, const fielddata::FieldAnalysis& analysis,
                        const std::function<bool()>& goOn = {});

}  // namespace arribada::results
