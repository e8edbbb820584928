#include "engine/hot_loops.hpp"  // first: see there
#include "engine/estimate.hpp"

#include <cmath>
#include <string>

#include "engine/real.hpp"

namespace arribada::engine {
namespace {

// numerator / divisor rounded to float, or 0.0 when the divisor is 0.
float varianceOrZero(double numerator, double divisor) { return divisor == 0.0 ? 0.0f : stored(numerator / divisor); }

// CONST^2 x variance, in this order: VARM takes its factors the other way
// round, VARN x CONST x CONST, and the two orders can differ in the last digit.
float scaled(float CONST, float variance) { return stored(wide(CONST) * CONST * variance); }

}  // namespace

ConfidenceLimits twoStandardErrors(float estimate, float variance) {
  const double s = variance > 0.0f ? std::sqrt(wide(variance)) : 0.0;
  return {stored(estimate - 2.0 * s), stored(estimate + 2.0 * s)};
}

EstimateConstants makeEstimateConstants(const SimulationParameters& p, const SamplingSchedule& schedule) {
  EstimateConstants k;
  k.C = stored(wide(real(p.IC)) / real(p.NTR));
  k.H = real(p.IHR);
  k.HBAR = stored(wide(p.MIN) / 60.0);
  k.IC = p.IC;
  k.NT1 = schedule.NT1;
  return k;
}

bool intervalIncludes(float LCL, float UCL, std::int32_t NN) {
  const float truth = real(NN);
  return !(LCL > truth || UCL < truth);
}

float expansionFactor(const EstimateConstants& k) { return stored(wide(k.H) / k.C / k.HBAR / k.NT1); }

ReplicateEstimate estimateReplicate(const SampleTotals& t, const EstimateConstants& k, text::RecordSink& report) {
  const double NT1 = real(k.NT1);
  const double IC = real(k.IC);
  const double AN = t.AN;
  const float VARN = varianceOrZero(wide(t.SS) * AN - wide(t.SUM) * t.SUM, AN - 1.0);
  const float VARTR = varianceOrZero(NT1 * t.SS - t.SSTR, NT1 - 1.0);
  const float VARTI = varianceOrZero(IC * t.SS - t.SSTI, IC - 1.0);
  const float CONST = expansionFactor(k);

  ReplicateEstimate e;
  e.MHAT = stored(wide(CONST) * t.SUMN);
  report.write({std::string("MHAT="), e.MHAT});
  e.VARM = stored(wide(VARN) * CONST * CONST);
  e.VARTR = scaled(CONST, VARTR);
  e.VARTI = scaled(CONST, VARTI);
  const ConfidenceLimits limits = twoStandardErrors(e.MHAT, e.VARTI);
  e.LCL = limits.LCL;
  e.UCL = limits.UCL;
  return e;
}

}  // namespace arribada::engine
