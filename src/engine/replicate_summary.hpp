#pragma once
// The judgement of the estimator over the replicates of a job: the coverage
// test after every replicate and the summary lines after the last.

#include <cstdint>
#include <vector>

#include "engine/estimate.hpp"
#include "text/channels.hpp"

namespace arribada::engine {

class ReplicateSummary {
 public:
  // The averages and the empirical variance over the replicates added,
  // each sum kept in single precision and taken in replicate order.
  struct Statistics {
    float AVEPOP = 0.0f;
    float AVEVAR = 0.0f;
    float SS2 = 0.0f;
    float SS3 = 0.0f;
    float SS = 0.0f;  // empirical variance of the estimates, divisor IREP - 1
    float RATIO = 0.0f;
  };

  explicit ReplicateSummary(std::int32_t NN) : NN_(NN) {}
  // Stores the replicate's estimate and variances and counts a miss when its
  // interval does not include NN.
  void add(const ReplicateEstimate& estimate);
  // The summary lines over all replicates added. The driver adds at least
  // one replicate before it writes the summary.
  void write(text::RecordSink& report) const;

  Statistics statistics() const;
  std::int32_t NTILT() const { return NTILT_; }
  // The replicates added, replicate 1 first.
  const std::vector<ReplicateEstimate>& replicates() const { return replicates_; }

 private:
  std::int32_t replicateCount() const { return static_cast<std::int32_t>(replicates_.size()); }

  std::int32_t NN_;
  std::int32_t NTILT_ = 0;
  std::vector<ReplicateEstimate> replicates_;
};

}  // namespace arribada::driver
