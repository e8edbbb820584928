#include "engine/random.hpp"

#include <gtest/gtest.h>

#include "text/errors.hpp"
#include "text/format.hpp"

namespace arribada::engine {
namespace {

TEST(Random, StatesFromSeedOneFollowTheMinimalStandardSequence) {
  text::RecordingSink report;
  std::int32_t IX = 1;
  for (std::int32_t expected : {16807, 282475249, 1622650073, 984943658, 1144108930}) {
    RANDOM(IX, report);
    EXPECT_EQ(IX, expected);
  }
  for (int step = 6; step <= 10000; ++step) RANDOM(IX, report);
  EXPECT_EQ(IX, 1043618065);
  EXPECT_TRUE(report.records.empty());
}

TEST(Random, FirstResultsFromSeedOne) {
  text::RecordingSink report;
  std::int32_t IX = 1;
  EXPECT_EQ(text::realText(RANDOM(IX, report)), "7.826369E-06");
  EXPECT_EQ(text::realText(RANDOM(IX, report)), "1.315378E-01");
  EXPECT_EQ(text::realText(RANDOM(IX, report)), "7.556053E-01");
}

TEST(Random, LargestSeedAdvancesWithoutOverflow) {
  text::RecordingSink report;
  std::int32_t IX = 2147483646;
  const float result = RANDOM(IX, report);
  EXPECT_EQ(IX, 2147466840);
  EXPECT_EQ(text::realText(result), "9.999922E-01");
}

// 16807 * IX mod P computed directly in 64 bits: the state before `target`.
std::int32_t predecessorOf(std::int64_t target) {
  // 16807^-1 mod P, from 16807 * 1407677000 = 1 + 11016 * P.
  constexpr std::int64_t inverse = 1407677000;
  return static_cast<std::int32_t>(target * inverse % 2147483647);
}

TEST(Random, TopStatesRoundToExactlyOne) {
  struct Case {
    std::int32_t state;
    float result;
  };
  const Case cases[] = {
      {2147483584, 1.0f}, {2147483600, 1.0f}, {2147483646, 1.0f}, {2147483583, 0.99999994f}, {1, 4.656613e-10f}};
  for (const Case& c : cases) {
    text::RecordingSink report;
    std::int32_t IX = predecessorOf(c.state);
    const float result = RANDOM(IX, report);
    EXPECT_EQ(IX, c.state);
    EXPECT_EQ(result, c.result) << c.state;
  }
}

TEST(Random, DegenerateStateStaysZeroAndIsReported) {
  text::RecordingSink report;
  std::int32_t IX = 0;
  EXPECT_EQ(RANDOM(IX, report), 0.0f);
  EXPECT_EQ(IX, 0);
  ASSERT_EQ(report.records.size(), 1u);
  EXPECT_EQ(report.records[0], " RANDOM,IX=   0.000000E+00           0");
}

TEST(Random, SeedEqualToTheModulusFallsToZero) {
  text::RecordingSink report;
  std::int32_t IX = 2147483647;
  EXPECT_EQ(RANDOM(IX, report), 0.0f);
  EXPECT_EQ(IX, 0);
  EXPECT_EQ(report.records.size(), 1u);
}

TEST(Random, NegativeStateIsRefused) {
  text::RecordingSink report;
  std::int32_t IX = -5;
  EXPECT_THROW(RANDOM(IX, report), text::RunTimeError);
}

}  // namespace
}  // namespace arribada::engine
