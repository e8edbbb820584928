// A stratified CSV night: each stratum analysed as a survey of its own, the
// estimates and variances added, worked by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "fielddata/csv_survey.hpp"
#include "fielddata/nights.hpp"
#include "fielddata/strata.hpp"
#include "text/errors.hpp"

namespace arribada::fielddata {
namespace {

// Four transects of 1000 m (LENGTH 4000) and half-width 250 m: 0.5 km^2
// sampled each. HOURS 2, MEANT 60 minutes (1 hour), two sampling times.
const std::string kValues = "# WIDTH = 250\n# HOURS = 2\n# MEANT = 60\n# LENGTH = 4000\n";
const std::string kCounts = "time,T1,T2,T3,T4\n0,1,3,2,4\n1,2,2,4,6\n";

CsvSurvey stratified(const std::string& area, const std::string& strata) {
  return readCsvSurvey("# AREA = " + area + "\n" + kValues + strata + kCounts, "'s.csv'");
}

TEST(StrataTest, EstimateAndVarianceAreTheStrataSums) {
  // Stratum 1 (T1, T2) on 2 km^2: C = 1/2, CONST = 2 / 1 / 0.5 / 2 = 2; 8 UELAs give 16.
  //   SS = 1 + 9 + 4 + 4 = 18, times' totals 4 and 4: (2 x 18 - 32) / 1 x 2^2 = 16.
  // Stratum 2 (T3, T4) on 4 km^2: C = 1/4, CONST = 4; 16 UELAs give 64.
  //   SS = 4 + 16 + 16 + 36 = 72, totals 6 and 10: (2 x 72 - 136) / 1 x 4^2 = 128.
  // Total 80, variance 144, SE 12: limits 56 and 104.
  const CsvSurvey s = stratified("6", "# STRATUM = 1, 1, 2, 2\n# STRATUM_AREA = 2, 4\n");
  ASSERT_TRUE(s.strata.given());
  const FieldResult r = analyseStrata(s.survey, s.strata);
  EXPECT_FLOAT_EQ(*r.MHAT, 80.0f);
  EXPECT_FLOAT_EQ(*r.VARTI, 144.0f);
  EXPECT_FLOAT_EQ(r.LCL, 56.0f);
  EXPECT_FLOAT_EQ(r.UCL, 104.0f);
  EXPECT_EQ(*r.SUM, 24.0f);
  // Unstratified the same counts give 3 x 24 = 72 (C = 2/6).
  EXPECT_FLOAT_EQ(*analyseSurvey(s.survey).MHAT, 72.0f);
}

TEST(StrataTest, MEANTsErrorEntersOnceOnTheNightsEstimate) {
  // MEANT_SE 3 of 60 minutes: (80 x 3 / 60)^2 = 16 added once to 144: SE sqrt(160).
  CsvSurvey s = stratified("6", "# MEANT_SE = 3\n# STRATUM = 1, 1, 2, 2\n# STRATUM_AREA = 2, 4\n");
  const SurveyNight night{"s.csv", "", s.survey, s.MEANT_SE, s.times, "", std::nullopt, s.strata};
  const FieldAnalysis analysis = analyseNights({night});
  EXPECT_NEAR(*analysis.total.seWithMEANT, std::sqrt(160.0), 1e-4);
  EXPECT_NEAR(*analysis.total.se, 12.0, 1e-5);
}

TEST(StrataTest, OneSamplingFractionGivesTheUnstratifiedEstimate) {
  // Strata of 3 km^2 each with 2 of the 4 transects: C = 1/3 everywhere,
  // CONST = 3, 3 x 8 + 3 x 16 = 72, as unstratified.
  const struct {
    const char* strata;
    const char* areas;
  } cases[] = {{"1, 1, 2, 2", "3, 3"}, {"1, 2, 1, 2", "3, 3"}, {"2, 1, 1, 2", "3, 3"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.strata);
    const CsvSurvey s =
        stratified("6", std::string("# STRATUM = ") + c.strata + "\n# STRATUM_AREA = " + c.areas + "\n");
    EXPECT_EQ(*analyseStrata(s.survey, s.strata).MHAT, *analyseSurvey(s.survey).MHAT);
    EXPECT_FLOAT_EQ(*analyseStrata(s.survey, s.strata).MHAT, 72.0f);
  }
}

TEST(StrataTest, WeightsGiveEachStratumItsLength) {
  // T1, T2 are 500 m each, T3, T4 1500 m: stratum 1 samples 0.5 km^2 of 1 km^2
  // (C = 1/2), stratum 2 1.5 km^2 of 3 (C = 1/2): one fraction, CONST = 2 on
  // the weighted counts... the estimate uses the plain counts: 2 x 24 = 48.
  const CsvSurvey s = stratified("4", "# WEIGHTS = 500, 500, 1500, 1500\n# STRATUM = 1, 1, 2, 2\n"
                                      "# STRATUM_AREA = 1, 3\n");
  EXPECT_EQ(stratumSurvey(s.survey, s.strata, 2).header.LENGTH, 3000.0f);
  EXPECT_FLOAT_EQ(*analyseStrata(s.survey, s.strata).MHAT, 48.0f);
}

TEST(StrataTest, AStratumOfOneTransectLeavesNoVariance) {
  const CsvSurvey s = stratified("6", "# STRATUM = 1, 2, 2, 2\n# STRATUM_AREA = 1.5, 4.5\n");
  const FieldResult r = analyseStrata(s.survey, s.strata);
  // One fraction again (1.5 / 0.5 = 4.5 / 1.5): 72.
  EXPECT_FLOAT_EQ(*r.MHAT, 72.0f);
  EXPECT_FALSE(r.VARTI.has_value());
  EXPECT_EQ(r.LCL, kNoLimit);
}

TEST(StrataTest, RefusalsNameTheRowAndColumn) {
  const struct {
    const char* name;
    std::string area;
    std::string strata;
    std::string message;
  } cases[] = {
      {"areas not adding up", "6", "# STRATUM = 1, 1, 2, 2\n# STRATUM_AREA = 2, 3\n",
       "row 2, column 1: STRATUM_AREA adds up to"},
      {"a stratum without transect", "6", "# STRATUM = 1, 1, 3, 3\n# STRATUM_AREA = 2, 2, 2\n",
       "row 1, column 1: STRATUM: stratum 2 has no transect"},
      {"too few strata", "6", "# STRATUM = 1, 1, 2\n# STRATUM_AREA = 2, 4\n",
       "row 1, column 1: STRATUM gives 3 strata for the 4 transects"},
      {"too many areas", "6", "# STRATUM = 1, 1, 2, 2\n# STRATUM_AREA = 2, 2, 2\n",
       "row 2, column 1: STRATUM_AREA gives 3 areas for the 2 strata"},
      {"not a whole number", "6", "# STRATUM = 1, 1.5, 2, 2\n# STRATUM_AREA = 2, 4\n",
       "row 1, column 2: STRATUM: the stratum of transect 2"},
      {"an area of 0", "6", "# STRATUM = 1, 1, 2, 2\n# STRATUM_AREA = 6, 0\n",
       "row 2, column 2: STRATUM_AREA: the area of stratum 2"},
      {"areas without strata", "6", "# STRATUM_AREA = 2, 4\n", "row 1, column 1: STRATUM_AREA needs STRATUM"},
      // Two transects of 0.5 km^2 each sample 1 km^2, more than stratum 1's 0.5.
      {"a stratum smaller than its sample", "6", "# STRATUM = 1, 1, 2, 2\n# STRATUM_AREA = 0.5, 5.5\n",
       "row 2, column 1: the STRATUM_AREA of stratum 1 = 0.5 km2 is less than the transects' own area, their "
       "length x 2 x WIDTH = 1 km2"},
      // Four transects sample 2 km^2, more than AREA = 1.5.
      {"a nesting area smaller than the sample", "1.5", "# STRATUM = 1, 1, 2, 2\n# STRATUM_AREA = 0.5, 1\n",
       "row 3, column 1: AREA = 1.5 km2 is less than the transects' own area, their length x 2 x WIDTH = 2 km2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      readCsvSurvey(c.strata + "# AREA = " + c.area + "\n" + kValues + kCounts, "'s.csv'");
      ADD_FAILURE() << "accepted";
    } catch (const text::RunTimeError& e) {
      EXPECT_NE(std::string(e.what()).find("'s.csv', " + c.message), std::string::npos) << e.what();
    }
  }
}

}  // namespace
}  // namespace arribada::fielddata
