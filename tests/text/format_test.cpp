// Layout of free-format output lines: the fields of numbers, the two forms of
// a real, and how a statement is wrapped over several records.

#include <gtest/gtest.h>

#include "text/format.hpp"

namespace arribada::text {
namespace {

struct RealCase {
  float value;
  const char* text;
};

class RealTextTest : public ::testing::TestWithParam<RealCase> {};

TEST_P(RealTextTest, MatchesTheWrittenForm) { EXPECT_EQ(realText(GetParam().value), GetParam().text); }

INSTANTIATE_TEST_SUITE_P(
    Forms, RealTextTest,
    ::testing::Values(RealCase{0.1f, "1.000000E-01"}, RealCase{1.0f, "1.000000"},
                      RealCase{9999999.0f, "9999999.000000"}, RealCase{10000000.0f, "1.000000E+07"},
                      RealCase{5.0f, "5.000000"}, RealCase{12.3456f, "12.345600"},
                      RealCase{49876.54f, "49876.540000"}, RealCase{1234567.0f, "1234567.000000"},
                      RealCase{0.5f, "5.000000E-01"}, RealCase{0.0f, "0.000000E+00"},
                      RealCase{12345678.0f, "1.234568E+07"}, RealCase{-5.0f, "-5.000000"},
                      RealCase{-0.5f, "-5.000000E-01"}, RealCase{0.05f, "5.000000E-02"},
                      RealCase{0.6799999f, "6.799999E-01"}, RealCase{4.656613e-10f, "4.656613E-10"},
                      // Exact halves at the seventh digit go up, not to even.
                      RealCase{1234567.5f, "1234568.000000"}, RealCase{1234568.5f, "1234569.000000"},
                      // 0.99999994 is below 1: exponent form.
                      RealCase{0.99999994f, "9.999999E-01"},
                      // Rounding that carries into a new digit.
                      RealCase{99999.99609375f, "100000.000000"}, RealCase{0.01f, "1.000000E-02"},
                      RealCase{999999.9375f, "999999.900000"}));

TEST(IntegerFieldTest, RightJustifiedWithSign) {
  EXPECT_EQ(formatInteger(-5), "         -5");
  EXPECT_EQ(formatInteger(762500001), "  762500001");
  EXPECT_EQ(formatInteger(0, 12), "           0");
  EXPECT_EQ(formatInteger(-2147483647 - 1), "-2147483648");
}

TEST(LayoutTest, EmptyStatementIsOneBlank) { EXPECT_EQ(layoutRecords({}), std::vector<std::string>{" "}); }

TEST(LayoutTest, TextThenInteger) {
  const auto records = layoutRecords({std::string("REPLICATE NUMBER ="), std::int32_t{7}});
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], " REPLICATE NUMBER =          7");
  EXPECT_EQ(records[0].size(), 30u);
}

TEST(LayoutTest, NegativeIntegerAfterText) {
  EXPECT_EQ(layoutRecords({std::string("X"), std::int32_t{-5}})[0], " X         -5");
}

TEST(LayoutTest, ThreeIntegersOfTheStamp) {
  const auto records = layoutRecords({std::int32_t{2026}, std::int32_t{12}, std::int32_t{8}});
  EXPECT_EQ(records, std::vector<std::string>{"        2026          12           8"});
}

TEST(LayoutTest, TableRowIntegerThenTwoReals) {
  const auto records = layoutRecords({std::int32_t{1}, 0.32f, 12.0f});
  EXPECT_EQ(records, std::vector<std::string>{"           1    3.200000E-01       12.000000"});
  EXPECT_EQ(records[0].size(), 44u);
}

TEST(LayoutTest, IntegerAfterRealTakesTwelveColumns) {
  EXPECT_EQ(layoutRecords({std::string("RANDOM,IX="), 0.0f, std::int32_t{0}})[0],
            " RANDOM,IX=   0.000000E+00           0");
}

TEST(LayoutTest, TextOfThirtyEightThenThreeRealsWraps) {
  const std::string text(38, 'A');
  const auto records = layoutRecords({text, 1.0f, 2.0f, 3.0f});
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0], " " + text + "       1.000000" + "        2.000000");
  EXPECT_EQ(records[0].size(), 70u);
  EXPECT_EQ(records[1], "        3.000000");
}

TEST(LayoutTest, SummaryCountLineColumns) {
  const auto records =
      layoutRecords({std::string("IS"), std::int32_t{0}, std::string("  OUT OF"), std::int32_t{100}, std::string("  TIMES.")});
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0], " IS          0  OUT OF        100  TIMES.");
  EXPECT_EQ(records[0].size(), 41u);
}

TEST(LayoutTest, TextOfEightyCharactersWrapsItsLast) {
  std::string text(79, 'B');
  text += 'Z';
  const auto records = layoutRecords({text});
  EXPECT_EQ(records, (std::vector<std::string>{" " + std::string(79, 'B'), " Z"}));
}

TEST(LayoutTest, TextFillingTheLineExactlyLeavesAnEmptyLine) {
  const std::string text(79, 'C');
  EXPECT_EQ(layoutRecords({text}), (std::vector<std::string>{" " + text, " "}));
}

TEST(LayoutTest, FivePiecesOfSixteenAsTheTitleEcho) {
  Items pieces;
  for (char c : std::string("ABCDE")) pieces.emplace_back(std::string(16, c));
  const auto records = layoutRecords(pieces);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].size(), 80u);
  EXPECT_EQ(records[0].substr(65), std::string(15, 'E'));
  EXPECT_EQ(records[1], " E");
}

TEST(LayoutTest, VeryLongTextIsSplitRepeatedly) {
  const std::string text(200, 'D');
  const auto records = layoutRecords({text});
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].size(), 80u);
  EXPECT_EQ(records[1].size(), 80u);
  EXPECT_EQ(records[2], " " + std::string(42, 'D'));
}

TEST(LayoutTest, NumberThatDoesNotFitOpensTheNextRecord) {
  // 64 characters of text leave room 15: a real field of 15 is not strictly shorter.
  const auto records = layoutRecords({std::string(64, 'E'), 1.5f});
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1], "       1.500000");
  // 63 leave room 16: it fits.
  EXPECT_EQ(layoutRecords({std::string(63, 'E'), 1.5f}).size(), 1u);
}

}  // namespace
}  // namespace arribada::text
