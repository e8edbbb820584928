// The measures of a job beyond the report: bias, RMSE and the coverage of
// the intervals that each variance estimate gives, worked by hand.

#include "results/measures.hpp"

#include <gtest/gtest.h>

#include <vector>

namespace arribada::results {
namespace {

TEST(MeasureJob, BiasRmseAndTheCoverageOfEachVarianceEstimate) {
  // NN = 100. Intervals MHAT -+ 2 sqrt(v):
  //   replicate 1, MHAT 90:  VARM 4 -> 86..94 misses; VARTR 25 -> 80..100 includes (a limit equal to NN);
  //                          VARTI 1 -> 88..92 misses (the printed interval)
  //   replicate 2, MHAT 110: VARM -4 -> no width, misses; VARTR 400 -> 70..150; VARTI 100 -> 90..130
  //   replicate 3, MHAT 100: every variance 1 -> 98..102
  const std::vector<engine::ReplicateEstimate> replicates = {
      {90.0f, 4.0f, 25.0f, 1.0f, 88.0f, 92.0f},
      {110.0f, -4.0f, 400.0f, 100.0f, 90.0f, 130.0f},
      {100.0f, 1.0f, 1.0f, 1.0f, 98.0f, 102.0f},
  };
  SimulationRecord job;
  job.parameters.NN = 100;
  job.parameters.IC = 5;
  job.parameters.NTI = 31;
  job.replicates = replicates;
  job.AVEPOP = 101.0f;
  job.NTILT = 1;

  const JobMeasures m = measureJob(job);
  EXPECT_FLOAT_EQ(m.bias, 1.0f);
  EXPECT_FLOAT_EQ(m.percentBias, 1.0f);
  EXPECT_FLOAT_EQ(m.rmse, 8.1649658f);  // sqrt((10^2 + 10^2 + 0) / 3)
  EXPECT_FLOAT_EQ(m.meanSE, 4.0f);      // (1 + 10 + 1) / 3
  EXPECT_EQ(m.printed.covered, 2);
  EXPECT_FLOAT_EQ(m.printed.proportion, 2.0f / 3.0f);
  EXPECT_FLOAT_EQ(m.printed.standardError, 0.27216553f);  // sqrt(2/3 x 1/3 / 3)
  EXPECT_EQ(m.VARM.covered, 1);
  EXPECT_EQ(m.VARTR.covered, 3);
  EXPECT_EQ(m.VARTI.covered, 2);
  EXPECT_FLOAT_EQ(m.VARTR.proportion, 1.0f);
  EXPECT_FLOAT_EQ(m.VARTR.standardError, 0.0f);

  // One strip sampled: no VARTI, so no coverage of the printed intervals;
  // one sampling time: no VARTR. Two cells still give a VARM.
  job.parameters.IC = 1;
  job.parameters.NTI = 3;
  EXPECT_FALSE(measureJob(job).printed.computed);
  EXPECT_FALSE(measureJob(job).VARTI.computed);
  EXPECT_TRUE(measureJob(job).VARTR.computed);
  job.parameters.IC = 2;
  job.parameters.NTI = 2;
  const JobMeasures once = measureJob(job);
  EXPECT_TRUE(once.printed.computed && once.VARM.computed);
  EXPECT_FALSE(once.VARTR.computed);
}

}  // namespace
}  // namespace arribada::results
