#include "engine/counts.hpp"

#include <gtest/gtest.h>

#include "engine/estimate.hpp"
#include "text/format.hpp"

namespace arribada::engine {
namespace {

SimulationParameters beach(std::int32_t NTR, std::int32_t IC, std::int32_t IHR, float MIN) {
  SimulationParameters p;
  p.NTR = NTR;
  p.IC = IC;
  p.IHR = IHR;
  p.NTI = samplingSchedule(IHR).NTI();
  p.MIN = MIN;
  return p;
}

// A grid that can be filled by hand: TRAN(J, K) = count.
struct Grid {
  CountGrid TRAN;
  std::int32_t hours;
  explicit Grid(const SimulationParameters& p) : TRAN(p.NTR, p.IHR + 1), hours(p.IHR + 1) {}
  void set(std::int32_t J, std::int32_t K, std::int32_t count) {
    for (std::int32_t i = 0; i < count; ++i) TRAN.tally(CountGrid::cellOf(J, K, hours));
  }
};

TEST(Counts, DefaultsExpandEachCountedTurtleToFortyEight) {
  const SimulationParameters p = beach(10, 5, 60, 5.0f);
  const EstimateConstants k = makeEstimateConstants(p);
  EXPECT_EQ(k.C, 0.5f);
  EXPECT_EQ(k.H, 60.0f);
  EXPECT_NEAR(k.HBAR, 0.083333, 1e-6);
  EXPECT_EQ(k.NT1, 30);
  EXPECT_EQ(expansionFactor(k), 48.0f);
  const SamplingPlan plan = makeSamplingPlan(p);
  EXPECT_EQ(plan.IT, 2);
  EXPECT_EQ(plan.schedule.NT1, 30);
}

TEST(Counts, EmptySampleGivesZerosAndNoLine) {
  const SimulationParameters p = beach(10, 5, 60, 5.0f);
  Grid g(p);
  g.set(2, 2, 4);   // strip 2 is not sampled
  g.set(1, 3, 4);   // hour 2 is not sampled
  g.set(1, 1, 4);   // nor hour 0
  g.set(1, 61, 4);  // nor hour 60, the end of the arribada
  SampleWork work;
  text::RecordingSink report;
  const SampleTotals t = countSample(g.TRAN, makeSamplingPlan(p), work, report);
  EXPECT_EQ(t.SUM, 0.0f);
  EXPECT_EQ(t.SS, 0.0f);
  EXPECT_EQ(t.SUMN, 0.0f);
  EXPECT_EQ(t.SUMM, 0.0f);
  EXPECT_EQ(t.M, 5);
  EXPECT_EQ(t.AN, 150.0f);
  const ReplicateEstimate e = estimateReplicate(t, makeEstimateConstants(p), report);
  EXPECT_EQ(e.MHAT, 0.0f);
  EXPECT_EQ(e.VARM, 0.0f);
  EXPECT_EQ(e.VARTR, 0.0f);
  EXPECT_EQ(e.VARTI, 0.0f);
  EXPECT_EQ(e.LCL, 0.0f);
  EXPECT_EQ(e.UCL, 0.0f);
  ASSERT_EQ(report.records.size(), 1u);
  EXPECT_EQ(report.records[0], " MHAT=   0.000000E+00");
}

TEST(Counts, SmallSampleByHand) {
  // Strips 1 and 3 of 4, hours 1 and 3 of 4: CONST = 4 / 0.5 / 1 / 2 = 4.
  const SimulationParameters p = beach(4, 2, 4, 60.0f);
  Grid g(p);
  g.set(1, 2, 1);
  g.set(1, 4, 3);
  g.set(3, 2, 2);
  g.set(3, 4, 6);
  g.set(2, 2, 100);  // not sampled
  g.set(1, 3, 50);
  SampleWork work;
  text::RecordingSink report;
  const SampleTotals t = countSample(g.TRAN, makeSamplingPlan(p), work, report);
  EXPECT_EQ(t.SUM, 12.0f);
  EXPECT_EQ(t.SS, 50.0f);
  EXPECT_EQ(work.TR[0], 4.0f);
  EXPECT_EQ(work.TR[1], 8.0f);
  EXPECT_EQ(work.TI[0], 3.0f);
  EXPECT_EQ(work.TI[1], 9.0f);
  EXPECT_EQ(t.SUMN, 12.0f);
  EXPECT_EQ(t.SSTR, 80.0f);
  EXPECT_EQ(t.SUMM, 12.0f);
  EXPECT_EQ(t.SSTI, 90.0f);
  EXPECT_EQ(t.AN, 4.0f);

  const ReplicateEstimate e = estimateReplicate(t, makeEstimateConstants(p), report);
  EXPECT_EQ(e.MHAT, 48.0f);
  EXPECT_FLOAT_EQ(e.VARM, 16.0f * 56.0f / 3.0f);  // (50 * 4 - 144) / 3, times 4^2
  EXPECT_EQ(e.VARTR, 320.0f);                     // (2 * 50 - 80) / 1, times 16
  EXPECT_EQ(e.VARTI, 160.0f);                     // (2 * 50 - 90) / 1, times 16
  EXPECT_FLOAT_EQ(e.LCL, 48.0f - 2.0f * std::sqrt(160.0f));
  EXPECT_FLOAT_EQ(e.UCL, 48.0f + 2.0f * std::sqrt(160.0f));
  EXPECT_FLOAT_EQ(e.MHAT - e.LCL, e.UCL - e.MHAT);
  ASSERT_EQ(report.records.size(), 1u);
  EXPECT_EQ(report.records[0], " MHAT=      48.000000");
}

TEST(Counts, StrideThatDoesNotDivideTheBeachVisitsExtraStrips) {
  // NTR 10, IC 3: IT = 3, strips 1, 4, 7 and 10; the tenth is left out of SUMN.
  const SimulationParameters p = beach(10, 3, 4, 5.0f);
  Grid g(p);
  g.set(1, 2, 1);
  g.set(4, 4, 2);
  g.set(7, 2, 3);
  g.set(10, 2, 5);
  g.set(10, 4, 1);
  SampleWork work;
  text::RecordingSink report;
  const SampleTotals t = countSample(g.TRAN, makeSamplingPlan(p), work, report);
  EXPECT_EQ(t.M, 4);
  EXPECT_EQ(work.TR[3], 6.0f);
  EXPECT_EQ(t.SUMN, 6.0f);
  EXPECT_EQ(t.SUM, 12.0f);
  EXPECT_EQ(t.SUMM, 12.0f);
  EXPECT_EQ(t.SS, 1.0f + 4.0f + 9.0f + 25.0f + 1.0f);
  EXPECT_EQ(t.SSTI, 81.0f + 9.0f);  // TI = 9, 3: the extra strip is in the time totals
  EXPECT_EQ(t.AN, 6.0f);
  ASSERT_EQ(report.records.size(), 2u);
  EXPECT_EQ(report.records[0], text::layoutRecords({std::string("SUMN NE SUM"), 6.0f, 12.0f})[0]);
  EXPECT_EQ(report.records[1], text::layoutRecords({std::string("SUMN NE SUMM"), 12.0f, 6.0f})[0]);
  EXPECT_EQ(report.records[1], " SUMN NE SUMM      12.000000        6.000000");
}

TEST(Counts, ExtraStripWithoutCountsWritesNoLine) {
  const SimulationParameters p = beach(10, 3, 4, 5.0f);
  Grid g(p);
  g.set(4, 2, 2);
  SampleWork work;
  text::RecordingSink report;
  const SampleTotals t = countSample(g.TRAN, makeSamplingPlan(p), work, report);
  EXPECT_EQ(t.SUMN, 2.0f);
  EXPECT_TRUE(report.records.empty());
}

TEST(Estimate, SingleStripAndSamplingTimeStoreZeroVariances) {
  // One strip, IHR 2: one sampling time, one cell. Every divisor is 0.
  const SimulationParameters p = beach(1, 1, 2, 60.0f);
  Grid g(p);
  g.set(1, 2, 3);
  SampleWork work;
  text::RecordingSink report;
  const SampleTotals t = countSample(g.TRAN, makeSamplingPlan(p), work, report);
  EXPECT_EQ(t.AN, 1.0f);
  const ReplicateEstimate e = estimateReplicate(t, makeEstimateConstants(p), report);
  EXPECT_EQ(e.MHAT, 6.0f);  // CONST = 2 / 1 / 1 / 1
  EXPECT_EQ(e.VARM, 0.0f);
  EXPECT_EQ(e.VARTR, 0.0f);
  EXPECT_EQ(e.VARTI, 0.0f);
  EXPECT_EQ(e.LCL, 6.0f);
  EXPECT_EQ(e.UCL, 6.0f);
}

TEST(Estimate, NegativeVarianceHasNoWidth) {
  SampleTotals t;
  t.SS = 1.0f;
  t.SSTI = 3.0f;  // 2 * 1 - 3 < 0
  t.SUMN = 2.0f;
  t.AN = 10.0f;
  EstimateConstants k;
  k.C = 0.5f;
  k.H = 4.0f;
  k.HBAR = 1.0f;
  k.IC = 2;
  k.NT1 = 2;  // CONST = 4
  text::RecordingSink report;
  const ReplicateEstimate e = estimateReplicate(t, k, report);
  EXPECT_EQ(e.VARTI, -16.0f);
  EXPECT_EQ(e.LCL, 8.0f);
  EXPECT_EQ(e.UCL, 8.0f);
}

}  // namespace
}  // namespace arribada::engine
