#include "engine/generation.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "engine/random.hpp"
#include "engine/table.hpp"
#include "text/errors.hpp"

namespace arribada::engine {
namespace {

// A stream that hands out chosen uniforms and counts them.
class ScriptedStream {
 public:
  explicit ScriptedStream(std::vector<float> values) : values_(std::move(values)) {}
  float next() {
    if (used_ >= values_.size()) {
      ADD_FAILURE() << "more draws than scripted";
      return 0.5f;
    }
    return values_[used_++];
  }
  std::size_t used() const { return used_; }

 private:
  std::vector<float> values_;
  std::size_t used_ = 0;
};

struct Redraw {
  std::int32_t K;
  float TIME, HR;
};

struct Beach {
  SimulationParameters p;
  NestingTable table;
  GenerationConstants c;
  NormalPair pair;
  std::vector<Redraw> redraws;

  Placement place(auto& stream) {
    return placeFemale(stream, pair, c, [&](std::int32_t K, float TIME, float HR) {
      redraws.push_back({K, TIME, HR});
    });
  }
};

Beach builtIn(std::int32_t KSW, float STDDEV = 2.0f) {
  Beach s;
  s.p.IHR = 60;
  s.p.NTR = 10;
  s.p.MIN = 5.0f;
  s.p.STDDEV = STDDEV;
  s.p.KSW = KSW;
  s.table = builtInTable(s.p.IHR);
  s.c = makeGenerationConstants(s.p, s.table);
  return s;
}

Beach user(std::vector<float> marks, std::vector<float> weights, std::int32_t KSW, float MIN, float STDDEV = 2.0f) {
  Beach s;
  s.p.NTR = 10;
  s.p.MIN = MIN;
  s.p.STDDEV = STDDEV;
  s.p.KSW = KSW;
  s.p.IHR = static_cast<std::int32_t>(marks.size());
  s.table = userTable(marks, weights, s.p.IHR);
  s.c = makeGenerationConstants(s.p, s.table);
  return s;
}

struct Expected {
  std::int32_t MM;
  double TIME;
  std::int32_t J, K;
  bool tallied;
};

void expectPlacement(const Placement& f, const Expected& e, int female) {
  EXPECT_EQ(f.MM, e.MM) << "female " << female;
  EXPECT_NEAR(f.TIME, e.TIME, 5e-6) << "female " << female;
  EXPECT_EQ(f.J, e.J) << "female " << female;
  EXPECT_EQ(f.K, e.K) << "female " << female;
  EXPECT_EQ(f.tallied, e.tallied) << "female " << female;
}

// The state after n steps from seed 1, by plain modular multiplication.
std::int32_t stateAfter(int n) {
  std::int64_t x = 1;
  for (int i = 0; i < n; ++i) x = x * 16807 % 2147483647;
  return static_cast<std::int32_t>(x);
}

TEST(WorkedExample, UniformLawFromSeedOne) {
  Beach s = builtIn(3);
  text::RecordingSink report;
  std::int32_t JX = 1;
  PlainStream stream(JX, report);
  const Expected females[] = {{1, 1.57845, 8, 3, false}, {3, 30.39321, 3, 31, false}, {1, 8.14638, 7, 9, false}};
  for (int i = 0; i < 3; ++i) expectPlacement(s.place(stream), females[i], i + 1);
  EXPECT_EQ(JX, stateAfter(9));  // interval, time, strip: three draws each
  EXPECT_TRUE(s.redraws.empty());
}

TEST(WorkedExample, NormalLawSharesOnePairBetweenTwoFemales) {
  Beach s = builtIn(1);
  text::RecordingSink report;
  std::int32_t JX = 1;
  PlainStream stream(JX, report);
  expectPlacement(s.place(stream), {1, 4.91575, 5, 6, false}, 1);
  EXPECT_NEAR(s.pair.Z, -0.54212, 5e-6);
  EXPECT_EQ(s.pair.ISW, 0);
  const std::int32_t afterFirst = JX;
  expectPlacement(s.place(stream), {3, 30.75215, 3, 32, false}, 2);
  EXPECT_NEAR(s.pair.Z, 0.37608, 5e-6);
  EXPECT_EQ(s.pair.ISW, 1);
  // The second female draws only her interval and her strip.
  std::int32_t check = afterFirst;
  RANDOM(check, report);
  RANDOM(check, report);
  EXPECT_EQ(JX, check);
}

TEST(Generation, UniformTallyWindowIncludesItsBoundary) {
  // Interval 2 of marks 2, 4 (chosen by UU = 0.75): TIME = 2 + 2 r.
  struct Case {
    float r, MIN;
    std::int32_t K;
    bool tallied;
  };
  const float tiny = 1.0f / 1048576.0f;
  const Case cases[] = {
      {0.125f, 30.0f, 3, true},                                    // 2.25: exactly DIV = 0.25 after hour 2
      {0.375f, 30.0f, 4, true},                                    // 2.75: exactly DIV before hour 3
      {0.125f + tiny, 30.0f, 3, false},                            // just past the window
      {0.375f - tiny, 30.0f, 4, false}, {0.25f, 30.0f, 4, false},  // 2.5 rounds half up to hour 3
      {0.25f, 60.0f, 4, true},                                     // ... and is inside a one-hour window
  };
  for (const Case& c : cases) {
    Beach s = user({2.0f, 4.0f}, {1.0f, 1.0f}, 3, c.MIN);
    ScriptedStream stream({0.75f, c.r, 0.05f});
    const Placement f = s.place(stream);
    EXPECT_EQ(f.MM, 2);
    EXPECT_EQ(f.K, c.K) << c.r;
    EXPECT_EQ(f.tallied, c.tallied) << c.r << " MIN " << c.MIN;
    EXPECT_EQ(f.J, 1);
    EXPECT_EQ(stream.used(), 3u);
  }
}

TEST(Generation, IntervalIsTheFirstWhoseProportionReachesTheDraw) {
  Beach s = user({1.0f, 2.0f, 3.0f}, {1.0f, 1.0f, 0.0f}, 3, 5.0f);  // PERCNT 0.5, 1.0, 1.0
  struct Case {
    float UU;
    std::int32_t MM;
  };
  for (const Case c : {Case{4.656613e-10f, 1}, Case{0.5f, 1}, Case{0.50000006f, 2}, Case{1.0f, 2}}) {
    EXPECT_EQ(chooseInterval(c.UU, s.c), c.MM) << c.UU;
  }
}

TEST(Generation, DrawOfOneStaysOnTheLastStrip) {
  EXPECT_EQ(stripOf(1.0f, 10), 10);
  EXPECT_EQ(stripOf(1.0f, 1000), 1000);
  EXPECT_EQ(stripOf(0.99999994f, 10), 10);
  EXPECT_EQ(stripOf(0.7556053f, 10), 8);
  EXPECT_EQ(stripOf(4.656613e-10f, 10), 1);
}

TEST(Generation, NearestHourTruncatesTowardZero) {
  struct Case {
    float TIME;
    double hour;
  };
  for (const Case c : {Case{2.5f, 3.0}, Case{2.4999998f, 2.0}, Case{-0.75f, 0.0}, Case{-1.4999999f, 0.0},
                       Case{-1.5f, -1.0}, Case{-6.0f, -5.0}}) {
    EXPECT_EQ(nearestHour(c.TIME), c.hour) << c.TIME;
  }
  EXPECT_THROW(nearestHour(3e30f), text::RunTimeError);
}

TEST(Generation, NormalPairClampsBothDeviates) {
  struct Case {
    float r1, r2;  // U1 = 2 r1 - 1, U2 = 2 r2 - 1: W is tiny, so |Z| is far above 3
    float first;
  };
  for (const Case c : {Case{0.51f, 0.505f, 3.0f}, Case{0.49f, 0.505f, -3.0f}}) {
    ScriptedStream stream({c.r1, c.r2});
    NormalPair pair;
    EXPECT_EQ(normalDeviate(stream, pair), c.first);
    const auto U1 = static_cast<float>(2.0 * c.r1 - 1.0);
    const auto U2 = static_cast<float>(2.0 * c.r2 - 1.0);
    EXPECT_EQ(pair.U1, U1);
    EXPECT_EQ(pair.U2, U2);
    // The second deviate scales the clamped first one: +-3 U2 / U1 (about 1.5 here).
    const auto second = static_cast<float>(static_cast<double>(c.first) * U2 / U1);
    EXPECT_EQ(normalDeviate(stream, pair), second);
    EXPECT_NEAR(std::fabs(second), 1.5, 1e-5);
    EXPECT_EQ(stream.used(), 2u);
  }
}

TEST(Generation, NormalPairRejectsZeroAndPointsOutsideTheCircle) {
  Beach s = builtIn(1);
  // UU; U1 = 0 is drawn again; (1, 0.5) lies outside the circle; (1, 0) is on it
  // and accepted with W = 1, so Z = 0 and the time is the interval's midpoint.
  ScriptedStream stream({0.1f, 0.5f, 1.0f, 0.75f, 1.0f, 0.5f, 0.25f});
  const Placement f = s.place(stream);
  EXPECT_EQ(stream.used(), 7u);
  EXPECT_EQ(f.TIME, 6.0f);
  EXPECT_EQ(f.J, 3);
  EXPECT_EQ(f.K, 7);
  EXPECT_EQ(s.pair.Z, 0.0f);
}

TEST(Generation, OutOfRangeTimeIsReportedAndRedrawnInTheSameInterval) {
  // One 12-hour interval and a wide normal law (STUD = 4): a clamped Z = -3
  // puts her at hour -6, before the arribada.
  Beach s = user({12.0f}, {1.0f}, 1, 5.0f, 4.0f);
  ScriptedStream stream({0.3f, 0.49f, 0.505f, 0.5f, 0.95f});
  const Placement f = s.place(stream);
  ASSERT_EQ(s.redraws.size(), 1u);
  EXPECT_EQ(s.redraws[0].K, -4);
  EXPECT_EQ(s.redraws[0].TIME, -6.0f);
  EXPECT_EQ(s.redraws[0].HR, -5.0f);
  // The redraw uses the pair's second deviate (about +1.5) and a new strip.
  const auto U1 = static_cast<float>(2.0 * 0.49f - 1.0);
  const auto U2 = static_cast<float>(2.0 * 0.505f - 1.0);
  const auto Z = static_cast<float>(-3.0 * U2 / U1);
  EXPECT_EQ(f.TIME, static_cast<float>(4.0 * Z + 6.0));
  EXPECT_EQ(f.K, 13);  // hour 12, the last of the arribada
  EXPECT_EQ(f.J, 10);
  EXPECT_EQ(f.MM, 1);
  EXPECT_EQ(stream.used(), 5u);
}

TEST(Generation, PoissonShortIntervalGivesNegativeTimes) {
  // An interval of half an hour: NM = INT(0.6) - 1 = -1, so a first product
  // at or above exp(-0.25) leaves TIME = -1 before the fraction is added.
  struct Case {
    float PROD, fraction, MIN;
    float TIME;
    bool tallied;
  };
  const Case cases[] = {
      {0.9f, 0.25f, 90.0f, -0.75f, true},  // hour 0, window of 0.75 h each side
      {0.9f, 0.25f, 5.0f, -0.75f, false},
      {0.5f, 0.25f, 5.0f, 0.25f, false},  // below exp(-0.25): whole part 0
  };
  for (const Case& c : cases) {
    Beach s = user({0.5f, 12.0f}, {1.0f, 1.0f}, 2, c.MIN);
    ScriptedStream stream({0.2f, c.PROD, c.fraction, 0.5f});
    const Placement f = s.place(stream);
    EXPECT_EQ(f.MM, 1);
    EXPECT_EQ(f.TIME, c.TIME);
    EXPECT_EQ(f.K, 1);
    EXPECT_EQ(f.tallied, c.tallied);
    EXPECT_EQ(stream.used(), 4u);
  }
}

TEST(Generation, PoissonOneHourIntervalsAddOnlyAFraction) {
  std::vector<float> marks;
  for (int i = 1; i <= 12; ++i) marks.push_back(static_cast<float>(i));
  for (float PROD : {0.1f, 0.9f}) {
    Beach s = user(marks, std::vector<float>(12, 1.0f), 2, 5.0f);
    EXPECT_EQ(s.c.intervals[2].NM, 0);
    ScriptedStream stream({0.2f, PROD, 0.375f, 0.5f});  // interval 3 starts at hour 2
    const Placement f = s.place(stream);
    EXPECT_EQ(f.MM, 3);
    EXPECT_EQ(f.TIME, 2.375f);
    EXPECT_EQ(stream.used(), 4u);
  }
}

TEST(Generation, PoissonWholeHoursStopAtTheFirstSmallProductOrAtNM) {
  Beach s = builtIn(2);  // 12-hour intervals: NM = 11, DEXP = exp(-6)
  EXPECT_EQ(s.c.intervals[0].NM, 11);
  ScriptedStream early({0.1f, 0.9f, 0.9f, 0.001f, 0.25f, 0.5f});
  EXPECT_EQ(s.place(early).TIME, 2.25f);  // products 0.9, 0.81, then 0.00081 < exp(-6)
  EXPECT_EQ(early.used(), 6u);

  std::vector<float> draws = {0.1f};
  draws.insert(draws.end(), 12, 0.99f);  // the first product and 11 more never get small
  draws.push_back(0.5f);                 // fraction
  draws.push_back(0.5f);                 // strip
  ScriptedStream capped(draws);
  EXPECT_EQ(s.place(capped).TIME, 11.5f);
  EXPECT_EQ(capped.used(), draws.size());

  ScriptedStream later({0.5f, 0.9f, 0.001f, 0.25f, 0.5f});  // interval 3 starts at hour 24
  const Placement f = s.place(later);
  EXPECT_EQ(f.MM, 3);
  EXPECT_EQ(f.TIME, 25.25f);
}

TEST(Generation, IntervalThatNeverFitsTheArribadaEndsTheRun) {
  // The last interval, 12.6 to 12.9, lies wholly past hour 12.5.
  Beach s = user({1.0f, 12.6f, 12.9f}, {0.0f, 0.0f, 1.0f}, 3, 5.0f);
  ASSERT_EQ(s.p.IHR, 12);
  text::RecordingSink report;
  std::int32_t JX = 12345;
  PlainStream stream(JX, report);
  EXPECT_THROW(s.place(stream), text::RunTimeError);
  EXPECT_EQ(s.redraws.size(), static_cast<std::size_t>(kMaxRedraws) + 1);
}

}  // namespace
}  // namespace arribada::engine
