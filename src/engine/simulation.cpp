#include "engine/simulation.hpp"

namespace arribada::engine {

SimulationJob::SimulationJob(const SimulationParameters& p, const NestingTable& table) : params_(p), table_(table) {}

// Placeholder until the engine is built: a replicate does nothing yet.
ReplicateEstimate SimulationJob::runReplicate(std::int32_t, text::RecordSink&) { return {}; }

}  // namespace arribada::engine
