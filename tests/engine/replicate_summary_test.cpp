#include "engine/replicate_summary.hpp"

#include <gtest/gtest.h>

namespace arribada::engine {
namespace {

ReplicateEstimate replicate(float MHAT, float LCL, float UCL, float VARM = 0.0f, float VARTR = 0.0f,
                                    float VARTI = 0.0f) {
  ReplicateEstimate e;
  e.MHAT = MHAT;
  e.LCL = LCL;
  e.UCL = UCL;
  e.VARM = VARM;
  e.VARTR = VARTR;
  e.VARTI = VARTI;
  return e;
}

std::vector<std::string> summaryLines(const ReplicateSummary& s) {
  text::RecordingSink report;
  s.write(report);
  return report.records;
}

TEST(Coverage, LimitEqualToTheTruthCountsAsInside) {
  struct Case {
    float LCL, UCL;
    std::int32_t misses;
  };
  for (const Case c : {Case{1000.0f, 1200.0f, 0}, Case{800.0f, 1000.0f, 0}, Case{1000.5f, 1200.0f, 1},
                       Case{800.0f, 999.9f, 1}, Case{-50.0f, 2000.0f, 0}}) {
    ReplicateSummary s(1000);
    s.add(replicate(1000.0f, c.LCL, c.UCL));
    EXPECT_EQ(s.NTILT(), c.misses) << c.LCL << " " << c.UCL;
  }
}

TEST(Summary, AllIntervalsCoverTheTruth) {
  ReplicateSummary s(50000);
  s.add(replicate(49000.0f, 40000.0f, 58000.0f, 100.0f, 200.0f, 300.0f));
  s.add(replicate(51000.0f, 42000.0f, 60000.0f, 300.0f, 400.0f, 500.0f));
  const std::vector<std::string> lines = summaryLines(s);
  const std::vector<std::string> expected = {
      " ",
      " ",
      " SUMMARY STATISTICS FOLLOW:",
      " AVERAGE ESTIMATED POPULATION SIZE=   50000.000000",
      " AVERAGE ESTIMATED POPULATION VARIANCE=     200.000000      300.000000",
      "      400.000000",
      // Two deviations of 1000, divided by IREP - 1 = 1.
      " EMPIRICAL VARIANCE= 2000000.000000",
      " THE NUMBER OF TIMES THE CONFIDENCE INTERVALS",
      " DO NOT INCLUDE THE KNOWN POPULATION SIZE",
      " IS          0  OUT OF          2  TIMES.",
      " WITH A PROPORTION OF   0.000000E+00",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(lines[9].size(), 41u);
  EXPECT_EQ(lines[9].substr(13, 1), "0");  // column 14
}

TEST(Summary, ProportionOfMissesAndIdenticalEstimates) {
  ReplicateSummary s(100);
  for (int i = 0; i < 20; ++i) s.add(replicate(90.0f, 80.0f, 99.0f));  // every one misses 100
  const ReplicateSummary::Statistics st = s.statistics();
  EXPECT_EQ(st.SS, 0.0f);
  EXPECT_EQ(st.AVEPOP, 90.0f);
  const std::vector<std::string> lines = summaryLines(s);
  EXPECT_EQ(lines[9], " IS         20  OUT OF         20  TIMES.");
  EXPECT_EQ(lines[10], " WITH A PROPORTION OF       1.000000");

  ReplicateSummary some(100);
  for (int i = 0; i < 20; ++i) some.add(replicate(90.0f, i == 0 ? 101.0f : 80.0f, 120.0f));
  EXPECT_EQ(summaryLines(some)[10], " WITH A PROPORTION OF   5.000000E-02");
}

TEST(Summary, SingleReplicateHasZeroEmpiricalVariance) {
  ReplicateSummary s(10);
  s.add(replicate(12.0f, 11.0f, 13.0f, 4.0f, 5.0f, 6.0f));
  const ReplicateSummary::Statistics st = s.statistics();
  EXPECT_EQ(st.AVEPOP, 12.0f);
  EXPECT_EQ(st.AVEVAR, 4.0f);
  EXPECT_EQ(st.SS2, 5.0f);
  EXPECT_EQ(st.SS3, 6.0f);
  EXPECT_EQ(st.SS, 0.0f);
  EXPECT_EQ(summaryLines(s)[6], " EMPIRICAL VARIANCE=   0.000000E+00");
}

TEST(Summary, SumsAreKeptInSinglePrecision) {
  // 2^24 + 1 is not a float: adding 1.0 to 2^24 leaves 2^24, so the
  // average of 2^24, 1, 1 is 2^24 / 3 rather than (2^24 + 2) / 3.
  ReplicateSummary s(1);
  s.add(replicate(16777216.0f, 0.0f, 2.0f));
  s.add(replicate(1.0f, 0.0f, 2.0f));
  s.add(replicate(1.0f, 0.0f, 2.0f));
  EXPECT_EQ(s.statistics().AVEPOP, static_cast<float>(16777216.0 / 3.0));
}

}  // namespace
}  // namespace arribada::driver
