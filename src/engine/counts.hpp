#pragma once
// The instantaneous counts of one replicate: a systematic sample of strips,
// each read at the counting times of the sampling schedule (every second hour
// of the arribada in the program's own jobs), reduced to the totals and sums
// of squares that the estimate needs.

#include <array>
#include <cstdint>

#include "engine/generation.hpp"
#include "engine/parameters.hpp"
#include "text/channels.hpp"

namespace arribada::engine {

// How the beach is sampled; fixed for a job.
struct SamplingPlan {
  std::int32_t IT = 1;  // step between sampled strips, NTR / IC
  std::int32_t NTR = 0;
  std::int32_t IC = 0;
  std::int32_t firstStrip = 1;  // the systematic sample visits firstStrip, firstStrip + IT, ... up to NTR
  SamplingSchedule schedule;    // the counting times read in every visited strip
};

// The program's plan: strips 1, 1 + IT, ... read at the given schedule.
SamplingPlan makeSamplingPlan(const SimulationParameters& p, const SamplingSchedule& schedule);
inline SamplingPlan makeSamplingPlan(const SimulationParameters& p) {
  return makeSamplingPlan(p, samplingSchedule(p.IHR));
}

// Per-strip and per-time totals. TR(m) is TR[m - 1] and TI(n) is TI[n - 1].
struct SampleWork {
  std::array<float, kMaxStrips> TR{};
  std::array<float, kMaxHours + 1> TI{};
};

struct SampleTotals {
  float SUM = 0.0f;   // all sampled cells
  float SS = 0.0f;    // squares of the sampled cells
  float SUMN = 0.0f;  // TR(1 ... IC)
  float SSTR = 0.0f;
  float SUMM = 0.0f;  // TI(1 ... NT1)
  float SSTI = 0.0f;
  float AN = 0.0f;     // sampled cells, NT1 * IC
  std::int32_t M = 0;  // strips visited
};

// Reads the sampled cells of TRAN into `work` and the totals, and writes
// "SUMN NE SUM" / "SUMN NE SUMM" when the three ways of totalling disagree
// (when IC does not divide NTR the strips after the IC-th are visited and
// counted in SUM and TI, but left out of SUMN).
SampleTotals countSample(const CountGrid& TRAN, const SamplingPlan& plan, SampleWork& work, text::RecordSink& report);

}  // namespace arribada::engine
