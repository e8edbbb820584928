#include "results/measures.hpp"

#include <cmath>

#include "engine/real.hpp"

namespace arribada::results {
namespace {

using engine::stored;
using engine::wide;

// `divisor` is that of the variance estimate behind the intervals.
Coverage coverageOf(std::int32_t covered, std::int32_t IREP, std::int32_t divisor) {
  Coverage c;
  c.computed = divisor > 0;
  c.covered = covered;
  if (IREP <= 0 || !c.computed) return c;
  const double proportion = static_cast<double>(covered) / IREP;
  c.proportion = stored(proportion);
  c.standardError = stored(std::sqrt(proportion * (1.0 - proportion) / IREP));
  return c;
}

// The replicates whose MHAT -+ 2 sqrt(v) includes NN, v chosen by `variance`.
template <typename Variance>
std::int32_t coveredBy(const SimulationRecord& job, Variance variance) {
  std::int32_t covered = 0;
  for (const engine::ReplicateEstimate& r : job.replicates) {
    const engine::ConfidenceLimits limits = engine::twoStandardErrors(r.MHAT, variance(r));
    if (engine::intervalIncludes(limits.LCL, limits.UCL, job.parameters.NN)) ++covered;
  }
  return covered;
}

}  // namespace

JobMeasures measureJob(const SimulationRecord& job) {
  JobMeasures m;
  const auto IREP = static_cast<std::int32_t>(job.replicates.size());
  if (IREP == 0) return m;
  const double NN = job.parameters.NN;
  const double bias = wide(job.AVEPOP) - NN;
  m.bias = stored(bias);
  m.percentBias = stored(100.0 * bias / NN);
  double squares = 0.0;
  double errors = 0.0;
  for (const engine::ReplicateEstimate& r : job.replicates) {
    const double error = wide(r.MHAT) - NN;
    squares += error * error;
    errors += r.VARTI > 0.0f ? std::sqrt(wide(r.VARTI)) : 0.0;
  }
  m.rmse = stored(std::sqrt(squares / IREP));
  m.meanSE = stored(errors / IREP);
  // The divisors of VARM, VARTR and VARTI: sampled cells, sampling times and sampled strips, less one.
  const std::int32_t IC = job.parameters.IC;
  const std::int32_t NT1 = job.parameters.NTI - 1;
  m.printed = coverageOf(IREP - job.NTILT, IREP, IC - 1);
  m.VARM = coverageOf(coveredBy(job, [](const engine::ReplicateEstimate& r) { return r.VARM; }), IREP, IC * NT1 - 1);
  m.VARTR = coverageOf(coveredBy(job, [](const engine::ReplicateEstimate& r) { return r.VARTR; }), IREP, NT1 - 1);
  m.VARTI = coverageOf(coveredBy(job, [](const engine::ReplicateEstimate& r) { return r.VARTI; }), IREP, IC - 1);
  return m;
}

}  // namespace arribada::results
