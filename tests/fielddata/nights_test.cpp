// Nights analysed one by one exactly as the field-data job analyses a file,
// added up with MEANT's shared term, and the delta-method and log-normal
// figures of the worked example of docs/method.md.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "fielddata/nights.hpp"
#include "text/errors.hpp"

namespace arribada::fielddata {
namespace {

// The worked example: 480 females, variance 14 400.
const std::string kWorkedValues = "# AREA = 1.0\n# WIDTH = 250\n# HOURS = 60\n# MEANT = 60\n# LENGTH = 1000\n";
// Two counts 30 hours apart: the times imply HOURS = 60.
const std::string kWorkedCounts = "time,T1,T2\n0,1,3\n30,2,2\n";

SurveyNight worked(const std::string& extra = "") {
  CsvSurvey csv = readCsvSurvey(kWorkedValues + extra + kWorkedCounts, "'worked.csv'");
  return {"worked.csv", csv.title, csv.survey, csv.MEANT_SE, csv.times, csv.date, csv.strips, csv.strata};
}

TEST(NightsTest, OneFileGivesExactlyTheFieldDataJob) {
  const std::string name = std::string(ARRIBADA_SOURCE_DIR) + "/examples/weighted.dat";
  const FieldAnalysis analysis = analyseSurveyFiles({name});
  // The dialogue's job on the same file, its title line read first.
  std::ifstream in(name, std::ios::binary);
  std::string title;
  std::getline(in, title);
  text::LineSource file(in, "'weighted.dat'");
  text::RecordingSink console;
  text::RecordingSink report;
  engine::SimulationParameters params;
  const FieldResult job = analyseFieldData(file, console, report, params);
  for (const FieldRow& row : {analysis.nights.front(), analysis.total}) {
    EXPECT_EQ(row.estimate, job.MHAT);
    EXPECT_EQ(row.variance, job.VARTI);
  }
  EXPECT_EQ(analysis.nights.front().LCL, job.LCL);
  EXPECT_EQ(analysis.nights.front().UCL, job.UCL);
  EXPECT_EQ(analysis.nights.front().uelasWeighted, job.SUMN);
}

TEST(NightsTest, DeltaMethodAndLogNormalLimitsWorkedByHand) {
  // MEANT_SE = 6 minutes of MEANT = 60: 480^2 x 0.1^2 = 2304; 14 400 + 2304 = 16 704;
  // 16 704 / 480^2 = 0.0725, F = exp(2 sqrt(ln 1.0725)) = 1.697440.
  const FieldAnalysis a = analyseNights({worked("# MEANT_SE = 6\n")});
  const FieldRow& night = a.nights.front();
  EXPECT_EQ(night.estimate, 480.0);
  EXPECT_DOUBLE_EQ(*night.meantVariance, 2304.0);
  EXPECT_DOUBLE_EQ(*night.varianceWithMEANT, 16704.0);
  EXPECT_TRUE(night.logWithMEANT);
  EXPECT_NEAR(*night.logLCL, 282.7787, 1e-4);
  EXPECT_NEAR(*night.logUCL, 814.7714, 1e-4);
  // Without MEANT_SE, from the program's variance: 14 400 / 480^2 = 0.0625, F = 1.636306.
  const FieldRow plain = analyseNights({worked()}).nights.front();
  EXPECT_FALSE(plain.logWithMEANT);
  EXPECT_FALSE(plain.varianceWithMEANT);
  EXPECT_NEAR(*plain.logLCL, 293.3436, 1e-4);
  EXPECT_NEAR(*plain.logUCL, 785.4270, 1e-4);
}

TEST(NightsTest, TotalAddsTheNightsAndSharesTheMEANTTerm) {
  SurveyNight second = worked("# MEANT_SE = 6\n# TITLE = the second night\n");
  second.file = "second.csv";
  const FieldAnalysis a = analyseNights({worked("# MEANT_SE = 6\n"), second});
  const FieldRow& t = a.total;
  EXPECT_EQ(t.night, 0);
  EXPECT_EQ(t.samples, 8);
  EXPECT_EQ(t.uelasCounted, 16.0);
  EXPECT_EQ(t.estimate, 960.0);
  EXPECT_EQ(t.variance, 28800.0);
  EXPECT_EQ(t.LCL, 960.0 - 2.0 * std::sqrt(28800.0));
  // 960^2 x 0.01 = 9216, not the nights' 2 x 2304: one sample of timed females.
  EXPECT_DOUBLE_EQ(*t.meantVariance, 9216.0);
  EXPECT_DOUBLE_EQ(*t.varianceWithMEANT, 38016.0);
  EXPECT_NEAR(*t.logLCL, 642.1547, 1e-4);
  EXPECT_NEAR(*t.logUCL, 1435.1682, 1e-4);
}

TEST(NightsTest, LimitsWithTheMEANTTermWorkedByHand) {
  // One night: sqrt(16 704) = 129.2440, 480 -+ 2 x 129.2440, CV 129.2440 / 480.
  const FieldRow night = analyseNights({worked("# MEANT_SE = 6\n")}).nights.front();
  EXPECT_NEAR(*night.seWithMEANT, 129.2440, 1e-4);
  EXPECT_NEAR(*night.cvWithMEANT, 0.269258, 1e-6);
  EXPECT_NEAR(*night.LCLWithMEANT, 221.5120, 1e-4);
  EXPECT_NEAR(*night.UCLWithMEANT, 738.4880, 1e-4);
  EXPECT_TRUE(night.quoteWithMEANT());
  // Two nights: sqrt(38 016) = 194.9769, 960 -+ 2 x 194.9769.
  SurveyNight second = worked("# MEANT_SE = 6\n# TITLE = the second night\n");
  second.file = "second.csv";
  const FieldRow total = analyseNights({worked("# MEANT_SE = 6\n"), second}).total;
  EXPECT_NEAR(*total.LCLWithMEANT, 570.0462, 1e-4);
  EXPECT_NEAR(*total.UCLWithMEANT, 1349.9538, 1e-4);
  // Without MEANT_SE there is nothing to add: the sampling-only limits are the ones to quote.
  const FieldRow plain = analyseNights({worked()}).nights.front();
  EXPECT_FALSE(plain.LCLWithMEANT);
  EXPECT_FALSE(plain.quoteWithMEANT());
}

TEST(NightsTest, NightsMustShareMEANTAndItsError) {
  EXPECT_THROW(analyseNights({worked("# MEANT_SE = 6\n"), worked()}), text::RunTimeError);
  EXPECT_THROW(analyseNights({worked("# MEANT_SE = 6\n"), worked("# MEANT_SE = 5\n")}), text::RunTimeError);
  EXPECT_THROW(analyseNights({}), text::RunTimeError);
}

TEST(NightsTest, NoLogNormalLimitsWithoutAPositiveEstimate) {
  EXPECT_FALSE(logNormalLimits(0.0, 1.0));
  EXPECT_FALSE(logNormalLimits(10.0, -1.0));
}

}  // namespace
}  // namespace arribada::fielddata
