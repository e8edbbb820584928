// The finishing steps of both simulation paths: NTI from the final IHR, the
// file rule for a JX of 0, the odd JX, and the refusals of a seed or an
// arribada that the simulation cannot use.

#include <gtest/gtest.h>

#include <string>

#include "entry/parameter_entry.hpp"
#include "text/errors.hpp"

namespace arribada::entry {
namespace {

engine::SimulationParameters parameters(std::int32_t NN, std::int32_t IHR, std::int32_t NTR, std::int32_t IC, float MIN,
                                        std::int32_t JX) {
  engine::SimulationParameters p;
  p.NN = NN;
  p.IHR = IHR;
  p.NTR = NTR;
  p.IC = IC;
  p.MIN = MIN;
  p.JX = JX;
  p.IREP = 2;
  p.STDDEV = 1.0f;
  p.KSW = 1;
  return p;
}

struct Finished {
  const char* name;
  engine::SimulationParameters p;
  std::int32_t NTI;
  std::int32_t JX;
};

class FinishTest : public ::testing::TestWithParam<Finished> {};

TEST_P(FinishTest, GivesNtiAndAnOddSeed) {
  engine::SimulationParameters p = GetParam().p;
  finishParameters(p, "file 'test.par'");
  EXPECT_EQ(p.NTI, GetParam().NTI);
  EXPECT_EQ(p.JX, GetParam().JX);
}

INSTANTIATE_TEST_SUITE_P(
    Finishing, FinishTest,
    ::testing::Values(
        // 50000 x 31 x 10 x 5 x 5 = 387500000, made odd.
        Finished{"FileRuleWithTheDefaults", parameters(50000, 60, 10, 5, 5.0f, 0), 31, 387500001},
        // 12 hours give 7 periods; 7.5 minutes round to 8: 1000 x 7 x 10 x 5 x 8 = 2800000.
        Finished{"MinutesRoundHalfUp", parameters(1000, 12, 10, 5, 7.5f, 0), 7, 2800001},
        // 13 hours: (13 + 1) / 2 = 7; 7.49 minutes round to 7: 1000 x 7 x 10 x 5 x 7 = 2450000.
        Finished{"OddHours", parameters(1000, 13, 10, 5, 7.49f, 0), 7, 2450001},
        Finished{"TwoHoursAreOneSamplingTime", parameters(1000, 2, 10, 5, 5.0f, 9), 2, 9},
        Finished{"TypedEvenSeedMadeOdd", parameters(1000, 60, 10, 5, 5.0f, 1000), 31, 1001},
        // No overflow on the way: 2147483647 / 2 + 1.
        Finished{"LongestOddHours", parameters(1, 2147483647, 1, 1, 1.0f, 9), 1073741824, 9},
        Finished{"LargestState", parameters(1000, 60, 10, 5, 5.0f, 2147483645), 31, 2147483645}),
    [](const auto& info) { return std::string(info.param.name); });

struct Refused {
  const char* name;
  engine::SimulationParameters p;
  const char* inMessage;
};

class FinishRefusalTest : public ::testing::TestWithParam<Refused> {};

TEST_P(FinishRefusalTest, RunTimeErrorNamingTheFile) {
  engine::SimulationParameters p = GetParam().p;
  try {
    finishParameters(p, "file 'test.par'");
    FAIL() << "accepted, JX = " << p.JX;
  } catch (const text::RunTimeError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find("file 'test.par'"), std::string::npos) << message;
    EXPECT_NE(message.find(GetParam().inMessage), std::string::npos) << message;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Finishing, FinishRefusalTest,
    ::testing::Values(
        // 1000000 x 103 overflows nothing yet; x 1000 x 1000 does.
        Refused{"ProductOverflows", parameters(1000000, 204, 1000, 1000, 5.0f, 0), "32-bit range"},
        // 1000 x 31 x 10 x 5 = 1550000; x 1386 = 2148300000 just passes 2147483647.
        Refused{"LastFactorOverflows", parameters(1000, 60, 10, 5, 1386.0f, 0), "32-bit range"},
        // Three thousand million minutes are no 32-bit whole number of minutes at all.
        Refused{"MinutesBeyondThirtyTwoBits", parameters(1000, 60, 10, 5, 3.0e9f, 0), "32-bit range"},
        Refused{"SeedOfTheFixedPoint", parameters(1000, 60, 10, 5, 5.0f, 2147483647), "2147483647"},
        Refused{"EvenSeedMadeTheFixedPoint", parameters(1000, 60, 10, 5, 5.0f, 2147483646), "2147483646"},
        Refused{"NegativeSeed", parameters(1000, 60, 10, 5, 5.0f, -4), "-4"},
        Refused{"OneHour", parameters(1000, 1, 10, 5, 5.0f, 9), "IHR = 1"},
        Refused{"NegativeHours", parameters(1000, -6, 10, 5, 5.0f, 9), "IHR = -6"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace arribada::entry
