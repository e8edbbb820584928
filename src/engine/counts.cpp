#include "engine/hot_loops.hpp"  // first: see there
#include "engine/counts.hpp"

#include <string>

#include "engine/real.hpp"

namespace arribada::engine {
namespace {

// Steps through the sampled strips and their counting times.
void readSampledStrips(const CountGrid& TRAN, const SamplingPlan& plan, SampleWork& work, SampleTotals& t) {
  for (std::int32_t J = plan.firstStrip; J <= plan.NTR; J += plan.IT) {
    float BUM = 0.0f;
    ++t.M;
    for (std::int32_t NM = 1; NM <= plan.schedule.NT1; ++NM) {
      const float DUM = real(TRAN.at(J, plan.schedule.columnOf(NM)));
      t.SS = plus(t.SS, square(DUM));
      t.SUM = plus(t.SUM, DUM);
      BUM = plus(BUM, DUM);
      work.TI[static_cast<std::size_t>(NM - 1)] = plus(work.TI[static_cast<std::size_t>(NM - 1)], DUM);
    }
    work.TR[static_cast<std::size_t>(t.M - 1)] = BUM;
  }
}

}  // namespace

SamplingPlan makeSamplingPlan(const SimulationParameters& p, const SamplingSchedule& schedule) {
  return {.IT = p.NTR / p.IC, .NTR = p.NTR, .IC = p.IC, .firstStrip = 1, .schedule = schedule};
}

SampleTotals countSample(const CountGrid& TRAN, const SamplingPlan& plan, SampleWork& work, text::RecordSink& report) {
  // The time totals start from zero in every replicate.
  work.TI.fill(0.0f);
  SampleTotals t;
  readSampledStrips(TRAN, plan, work, t);
  t.AN = real(plan.schedule.NT1 * plan.IC);
  for (std::int32_t k = 0; k < plan.IC; ++k) {
    const float TRk = work.TR[static_cast<std::size_t>(k)];
    t.SSTR = plus(t.SSTR, square(TRk));
    t.SUMN = plus(t.SUMN, TRk);
  }
  for (std::int32_t k = 0; k < plan.schedule.NT1; ++k) {
    const float TIk = work.TI[static_cast<std::size_t>(k)];
    t.SSTI = plus(t.SSTI, square(TIk));
    t.SUMM = plus(t.SUMM, TIk);
  }
  if (t.SUM != t.SUMN) report.write({std::string("SUMN NE SUM"), t.SUMN, t.SUM});
  if (t.SUMM != t.SUMN) report.write({std::string("SUMN NE SUMM"), t.SUMM, t.SUMN});
  return t;
}

}  // namespace arribada::engine
