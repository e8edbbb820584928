#include "engine/replicate_summary.hpp"

#include <string>

#include "engine/real.hpp"

namespace arribada::engine {

void ReplicateSummary::add(const ReplicateEstimate& estimate) {
  if (!intervalIncludes(estimate.LCL, estimate.UCL, NN_)) ++NTILT_;
  replicates_.push_back(estimate);
}

ReplicateSummary::Statistics ReplicateSummary::statistics() const {
  Statistics s;
  // No replicate, nothing to average: everything stays 0.0 (the driver never asks for this).
  if (replicates_.empty()) return s;
  float SUM = 0.0f;
  float SS = 0.0f;
  for (const ReplicateEstimate& r : replicates_) {
    SUM = plus(SUM, r.MHAT);
    SS = plus(SS, r.VARM);
    s.SS2 = plus(s.SS2, r.VARTR);
    s.SS3 = plus(s.SS3, r.VARTI);
  }
  const double IREP = real(replicateCount());
  s.AVEPOP = stored(SUM / IREP);
  s.AVEVAR = stored(SS / IREP);
  s.SS2 = stored(s.SS2 / IREP);
  s.SS3 = stored(s.SS3 / IREP);
  float deviations = 0.0f;
  for (const ReplicateEstimate& r : replicates_) {
    const double d = wide(r.MHAT) - s.AVEPOP;
    deviations = plus(deviations, d * d);
  }
  // A single replicate has no empirical variance (divisor IREP - 1 = 0): it prints as 0.0.
  const std::int32_t divisor = replicateCount() - 1;
  s.SS = divisor == 0 ? 0.0f : stored(deviations / wide(real(divisor)));
  s.RATIO = stored(wide(real(NTILT_)) / IREP);
  return s;
}

void ReplicateSummary::write(text::RecordSink& report) const {
  const Statistics s = statistics();
  report.writeEmpty();
  report.writeEmpty();
  report.write({std::string("SUMMARY STATISTICS FOLLOW:")});
  report.write({std::string("AVERAGE ESTIMATED POPULATION SIZE="), s.AVEPOP});
  report.write({std::string("AVERAGE ESTIMATED POPULATION VARIANCE="), s.AVEVAR, s.SS2, s.SS3});
  report.write({std::string("EMPIRICAL VARIANCE="), s.SS});
  report.write({std::string("THE NUMBER OF TIMES THE CONFIDENCE INTERVALS")});
  report.write({std::string("DO NOT INCLUDE THE KNOWN POPULATION SIZE")});
  report.write({std::string("IS"), NTILT_, std::string("  OUT OF"), replicateCount(), std::string("  TIMES.")});
  report.write({std::string("WITH A PROPORTION OF"), s.RATIO});
}

}  // namespace arribada::driver
