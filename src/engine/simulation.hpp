#pragma once
// One simulation job: the run constants, the random stream and the pair
// switch of the normal law, and the replicates run one after the other.

#include <cstdint>

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

class SimulationJob {
 public:
  // Computes the run constants; the stream starts at p.JX and the normal
  // law's pair switch starts a fresh pair.
  SimulationJob(const SimulationParameters& p, const NestingTable& table);

  // Reset of the count grid, generation of the arribada, instantaneous
  // counts and estimate of replicate L (1-based). Writes the engine's
  // diagnostic lines and "MHAT=" to the report.
  ReplicateEstimate runReplicate(std::int32_t L, text::RecordSink& report);

 private:
  SimulationParameters params_;
  NestingTable table_;
};

}  // namespace arribada::engine
