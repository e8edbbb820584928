#include "driver/summary.hpp"

namespace arribada::driver {

// Placeholder until the engine is built.
void ReplicateSummary::add(const engine::ReplicateEstimate& estimate) { replicates_.push_back(estimate); }

void ReplicateSummary::write(text::RecordSink&) const {}

}  // namespace arribada::driver
