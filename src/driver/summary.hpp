#pragma once
// The judgement of the estimator over the replicates of a job: the coverage
// test after every replicate and the summary lines after the last.

#include <cstdint>
#include <vector>

#include "engine/simulation.hpp"
#include "text/channels.hpp"

namespace arribada::driver {

class ReplicateSummary {
 public:
  explicit ReplicateSummary(std::int32_t NN) : NN_(NN) {}
  // Stores the replicate's estimate and variances and counts a miss when its
  // interval does not include NN.
  void add(const engine::ReplicateEstimate& estimate);
  // The summary lines over all replicates added.
  void write(text::RecordSink& report) const;

 private:
  std::int32_t NN_;
  std::int32_t NTILT_ = 0;
  std::vector<engine::ReplicateEstimate> replicates_;
};

}  // namespace arribada::driver
