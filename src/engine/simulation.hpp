#pragma once
// One simulation job: the run constants, the random stream and the pair
// switch of the normal law, and the replicates run one after the other.

#include <cstdint>
#include <optional>

#include "engine/counts.hpp"
#include "engine/estimate.hpp"
#include "engine/fast/fast_generation.hpp"
#include "engine/generation.hpp"
#include "engine/parameters.hpp"
#include "engine/random.hpp"
#include "text/channels.hpp"

namespace arribada::engine {

// How the count grids are built. Both ways give the same grids, report lines
// and stream; the plain one, one RANDOM call per draw on one thread, is the
// reference that the fast one is checked and timed against.
struct EngineOptions {
  bool plain = false;
  std::int32_t threads = defaultThreads();
  // The fast path's kernels; the processor must run them.
  InstructionSet instructionSet = bestInstructionSet();
  FastPathHooks hooks;  // only tests change these
  // The machine's cores, but at most 2: the second thread of a replicate is all the fast path uses.
  static std::int32_t defaultThreads();
};

class SimulationJob {
 public:
  // Computes the run constants; the stream starts at p.JX and the normal
  // law's pair switch starts a fresh pair. Parameters that the engine cannot
  // run (a seed outside 1 ... 2^31 - 2, strips, hours or table rows beyond
  // the grid, IC outside 1 ... NTR, fewer than 2 sampling periods, a law
  // other than 1, 2, 3, reals that are not finite or beyond 1e30) are
  // refused with a RunTimeError.
  // Given `strips`, the females use the beach unevenly and the grids are
  // built by the plain path whatever the options say.
  SimulationJob(const SimulationParameters& p, const NestingTable& table, const EngineOptions& options = {},
                std::optional<WeightedStrips> strips = std::nullopt);

  // Reset of the count grid, generation of the arribada, instantaneous
  // counts and estimate of the next replicate (the caller numbers the
  // replicates and files each result). Writes the engine's diagnostic lines
  // and "MHAT=" to the report.
  ReplicateEstimate runReplicate(text::RecordSink& report);

  // The next replicate's count grid alone, for callers that count it their
  // own ways (the design search); the stream moves on as runReplicate's does.
  const CountGrid& buildGrid(text::RecordSink& report);

  // Draws taken since the job began, and the job's replicates against the stream's period.
  std::uint64_t drawsTaken() const { return plainDraws_ + fast_.drawsTaken(); }
  const PeriodWatch& period() const { return period_; }

  // The stream's state as it now stands (the starting value before the first replicate).
  std::int32_t JX() const { return JX_; }
  const CountGrid& grid() const { return TRAN_; }
  const NormalPair& pair() const { return pair_; }
  const SampleWork& sampleWork() const { return work_; }
  // Replicates shared between two threads (always 0 on the plain path).
  std::int32_t sharedReplicates() const { return fast_.sharedReplicates(); }
  InstructionSet instructionSet() const { return fast_.instructionSet(); }
  PlacementCounts placementCounts() const { return fast_.counts(); }

 private:
  SimulationParameters params_;
  GenerationConstants generation_;
  SamplingPlan plan_;
  EstimateConstants estimate_;
  std::int32_t JX_;
  NormalPair pair_;
  bool plain_;
  FastGenerator fast_;
  CountGrid TRAN_;
  SampleWork work_;
  std::optional<WeightedStrips> strips_;
  std::uint64_t plainDraws_ = 0;
  PeriodWatch period_;
};

}  // namespace arribada::engine
