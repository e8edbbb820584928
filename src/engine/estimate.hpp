#pragma once
// The instantaneous-count estimate of one replicate, its three variance
// estimates and its confidence limits.

#include <cstdint>

#include "engine/counts.hpp"
#include "engine/parameters.hpp"
#include "text/channels.hpp"

namespace arribada::engine {

// What one replicate leaves for the summary over the replicates.
struct ReplicateEstimate {
  float MHAT = 0.0f;
  float VARM = 0.0f;
  float VARTR = 0.0f;
  float VARTI = 0.0f;
  float LCL = 0.0f;
  float UCL = 0.0f;
};

// Fixed for a job.
struct EstimateConstants {
  float C = 0.0f;     // sampling fraction of strips, IC / NTR
  float H = 0.0f;     // length of the arribada in hours
  float HBAR = 0.0f;  // egg-laying activity of one female in hours, MIN / 60
  std::int32_t IC = 0;
  std::int32_t NT1 = 0;
};

// The constants of parameters p counted at `schedule`'s NT1 times.
EstimateConstants makeEstimateConstants(const SimulationParameters& p, const SamplingSchedule& schedule);
inline EstimateConstants makeEstimateConstants(const SimulationParameters& p) {
  return makeEstimateConstants(p, samplingSchedule(p.IHR));
}

struct ConfidenceLimits {
  float LCL = 0.0f;
  float UCL = 0.0f;
};

// The 95% limits of an estimate, estimate -+ 2 sqrt(variance), each rounded
// once; a variance that rounding left at or below zero has a root of 0. The
// simulation's replicates and the field-data analysis both use it.
ConfidenceLimits twoStandardErrors(float estimate, float variance);

// Whether the interval includes the true number of females: a limit equal to NN counts as inside.
bool intervalIncludes(float LCL, float UCL, std::int32_t NN);

// CONST: how many females one counted turtle of the sample stands for.
float expansionFactor(const EstimateConstants& k);

// MHAT, the variances VARM, VARTR, VARTI scaled by CONST^2, and the limits
// twoStandardErrors(MHAT, VARTI). Writes "MHAT=" to the report.
// A variance whose divisor is 0 (a single sampled cell, sampling time or
// strip, which only a parameter file can bring) is stored as 0.0; a
// variance made negative by rounding has its square root taken as 0.
ReplicateEstimate estimateReplicate(const SampleTotals& t, const EstimateConstants& k, text::RecordSink& report);

}  // namespace arribada::engine
