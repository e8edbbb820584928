// arribada_simulate(): one simulation job, its parameters read as the
// program reads a parameter file's, its replicates run on the library's
// engine, its summary and replicates as the program's results tables.

#include <cpp11.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "engine/replicate_summary.hpp"
#include "engine/simulation.hpp"
#include "entry/dialogue.hpp"
#include "entry/parameter_entry.hpp"
#include "entry/parameter_file.hpp"
#include "r_tables.h"
#include "results/measures.hpp"
#include "results/rows.hpp"
#include "text/errors.hpp"
#include "text/lines.hpp"

namespace arribada::r {
namespace {

constexpr const char* kSource = "arribada_simulate()";

// The nine values of a parameter file (with JX 0 for the dialogue's
// default, completed below), then the table's hour marks and weights.
std::string parameterText(cpp11::list values, cpp11::doubles marks, cpp11::doubles weights) {
  std::ostringstream text;
  for (const char* name : {"NTR", "IC", "NN", "IHR", "JX", "MIN", "IREP", "STDDEV", "KSW"}) {
    text << r::decimal(cpp11::as_cpp<double>(values[name])) << ' ';
  }
  text << '\n';
  for (double mark : marks) text << r::decimal(mark) << ' ';
  text << '\n';
  for (double weight : weights) text << r::decimal(weight) << ' ';
  text << '\n';
  return text.str();
}

// A refusal of the parameter-file reader, said of the function's arguments.
[[noreturn]] void refuseArguments(const text::RunTimeError& error) {
  std::string message = error.what();
  const std::string prefix = std::string("the parameter file ") + kSource + " cannot be used: ";
  if (message.starts_with(prefix)) message.erase(0, prefix.size());
  cpp11::stop("%s", message.c_str());
}

struct Job {
  engine::SimulationParameters p;
  engine::NestingTable table;
};

// The parameters as a parameter file gives them, then the starting value:
// the keyboard dialogue's default when none is given (`useDefaultJX`).
Job jobFrom(cpp11::list values, cpp11::doubles marks, cpp11::doubles weights, bool useDefaultJX) {
  Job job;
  std::istringstream text(parameterText(values, marks, weights));
  text::LineSource source(text, kSource);
  try {
    job.table = entry::readParameterValues(source, job.p);
  } catch (const text::RunTimeError& error) {
    refuseArguments(error);
  }
  if (useDefaultJX) {
    job.p.NTI = job.p.IHR + 1;  // the dialogue's NTI, which its default uses
    // Where that product leaves the generator's range, the value the
    // dialogue itself proposes then (the default JX of its default values).
    constexpr std::int32_t kProposedJX = 762500001;
    job.p.JX = entry::keyboardDefaultSeed(job.p).value_or(kProposedJX);
  }
  entry::finishParameters(job.p, kSource);
  return job;
}

// Calls `progress` (an R function of the replicates done) unless it is NULL,
// and lets R stop the run between two replicates.
void reportProgress(SEXP progress, std::int32_t done) {
  cpp11::check_user_interrupt();
  if (progress == R_NilValue) return;
  const cpp11::function advance(progress);
  advance(cpp11::as_sexp(done));
}

}  // namespace

}  // namespace arribada::r

[[cpp11::register]]
cpp11::list simulate_job(cpp11::list values, cpp11::doubles marks, cpp11::doubles weights, bool defaultJX,
                         int threads, std::string instructionSet, SEXP progress) {
  using namespace arribada;
  const r::Job job = r::jobFrom(values, marks, weights, defaultJX);
  engine::EngineOptions options;
  options.threads = threads;
  options.instructionSet = r::instructionSetNamed(instructionSet);
  engine::ReplicateSummary summary(job.p.NN);
  std::int32_t independentReplicates = 0;
  {
    // The engine's second thread is stopped when the job goes, also when R stops the run.
    engine::SimulationJob simulation(job.p, job.table, options);
    text::RecordingSink report;
    for (std::int32_t L = 1; L <= job.p.IREP; ++L) {
      summary.add(simulation.runReplicate(report));
      report.records.clear();
      r::reportProgress(progress, L);
    }
    independentReplicates = simulation.period().independentReplicates();
  }
  const results::SimulationRecord record = results::simulationRecord(1, {}, job.p, summary, independentReplicates);
  std::vector<results::NamedRow> replicates;
  std::int32_t L = 0;
  for (const engine::ReplicateEstimate& r : record.replicates) {
    replicates.push_back(results::replicateRow(record.job, ++L, r, job.p.NN));
  }
  cpp11::writable::list table;
  table.push_back(cpp11::writable::doubles(job.table.UINT.begin(), job.table.UINT.begin() + job.table.KK));
  table.push_back(cpp11::writable::doubles(job.table.PERCNT.begin(), job.table.PERCNT.begin() + job.table.KK));
  table.names() = {"hour", "cumulative"};
  cpp11::writable::list out;
  out.push_back(r::columnsOf({results::summaryRow(record, results::measureJob(record))}));
  out.push_back(r::columnsOf(replicates));
  out.push_back(cpp11::as_sexp(job.p.JX));
  out.push_back(table);
  out.names() = {"summary", "replicates", "JX", "table"};
  return out;
}

[[cpp11::register]]
cpp11::strings instruction_sets() {
  cpp11::writable::strings names;
  for (arribada::engine::InstructionSet set : arribada::engine::runnableInstructionSets()) {
    names.push_back(arribada::engine::nameOf(set));
  }
  return names;
}
