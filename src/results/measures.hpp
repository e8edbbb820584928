#pragma once
// How the estimator did over one job's replicates, in the terms survey
// designers compare designs by: bias, root mean squared error and the
// coverage of the intervals, with the coverage's Monte Carlo standard error.

#include <cstdint>

#include "results/sink.hpp"

namespace arribada::results {

// The share of `IREP` replicates whose interval includes NN, and its
// standard error sqrt(c (1 - c) / IREP) as a proportion of IREP draws.
// A coverage whose variance estimate has a divisor of 0 (one sampled strip,
// cell or sampling time, possible from a parameter file) is not computed.
struct Coverage {
  bool computed = true;
  std::int32_t covered = 0;
  float proportion = 0.0f;
  float standardError = 0.0f;
};

struct JobMeasures {
  float bias = 0.0f;         // average estimate minus NN
  float percentBias = 0.0f;  // bias as a percentage of NN
  float rmse = 0.0f;         // square root of the average of (MHAT - NN)^2
  float meanSE = 0.0f;       // average of sqrt(VARTI), the printed intervals' standard error (0 for a negative VARTI)
  Coverage printed;          // the report's intervals: IREP - NTILT replicates
  // The intervals MHAT -+ 2 sqrt(v) for each variance estimate v; those for
  // VARTI are the printed ones.
  Coverage VARM;
  Coverage VARTR;
  Coverage VARTI;
};

// Every measure is formed in double precision from the stored reals and
// rounded to a real once. A job without replicates has every measure 0.
JobMeasures measureJob(const SimulationRecord& job);

}  // namespace arribada::results
