#include "api/simulation.hpp"

#include <sstream>

#include "api/conversions.hpp"
#include "engine/replicate_summary.hpp"
#include "engine/simulation.hpp"
#include "entry/dialogue.hpp"
#include "entry/parameter_entry.hpp"
#include "entry/parameter_file.hpp"
#include "results/charts.hpp"
#include "results/measures.hpp"
#include "results/rows.hpp"
#include "text/errors.hpp"
#include "text/lines.hpp"

namespace arribada::api {
namespace {

using detail::decimalText;

// The nine values in a parameter file's order (JX 0 when none is given, for
// the default chosen below), then a table's hour marks and weights.
std::string parameterText(const SimulationValues& v) {
  const bool table = !v.tableHours.empty();
  const double IHR = table ? static_cast<double>(v.tableHours.size()) : v.IHR;
  std::ostringstream text;
  for (double value : {v.NTR, v.IC, v.NN, IHR, v.JX.value_or(0.0), v.MIN, v.IREP, v.STDDEV, v.KSW}) {
    text << decimalText(value) << ' ';
  }
  text << '\n';
  for (double mark : v.tableHours) text << decimalText(mark) << ' ';
  text << '\n';
  for (double weight : v.tableWeights) text << decimalText(weight) << ' ';
  text << '\n';
  return text.str();
}

struct Job {
  engine::SimulationParameters p;
  engine::NestingTable table;
};

// The values as a parameter file gives them, refused in the file reader's
// words without the file's: "CALLER: NN = ...".
Job readValues(const SimulationValues& values, const std::string& caller) {
  if (values.tableHours.size() != values.tableWeights.size()) {
    throw text::RunTimeError(caller + ": the nesting-time table has " + std::to_string(values.tableHours.size()) +
                             " hours but " + std::to_string(values.tableWeights.size()) + " weights");
  }
  Job job;
  std::istringstream text(parameterText(values));
  text::LineSource source(text, caller);
  try {
    job.table = entry::readParameterValues(source, job.p);
  } catch (const text::RunTimeError& error) {
    std::string message = error.what();
    const std::string prefix = "the parameter file " + caller + " cannot be used: ";
    if (message.starts_with(prefix)) message.erase(0, prefix.size());
    throw text::RunTimeError(message);
  } catch (const text::OrderlyStop&) {
    throw text::RunTimeError(caller + ": NTR " + decimalText(values.NTR) + ", IHR " + decimalText(values.IHR) +
                             " and KSW " + decimalText(values.KSW) +
                             " stop the program: NTR and IHR must be at least 1, KSW 1 to 3");
  }
  return job;
}

// The job as it runs: the dialogue's default JX when none is given, then
// the finishing steps every simulation takes.
Job jobFrom(const SimulationValues& values, const std::string& caller) {
  Job job = readValues(values, caller);
  if (!values.JX) {
    job.p.NTI = entry::keyboardNTI(job.p.IHR);
    const auto seed = entry::keyboardDefaultSeed(job.p);
    if (!seed) throw text::RunTimeError(caller + ": " + entry::whyNoDefaultSeed(job.p));
    job.p.JX = *seed;
  }
  entry::finishParameters(job.p, caller);
  return job;
}

SimulationFigures figuresOf(const results::SimulationRecord& record) {
  return {.averageEstimate = record.AVEPOP,
          .averageVARM = record.AVEVAR,
          .averageVARTR = record.SS2,
          .averageVARTI = record.SS3,
          .empiricalVariance = record.SS,
          .misses = record.NTILT,
          .replicates = record.parameters.IREP};
}

// What the results folder holds of the job, as values and texts.
Simulation productsOf(const Job& job, const results::SimulationRecord& record) {
  const results::JobMeasures measures = results::measureJob(record);
  Simulation out;
  out.figures = figuresOf(record);
  out.JX = job.p.JX;
  out.IHR = job.p.IHR;
  out.summary = results::summaryRow(record, measures);
  std::int32_t L = 0;
  for (const engine::ReplicateEstimate& r : record.replicates) {
    out.replicates.push_back(results::replicateRow(record.job, ++L, r, job.p.NN));
  }
  out.tableHours.assign(job.table.UINT.begin(), job.table.UINT.begin() + job.table.KK);
  out.tableCumulative.assign(job.table.PERCNT.begin(), job.table.PERCNT.begin() + job.table.KK);
  out.summaryCsv = results::csvText({out.summary});
  out.replicatesCsv = results::csvText(out.replicates);
  out.histogramSvg = results::simulationPicture(record, measures);
  return out;
}

}  // namespace

Simulation runSimulation(const SimulationValues& values, const EngineChoice& engine, const ReplicateProgress& progress,
                         const std::string& caller) {
  const Job job = jobFrom(values, caller);
  const engine::EngineOptions options = detail::engineOptions(engine);
  engine::ReplicateSummary summary(job.p.NN);
  std::int32_t independentReplicates = 0;
  {
    // The engine's second thread is stopped when the job goes, also when `progress` throws.
    engine::SimulationJob simulation(job.p, job.table, options);
    text::RecordingSink report;
    for (std::int32_t L = 1; L <= job.p.IREP; ++L) {
      summary.add(simulation.runReplicate(report));
      report.records.clear();
      if (progress) progress(L);
    }
    independentReplicates = simulation.period().independentReplicates();
  }
  return productsOf(job, results::simulationRecord(1, {}, job.p, summary, independentReplicates));
}

std::optional<std::int32_t> dialogueDefaultJX(const SimulationValues& values) {
  try {
    Job job = readValues(values, "the values");
    job.p.NTI = entry::keyboardNTI(job.p.IHR);
    return entry::keyboardDefaultSeed(job.p);
  } catch (const text::RunTimeError&) {
    return std::nullopt;
  }
}

}  // namespace arribada::api
