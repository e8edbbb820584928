#pragma once
// What the driver hands on as each job ends, for tables and pictures beside
// the report, and the narrow interface through which it does so. The plain
// ResultsSink keeps nothing: without a results folder the run is the same.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "engine/estimate.hpp"
#include "engine/parameters.hpp"
#include "engine/replicate_summary.hpp"
#include "fielddata/analysis.hpp"

namespace arribada::results {

// A simulation job once its summary is written.
struct SimulationRecord {
  std::int32_t job = 0;                                   // the job's number in the run, from 1
  std::string title;                                      // the parameter file's title; empty from the keyboard
  engine::SimulationParameters parameters;                // as the report echoes them: JX is the starting value
  std::span<const engine::ReplicateEstimate> replicates;  // replicate 1 first
  // The summary as the report prints it.
  float AVEPOP = 0.0f;     // average estimate
  float AVEVAR = 0.0f;     // average VARM
  float SS2 = 0.0f;        // average VARTR
  float SS3 = 0.0f;        // average VARTI
  float SS = 0.0f;         // empirical variance of the estimates
  std::int32_t NTILT = 0;  // intervals that miss NN
  // Replicates completed before the random stream's draws reached its
  // period; the later ones reuse earlier draws.
  std::int32_t independentReplicates = 0;
};

// The record of job number `job` from its summary, which must outlive it.
SimulationRecord simulationRecord(std::int32_t job, std::string title, const engine::SimulationParameters& p,
                                  const engine::ReplicateSummary& summary, std::int32_t independentReplicates);

// A field-data job once its limits are printed.
struct FieldRecord {
  std::int32_t job = 0;
  std::string title;  // the data file's title line, trailing blanks removed
  fielddata::FieldResult result;
};

class ResultsSink {
 public:
  virtual ~ResultsSink() = default;
  virtual void simulationEnded(const SimulationRecord&) {}
  virtual void fieldDataAnalysed(const FieldRecord&) {}
  // The run has ended in order: a folder takes its final name (a
  // RunTimeError when it cannot). A sink destroyed before leaves nothing.
  virtual void runEnded() {}
  // Where the files are written until runEnded(); empty without a folder.
  virtual std::string unfinishedFolder() const { return {}; }
  // The folder's final name; empty without one.
  virtual std::string folderName() const { return {}; }
  // Jobs whose files are all written, none being written now: what a run
  // that ends on a run-time error may still keep.
  virtual std::int32_t wholeJobs() const { return 0; }
};

// A folder's sink, its unfinished folder created now (a RunTimeError when the
// final name exists); the plain sink without a folder.
std::unique_ptr<ResultsSink> openResults(const std::optional<std::string>& folder);

}  // namespace arribada::results
