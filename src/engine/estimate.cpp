#include "engine/estimate.hpp"

#include <cmath>
#include <string>

namespace arribada::engine {
namespace {

// numerator / divisor rounded to float, or 0.0 when the divisor is 0.
float varianceOrZero(double numerator, double divisor) {
  return divisor == 0.0 ? 0.0f : static_cast<float>(numerator / divisor);
}

float scaled(float CONST, float variance) { return static_cast<float>(static_cast<double>(CONST) * CONST * variance); }

double rootOrZero(float variance) { return variance > 0.0f ? std::sqrt(static_cast<double>(variance)) : 0.0; }

}  // namespace

IntervalLimits twoStandardErrorLimits(float MHAT, float variance) {
  const double s = rootOrZero(variance);
  return {static_cast<float>(MHAT - 2.0 * s), static_cast<float>(MHAT + 2.0 * s)};
}

bool intervalIncludes(float LCL, float UCL, std::int32_t NN) {
  const auto truth = static_cast<float>(NN);
  return !(LCL > truth || UCL < truth);
}

EstimateConstants makeEstimateConstants(const SimulationParameters& p) {
  EstimateConstants k;
  k.C = static_cast<float>(static_cast<double>(static_cast<float>(p.IC)) / static_cast<float>(p.NTR));
  k.H = static_cast<float>(p.IHR);
  k.HBAR = static_cast<float>(static_cast<double>(p.MIN) / 60.0);
  k.IC = p.IC;
  k.NT1 = p.NTI - 1;
  return k;
}

float expansionFactor(const EstimateConstants& k) {
  return static_cast<float>(static_cast<double>(k.H) / k.C / k.HBAR / k.NT1);
}

ReplicateEstimate estimateReplicate(const SampleTotals& t, const EstimateConstants& k, text::RecordSink& report) {
  const double NT1 = static_cast<float>(k.NT1);
  const double IC = static_cast<float>(k.IC);
  const double AN = t.AN;
  const float VARN = varianceOrZero(static_cast<double>(t.SS) * AN - static_cast<double>(t.SUM) * t.SUM, AN - 1.0);
  const float VARTR = varianceOrZero(NT1 * t.SS - t.SSTR, NT1 - 1.0);
  const float VARTI = varianceOrZero(IC * t.SS - t.SSTI, IC - 1.0);
  const float CONST = expansionFactor(k);

  ReplicateEstimate e;
  e.MHAT = static_cast<float>(static_cast<double>(CONST) * t.SUMN);
  report.write({std::string("MHAT="), e.MHAT});
  e.VARM = static_cast<float>(static_cast<double>(VARN) * CONST * CONST);
  e.VARTR = scaled(CONST, VARTR);
  e.VARTI = scaled(CONST, VARTI);
  const IntervalLimits limits = twoStandardErrorLimits(e.MHAT, e.VARTI);
  e.LCL = limits.LCL;
  e.UCL = limits.UCL;
  return e;
}

}  // namespace arribada::engine
