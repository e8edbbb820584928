// A pilot survey as a scenario: each mapping worked by hand, a pilot counted
// on a simulated arribada of known size and beach giving them back, the
// pilot's own design among those compared, and faulty pilots refused where
// they are faulty.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "design/design_file.hpp"
#include "design/pilot.hpp"
#include "design/search.hpp"
#include "engine/simulation.hpp"
#include "engine/table.hpp"
#include "fielddata/csv_survey.hpp"
#include "text/channels.hpp"
#include "text/errors.hpp"

namespace arribada::design {
namespace {

fielddata::SurveyNight nightOf(const std::string& csv, const std::string& name = "pilot.csv") {
  fielddata::CsvSurvey read = fielddata::readCsvSurvey(csv, "'" + name + "'");
  return {name, read.title, std::move(read.survey), read.MEANT_SE, read.times, read.date, read.strips, read.strata};
}

// Two transects, three counts 2 hours apart. By hand: SAREA = 100 x 2 x 5 m^2
// = 0.001 km^2, C = 0.01, CONST = HOURS / (MEANT / 60) / C / NT1 = 6 / 0.5 /
// 0.01 / 3 = 400; the counts add up to 16, so the estimate is 6400.
const std::string kTwoTransects =
    "# AREA = 0.1\n# WIDTH = 5\n# HOURS = 6\n# MEANT = 30\n# LENGTH = 100\n%s"
    "time,T1,T2\n0,1,3\n2,2,6\n4,3,1\n";

std::string withLine(const std::string& line) {
  std::string text = kTwoTransects;
  return text.replace(text.find("%s"), 2, line);
}

TEST(PilotMapping, EvenlySpreadTransectsSitInTheMiddleOfTheirPartsOfTheBeach) {
  struct Case {
    std::int32_t transects, NTR;
    std::vector<std::int32_t> strips;
  };
  for (const Case& c : {Case{4, 20, {3, 8, 13, 18}}, Case{1, 10, {6}}, Case{3, 10, {2, 6, 9}},
                        Case{2, 2, {1, 2}}, Case{5, 5, {1, 2, 3, 4, 5}}}) {
    EXPECT_EQ(evenlySpreadStrips(c.transects, c.NTR), c.strips) << c.transects << " on " << c.NTR;
  }
}

TEST(PilotMapping, EachStripTakesItsNearestTransectsValue) {
  struct Case {
    std::vector<std::int32_t> strips;
    std::vector<double> values;
    std::int32_t NTR;
    std::vector<double> density;
  };
  const Case cases[] = {
      {{2, 6}, {1, 5}, 8, {1, 1, 1, 1, 5, 5, 5, 5}},  // strip 4, as near to 2 as to 6, takes strip 2's
      {{6, 2}, {5, 1}, 8, {1, 1, 1, 1, 5, 5, 5, 5}},  // columns in any order along the beach
      {{3}, {2}, 4, {2, 2, 2, 2}},
      {{1, 3, 5}, {0, 4, 2}, 5, {0, 0, 4, 4, 2}},
  };
  for (const Case& c : cases) {
    const std::vector<double> got = stripDensities(c.strips, c.values, c.NTR);
    ASSERT_EQ(got.size(), c.density.size());
    for (std::size_t s = 0; s < got.size(); ++s) EXPECT_DOUBLE_EQ(got[s], c.density[s]) << "strip " << s + 1;
  }
}

TEST(PilotMapping, EachValueOfTheScenarioComesFromTheSurveyAsWorkedByHand) {
  const Pilot pilot = pilotFromSurvey(nightOf(withLine("")), "pilot.csv", 10);
  EXPECT_FLOAT_EQ(pilot.estimate, 6400.0);
  EXPECT_EQ(pilot.IHR, 6);
  EXPECT_FLOAT_EQ(pilot.MIN, 30.0f);
  EXPECT_EQ(pilot.table.hourMarks, (std::vector<float>{2.0f, 4.0f, 6.0f}));  // one interval per count, 6 / 3 hours each
  EXPECT_EQ(pilot.table.weights, (std::vector<float>{4.0f, 8.0f, 4.0f}));    // the counts of each time added
  EXPECT_EQ(pilot.transectStrips, (std::vector<std::int32_t>{3, 8}));
  EXPECT_FALSE(pilot.stripsGiven);
  // T1 counted 6, T2 10: strips 1-5 are nearer T1's strip 3, strips 6-10 T2's strip 8.
  const std::vector<double> density{6, 6, 6, 6, 6, 10, 10, 10, 10, 10};
  for (std::size_t s = 0; s < density.size(); ++s) EXPECT_NEAR(pilot.density[s], density[s], 1e-12) << s + 1;
  ASSERT_TRUE(pilot.EVERY.has_value());
  EXPECT_EQ(*pilot.EVERY, 2);
  EXPECT_FLOAT_EQ(pilot.areaRatio, 0.01);
  // Its own CV, by hand: the time totals are 4, 8, 4, the squares add up to
  // 1 + 9 + 4 + 36 + 9 + 1 = 60, so (NTR SS - SSTI) / (NTR - 1) = (2 x 60 - 96) / 1 = 24,
  // VARTI = 24 x 400^2 and the CV sqrt(24) x 400 / 6400 = 0.30619.
  ASSERT_TRUE(pilot.cv.has_value());
  EXPECT_NEAR(*pilot.cv, std::sqrt(24.0) * 400.0 / 6400.0, 1e-6);

  struct Factor {
    double factor;
    std::int32_t NN;
  };
  for (const Factor f : {Factor{1.0, 6400}, Factor{0.5, 3200}, Factor{2.0, 12800}, Factor{0.0001, 1}}) {
    EXPECT_EQ(pilotNN(pilot, f.factor), f.NN) << f.factor;
  }
  EXPECT_FALSE(pilotNN(pilot, 0.00001).has_value());  // 0.064 of a female
}

TEST(PilotMapping, StripsGivenPlaceTheTransectsAndDecideWhetherTheDesignFits) {
  const Pilot pilot = pilotFromSurvey(nightOf(withLine("# STRIPS = 1, 10\n")), "pilot.csv", 10);
  EXPECT_TRUE(pilot.stripsGiven);
  for (std::int32_t s = 1; s <= 10; ++s) EXPECT_EQ(pilot.density[static_cast<std::size_t>(s - 1)], s <= 5 ? 6.0 : 10.0) << s;

  struct Case {
    std::int32_t NTR;
    bool fits;
  };
  for (const Case c : {Case{10, true}, Case{12, true}, Case{11, false}}) {
    const auto own = pilotDesign(pilotFromSurvey(nightOf(withLine("")), "pilot.csv", c.NTR), c.NTR);
    ASSERT_EQ(own.has_value(), c.fits) << c.NTR;
    if (own) {
      EXPECT_EQ(own->IC, 2);
      EXPECT_EQ(own->EVERY, 2);
    }
  }
}

// The pilot's own design joins the designs compared when the lists lack it,
// and is marked when they hold it.
TEST(PilotMapping, ThePilotsOwnDesignIsComparedOnce) {
  SearchSettings settings;
  settings.NTR = 10;
  settings.IC = {5};
  settings.EVERY = {4};
  settings.START = {Start::first, Start::random};
  settings.ROUND_MINUTES = 10;
  settings.STRIP_MINUTES = 1;
  settings.TARGET_CV = 0.1;
  settings.pilots = {pilotFromSurvey(nightOf(withLine("")), "pilot.csv", 10)};
  std::vector<Design> designs = listDesigns(settings);
  ASSERT_EQ(designs.size(), 4u);
  EXPECT_EQ(designs[2].IC, 2);
  EXPECT_EQ(designs[2].EVERY, 2);
  EXPECT_EQ(designs[2].pilot, "pilot.csv");
  EXPECT_EQ(designs[3].START, Start::random);
  settings.IC = {2, 5};
  settings.EVERY = {2, 4};
  designs = listDesigns(settings);
  ASSERT_EQ(designs.size(), 8u);
  EXPECT_EQ(designs[0].pilot, "pilot.csv");  // IC 2 every 2 h, first strip: listed already
  EXPECT_EQ(designs[1].pilot, "pilot.csv");
  EXPECT_TRUE(designs[2].pilot.empty());

  const std::vector<Scenario> scenarios = listScenarios(settings);  // no NN: the pilot's scenarios only
  ASSERT_EQ(scenarios.size(), 1u);
  EXPECT_EQ(scenarios[0].NN, 6400);
  EXPECT_EQ(scenarios[0].KSW, kPilotLaw);
  EXPECT_EQ(scenarios[0].densityLabel, "pilot pilot.csv");
}

// A pilot's table has steps as fine as its counts: a design counting less
// often than the pilot did runs on it (its steps are no boundaries that a
// count must not straddle), while the shares of the counts must still add up
// to the arribada.
TEST(PilotMapping, DesignsCountingLessOftenThanThePilotRunOnItsCurve) {
  SearchSettings settings;
  settings.NTR = 10;
  settings.IREP = 2;
  settings.IC = {2};
  settings.EVERY = {3, 4};
  settings.ROUND_MINUTES = 10;
  settings.STRIP_MINUTES = 1;
  settings.TARGET_CV = 0.1;
  settings.pilots = {pilotFromSurvey(nightOf(withLine("")), "pilot.csv", 10)};  // 2-hour steps, 6 hours
  const ScenarioResult result = runScenario(settings, 0);
  ASSERT_EQ(result.designs.size(), 3u);  // every 3 h, every 4 h, and the pilot's every 2 h
  EXPECT_EQ(result.designs[0].skipped, "");
  EXPECT_NE(result.designs[1].skipped.find("does not divide the arribada's 6 hours"), std::string::npos)
      << result.designs[1].skipped;
  EXPECT_EQ(result.designs[2].skipped, "");
  EXPECT_EQ(result.designs[2].replicates.size(), 2u);
  // Every 3 h meets the 2-hour steps at other phases than the pilot's counts: said once; the
  // skipped every 4 h and the pilot's own every 2 h are not named.
  EXPECT_NE(result.warning.find("the pilot's nesting curve steps every 2 h; designs counting every 3 h meet"),
            std::string::npos) << result.warning;
  settings.EVERY = {2};
  EXPECT_EQ(runScenario(settings, 0).warning, "");
}

// A stratified pilot stands for the arribada --field estimates from it: 4
// transects in strata of 2 and 4 km^2 give 16 + 64 = 80 females (worked by
// hand in the strata test), where the survey taken whole would give 72.
TEST(PilotMapping, AStratifiedPilotGivesItsStratifiedEstimate) {
  const std::string csv = "# AREA = 6\n# WIDTH = 250\n# HOURS = 2\n# MEANT = 60\n# LENGTH = 4000\n"
                          "# STRATUM = 1, 1, 2, 2\n# STRATUM_AREA = 2, 4\ntime,T1,T2,T3,T4\n0,1,3,2,4\n1,2,2,4,6\n";
  EXPECT_FLOAT_EQ(static_cast<float>(pilotFromSurvey(nightOf(csv), "s.csv", 8).estimate), 80.0f);
  std::string whole = csv;
  whole.erase(whole.find("# STRATUM ="), whole.find("time,") - whole.find("# STRATUM ="));
  EXPECT_FLOAT_EQ(static_cast<float>(pilotFromSurvey(nightOf(whole), "s.csv", 8).estimate), 72.0f);
}

// A pilot's beach is in stretches, one per transect, so a density
// allocation can sample it: 4 transects, 2 strips each of 8.
TEST(PilotMapping, ADensityAllocationRunsOnAPilotsStretches) {
  SearchSettings settings;
  settings.NTR = 20;
  settings.IREP = 2;
  settings.IC = {8};
  settings.ALLOCATION = {Allocation::density};
  settings.ROUND_MINUTES = 10;
  settings.STRIP_MINUTES = 1;
  settings.TARGET_CV = 0.1;
  settings.pilots = {pilotFromSurvey(nightOf("# AREA = 0.1\n# WIDTH = 5\n# HOURS = 6\n# MEANT = 30\n# LENGTH = 100\n"
                                             "time,A,B,C,D\n0,1,5,9,2\n2,2,8,9,1\n4,0,4,6,1\n"),
                                     "pilot.csv", 20)};
  const ScenarioResult result = runScenario(settings, 0);
  ASSERT_FALSE(result.designs.empty());
  EXPECT_EQ(result.designs[0].skipped, "");
  EXPECT_EQ(result.designs[0].replicates.size(), 2u);
}

// A pilot counted on a simulated arribada of known size and beach: every
// strip a transect (C = 1), counted at hours 1, 3, ..., 23 as a design of
// EVERY 2 counts. The estimate comes back within 4 standard errors: with a
// MIN of 60 minutes every female is tallied at her nearest hour, about half
// of them at the odd hours counted, so the counts add up to a binomial
// (NN, 1/2) and the estimate, twice that, has a standard error of sqrt(NN).
// Each strip's share of the counts comes back within 4 binomial standard
// errors of its share of the density, and the first 12 hours hold the
// built-in table's 96 %.
TEST(PilotMapping, APilotCountedOnASimulatedArribadaGivesBackItsSizeAndBeach) {
  constexpr std::int32_t NTR = 20, NN = 40000, IHR = 24, NT1 = 12;
  const std::vector<double> sections{1, 3, 6, 3, 1};  // four strips each
  engine::SimulationParameters p{.NTI = engine::samplingSchedule(IHR).NTI(), .NTR = NTR, .IC = 1, .NN = NN,
                                 .IHR = IHR, .JX = 4567, .MIN = 60.0f, .IREP = 1, .STDDEV = 2.0f, .KSW = 1};
  std::int32_t hours = IHR;
  engine::SimulationJob job(p, engine::builtInTable(hours), {}, engine::WeightedStrips(sections, NTR));
  text::DiscardingSink quiet;
  const engine::CountGrid& grid = job.buildGrid(quiet);

  std::ostringstream csv;
  // The transects cover the nesting area: SAREA = 10000 x 2 x 10 m^2 = 0.2 km^2 = AREA.
  csv << "# AREA = 0.2\n# WIDTH = 10\n# HOURS = 24\n# MEANT = 60\n# LENGTH = 10000\ntime";
  for (std::int32_t J = 1; J <= NTR; ++J) csv << ",S" << J;
  csv << "\n";
  for (std::int32_t k = 1; k <= NT1; ++k) {
    const std::int32_t hour = 1 + 2 * (k - 1);
    csv << hour;
    for (std::int32_t J = 1; J <= NTR; ++J) csv << ',' << grid.at(J, hour + 1);
    csv << "\n";
  }
  const Pilot pilot = pilotFromSurvey(nightOf(csv.str()), "simulated.csv", NTR);

  EXPECT_NEAR(pilot.estimate, NN, 4.0 * std::sqrt(NN));
  double total = 0.0;
  for (double d : pilot.density) total += d;
  for (std::int32_t J = 1; J <= NTR; ++J) {
    const double share = sections[static_cast<std::size_t>((J - 1) / 4)] / 56.0;  // 4 x (1 + 3 + 6 + 3 + 1) = 56
    const double se = std::sqrt(share * (1.0 - share) / total);
    EXPECT_NEAR(pilot.density[static_cast<std::size_t>(J - 1)] / total, share, 4.0 * se) << "strip " << J;
  }
  double firstHalf = 0.0, all = 0.0;
  for (std::size_t k = 0; k < pilot.table.weights.size(); ++k) {
    all += pilot.table.weights[k];
    if (k < 6) firstHalf += pilot.table.weights[k];
  }
  EXPECT_NEAR(firstHalf / all, 0.96, 4.0 * std::sqrt(0.96 * 0.04 / all));
}

class PilotFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("arribada-pilot-" + std::to_string(::getpid()) + "-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  void write(const std::string& name, const std::string& text) { std::ofstream(folder_ / name) << text; }
  SearchSettings parse(const std::string& design) {
    std::istringstream in(design);
    return parseDesignFile(in, "next.design", folder_.string());
  }
  std::filesystem::path folder_;
};

const std::string kDesignHead = "NTR = 10\nIC = 2, 5\nROUND_MINUTES = 10\nSTRIP_MINUTES = 2\nTARGET_CV = 0.1\n";

TEST_F(PilotFiles, ADesignFileTakesPilotsBesideItsOwnScenarios) {
  write("a.csv", withLine(""));
  write("b.csv", withLine("# STRIPS = 2, 9\n"));
  const SearchSettings settings = parse(kDesignHead + "NN = 5000\nPILOT = a.csv\nPILOT = b.csv\nNN_FACTOR = 1, 2\n");
  ASSERT_EQ(settings.pilots.size(), 2u);
  EXPECT_EQ(settings.pilots[1].transectStrips, (std::vector<std::int32_t>{2, 9}));
  const std::vector<Scenario> scenarios = listScenarios(settings);
  ASSERT_EQ(scenarios.size(), 5u);  // NN 5000, then each pilot at factors 1 and 2
  EXPECT_EQ(scenarios[0].pilot, -1);
  EXPECT_EQ(scenarios[3].pilot, 1);
  EXPECT_EQ(scenarios[4].NN, 12800);
}

// Each faulty pilot is refused on its PILOT line, naming the survey file and,
// where it has them, the row and the column.
TEST_F(PilotFiles, FaultyPilotsAreRefusedWhereTheyAreFaulty) {
  struct Case {
    std::string survey;
    std::string message;
  };
  const Case cases[] = {
      {withLine("# STRIPS = 1, 2, 3\n"), "pilot.csv', row 6, column 1: STRIPS gives 3 strips for the 2 transects"},
      {withLine("# STRIPS = 1, x\n"), "pilot.csv', row 6, column 2: STRIPS: 'x' is not a number"},
      {withLine("# STRIPS = 4, 4\n"), "row 6, column 2: STRIPS: strip 4 is given to two transects (also in column 1)"},
      {withLine("# STRIPS = 0, 4\n"), "row 6, column 1: STRIPS: '0' is not a strip number"},
      {withLine("# STRIPS = 1, 12\n"), "pilot.csv', row 6, column 2: STRIPS: strip 12 lies beyond the design's NTR = 10"},
      {withLine("").replace(withLine("").find("2,2,6"), 5, "2,2,x"), "pilot.csv', row 8, column 3: the count of transect 'T2'"},
      {"# AREA = 0.1\n# WIDTH = 5\n# HOURS = 6\n# MEANT = 30\n# LENGTH = 100\ntime,T1\n0,0\n2,0\n4,0\n",
       "pilot survey 'pilot.csv': no turtle was counted"},
      {"# AREA = 0.1\n# WIDTH = 5\n# HOURS = 6\n# MEANT = 30\n# LENGTH = 100\ntime,T1\n0,7\n",
       "pilot survey 'pilot.csv': a single count gives no estimate"},
      {"# AREA = 0.1\n# WIDTH = 5\n# HOURS = 4\n# MEANT = 30\n# LENGTH = 100\n"
       "time,A,B,C,D,E,F,G,H,I,J,K\n0,1,1,1,1,1,1,1,1,1,1,1\n2,1,1,1,1,1,1,1,1,1,1,1\n",
       "pilot survey 'pilot.csv': its 11 transects do not fit on the design's NTR = 10 strips"},
  };
  for (const Case& c : cases) {
    write("pilot.csv", c.survey);
    try {
      parse(kDesignHead + "PILOT = pilot.csv\n");
      ADD_FAILURE() << "accepted: " << c.survey;
    } catch (const text::RunTimeError& error) {
      const std::string what = error.what();
      EXPECT_NE(what.find("next.design, line 6: "), std::string::npos) << what;
      EXPECT_NE(what.find(c.message), std::string::npos) << what;
    }
  }
}

TEST_F(PilotFiles, APilotThatCannotBeReadOrADesignWithoutAnArribadaIsRefused) {
  struct Case {
    std::string design;
    std::string message;
  };
  const Case cases[] = {
      {kDesignHead + "PILOT = none.csv\n", "next.design, line 6: the survey file '"},
      {kDesignHead, "next.design: NN is required and missing (or a PILOT survey that gives it)"},
      {kDesignHead + "NN = 10\nNTR = 5\n", "NTR is given again"},
      {kDesignHead + "NN = 10\nNN_FACTOR = 0\n", "NN_FACTOR = 0 is not a factor above 0"},
  };
  for (const Case& c : cases) {
    try {
      parse(c.design);
      ADD_FAILURE() << "accepted: " << c.design;
    } catch (const text::RunTimeError& error) {
      EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
    }
  }
}

}  // namespace
}  // namespace arribada::design
