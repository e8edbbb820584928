#include "design/measures.hpp"

#include <algorithm>
#include <cmath>
#include <functional>

#include "fielddata/nights.hpp"
#include "results/svg.hpp"

namespace arribada::design {
namespace {

// The mean and standard deviation (divisor n - 1; 0 for a single value) of f over the replicates.
struct Moments {
  double mean = 0.0;
  double sd = 0.0;
};

Moments momentsOf(const std::vector<engine::ReplicateEstimate>& reps,
                  const std::function<double(const engine::ReplicateEstimate&)>& f) {
  Moments m;
  if (reps.empty()) return m;
  for (const auto& r : reps) m.mean += f(r);
  m.mean /= static_cast<double>(reps.size());
  if (reps.size() < 2) return m;
  double squares = 0.0;
  for (const auto& r : reps) squares += (f(r) - m.mean) * (f(r) - m.mean);
  m.sd = std::sqrt(squares / static_cast<double>(reps.size() - 1));
  return m;
}

// The share of replicates whose interval includes NN, and its binomial standard error.
void coverageOf(const std::vector<engine::ReplicateEstimate>& reps, double independent,
                const std::function<bool(const engine::ReplicateEstimate&)>& includes, std::optional<double>& share,
                std::optional<double>& se) {
  const double covered = momentsOf(reps, [&](const engine::ReplicateEstimate& r) { return includes(r) ? 1.0 : 0.0; }).mean;
  share = covered;
  se = std::sqrt(covered * (1.0 - covered) / independent);
}

// Whether MHAT -+ 2 sqrt(v) includes NN, for the variance estimate v.
std::function<bool(const engine::ReplicateEstimate&)> twoSEIncludes(std::int32_t NN,
                                                                    float engine::ReplicateEstimate::*variance) {
  return [NN, variance](const engine::ReplicateEstimate& r) {
    const engine::ConfidenceLimits l = engine::twoStandardErrors(r.MHAT, r.*variance);
    return engine::intervalIncludes(l.LCL, l.UCL, NN);
  };
}

// Whether the log-normal interval from MHAT and VARTI includes NN; without
// one (an estimate of 0) the interval is the estimate alone.
bool logNormalIncludes(const engine::ReplicateEstimate& r, std::int32_t NN) {
  const auto limits = fielddata::logNormalLimits(r.MHAT, r.VARTI);
  if (!limits) return double{r.MHAT} == NN;
  return limits->lower <= NN && NN <= limits->upper;
}

}  // namespace

DesignMeasures measureDesign(const std::vector<engine::ReplicateEstimate>& reps, std::int32_t NN,
                             std::int32_t independent, bool withVariance) {
  DesignMeasures m;
  m.replicates = static_cast<std::int32_t>(reps.size());
  if (reps.empty()) return m;
  const double N = NN;
  const double R = std::max(1, std::min(independent, m.replicates));
  const Moments estimate = momentsOf(reps, [](const auto& r) { return double{r.MHAT}; });
  m.meanEstimate = estimate.mean;
  m.meanEstimateSE = estimate.sd / std::sqrt(R);
  m.percentBias = 100.0 * (estimate.mean - N) / N;
  m.percentBiasSE = 100.0 * m.meanEstimateSE / N;
  m.cv = estimate.sd / N;
  m.cvSE = R > 1.0 ? m.cv / std::sqrt(2.0 * (R - 1.0)) : 0.0;
  // RMSE = sqrt(MSE); its error by the delta method, SE(MSE) / (2 RMSE).
  const Moments squared = momentsOf(reps, [N](const auto& r) { return (r.MHAT - N) * (r.MHAT - N); });
  m.rmse = std::sqrt(squared.mean);
  m.rmseSE = m.rmse > 0.0 ? squared.sd / std::sqrt(R) / (2.0 * m.rmse) : 0.0;
  m.misses = static_cast<std::int32_t>(std::count_if(
      reps.begin(), reps.end(), [NN](const auto& r) { return !engine::intervalIncludes(r.LCL, r.UCL, NN); }));
  const Moments width = momentsOf(reps, [](const auto& r) {
    return r.VARTI > 0.0f ? 2.0 * std::sqrt(double{r.VARTI}) : 0.0;
  });
  m.halfWidthPercent = 100.0 * width.mean / N;
  m.halfWidthPercentSE = 100.0 * width.sd / (N * std::sqrt(R));
  if (withVariance) {
    m.coverage = 1.0 - m.misses / static_cast<double>(m.replicates);
    m.coverageSE = std::sqrt(*m.coverage * (1.0 - *m.coverage) / R);
    using E = engine::ReplicateEstimate;
    coverageOf(reps, R, twoSEIncludes(NN, &E::VARM), m.coverageVARM, m.coverageVARMSE);
    coverageOf(reps, R, twoSEIncludes(NN, &E::VARTR), m.coverageVARTR, m.coverageVARTRSE);
    coverageOf(reps, R, twoSEIncludes(NN, &E::VARTI), m.coverageVARTI, m.coverageVARTISE);
    coverageOf(reps, R, [NN](const E& r) { return logNormalIncludes(r, NN); }, m.coverageLogNormal,
               m.coverageLogNormalSE);
  }
  return m;
}

double shortfall(const DesignMeasures& m, std::int32_t NN, const SearchSettings& settings) {
  if (!m.coverage) return 1.0;
  const double precision = ((m.rmse - 2.0 * m.rmseSE) / NN - settings.TARGET_CV) / settings.TARGET_CV;
  const double coverage = (settings.TARGET_COVERAGE - (*m.coverage + 2.0 * *m.coverageSE)) / settings.TARGET_COVERAGE;
  return std::max({0.0, precision, coverage});
}

bool meetsTargets(const DesignMeasures& m, std::int32_t NN, const SearchSettings& settings) {
  return m.coverage && m.replicates > 0 && shortfall(m, NN, settings) == 0.0;
}

bool meetsPrecision(const DesignMeasures& m, std::int32_t NN, const SearchSettings& settings) {
  return (m.rmse - 2.0 * m.rmseSE) / NN <= settings.TARGET_CV;
}

bool meetsCoverage(const DesignMeasures& m, const SearchSettings& settings) {
  return m.coverage && *m.coverage + 2.0 * *m.coverageSE >= settings.TARGET_COVERAGE;
}

std::string targetsText(const SearchSettings& settings) {
  return "relative RMSE - 2 SE <= " + fixed(settings.TARGET_CV, 3) + ", coverage + 2 SE >= " +
         fixed(settings.TARGET_COVERAGE, 3);
}

std::string designName(const Design& d) {
  return "IC " + std::to_string(d.IC) + ", every " + std::to_string(d.EVERY) + " h, " +
         (d.START == Start::random ? "random start" : "first strip") +
         (d.observers > 1 ? ", " + std::to_string(d.observers) + " observers" : std::string()) +
         (d.allocation == Allocation::density ? ", density allocation" : std::string());
}

std::string fixed(double value, int decimals) { return results::decimalText(value, decimals); }

}  // namespace arribada::design
