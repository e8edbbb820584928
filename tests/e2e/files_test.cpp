// Jobs that read files, through the built program: a field-data analysis and
// simulations from parameter files.

#include <gtest/gtest.h>

#include "e2e/harness.hpp"

namespace arribada::e2e {
namespace {

std::string padded(const std::string& text, std::size_t width) {
  std::string out = text;
  out.resize(width, ' ');
  return out;
}

// The worked example of the field estimate: two transects, two times.
const char* const kWorkedExample =
    "WORKED EXAMPLE\n"
    "1.0 250 60 60 1000 2 2 1 0\n"
    "1 3\n"
    "2 2\n";

TEST(FieldDataJobTest, WorkedExampleOnScreenAndInTheReport) {
  Sandbox box;
  box.writeFile("survey.dat", kWorkedExample);
  const auto result = box.run("'report.txt'\nY\n'survey.dat'\n");
  EXPECT_EQ(result.status, 0) << result.errors;

  const std::vector<std::string> report = {
      " THE DATE & TIME ARE",
      "<date>",
      "<time>",
      " KAVRO ARRIBADA SIMULATION PROGRAM",
      " ",
      " ",
      " " + padded("WORKED EXAMPLE", 79),
      "  ",
      "  TRANSECT HALF-WIDTH, IN M.=     250.0000",
      "  THE LENGTH OF THE ARRIBADA, IN HOURS.=      60.0000",
      "  THE MEAN TIME FOR UELA, IN HOURS =      60.0000",
      " THE TOTAL LENGTH OF THE TRANSECT IS    1000.000000",
      " THE NUMBER OF SAMPLE TRANSECTS IS          2",
      " THE NUMBER OF SAMPLING TIMES IS          2",
      " DATA ARE BEING READ BY CODE=       1.000000",
      "  THE POTENTIAL AREA USED BY THE POPULATION =     1.000000",
      "  THE SAMPLE AREA=      .500000",
      "  THE RATIO OF SAMPLE TO POPULATION AREA=      .500000",
      "  THE TOTAL NUMBER OF SAMPLES IS=         4",
      " NO.UELAS = UNAMBIGUOUS EGG-LAYING ACTIVITY       8.000000",
      "  ESTIMATED NUMBER OF FEMALE TURTLES=        480.0",
      "  VARIANCE OF THE SAMPLES=    .1440E+05",
      "  THE LOWER 95% CONFIDENCE LIMIT =     240.0000",
      "  THE UPPER 95% CONFIDENCE LIMIT =     720.0000",
      " OF THE ESTIMATED TOTAL POPULATION OF EGG-LAYING",
      " FEMALE TURTLES",
  };
  EXPECT_EQ(result.report, report);

  const std::vector<std::string> screen = {
      "ENTER THE INPUT FILE NAME IN SINGLE QUOTES",
      padded("WORKED EXAMPLE", 79),
      " ",
      "TRANSECT HALF-WIDTH, IN M.=     250.000000",
      "THE LENGTH OF THE ARRIBADA, IN HOURS.=      60.000000",
      "THE MEAN TIME FOR UELA, IN HOURS =      60.000000",
      "THE TOTAL LENGTH OF THE TRANSECT IS    1000.000000",
      "THE NUMBER OF SAMPLE TRANSECTS IS          2",
      "THE NUMBER OF SAMPLING TIMES IS          2",
      "DATA ARE BEING READ BY CODE=       1.000000",
      "THE POTENTIAL AREA USED BY THE POPULATION =       1.000000",
      "THE SAMPLE AREA=   5.000000E-01",
      "RATIO=   5.000000E-01",
      "THE RATIO OF SAMPLE TO POPULATION AREA=   5.000000E-01",
      "THE TOTAL NUMBER OF SAMPLES IS=       4.000000",
      "NO.UELAS = UNAMBIGUOUS EGG-LAYING ACTIVITY       8.000000",
      "ESTIMATED NUMBER OF FEMALE TURTLES=     480.000000",
      "VARIANCE OF THE SAMPLES=   14400.000000",
      "THE LOWER 95% CONFIDENCE LIMIT =     240.000000",
      "THE UPPER 95% CONFIDENCE LIMIT =     720.000000",
      "OF THE ESTIMATED TOTAL POPULATION OF EGG-LAYING",
      "FEMALE TURTLES",
      "Stop - Program terminated.",
  };
  const auto prompt = find(result.screenLines, screen[0]);
  EXPECT_EQ(slice(result.screenLines, prompt, screen.size()), screen);
  EXPECT_EQ(prompt + screen.size(), result.screenLines.size());
}

TEST(FieldDataJobTest, AfterASimulationTheResultsGoToTheScreen) {
  Sandbox box;
  box.writeFile("survey.dat", kWorkedExample);
  const auto result =
      box.run("'report.txt'\n" + keyboardAnswers({"1000", "0", "0", "0", "0", "0", "2", "12345", "0"}) +
              "Y\n'survey.dat'\n");
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(find(result.report, "  ESTIMATED NUMBER OF FEMALE TURTLES=        480.0"), result.report.size());
  // The report unit is the screen now: the report value lines show there from their second column.
  EXPECT_LT(find(result.screenLines, " ESTIMATED NUMBER OF FEMALE TURTLES=        480.0"), result.screenLines.size());
  EXPECT_LT(find(result.screenLines, "ESTIMATED NUMBER OF FEMALE TURTLES=     480.000000"), result.screenLines.size());
  EXPECT_EQ(result.screenLines.back(), "Stop - Program terminated.");
}

std::vector<std::string> echoOf(const Result& result) {
  const auto first = find(result.report, "<time>") + 1;
  return slice(result.report, first, 22);
}

TEST(ParameterFileJobTest, DefaultsWithTheFileRuleForTheSeed) {
  Sandbox box;
  box.writeFile("default.par", "DEFAULT RUN\n10 5 50000 60 0 5.0 2 2.0 1\n");
  const auto result = box.run("'report.txt'\n\nN\n'default.par'\n");
  const auto echo = echoOf(result);
  ASSERT_GE(echo.size(), 22u);
  EXPECT_EQ(echo[3], " " + padded("DEFAULT RUN", 79));
  EXPECT_EQ(echo[4], "  ");
  EXPECT_EQ(echo[5], " THE TRUE POPULATION IS=      50000");
  EXPECT_EQ(echo[7], " NUMBER OF TIME PERIODS SAMPLED=         31");
  // 50000 x 31 x 10 x 5 x 5 = 387500000, made odd.
  EXPECT_EQ(echo[14], " RANDOM STARTING VALUE=  387500001");
  EXPECT_EQ(echo[16], "     INDEX        PROPORTION       HOURS");
  EXPECT_EQ(echo[21], "           5        1.000000       60.000000");
  // The file is closed at the end of the job: the next job asks again from
  // the keyboard, whose input ends there, which ends the run like a stop.
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.screenLines.back(), "Stop - Program terminated.");
}

TEST(ParameterFileJobTest, ShortArribadaWithItsOwnTable) {
  Sandbox box;
  box.writeFile("short.par", "SHORT\n10 5 1000 3 12345 5.0 2 2.0 3\n4 8 12 1 2 1\n");
  const auto result = box.run("'report.txt'\n\nN\n'short.par'\n");
  const auto echo = echoOf(result);
  ASSERT_GE(echo.size(), 20u);
  EXPECT_EQ(echo[6], " NUMBER OF HOURS IN ARRIBADA=         12");
  EXPECT_EQ(echo[7], " NUMBER OF TIME PERIODS SAMPLED=          7");
  EXPECT_EQ(echo[16], "     INDEX        PROPORTION       HOURS");
  EXPECT_EQ(echo[17], "           1    2.500000E-01        4.000000");
  EXPECT_EQ(echo[18], "           2    7.500000E-01        8.000000");
  EXPECT_EQ(echo[19], "           3        1.000000       12.000000");
}

TEST(ParameterFileJobTest, UnusableSwitchStopsAfterTheTitle) {
  Sandbox box;
  std::string title(79, 'T');
  title += 'X';
  box.writeFile("stop.par", title + "EXTRA\n10 5 50000 60 0 5.0 100 2.0 0\n");
  const auto result = box.run("'report.txt'\n\nN\n'stop.par'\n");
  EXPECT_EQ(result.status, 0);
  // The title holds its first 80 characters: 79 on one line, the 80th on the next.
  const std::vector<std::string> expected = {" THE DATE & TIME ARE", "<date>", "<time>",
                                             " KAVRO ARRIBADA SIMULATION PROGRAM", " ", " ",
                                             " " + std::string(79, 'T'), " X"};
  EXPECT_EQ(result.report, expected);
  EXPECT_EQ(result.screenLines.back(), "Stop - Program terminated.");
}

// The generator's state after n steps of 16807 x mod 2^31 - 1 from `seed`,
// worked out here step by step, apart from the program's generator.
std::int64_t stateAfter(std::int64_t seed, int steps) {
  std::int64_t x = seed;
  for (int i = 0; i < steps; ++i) x = 16807 * x % 2147483647;
  return x;
}

// A second job's null values keep what the first job left: JX the stream's
// last state, made odd, and a table entry the first job's entry. The answers
// then end where a third job would begin, which ends the run like a stop.
TEST(ParameterFileJobTest, NullValuesOfALaterJobKeepTheFirstJobsState) {
  Sandbox box;
  // 1000 females, 2 replicates, the uniform law, JX 7, the built-in table of
  // IHR 60 (marks 12, 24, 36, 48, 60).
  box.writeFile("first.par", "FIRST\n10 5 1000 60 7 5.0 2 2.0 3\n");
  // JX null; IHR 3 with the hour marks 4, 8 and a null third mark.
  box.writeFile("second.par", "SECOND\n10,5,1000,3,,5.0,2,2.0,3\n4, 8, , 1, 2, 1\n");
  const auto result = box.run("'report.txt'\n\nN\n'first.par'\n\nN\n'second.par'\n");
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(result.screenLines.back(), "Stop - Program terminated.");
  // Uniform law: three draws per female (interval, time, strip), so the
  // first job ends 6000 steps on from 7: 450363432, made odd.
  const std::int64_t last = stateAfter(7, 3 * 1000 * 2);
  EXPECT_EQ(last | 1, 450363433);
  const auto second = find(result.screenLines, "SECOND" + std::string(73, ' '));
  ASSERT_LT(second, result.screenLines.size());
  EXPECT_LT(find(result.screenLines, "RANDOM STARTING VALUE=  " + std::to_string(last | 1), second),
            result.screenLines.size());
  // The marks 4, 8 and the first job's 36; the last mark makes IHR 36.
  EXPECT_LT(find(result.screenLines, "NUMBER OF HOURS IN ARRIBADA=         36", second), result.screenLines.size());
  const auto table = find(result.screenLines, "    INDEX        PROPORTION       HOURS", second);
  EXPECT_EQ(slice(result.screenLines, table + 1, 3),
            (std::vector<std::string>{"          1    2.500000E-01        4.000000",
                                      "          2    7.500000E-01        8.000000",
                                      "          3        1.000000       36.000000"}));
}

// A survey whose weighted variance comes out negative gets no interval: the
// message after the variance line and the sentinel limits.
TEST(FieldDataJobTest, NegativeVarianceGivesNoLimits) {
  Sandbox box;
  // Weights 1 1 with LENGTH 1: (1 x 18 - 32) x 4 = -56, times CONST^2 = 900.
  box.writeFile("neg.dat", "NEGATIVE\n0.0005 250 60 60 1 2 2 1 1\n1 3\n2 2\n1 1\n");
  const auto result = box.run("'report.txt'\nY\n'neg.dat'\n");
  EXPECT_EQ(result.status, 0) << result.errors;
  const auto variance = find(result.report, "  VARIANCE OF THE SAMPLES=   -.5040E+05");
  EXPECT_EQ(slice(result.report, variance + 1, 3),
            (std::vector<std::string>{" NEGATIVE VARIANCE; LIMITS CANNOT BE COMPUTED!!",
                                      "  THE LOWER 95% CONFIDENCE LIMIT =    -999.0000",
                                      "  THE UPPER 95% CONFIDENCE LIMIT =    -999.0000"}));
  const auto shown = find(result.screenLines, "NEGATIVE VARIANCE; LIMITS CANNOT BE COMPUTED!!");
  ASSERT_LT(shown, result.screenLines.size());
  EXPECT_EQ(result.screenLines[shown + 1], "THE LOWER 95% CONFIDENCE LIMIT =    -999.000000");
}

TEST(ParameterFileJobTest, MissingFileIsARunTimeError) {
  Sandbox box;
  const auto result = box.run("'report.txt'\n\nN\n'absent.par'\n");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.errors.find("absent.par"), std::string::npos) << result.errors;
}

}  // namespace
}  // namespace arribada::e2e
