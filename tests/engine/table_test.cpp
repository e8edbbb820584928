#include "engine/table.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "text/errors.hpp"
#include "text/format.hpp"

namespace arribada::engine {
namespace {

TEST(BuiltInTable, SixtyHoursGiveFiveTwelveHourIntervals) {
  std::int32_t IHR = 60;
  const NestingTable t = builtInTable(IHR);
  EXPECT_EQ(IHR, 60);
  EXPECT_EQ(t.KK, 5);
  EXPECT_EQ(t.LL, 3);
  const std::vector<std::string> proportions = {"3.200000E-01", "3.400000E-01", "6.600000E-01", "6.799999E-01",
                                                "1.000000"};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(t.UINT[i], 12.0f * static_cast<float>(i + 1));
    EXPECT_EQ(text::realText(t.PERCNT[i]), proportions[i]) << i;
  }
}

TEST(BuiltInTable, HundredTwentyHoursAlternateHighAndLowShares) {
  std::int32_t IHR = 120;
  const NestingTable t = builtInTable(IHR);
  EXPECT_EQ(t.KK, 10);
  EXPECT_EQ(t.LL, 5);
  const double expected[] = {0.192, 0.2, 0.392, 0.4, 0.592, 0.6, 0.792, 0.8, 0.992, 1.0};
  for (std::size_t i = 0; i < 10; ++i) {
    EXPECT_NEAR(t.PERCNT[i], expected[i], 2e-7) << i;
    EXPECT_EQ(t.UINT[i], 12.0f * static_cast<float>(i + 1));
  }
  EXPECT_EQ(text::realText(t.PERCNT[6]), "7.920001E-01");
  EXPECT_EQ(t.PERCNT[9], 1.0f);
}

TEST(BuiltInTable, LengthIsRoundedToTwelveHalvesUp) {
  struct Case {
    std::int32_t asked, rounded, KK;
  };
  for (const Case c : {Case{18, 24, 2}, Case{29, 24, 2}, Case{30, 36, 3}, Case{204, 204, 17}, Case{209, 204, 17}}) {
    std::int32_t IHR = c.asked;
    const NestingTable t = builtInTable(IHR);
    EXPECT_EQ(IHR, c.rounded) << c.asked;
    EXPECT_EQ(t.KK, c.KK) << c.asked;
    EXPECT_EQ(t.PERCNT[static_cast<std::size_t>(t.KK - 1)], 1.0f);
  }
  std::int32_t IHR = 18;
  const NestingTable two = builtInTable(IHR);
  EXPECT_EQ(text::realText(two.PERCNT[0]), "9.600000E-01");
}

TEST(BuiltInTable, ArribadaBeyondSeventeenIntervalsIsRefused) {
  std::int32_t IHR = 210;  // rounds to 216: 18 intervals
  EXPECT_THROW(builtInTable(IHR), text::RunTimeError);
  EXPECT_EQ(IHR, 210);
}

TEST(UserTable, WeightsAreNormalisedAndAccumulated) {
  const std::vector<float> marks = {4.0f, 8.0f, 12.0f};
  const std::vector<float> weights = {1.0f, 2.0f, 1.0f};
  std::int32_t IHR = 3;
  const NestingTable t = userTable(marks, weights, IHR);
  EXPECT_EQ(IHR, 12);
  EXPECT_EQ(t.KK, 3);
  EXPECT_EQ(t.PERCNT[0], 0.25f);
  EXPECT_EQ(t.PERCNT[1], 0.75f);
  EXPECT_EQ(t.PERCNT[2], 1.0f);
  EXPECT_EQ(t.UINT[2], 12.0f);
}

TEST(UserTable, LastProportionIsForcedToOne) {
  // Thirds: 0.33333334 + 0.33333334 and so on would not land on 1.0 by itself.
  const std::vector<float> marks = {1.0f, 2.0f, 3.0f, 4.0f, 5.0f, 6.0f, 7.0f};
  const std::vector<float> weights = {0.1f, 0.3f, 0.7f, 0.1f, 0.3f, 0.7f, 0.3f};
  std::int32_t IHR = 7;
  const NestingTable t = userTable(marks, weights, IHR);
  EXPECT_EQ(t.PERCNT[6], 1.0f);
  EXPECT_NEAR(t.PERCNT[0], 0.1 / 2.5, 1e-7);
  EXPECT_NEAR(t.PERCNT[5], 2.2 / 2.5, 1e-6);
}

TEST(UserTable, LastMarkIsTruncatedToTheArribadaLength) {
  std::vector<float> marks;
  for (int i = 1; i <= 12; ++i) marks.push_back(2.0f * static_cast<float>(i));
  const std::vector<float> weights(12, 1.0f);
  std::int32_t IHR = 12;
  EXPECT_EQ(userTable(marks, weights, IHR).KK, 12);
  EXPECT_EQ(IHR, 24);
  const std::vector<float> odd = {5.0f, 12.9f};
  const std::vector<float> two = {1.0f, 1.0f};
  userTable(odd, two, IHR);
  EXPECT_EQ(IHR, 12);
}

TEST(UserTable, UnusableTablesAreRefused) {
  std::int32_t IHR = 2;
  const std::vector<float> marks = {1.0f, 2.0f};
  EXPECT_THROW(userTable(marks, std::vector<float>{0.0f, 0.0f}, IHR), text::RunTimeError);
  EXPECT_THROW(userTable(marks, std::vector<float>{1.0f}, IHR), text::RunTimeError);
  EXPECT_THROW(userTable(std::vector<float>{}, std::vector<float>{}, IHR), text::RunTimeError);
  EXPECT_THROW(userTable(std::vector<float>{1.0f, 3e9f}, std::vector<float>{1.0f, 1.0f}, IHR), text::RunTimeError);
}

TEST(EchoTable, HeadingThenIndexProportionAndHourInTheirColumns) {
  std::int32_t IHR = 24;
  text::RecordingSink report;
  echoTable(builtInTable(IHR), report);
  ASSERT_EQ(report.records.size(), 3u);
  EXPECT_EQ(report.records[0], "     INDEX        PROPORTION       HOURS");
  // Columns 1-12 the index, 13-28 the proportion, 29-44 the hour mark.
  EXPECT_EQ(report.records[1],
            std::string(11, ' ') + "1" + std::string(4, ' ') + "9.600000E-01" + std::string(7, ' ') + "12.000000");
  EXPECT_EQ(report.records[2],
            std::string(11, ' ') + "2" + std::string(8, ' ') + "1.000000" + std::string(7, ' ') + "24.000000");
  EXPECT_EQ(report.records[2].size(), 44u);
}

}  // namespace
}  // namespace arribada::engine
