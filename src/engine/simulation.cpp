#include "engine/simulation.hpp"

#include <cmath>
#include <algorithm>
#include <string>
#include <thread>

#include "engine/random.hpp"
#include "text/errors.hpp"

namespace arribada::engine {
namespace {

void require(bool holds, const std::string& what, const std::string& value) {
  if (!holds) throw text::RunTimeError("simulation: cannot run with " + what + " = " + value);
}

void requireInRange(std::int32_t value, std::int32_t low, std::int32_t high, const std::string& name) {
  require(value >= low && value <= high,
          name + " (allowed " + std::to_string(low) + " to " + std::to_string(high) + ")", std::to_string(value));
}

// Reals far beyond any beach (or not numbers at all) would carry the
// nesting-time arithmetic out of single precision.
void requireModest(float value, const std::string& name) {
  require(std::isfinite(value) && std::fabs(value) <= 1.0e30f, name, std::to_string(value));
}

// The parameter entry only lets through values inside these limits; a job
// that gets past it with anything else would leave the grid or the stream.
const SimulationParameters& checked(const SimulationParameters& p, const NestingTable& table) {
  requireInRange(p.JX, 1, kLargestSeed, "JX");
  requireInRange(p.NTR, 1, kMaxStrips, "NTR");
  requireInRange(p.IC, 1, p.NTR, "IC");
  requireInRange(p.IHR, 1, kMaxHours, "IHR");
  requireInRange(p.NTI, 2, kMaxHours + 2, "NTI");
  require(p.NTI == samplingSchedule(p.IHR).NTI(), "NTI other than the schedule's for IHR = " + std::to_string(p.IHR),
          std::to_string(p.NTI));
  requireInRange(table.KK, 1, kMaxTableRows, "KK");
  requireModest(p.MIN, "MIN");
  requireModest(p.STDDEV, "STDDEV");
  for (std::int32_t i = 0; i < table.KK; ++i) {
    const auto row = static_cast<std::size_t>(i);
    requireModest(table.UINT[row], "hour mark " + std::to_string(i + 1));
    requireModest(table.PERCNT[row], "proportion " + std::to_string(i + 1));
  }
  return p;
}

}  // namespace

std::int32_t EngineOptions::defaultThreads() {
  const unsigned cores = std::thread::hardware_concurrency();
  return cores >= 2 ? 2 : 1;
}

SimulationJob::SimulationJob(const SimulationParameters& p, const NestingTable& table, const EngineOptions& options,
                             std::optional<WeightedStrips> strips)
    : params_(checked(p, table)),
      generation_(makeGenerationConstants(p, table)),
      plan_(makeSamplingPlan(p)),
      estimate_(makeEstimateConstants(p)),
      JX_(p.JX),
      plain_(options.plain || strips.has_value()),
      fast_(generation_, table, plain_ ? 1 : options.threads, options.instructionSet, options.hooks),
      TRAN_(p.NTR, p.IHR + 1),
      strips_(std::move(strips)) {}

const CountGrid& SimulationJob::buildGrid(text::RecordSink& report) {
  if (plain_) {
    plainDraws_ += generateReplicate(TRAN_, JX_, pair_, generation_, params_.NN, report, strips_ ? &*strips_ : nullptr);
  } else {
    fast_.generate(TRAN_, JX_, pair_, params_.NN, report);
  }
  period_.replicateEnded(drawsTaken());
  return TRAN_;
}

ReplicateEstimate SimulationJob::runReplicate(text::RecordSink& report) {
  buildGrid(report);
  const SampleTotals totals = countSample(TRAN_, plan_, work_, report);
  return estimateReplicate(totals, estimate_, report);
}

}  // namespace arribada::engine
