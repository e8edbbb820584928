// The crew, the allocation by density, the counting error and the outputs a
// designer reads: each design-file key's effect against the same search
// without it, and the rules by hand.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <regex>
#include <sstream>

#include "design/design_file.hpp"
#include "design/effort.hpp"
#include "design/measures.hpp"
#include "design/outputs.hpp"
#include "design/search.hpp"

namespace arribada::design {
namespace {

const std::string kBase =
    "NTR = 10\nDENSITY = 1\nDENSITY = 1, 3\nNN = 3000\nIHR = 24\nIREP = 4\nJX = 12345\nIC = 2, 5\n"
    "EVERY = 2, 3\nSTART = first, random\nROUND_MINUTES = 30\nSTRIP_MINUTES = 10\nTARGET_CV = 0.1\n";

SearchSettings settingsOf(const std::string& text) {
  std::istringstream in(text);
  return parseDesignFile(in, "keys.design");
}

std::vector<ScenarioResult> runAll(const SearchSettings& settings) {
  std::vector<ScenarioResult> results;
  for (const Scenario& s : listScenarios(settings)) results.push_back(runScenario(settings, s.index));
  return results;
}

bool sameReplicates(const DesignOutcome& a, const DesignOutcome& b) {
  if (a.replicates.size() != b.replicates.size()) return false;
  for (std::size_t L = 0; L < a.replicates.size(); ++L) {
    const auto& x = a.replicates[L];
    const auto& y = b.replicates[L];
    if (x.MHAT != y.MHAT || x.VARM != y.VARM || x.VARTR != y.VARTR || x.VARTI != y.VARTI || x.LCL != y.LCL ||
        x.UCL != y.UCL) {
      return false;
    }
  }
  return true;
}

// Every design of every scenario as in the base search, bit for bit, costs included.
void expectToday(const std::vector<ScenarioResult>& base, const std::vector<ScenarioResult>& keyed) {
  ASSERT_EQ(base.size(), keyed.size());
  for (std::size_t s = 0; s < base.size(); ++s) {
    ASSERT_EQ(base[s].designs.size(), keyed[s].designs.size());
    for (std::size_t d = 0; d < base[s].designs.size(); ++d) {
      const DesignOutcome& a = base[s].designs[d];
      const DesignOutcome& b = keyed[s].designs[d];
      EXPECT_TRUE(sameReplicates(a, b)) << "scenario " << s + 1 << ", " << designName(a.design);
      EXPECT_EQ(a.cost.observerHours, b.cost.observerHours);
      EXPECT_EQ(a.cost.feasible, b.cost.feasible);
      EXPECT_EQ(a.skipped, b.skipped);
    }
  }
}

// Rounds of 24 hours: EVERY 2 counts 12 times, EVERY 3 eight times.
double rounds(std::int32_t EVERY) { return EVERY == 2 ? 12.0 : 8.0; }

struct KeyCase {
  std::string name;
  std::string lines;  // added to the base file
  std::function<void(const std::vector<ScenarioResult>& base, const std::vector<ScenarioResult>& keyed)> check;
};

class DesignKeyTest : public testing::TestWithParam<KeyCase> {};

TEST_P(DesignKeyTest, HasItsEffect) {
  static const std::vector<ScenarioResult> base = runAll(settingsOf(kBase));
  const KeyCase& c = GetParam();
  SCOPED_TRACE(c.lines);
  c.check(base, runAll(settingsOf(kBase + c.lines)));
}

INSTANTIATE_TEST_SUITE_P(
    EachKey, DesignKeyTest,
    testing::Values(
        KeyCase{"CountCvZero", "COUNT_CV = 0\n", expectToday},
        KeyCase{"AllocationEven", "ALLOCATION = even\n", expectToday},
        KeyCase{"OneObserverNoWalk", "OBSERVERS = 1\nWALK_MINUTES = 0\n", expectToday},
        // Two observers share a round: IC 2 (strips 1, 6) one strip each, 30 + 10 minutes; IC 5 (strips
        // 1 3 5 | 7 9) three strips for the first, 30 + 30. Each is paid for the whole round.
        KeyCase{"TwoObservers", "OBSERVERS = 2\n",
                [](const auto& base, const auto& keyed) {
                  for (std::size_t s = 0; s < keyed.size(); ++s) {
                    for (std::size_t d = 0; d < keyed[s].designs.size(); ++d) {
                      const DesignOutcome& o = keyed[s].designs[d];
                      EXPECT_EQ(o.design.observers, 2);
                      const double minutes = o.design.IC == 2 ? 40.0 : 60.0;
                      EXPECT_DOUBLE_EQ(o.cost.roundMinutes, minutes);
                      EXPECT_DOUBLE_EQ(o.cost.observerHours, rounds(o.design.EVERY) * 2 * minutes / 60.0);
                      EXPECT_TRUE(sameReplicates(o, base[s].designs[d]));
                    }
                  }
                }},
        // Walking 10 minutes a strip: IC 2 walks strip 1 to 6, 30 + 20 + 50 = 100 minutes; IC 5 walks 1 to
        // 9, 30 + 50 + 80 = 160 minutes, more than 2 hours: infeasible every 2 hours, feasible every 3.
        KeyCase{"Walk", "WALK_MINUTES = 10\n",
                [](const auto&, const auto& keyed) {
                  for (const DesignOutcome& o : keyed[0].designs) {
                    const double minutes = o.design.IC == 2 ? 100.0 : 160.0;
                    EXPECT_DOUBLE_EQ(o.cost.roundMinutes, minutes);
                    EXPECT_DOUBLE_EQ(o.cost.observerHours, rounds(o.design.EVERY) * minutes / 60.0);
                    EXPECT_EQ(o.cost.feasible, minutes <= o.design.EVERY * 60.0);
                  }
                }},
        // A counting error moves every design's estimates, around the same values: over a scenario's
        // designs and replicates (some 600 counts of a few turtles each) the totals stay within 10 %.
        KeyCase{"CountCv", "COUNT_CV = 0.3\n",
                [](const auto& base, const auto& keyed) {
                  for (std::size_t s = 0; s < keyed.size(); ++s) {
                    EXPECT_DOUBLE_EQ(keyed[s].scenario.countCV, 0.3);
                    double erred = 0.0, exact = 0.0;
                    for (std::size_t d = 0; d < keyed[s].designs.size(); ++d) {
                      const DesignOutcome& o = keyed[s].designs[d];
                      if (!o.skipped.empty()) continue;
                      EXPECT_FALSE(sameReplicates(o, base[s].designs[d])) << designName(o.design);
                      for (std::size_t L = 0; L < o.replicates.size(); ++L) {
                        erred += o.replicates[L].MHAT;
                        exact += base[s].designs[d].replicates[L].MHAT;
                      }
                    }
                    EXPECT_NEAR(erred / exact, 1.0, 0.1);
                  }
                }},
        // On the even beach a density allocation is one stretch: the even design. On "1, 3" (strips 1-5 and
        // 6-10) IC 2 cannot give both stretches two strips; IC 5 gives the denser one the fifth.
        KeyCase{"AllocationDensity", "ALLOCATION = even, density\n", [](const auto& base, const auto& keyed) {
                  ASSERT_EQ(keyed[0].designs.size(), 2 * base[0].designs.size());
                  for (std::size_t d = 0; d < keyed[0].designs.size(); d += 2) {
                    const DesignOutcome& even = keyed[0].designs[d];
                    const DesignOutcome& density = keyed[0].designs[d + 1];
                    ASSERT_EQ(density.design.allocation, Allocation::density);
                    EXPECT_TRUE(sameReplicates(even, density)) << designName(density.design);
                    EXPECT_TRUE(sameReplicates(even, base[0].designs[d / 2]));
                  }
                  for (const DesignOutcome& o : keyed[1].designs) {
                    const bool unplaced = o.design.allocation == Allocation::density && o.design.IC == 2;
                    EXPECT_EQ(!o.skipped.empty(), unplaced) << o.skipped;
                  }
                }}),
    [](const testing::TestParamInfo<KeyCase>& info) { return info.param.name; });

TEST(DensityStretches, SectionsHoldingStripCentres) {
  struct Case {
    std::vector<double> density;
    std::int32_t NTR;
    std::vector<std::pair<std::int32_t, std::int32_t>> stretches;
  };
  for (const Case& c : std::vector<Case>{{{1, 3, 6, 3, 1}, 20, {{1, 4}, {5, 8}, {9, 12}, {13, 16}, {17, 20}}},
                                         {{1, 1, 2}, 6, {{1, 4}, {5, 6}}},      // equal neighbours merge
                                         {{1, 2, 3}, 4, {{1, 1}, {2, 3}, {4, 4}}},  // centres 3/8, 9/8, 15/8, 21/8
                                         {{}, 10, {{1, 10}}},
                                         {{2, 2}, 7, {{1, 7}}}}) {
    std::vector<std::pair<std::int32_t, std::int32_t>> got;
    for (const Stretch& s : densityStretches(c.density, c.NTR)) got.emplace_back(s.first, s.last);
    EXPECT_EQ(got, c.stretches) << c.NTR;
  }
}

// Stretches of 4 strips with densities 1 2 8 2 1: (4 sqrt d)^2 = 16, 32, 128, 32, 16. Two strips each
// (10); the 11th and 12th go to the dense stretch (gains 128/6, then 128/12, against 32/6), which is then
// counted whole; the 13th to the first of the two 32s.
TEST(NeymanAllocation, ByHand) {
  const std::vector<Stretch> stretches = densityStretches({1, 2, 8, 2, 1}, 20);
  const std::vector<std::pair<std::int32_t, std::vector<std::int32_t>>> cases{
      {10, {2, 2, 2, 2, 2}}, {12, {2, 2, 4, 2, 2}}, {13, {2, 3, 4, 2, 2}}, {9, {}}, {21, {}}, {20, {4, 4, 4, 4, 4}}};
  for (const auto& [IC, n] : cases) EXPECT_EQ(neymanAllocation(stretches, IC), n) << IC;
  EXPECT_EQ(leastDensityStrips(densityStretches({1, 2, 3}, 4)), 4);  // stretches of 1, 2 and 1 strips
}

TEST(SystematicStrips, FromTheStartsDraw) {
  struct Case {
    Stretch stretch;
    std::int32_t n;
    float u;
    std::vector<std::int32_t> strips;
  };
  for (const Case& c : std::vector<Case>{{{5, 8, 1}, 2, 0.0f, {5, 7}},
                                         {{5, 8, 1}, 2, 0.5f, {6, 8}},
                                         {{5, 8, 1}, 3, 0.0f, {5, 6, 7}},  // floor of 0, 4/3, 8/3
                                         {{5, 8, 1}, 3, 1.0f, {6, 7, 8}},  // a draw of 1 is just below 1
                                         {{1, 20, 1}, 5, 0.99f, {4, 8, 12, 16, 20}}}) {
    EXPECT_EQ(systematicStrips(c.stretch, c.n, c.u), c.strips) << c.n << " " << c.u;
  }
}

// ROUND 20, STRIP 6, WALK 2 over strips 1 5 9 13 17: one observer 20 + 30 + 2 x 16 = 82; two split them
// 1 5 9 | 13 17, the first walking 8 strips: 20 + 18 + 16 = 54; five count one each: 20 + 6 = 26.
TEST(CrewRound, ElapsedMinutesAndObserverHours) {
  SearchSettings settings;
  settings.ROUND_MINUTES = 20;
  settings.STRIP_MINUTES = 6;
  settings.WALK_MINUTES = 2;
  const std::vector<std::int32_t> strips{1, 5, 9, 13, 17};
  EXPECT_DOUBLE_EQ(roundMinutes(settings, 1, strips), 82.0);
  EXPECT_DOUBLE_EQ(roundMinutes(settings, 2, strips), 54.0);
  EXPECT_DOUBLE_EQ(roundMinutes(settings, 5, strips), 26.0);
  const DesignCost two = crewCost(30, 2, 54.0, 1);
  EXPECT_DOUBLE_EQ(two.observerHours, 54.0);  // 30 rounds x 2 observers x 54 minutes
  EXPECT_TRUE(two.feasible);
  EXPECT_FALSE(crewCost(30, 1, 82.0, 1).feasible);
}

// Strata of strips 1-2 and 3-4, one counted in each (1 and 3), read every 3 hours of 10 (NT1 3), MIN 60:
// CONST = 10 / (1/2) / 1 / 3 = 20/3 in each. Counts 1 2 3 and 4 0 1: MHAT = 20/3 x 11. VARTR of each,
// (3 SS - TR^2) / 2 x CONST^2: (42 - 36) / 2 and (51 - 25) / 2, 16 x 400/9 in all; one strip each, no VARTI.
TEST(StratifiedEstimate, ByHand) {
  engine::CountGrid grid(4, 11);
  const auto tally = [&grid](std::int32_t strip, std::int32_t column, int times) {
    for (int i = 0; i < times; ++i) grid.tally(engine::CountGrid::cellOf(strip, column, 11));
  };
  tally(1, 2, 1), tally(1, 5, 2), tally(1, 8, 3), tally(3, 2, 4), tally(3, 8, 1), tally(2, 5, 9);
  const engine::SamplingSchedule every3 = engine::samplingSchedule(10, 3);
  const engine::SimulationParameters half{.NTI = 0, .NTR = 2, .IC = 1, .NN = 1, .IHR = 10, .JX = 1, .MIN = 60.0f};
  const engine::EstimateConstants k = engine::makeEstimateConstants(half, every3);
  const std::vector<Stratum> strata{{{1, 2, 1.0}, 1, k}, {{3, 4, 1.0}, 1, k}};
  engine::SampleWork work;
  const engine::ReplicateEstimate e = stratifiedEstimate(grid, strata, every3, 0.0f, work);
  EXPECT_NEAR(e.MHAT, 220.0 / 3.0, 1e-4);
  EXPECT_NEAR(e.VARTR, 16.0 * 400.0 / 9.0, 1e-2);
  EXPECT_EQ(e.VARTI, 0.0f);
  EXPECT_EQ(e.LCL, e.MHAT);
}

// The error's law: log-normal of mean 1; sigma^2 = ln(1 + cv^2). cv 0.5: sigma^2 = 0.22314, so z = 0 gives
// 10 exp(-0.11157) = 8.94 (9) and z = 1 gives 10 exp(0.47238 - 0.11157) = 14.34 (14).
TEST(CountError, LawAndRounding) {
  const std::vector<std::tuple<std::int32_t, double, double, std::int32_t>> cases{
      {10, 0.0, 2.5, 10}, {10, 0.5, 0.0, 9}, {10, 0.5, 1.0, 14}, {0, 0.5, 3.0, 0}, {1, 0.5, -1.0, 1}};
  for (const auto& [count, cv, z, erred] : cases) EXPECT_EQ(CountError::erred(count, cv, z), erred) << cv << " " << z;
  // Over 20 000 cells of 20 turtles the counts average 20 and vary by cv 0.3 (rounding adds 1/12 to the
  // variance): Monte Carlo errors 0.04 and 0.002.
  engine::CountGrid truth(200, 100);
  for (std::size_t i = 0; i < truth.cells(); ++i) truth.setCell(i, 20);
  engine::CountGrid erred(200, 100);
  CountError error(0.3, 12345);
  error.apply(truth, erred);
  double sum = 0.0, squares = 0.0;
  for (std::size_t i = 0; i < erred.cells(); ++i) {
    sum += erred.cell(i);
    squares += static_cast<double>(erred.cell(i)) * erred.cell(i);
  }
  const double n = static_cast<double>(erred.cells());
  const double mean = sum / n;
  EXPECT_NEAR(mean, 20.0, 0.15);
  EXPECT_NEAR(std::sqrt(squares / n - mean * mean) / 20.0, std::sqrt(0.09 + 1.0 / 12.0 / 400.0), 0.008);
}

// 16807^k mod P: one and two steps from 1; half a period gives P - 1; a whole one comes back.
TEST(CountError, StreamStatesByHand) {
  EXPECT_EQ(advancedState(1, 1), 16807);
  EXPECT_EQ(advancedState(1, 2), 282475249);
  EXPECT_EQ(advancedState(1, engine::kStreamPeriod / 2), engine::kRandomModulus - 1);
  EXPECT_EQ(advancedState(12345, engine::kStreamPeriod), 12345);
}

// Where the turtles crowd, counting where they are must not lose precision to the even sample, on the
// same arribadas; and every density design keeps two strips a stretch.
TEST(DensityAllocation, NotWorseThanEvenOnACrowdedBeach) {
  const SearchSettings settings = settingsOf(
      "NTR = 20\nDENSITY = 1, 1, 8, 1, 1\nNN = 20000\nIHR = 24\nIREP = 60\nIC = 10\nSTART = first, random\n"
      "ALLOCATION = even, density\nROUND_MINUTES = 20\nSTRIP_MINUTES = 6\nTARGET_CV = 0.1\n");
  const ScenarioResult r = runScenario(settings, 0);
  for (std::size_t d = 0; d < r.designs.size(); d += 2) {
    const DesignMeasures& even = r.designs[d].measures;
    const DesignMeasures& density = r.designs[d + 1].measures;
    EXPECT_LE(density.rmse, even.rmse + 2.0 * even.rmseSE) << designName(r.designs[d + 1].design);
  }
}

TEST(DesignOutputs, HoursAndWrapping) {
  EXPECT_EQ(hoursText(20.0 / 3.0), "6.7");
  EXPECT_EQ(hoursText(12.5), "12.5");
  EXPECT_EQ(wrapped("aaa bbb ccc", 7), "aaa bbb\n  ccc");
  EXPECT_EQ(wrapped("aaa bbb ccc", kNoWrap), "aaa bbb ccc");
  EXPECT_EQ(wrapped("abcdefghij k", 5), "abcdefghij\n  k");
}

// A one-scenario figure of 24 designs: every text that starts at its x ends inside the picture (at
// 0.6 of the font size a character, bold or not), and labels are fewer than designs where they crowd.
TEST(DesignOutputs, FigureKeepsItsTextInside) {
  const SearchSettings settings = settingsOf(
      "NTR = 12\nNN = 2000\nIHR = 24\nIREP = 3\nIC = 2, 3, 4, 6\nEVERY = 2, 3, 4\nSTART = first, random\n"
      "ROUND_MINUTES = 20\nSTRIP_MINUTES = 6\nTARGET_CV = 0.1\n");
  const std::vector<ScenarioResult> results = runAll(settings);
  const std::string svg = searchPicture(settings, combineResults(settings, results), results);
  std::smatch m;
  ASSERT_TRUE(std::regex_search(svg, m, std::regex("width=\"([0-9]+)\"")));
  const double width = std::stod(m[1]);
  const std::regex text("<text x=\"([0-9.]+)\" y=\"[0-9.]+\" font-size=\"([0-9.]+)\" text-anchor=\"start\"[^>]*>([^<]*)<");
  int texts = 0;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), text); it != std::sregex_iterator(); ++it, ++texts) {
    const double right = std::stod((*it)[1]) + 0.6 * std::stod((*it)[2]) * static_cast<double>((*it)[3].length());
    EXPECT_LE(right, width) << (*it)[3];
  }
  EXPECT_GT(texts, 10);
}

}  // namespace
}  // namespace arribada::design

namespace arribada::design {
namespace {

// Each target alone, as the figure fills its markers: (rmse - 2 SE) / NN against 0.125, coverage + 2 SE
// against 0.9375 (binary fractions, so that the sums are exact).
TEST(DesignOutputs, EachTargetAlone) {
  SearchSettings settings;
  settings.TARGET_CV = 0.125;
  settings.TARGET_COVERAGE = 0.9375;
  struct Case {
    double rmse, rmseSE;
    std::optional<double> coverage, coverageSE;
    bool precise, covers;
  };
  for (const Case& c : std::vector<Case>{{150, 12.5, 0.875, 0.03125, true, true},
                                         {150.5, 12.5, 0.875, 0.015625, false, false},
                                         {100, 0, std::nullopt, std::nullopt, true, false}}) {
    DesignMeasures m;
    m.rmse = c.rmse;
    m.rmseSE = c.rmseSE;
    m.coverage = c.coverage;
    m.coverageSE = c.coverageSE;
    EXPECT_EQ(meetsPrecision(m, 1000, settings), c.precise) << c.rmse;
    EXPECT_EQ(meetsCoverage(m, settings), c.covers) << c.rmse;
  }
}

}  // namespace
}  // namespace arribada::design
