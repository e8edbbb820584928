// The design search: its invariants against the ordinary job, hand-computed
// counts, the recommendation's rule and the design file's faults.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "design/design_file.hpp"
#include "design/measures.hpp"
#include "design/outputs.hpp"
#include "design/search.hpp"
#include "engine/counts.hpp"
#include "engine/simulation.hpp"
#include "engine/table.hpp"
#include "text/errors.hpp"

namespace arribada::design {
namespace {

SearchSettings smallSpec() {
  SearchSettings settings;
  settings.NTR = 10;
  settings.NN = {3000};
  settings.IHR = {24};
  settings.IREP = 3;
  settings.JX = 12345;
  settings.IC = {2, 5, 4};  // 4 does not divide 10
  settings.EVERY = {2, 3};
  settings.START = {Start::first, Start::random};
  settings.ROUND_MINUTES = 30;
  settings.STRIP_MINUTES = 10;
  settings.TARGET_CV = 0.1;
  return settings;
}

class NoLines : public text::RecordSink {
 public:
  void writeRecord(const std::string&) override {}
};

void expectSame(const engine::ReplicateEstimate& a, const engine::ReplicateEstimate& b) {
  EXPECT_EQ(a.MHAT, b.MHAT);
  EXPECT_EQ(a.VARM, b.VARM);
  EXPECT_EQ(a.VARTR, b.VARTR);
  EXPECT_EQ(a.VARTI, b.VARTI);
  EXPECT_EQ(a.LCL, b.LCL);
  EXPECT_EQ(a.UCL, b.UCL);
}

// An ordinary job of the scenario's parameters with IC strips.
engine::SimulationJob ordinaryJob(const SearchSettings& settings, std::int32_t IC, bool plain) {
  engine::SimulationParameters p{.NTI = 0, .NTR = settings.NTR, .IC = IC, .NN = settings.NN[0], .IHR = settings.IHR[0],
                                 .JX = settings.JX | 1, .MIN = 5.0f, .IREP = settings.IREP, .STDDEV = 2.0f, .KSW = 1};
  std::int32_t IHR = p.IHR;
  const engine::NestingTable table = engine::builtInTable(IHR);
  p.NTI = engine::samplingSchedule(p.IHR).NTI();
  engine::EngineOptions options;
  options.plain = plain;
  return engine::SimulationJob(p, table, options);
}

TEST(DesignSearch, EveryTwoHoursOnAnEvenBeachFromTheFirstStripIsTheOrdinaryJob) {
  SearchSettings settings = smallSpec();
  settings.JX = 12344;  // made odd, as an ordinary job makes it
  const ScenarioResult result = runScenario(settings, 0);
  NoLines quiet;
  for (const DesignOutcome& o : result.designs) {
    if (o.design.EVERY != 2 || o.design.START != Start::first || !o.skipped.empty()) continue;
    engine::SimulationJob job = ordinaryJob(settings, o.design.IC, false);
    for (std::int32_t L = 0; L < settings.IREP; ++L) {
      SCOPED_TRACE("IC " + std::to_string(o.design.IC) + ", replicate " + std::to_string(L + 1));
      expectSame(o.replicates[static_cast<std::size_t>(L)], job.runReplicate(quiet));
    }
  }
}

// Replicates whose draws end at or past the period are not independent.
TEST(DesignSearch, PeriodWatchCountsTheReplicatesBeforeTheWrap) {
  engine::PeriodWatch watch;
  watch.replicateEnded(1'000'000'000);
  watch.replicateEnded(2'147'483'645);
  EXPECT_EQ(watch.wrappedIn(), 0);
  watch.replicateEnded(2'147'483'646);
  watch.replicateEnded(3'000'000'000);
  EXPECT_EQ(watch.wrappedIn(), 3);
  EXPECT_EQ(watch.independentReplicates(), 2);
}

TEST(DesignSearch, SkippedDesignsKeepTheirReasons) {
  const ScenarioResult result = runScenario(smallSpec(), 0);
  ASSERT_EQ(result.designs.size(), 12u);
  for (const DesignOutcome& o : result.designs) {
    EXPECT_EQ(o.design.IC == 4, !o.skipped.empty()) << o.skipped;
    EXPECT_EQ(o.replicates.size(), o.skipped.empty() ? 3u : 0u);
  }
}

// Every design counts the same grid: a random start is the first-strip
// count moved to the drawn strip. With JX 1 the start generator is seeded
// with P - 1, whose draws are 1 - 16807 / 2^31 (0.99999) and
// 1 - 282475249 / 2^31 (0.8685): with IT 10 the starts are strips 10 and 9.
TEST(DesignSearch, RandomStartCountsTheSameGridFromTheDrawnStrip) {
  SearchSettings settings = smallSpec();
  settings.JX = 1;
  settings.IREP = 2;
  settings.IC = {1};
  settings.EVERY = {3};
  settings.densities = {{1.0, 3.0}};
  const ScenarioResult result = runScenario(settings, 0);
  const DesignOutcome& random = result.designs[1];
  ASSERT_EQ(random.design.START, Start::random);

  engine::SimulationParameters p{.NTI = 0, .NTR = 10, .IC = 1, .NN = 3000, .IHR = 24, .JX = 1,
                                 .MIN = 5.0f, .IREP = 2, .STDDEV = 2.0f, .KSW = 1};
  std::int32_t IHR = 24;
  const engine::NestingTable table = engine::builtInTable(IHR);
  p.NTI = engine::samplingSchedule(24).NTI();
  engine::SimulationJob job(p, table, {}, engine::WeightedStrips({1.0, 3.0}, 10));
  const engine::SamplingSchedule every3 = engine::samplingSchedule(24, 3);
  engine::SamplingPlan plan = engine::makeSamplingPlan(p, every3);
  const engine::EstimateConstants k = engine::makeEstimateConstants(p, every3);
  NoLines quiet;
  engine::SampleWork work;
  for (const std::int32_t start : {10, 9}) {
    const engine::CountGrid& grid = job.buildGrid(quiet);
    plan.firstStrip = start;
    const auto L = static_cast<std::size_t>(start == 10 ? 0 : 1);
    expectSame(random.replicates[L], engine::estimateReplicate(engine::countSample(grid, plan, work, quiet), k, quiet));
    plan.firstStrip = 1;
    expectSame(result.designs[0].replicates[L],
               engine::estimateReplicate(engine::countSample(grid, plan, work, quiet), k, quiet));
  }
}

// EVERY 3 over 10 hours counts hours 1, 4 and 7 (columns 2, 5, 8): NT1 3.
// Strips 1 and 3 of 4 (IC 2), MIN 60 (HBAR 1): CONST = 10 / 0.5 / 1 / 3.
TEST(DesignSearch, EveryThreeHoursByHand) {
  engine::CountGrid grid(4, 11);
  const auto tally = [&grid](std::int32_t strip, std::int32_t column, int times) {
    for (int i = 0; i < times; ++i) grid.tally(engine::CountGrid::cellOf(strip, column, 11));
  };
  tally(1, 2, 1), tally(1, 5, 2), tally(1, 8, 3), tally(3, 2, 4), tally(3, 8, 1);
  tally(2, 5, 9), tally(1, 3, 9), tally(3, 11, 9);  // strips and hours that are not counted
  const engine::SimulationParameters p{.NTI = 0, .NTR = 4, .IC = 2, .NN = 1, .IHR = 10, .JX = 1, .MIN = 60.0f};
  const engine::SamplingSchedule every3 = engine::samplingSchedule(10, 3);
  EXPECT_EQ(every3.NT1, 3);
  NoLines quiet;
  engine::SampleWork work;
  const engine::SampleTotals t = engine::countSample(grid, engine::makeSamplingPlan(p, every3), work, quiet);
  EXPECT_EQ(t.SUMN, 11.0f);
  EXPECT_EQ(t.SSTR, 36.0f + 25.0f);
  EXPECT_EQ(t.SSTI, 25.0f + 4.0f + 16.0f);
  const engine::ReplicateEstimate e = engine::estimateReplicate(t, engine::makeEstimateConstants(p, every3), quiet);
  EXPECT_FLOAT_EQ(e.MHAT, 11.0f * 20.0f / 3.0f);
}

// Density 1, 3 over 4 strips: strip weights 1, 1, 3, 3 of 8.
TEST(DesignSearch, UnevenDensityByHand) {
  const engine::WeightedStrips strips({1.0, 3.0}, 4);
  const std::pair<float, std::int32_t> cases[] = {{0.1f, 1}, {0.125f, 1}, {0.2f, 2}, {0.3f, 3}, {0.625f, 3},
                                                   {0.7f, 4}, {1.0f, 4}};
  for (const auto& [draw, strip] : cases) EXPECT_EQ(strips(draw, 4), strip) << draw;
  // On a beach of 7 strips and 3 sections (one empty), every draw of a fine
  // grid, and each share itself, lands on the first strip whose share reaches it.
  const engine::WeightedStrips seven({2.0, 0.0, 5.0}, 7);
  std::vector<float> draws{1.0f};
  for (int k = 1; k < 4096; ++k) draws.push_back(static_cast<float>(k) / 4096.0f);
  for (std::int32_t J = 1; J <= 7; ++J) draws.push_back(static_cast<float>(seven.share(J)));
  for (float draw : draws) {
    std::int32_t first = 1;
    while (seven.share(first) < draw) ++first;
    EXPECT_EQ(seven(draw, 7), first) << draw;
  }
  EXPECT_TRUE(engine::evenDensity({2.0, 2.0, 2.0}));
  EXPECT_EQ(densityLabel({1.0, 3.0}), "1/3");
}

// Hand-made outcomes: A is cheapest but misses, B and C cost the same and
// meet (C with the lower worst relative RMSE), D equals C with fewer strips.
TEST(DesignSearch, RecommendationAndItsTieBreaks) {
  SearchSettings settings = smallSpec();
  settings.IC = {1, 2, 5, 10};
  settings.EVERY = {2};
  settings.START = {Start::first};
  ScenarioResult r;
  r.scenario.NN = 1000;
  const auto outcome = [&](std::int32_t index, double hours, double rmse, bool meets) {
    DesignOutcome o;
    o.design = listDesigns(settings)[static_cast<std::size_t>(index)];
    o.cost = {10, hours, true};
    o.measures.rmse = rmse;
    o.measures.coverage = meets ? 0.95 : 0.5;
    o.measures.coverageSE = 0.01;
    o.judged = true;
    o.meetsTargets = meets;
    return o;
  };
  r.designs = {outcome(0, 5, 50, false), outcome(1, 10, 60, true), outcome(2, 10, 50, true), outcome(3, 12, 10, true)};
  std::vector<ScenarioResult> results{r};
  EXPECT_EQ(combineResults(settings, results).recommendation.design, 2);
  results[0].designs[1].measures.rmse = 50;  // now a tie on cost and RMSE: fewer strips wins
  const SearchResult tie = combineResults(settings, results);
  EXPECT_EQ(tie.recommendation.design, 1);
  EXPECT_EQ(tie.rows.front().outcome->design.index, 0);  // the table is sorted by cost
  std::vector<DesignOutcome>& d = results[0].designs;
  for (DesignOutcome& o : d) o.meetsTargets = false;
  d[3].measures.rmse = 110;  // 10 % over the target of 0.1, the smallest worst shortfall
  d[1].measures.rmse = d[2].measures.rmse = 150;
  d[0].measures.rmse = 300;
  const SearchResult none = combineResults(settings, results);
  EXPECT_FALSE(none.recommendation.design);
  EXPECT_EQ(none.recommendation.closest, 3);
  EXPECT_NEAR(none.recommendation.shortfall, 0.1, 1e-12);
}

TEST(DesignSearch, StopFromTheCallbackKeepsTheReplicatesDone) {
  const ScenarioResult r = runScenario(smallSpec(), 0, [](const Progress& p) {
    return p.replicate == 2 ? Continue::stop : Continue::yes;
  });
  EXPECT_TRUE(r.stopped);
  EXPECT_EQ(r.replicates, 2);
  EXPECT_EQ(r.designs[0].measures.replicates, 2);
}

// NN 100; estimates 90, 110, 100, 120 with 2 sqrt(VARTI) = 8, 12, 0, 10:
// intervals [82, 98] and [110, 130] miss, [100, 100] covers (a limit at NN).
TEST(DesignMeasures, MonteCarloErrorsByHand) {
  std::vector<engine::ReplicateEstimate> reps;
  for (const auto& [MHAT, VARTI] : {std::pair{90.0f, 16.0f}, {110.0f, 36.0f}, {100.0f, 0.0f}, {120.0f, 25.0f}}) {
    const engine::ConfidenceLimits l = engine::twoStandardErrors(MHAT, VARTI);
    reps.push_back({MHAT, VARTI, VARTI, VARTI, l.LCL, l.UCL});
  }
  const DesignMeasures m = measureDesign(reps, 100, 4, true);
  const double sd = std::sqrt(500.0 / 3.0);
  EXPECT_DOUBLE_EQ(m.meanEstimate, 105.0);
  EXPECT_DOUBLE_EQ(m.percentBiasSE, sd / 2.0);
  EXPECT_DOUBLE_EQ(m.cvSE, sd / 100.0 / std::sqrt(6.0));
  EXPECT_DOUBLE_EQ(m.rmse, std::sqrt(150.0));
  EXPECT_NEAR(m.rmseSE, std::sqrt(30000.0) / 2.0 / (2.0 * std::sqrt(150.0)), 1e-12);
  EXPECT_EQ(m.misses, 2);
  EXPECT_DOUBLE_EQ(*m.coverage, 0.5);
  EXPECT_DOUBLE_EQ(*m.coverageSE, 0.25);
  EXPECT_DOUBLE_EQ(*m.coverageVARM, 0.5);
  EXPECT_DOUBLE_EQ(m.halfWidthPercent, 7.5);
  EXPECT_NEAR(m.halfWidthPercentSE, std::sqrt(83.0 / 3.0) / 2.0, 1e-12);
  // One independent replicate: the errors take R = 1.
  EXPECT_DOUBLE_EQ(*measureDesign(reps, 100, 1, true).coverageSE, 0.5);
  EXPECT_FALSE(measureDesign(reps, 100, 4, false).coverage);
}

// NN 100. MHAT 66 with VARTI 272.25 (SE 16.5, CV 0.25): MHAT + 2 SE = 99
// misses, the log-normal upper limit 66 x exp(2 sqrt(ln 1.0625)) = 66 x
// 1.6363 = 108.0 covers. MHAT 100 without variance covers both ways.
TEST(DesignMeasures, LogNormalCoverageBesideTheProgramsInterval) {
  std::vector<engine::ReplicateEstimate> reps;
  for (const auto& [MHAT, VARTI] : {std::pair{66.0f, 272.25f}, {100.0f, 0.0f}}) {
    const engine::ConfidenceLimits l = engine::twoStandardErrors(MHAT, VARTI);
    reps.push_back({MHAT, VARTI, VARTI, VARTI, l.LCL, l.UCL});
  }
  const DesignMeasures m = measureDesign(reps, 100, 2, true);
  EXPECT_DOUBLE_EQ(*m.coverage, 0.5);
  EXPECT_DOUBLE_EQ(*m.coverageLogNormal, 1.0);
  EXPECT_DOUBLE_EQ(*m.coverageLogNormalSE, 0.0);
  EXPECT_FALSE(measureDesign(reps, 100, 2, false).coverageLogNormal);
}

// Both targets judge the same way round: a design meets a target unless it
// falls short by more than two standard errors. Target CV 0.10 and coverage
// 0.95, NN 1000.
TEST(DesignMeasures, BothTargetsAllowTwoStandardErrors) {
  SearchSettings settings = smallSpec();
  settings.TARGET_COVERAGE = 0.95;
  const struct {
    double rmse, rmseSE, coverage, coverageSE;
    bool meets;
  } cases[] = {
      {100.0, 0.0, 0.95, 0.0, true},    // both exactly on target
      {118.0, 10.0, 0.95, 0.0, true},   // 0.118 - 0.020 = 0.098
      {122.0, 10.0, 0.95, 0.0, false},  // 0.122 - 0.020 = 0.102
      {50.0, 5.0, 0.92, 0.02, true},    // 0.92 + 0.04 = 0.96
      {50.0, 5.0, 0.90, 0.02, false},   // 0.90 + 0.04 = 0.94
  };
  for (const auto& c : cases) {
    DesignMeasures m;
    m.replicates = 100;
    m.rmse = c.rmse;
    m.rmseSE = c.rmseSE;
    m.coverage = c.coverage;
    m.coverageSE = c.coverageSE;
    EXPECT_EQ(meetsTargets(m, 1000, settings), c.meets) << c.rmse << " " << c.coverage;
  }
}

// With the uniform law and every strip counted, every counting interval the
// search accepts gives an unbiased estimate (within 3.5 Monte Carlo standard
// errors); those it refuses are the ones whose counts cannot stand for equal
// shares of the arribada. A 60-hour arribada on the built-in table
// (12-hour intervals) takes the divisors of 12 from 2 on; a 12-hour one
// with a single interval the divisors of 12 that leave two counts.
TEST(DesignSearch, EveryAcceptedCountingIntervalIsUnbiasedForTheUniformLaw) {
  const struct {
    std::int32_t IHR;
    bool flatTable;
    std::vector<std::int32_t> accepted;
  } cases[] = {{60, false, {2, 3, 4, 6, 12}}, {12, true, {2, 3, 4, 6}}};
  for (const auto& c : cases) {
    SearchSettings settings;
    settings.NTR = 2;
    settings.IC = {2};
    settings.NN = {5000};
    settings.IHR = {c.IHR};
    settings.KSW = {3};
    settings.IREP = 1000;
    settings.EVERY = {1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 15};
    settings.ROUND_MINUTES = settings.STRIP_MINUTES = 0;
    settings.TARGET_CV = 0.1;
    if (c.flatTable) settings.table = ShortTable{{12.0f}, {1.0f}};
    const ScenarioResult r = runScenario(settings, 0);
    std::vector<std::int32_t> accepted;
    for (const DesignOutcome& o : r.designs) {
      if (!o.skipped.empty()) continue;
      accepted.push_back(o.design.EVERY);
      EXPECT_LT(std::fabs(o.measures.percentBias), 3.5 * o.measures.percentBiasSE)
          << "IHR " << c.IHR << ", EVERY " << o.design.EVERY << ": " << o.measures.percentBias << " % ("
          << o.measures.percentBiasSE << ")";
    }
    EXPECT_EQ(accepted, c.accepted) << "IHR " << c.IHR;
  }
}

// A scenario is found from its index without listing the others: the lists
// here give 2 x 10^9 combinations, and scenario k's values are k's digits
// in the radices 10000 (NN), 10000 (MIN), 10 (STDDEV), 2 (densities, the fastest).
TEST(DesignSearch, ScenarioFromItsIndexWithoutListingTheOthers) {
  SearchSettings settings = smallSpec();
  settings.NN.clear();
  settings.MIN.clear();
  settings.STDDEV.clear();
  for (int k = 1; k <= 10000; ++k) {
    settings.NN.push_back(1000 + k);
    settings.MIN.push_back(static_cast<float>(k));
  }
  for (int k = 1; k <= 10; ++k) settings.STDDEV.push_back(static_cast<float>(k) / 1000.0f);
  settings.densities = {{}, {1.0, 2.0}};
  EXPECT_TRUE(validateSettings(settings).empty());
  EXPECT_EQ(scenarioCount(settings), 2'000'000'000);
  // 1234567891 = 2 x 617283945 + 1; 617283945 = 10 x 61728394 + 5;
  // 61728394 = 10000 x 6172 + 8394: NN digit 6172, MIN 8394, STDDEV 5, density 1.
  const Scenario s = scenarioAt(settings, 1'234'567'891);
  EXPECT_EQ(s.NN, 1000 + 6172 + 1);
  EXPECT_EQ(s.MIN, 8395.0f);
  EXPECT_EQ(s.STDDEV, 6.0f / 1000.0f);
  EXPECT_EQ(s.density, 1);
  EXPECT_EQ(s.densityLabel, "1/2");
  EXPECT_EQ(s.index, 1'234'567'891);
  // One more list value is past what a 32-bit index can number.
  settings.STDDEV.push_back(0.5f);
  ASSERT_EQ(validateSettings(settings).size(), 1u);
  EXPECT_EQ(validateSettings(settings)[0].name, "scenarios");
}

// The normal law's clamp puts every female beyond 3 standard deviations at
// MEANT -+ 3 STUD, STUD = 12 x STDDEV / 12 hours on the built-in 12-hour
// intervals (midpoints 6, 18, ..., 54 of a 60-hour arribada): STDDEV 1 gives
// the odd hours 3, 9, ..., 57, which counts every 2 hours read; STDDEV 2
// gives the interval ends 0, 12, ..., 60, which no accepted schedule reads.
// The clamp's warning names the schedules that count its hours; a MIN that
// looks like seconds (above 240 minutes) is warned of on the same line.
TEST(DesignSearch, ClampedHoursAndTheWarningForTheSchedulesThatCountThem) {
  const std::string clamp = "counted every 2 h";
  const std::string seconds = "MIN = 300 is above 240 minutes of egg-laying activity: MIN is in minutes (300 seconds would be 5)";
  const struct {
    float STDDEV;
    std::int32_t KSW;
    float MIN;
    std::vector<std::int32_t> hours;
    std::string warning;  // "" for none; else what it says, in order
  } cases[] = {
      {1.0f, 1, 60.0f, {3, 9, 15, 21, 27, 33, 39, 45, 51, 57}, clamp},
      {2.0f, 1, 60.0f, {0, 12, 12, 24, 24, 36, 36, 48, 48, 60}, ""},
      {1.0f, 3, 60.0f, {}, ""},
      {1.0f, 3, 240.0f, {}, ""},
      {1.0f, 3, 300.0f, {}, seconds},
      {1.0f, 1, 300.0f, {3, 9, 15, 21, 27, 33, 39, 45, 51, 57}, clamp + "|" + seconds},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.STDDEV) + " " + std::to_string(c.KSW) + " " + std::to_string(c.MIN));
    SearchSettings settings = smallSpec();
    settings.IHR = {60};
    settings.NN = {1000};
    settings.IREP = 2;
    settings.IC = {2};
    settings.EVERY = {2, 3};
    settings.STDDEV = {c.STDDEV};
    settings.KSW = {c.KSW};
    settings.MIN = {c.MIN};
    EXPECT_EQ(clampedHours(settings, 0), c.hours);
    const std::string warning = runScenario(settings, 0).warning;
    if (c.warning.empty()) {
      EXPECT_EQ(warning, "");
      continue;
    }
    std::size_t from = 0;
    for (std::size_t bar = 0; from <= c.warning.size(); from = bar + 1) {
      bar = std::min(c.warning.find('|', from), c.warning.size());
      EXPECT_NE(warning.find(c.warning.substr(from, bar - from)), std::string::npos) << warning;
    }
    EXPECT_EQ(warning.find("; ") != std::string::npos, c.warning.find('|') != std::string::npos) << warning;
  }
}

// The results' size grows as scenarios x designs (designs.csv and the
// picture's points) and x replicates (design-replicates.csv): 3 scenarios
// (three NN), 4 designs (two IC x two START), IREP 50.
TEST(DesignOutputs, ExpectedSizeCountsTheRows) {
  SearchSettings settings = smallSpec();
  settings.NN = {1000, 2000, 3000};
  settings.IC = {2, 5};
  settings.EVERY = {2};
  settings.IREP = 50;
  const OutputSize size = expectedOutputSize(settings);
  EXPECT_EQ(size.rows, 3.0 * 4.0);
  EXPECT_EQ(size.replicateRows, 3.0 * 4.0 * 50.0);
  settings.IREP = 100;
  EXPECT_EQ(expectedOutputSize(settings).replicates, 2.0 * size.replicates);
  EXPECT_EQ(expectedOutputSize(settings).designs, size.designs);
}

TEST(SearchSettings, FaultsNameTheirArgument) {
  SearchSettings settings;  // nothing required given
  settings.densities = {{}, {0.0, 0.0}};
  settings.IHR = {12, 60};
  std::vector<std::string> names;
  for (const SettingsFault& f : validateSettings(settings)) names.push_back(f.name + (f.item >= 0 ? std::to_string(f.item) : ""));
  EXPECT_EQ(names, (std::vector<std::string>{"NTR", "DENSITY1", "NN", "IHR", "IC", "ROUND_MINUTES", "STRIP_MINUTES",
                                             "TARGET_CV"}));
  EXPECT_THROW(listScenarios(settings), text::RunTimeError);
}

TEST(DesignFile, FaultsNameFileLineAndWhatWasExpected) {
  const std::string valid =
      "NTR = 10\nNN = 5000\nIC = 2, 5\nROUND_MINUTES = 20\nSTRIP_MINUTES = 5\nTARGET_CV = 0.1\n";
  const struct {
    std::string extra;
    std::string expected;
  } cases[] = {
      {"EVREY = 2", "beach.design, line 7: unknown name 'EVREY' (did you mean EVERY?)"},
      {"ntr = 20", "line 7: NTR is given again (first on line 1)"},
      {"IHR = 60, , 72", "line 7: IHR has an empty value"},
      {"MIN = five", "line 7: MIN = 'five' is not a number"},
      {"START = middle", "line 7: START = 'middle' is not first or random"},
      {"DENSITY = 1, -2", "line 7: needs relative densities of 0 or more"},
      {"TARGET_COVERAGE = 1.5", "line 7: TARGET_COVERAGE needs a proportion between 0 and 1"},
      {"IREP = 10, 20", "line 7: IREP takes one value, not 2"},
      {"IREP = 1,000", "IREP takes one value, not 2 (a comma separates two values: write 1000 without thousands"},
      {"MIN = 0,5", "(a comma separates two values: write 0.5 with a decimal point)"},
      {"IHR = 12", "TABLE_HOURS and TABLE_WEIGHTS"},
      {"just words", "line 7: expected NAME = value"},
      // Settings the search could not decide on: no Monte Carlo error, a
      // relative error of 100 % or more, a law without spread.
      {"IREP = 1", "line 7: IREP = 1 is not a number of replicates from 2 to 1000"},
      {"TARGET_CV = 10", "line 6: TARGET_CV needs a relative error above 0 and below 1"},
      {"TARGET_CV = 1", "line 6: TARGET_CV needs a relative error above 0 and below 1"},
      {"STDDEV = 2, 0", "line 7: STDDEV = 0 is not a standard deviation in hours above 0"},
  };
  for (const auto& c : cases) {
    // A case that gives TARGET_CV takes the place of the valid file's.
    std::string file = valid + c.extra + "\n";
    if (c.extra.starts_with("TARGET_CV")) file.replace(file.find("TARGET_CV = 0.1\n"), 16, "");
    std::istringstream in(file);
    try {
      parseDesignFile(in, "beach.design");
      ADD_FAILURE() << c.extra << " was accepted";
    } catch (const text::RunTimeError& error) {
      EXPECT_NE(std::string(error.what()).find(c.expected), std::string::npos) << error.what();
    }
  }
  std::istringstream missing("NTR = 10 # the beach\n");
  EXPECT_THROW(parseDesignFile(missing, "beach.design"), text::RunTimeError);
}

TEST(DesignFile, ListsCommentsAndDefaults) {
  std::istringstream in(
      "# a beach\nNTR = 10\nnn = 5000, 20000\nIC = 2,5 # two designs\nstart = First, RANDOM\n"
      "DENSITY = 1\nDENSITY = 1, 4, 1\nROUND_MINUTES = 20\nSTRIP_MINUTES = 5\nTARGET_CV = 0.1\n");
  const SearchSettings settings = parseDesignFile(in, "beach.design");
  EXPECT_EQ(settings.NN, (std::vector<std::int32_t>{5000, 20000}));
  EXPECT_EQ(settings.START, (std::vector<Start>{Start::first, Start::random}));
  ASSERT_EQ(settings.densities.size(), 2u);
  EXPECT_EQ(settings.densities[1], (std::vector<double>{1, 4, 1}));
  EXPECT_EQ(settings.JX, kDefaultJX);
  EXPECT_EQ(listScenarios(settings).size(), 4u);
  EXPECT_EQ(listDesigns(settings).size(), 4u);
}

}  // namespace
}  // namespace arribada::design
