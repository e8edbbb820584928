// The program driven through standard input: the opening, the keyboard
// dialogue with its defaults, bounds and change questions, the parameter echo,
// the replicate frame, the stamps, and the ways a run ends.

#include <gtest/gtest.h>

#include "e2e/harness.hpp"

namespace arribada::e2e {
namespace {

const std::vector<std::string> kOpening = {
    "ENTER THE OUTPUT FILE NAME IN SINGLE QUOTES",
    "",
    "DO YOU WISH TO ANALYZE ACTUAL DATA OR DO YOU",
    "WISH TO DO A COMPUTER SIMULATION?",
    "ENTER \"Y\", NO QUOTES, IF YOU WISH TO ANALYZE",
    "ACTUAL DATA",
    "",
    "DO YOU WISH TO ENTER SIMULATION PARAMETERS AT THE",
    "KEYBOARD OR USE AN EXISTING FILE OF SUCH VALUES?",
    "ENTER Y TO ENTER PARAMETERS AT THE KEYBOARD",
};

const char* const kChange = "DO YOU WISH TO CHANGE THE VALUE?  (Y/N)";

// The whole dialogue as the screen shows it when every answer is 0 and no.
std::vector<std::string> defaultDialogue() {
  std::vector<std::string> lines = kOpening;
  const std::vector<std::vector<std::string>> blocks = {
      {"GIVE THE TRUE NUMBER OF FEMALE TURTLES:", "IN ALL CHOICES, ENTER 0 (ZERO) AS THE DEFAULT!!",
       "(THE MAXIMUM POSSIBLE IS 1000000 FEMALES)", "(THE MINIMUM NUMBER IS 1000)", "(THE DEFAULT ,0, VALUE IS 50000)",
       "YOU CHOSE NN =      50000", kChange},
      {"ENTER THE LENGTH OF THE ARRIBADA IN HOURS:", "(THE DEFAULT, 0, IS 60 HOURS)",
       "(THE MAXIMUM POSSIBLE LENGTH IS 120 HOURS)", "IHR WILL BE ALTERED IF NOT DIVISIBLE BY 12",
       "YOU CHOSE IHR =         60", kChange, "", "THE NUMBER OF SAMPLING PERIODS IS NTI = IHR + 1", ""},
      {"ENTER IN MINUTES THE LENGTH OF TIME OF THE ", "UNAMBIGUOUS NESTING ACTIVITY", "(THE DEFAULT, 0, IS 5 MINUTES)",
       "(THE MINIMUM LENGTH IS 1 MIN)", "(MAY BE CORRELATION PROBLEMS IF MIN > 60 MIN)", "YOU CHOSE MIN =       5.000000",
       kChange},
      {"ENTER THE STANDARD DEVIATION IN HOURS FOR DESCRIBING ", "VARIABILITY IN UNAMBIGUOUS NESTING ACTIVITY:",
       "THE STD. DEV. *MUST* BE <= 2.0", "(THE DEFAULT, 0, IS 2 HOURS)", "YOU CHOSE STDDEV =       2.000000", kChange},
      {"ENTER THE TRUE NUMBER QUADRATS (STRIPS) ON THE BEACH:", "(THE DEFAULT, 0, IS 10 QUADRATS (STRIPS))",
       "(THE MAXIMUM NUMBER AVAILABLE IS 1000)", "YOU CHOSE NTR =         10", kChange},
      {"ENTER THE NO. OF STRIPS FOR INSTANTANEOUS COUNTING", "(THE MAXIMUM NUMBER AVAILABLE IS 1000)",
       "IC *MUST* BE AN EXACT DIVISOR OF NTR AND <= NTR", "(YOU CAN SAMPLE ALL STRIPS, I.E. CHOOSE IC=NTR",
       "(THE DEFAULT, 0, IS 5 QUADRATS (STRIPS))", "YOU CHOSE IC =          5", kChange},
      {"ENTER THE NUMBER OF TIMES THE SIMULATION IS TO BE", "REPEATED:", "(THE DEFAULT, 0, IS 100 REPLICATIONS)",
       "(THE MAXIMUM NUMBER AVAILABLE IS 1000)", "YOU CHOSE IREP =        100", kChange},
      {"IN ORDER TO GENERATE RANDOM NORMAL DEVIATES,", "ENTER A LARGE ODD NUMBER:",
       "(THE DEFAULT, 0, LETS THE PROGRAM CALCULATE JX)", "YOU CHOSE JX =  762500001", kChange},
      {"WHAT KIND OF RANDOM VARIABLES DO YOU WISH?", "ENTER 1, 2 OR 3 FOR NORMAL, POISSON OR UNIFORM",
       "RANDOM VARIABLES;  DEFAULT = NORMAL", "YOU CHOSE KSW=          1", kChange},
  };
  for (const auto& block : blocks) lines.insert(lines.end(), block.begin(), block.end());
  lines.push_back("PLEASE BE PATIENT.....");
  lines.push_back("I AM WORKING AS FAST AS POSSIBLE.....");
  return lines;
}

const std::vector<std::string> kDefaultEcho = {
    " THE TRUE POPULATION IS=      50000",
    " NUMBER OF HOURS IN ARRIBADA=         60",
    " NUMBER OF TIME PERIODS SAMPLED=         31",
    " NUMBER OF MINUTES UNAMBIGUOUS NESTING ACT.       5.000000",
    " THE STANDARD DEVIATION OF UNAMBIGUOUS NESTING",
    " ACTIVITY IS       2.000000",
    " THE NUMBER OF TOTAL TRANSECTS=         10",
    " THE NUMBER OF TRANSECTS (STRIPS) SAMPLED=          5",
    " THE NUMBER OF REPLICATES IS=        100",
    " RANDOM STARTING VALUE=  762500001",
    " NORMAL=1;POISSON=2;UNIFORM=3          1",
    "     INDEX        PROPORTION       HOURS",
    "           1    3.200000E-01       12.000000",
    "           2    3.400000E-01       24.000000",
    "           3    6.600000E-01       36.000000",
    "           4    6.799999E-01       48.000000",
    "           5        1.000000       60.000000",
};

const std::vector<std::string> kReportOpening = {" THE DATE & TIME ARE", "<date>", "<time>",
                                                 " KAVRO ARRIBADA SIMULATION PROGRAM", " ", " "};

// A short job: NN 1000, 2 replicates and a typed seed (the default seed of
// some refusal cases would not fit 32 bits), defaults otherwise.
const std::vector<std::string> kShortJob = {"1000", "0", "0", "0", "0", "0", "2", "12345", "0"};

std::string quotedName(const std::string& name = "report.txt") { return "'" + name + "'\n"; }

void expectReplicateFrames(const std::vector<std::string>& report, std::int32_t IREP) {
  std::int32_t seen = 0;
  for (std::size_t i = 0; i < report.size(); ++i) {
    if (report[i].rfind(" REPLICATE NUMBER =", 0) != 0) continue;
    ++seen;
    EXPECT_EQ(report[i], " REPLICATE NUMBER =" + std::string(11 - std::to_string(seen).size(), ' ') +
                             std::to_string(seen));
    ASSERT_GE(i, 4u);
    for (std::size_t k = 1; k <= 4; ++k) EXPECT_EQ(report[i - k], " ") << "line " << i - k;
  }
  EXPECT_EQ(seen, IREP);
}

TEST(DefaultSimulationTest, DialogueEchoFramesAndStamps) {
  Sandbox box;
  const auto result = box.run(quotedName() + keyboardAnswers({"0", "0", "0", "0", "0", "0", "0", "0", "0"}));

  const auto expected = defaultDialogue();
  ASSERT_GE(result.screenLines.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(result.screenLines[i], expected[i]) << "screen line " << i;
  for (std::int32_t L = 1; L <= 100; ++L) {
    const std::string number = std::to_string(L);
    EXPECT_EQ(result.screenLines[expected.size() + static_cast<std::size_t>(L) - 1],
              "REPLICATE NUMBER =" + std::string(11 - number.size(), ' ') + number);
  }
  // The next job's report lines go to the screen, then its opening shows the last answer.
  const std::vector<std::string> nextJob = {"KAVRO ARRIBADA SIMULATION PROGRAM", "", "", "N",
                                            "DO YOU WISH TO ANALYZE ACTUAL DATA OR DO YOU"};
  EXPECT_EQ(slice(result.screenLines, expected.size() + 100, nextJob.size()), nextJob);

  ASSERT_TRUE(result.reportExists);
  EXPECT_EQ(slice(result.report, 0, kReportOpening.size()), kReportOpening);
  EXPECT_EQ(slice(result.report, kReportOpening.size(), kDefaultEcho.size()), kDefaultEcho);
  expectReplicateFrames(result.report, 100);
  ASSERT_GE(result.report.size(), 3u);
  EXPECT_EQ(slice(result.report, result.report.size() - 3, 3),
            (std::vector<std::string>{" THE DATE & TIME ARE", "<date>", "<time>"}));
  EXPECT_EQ(result.reportBytes.substr(result.reportBytes.size() - 2), "\r\n");

  // The answers end at the next job's first question, after a whole job: a stop.
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(result.screenLines.back(), "Stop - Program terminated.");
}

struct RefusalCase {
  const char* name;
  std::size_t block;
  std::vector<std::string> answers;  // refused ones first, the accepted one last
  std::string echo;
  std::size_t expectedPrompts;
};

class RefusalTest : public ::testing::TestWithParam<RefusalCase> {};

// A value out of range repeats its block from the first prompt line, without
// a message and without the change question.
TEST_P(RefusalTest, RepeatsTheBlockUntilAccepted) {
  const auto& c = GetParam();
  std::vector<std::string> values = kShortJob;
  std::string joined;
  for (const auto& answer : c.answers) joined += (joined.empty() ? "" : "\n") + answer;
  values[c.block] = joined;
  Sandbox box;
  const auto result = box.run(quotedName() + keyboardAnswers(values));
  const std::vector<std::string> firstPrompts = {
      "GIVE THE TRUE NUMBER OF FEMALE TURTLES:",          "ENTER THE LENGTH OF THE ARRIBADA IN HOURS:",
      "ENTER IN MINUTES THE LENGTH OF TIME OF THE ",       "ENTER THE STANDARD DEVIATION IN HOURS FOR DESCRIBING ",
      "ENTER THE TRUE NUMBER QUADRATS (STRIPS) ON THE BEACH:", "ENTER THE NO. OF STRIPS FOR INSTANTANEOUS COUNTING",
      "ENTER THE NUMBER OF TIMES THE SIMULATION IS TO BE", "IN ORDER TO GENERATE RANDOM NORMAL DEVIATES,",
      "WHAT KIND OF RANDOM VARIABLES DO YOU WISH?"};
  const auto prompts = static_cast<std::size_t>(
      std::count(result.screenLines.begin(), result.screenLines.end(), firstPrompts[c.block]));
  EXPECT_EQ(prompts, c.expectedPrompts);
  const auto echo = find(result.screenLines, c.echo);
  ASSERT_LT(echo, result.screenLines.size()) << "no echo line '" << c.echo << "'";
  EXPECT_EQ(result.screenLines[echo + 1], kChange);
  EXPECT_EQ(std::count(result.screenLines.begin(), result.screenLines.end(), std::string(kChange)), 9);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, RefusalTest,
    ::testing::Values(
        RefusalCase{"NnBelow", 0, {"999", "1000"}, "YOU CHOSE NN =       1000", 2},
        RefusalCase{"NnAbove", 0, {"1000001", "1000000"}, "YOU CHOSE NN =    1000000", 2},
        RefusalCase{"IhrBelowAnd17", 1, {"16", "17", "18"}, "YOU CHOSE IHR =         24", 3},
        RefusalCase{"IhrAbove", 1, {"121", "114"}, "YOU CHOSE IHR =        120", 2},
        RefusalCase{"IhrRoundsDown", 1, {"113"}, "YOU CHOSE IHR =        108", 1},
        RefusalCase{"IhrRoundsHalfUp", 1, {"30"}, "YOU CHOSE IHR =         36", 1},
        RefusalCase{"MinBelow", 2, {"0.5", "1"}, "YOU CHOSE MIN =       1.000000", 2},
        RefusalCase{"MinAbove", 2, {"3600.5", "3600"}, "YOU CHOSE MIN =    3600.000000", 2},
        RefusalCase{"StddevBothSides", 3, {"-0.1", "2.01", "0.01"}, "YOU CHOSE STDDEV =   1.000000E-02", 3},
        RefusalCase{"StddevLimit", 3, {"2.0"}, "YOU CHOSE STDDEV =       2.000000", 1},
        RefusalCase{"NtrBothSides", 4, {"-1", "1001", "0"}, "YOU CHOSE NTR =         10", 3},
        RefusalCase{"IcRefused", 5, {"2", "4", "20", "10"}, "YOU CHOSE IC =         10", 4},
        RefusalCase{"IrepBothSides", 6, {"1", "1001", "2"}, "YOU CHOSE IREP =          2", 3},
        RefusalCase{"JxEvenMadeOdd", 7, {"1000"}, "YOU CHOSE JX =       1001", 1},
        RefusalCase{"JxOutsideTheGenerator", 7, {"-5", "2147483646", "2147483645"}, "YOU CHOSE JX = 2147483645", 3},
        RefusalCase{"KswBothSides", 8, {"-1", "4", "0"}, "YOU CHOSE KSW=          1", 3},
        RefusalCase{"KswUniform", 8, {"3"}, "YOU CHOSE KSW=          3", 1}),
    [](const ::testing::TestParamInfo<RefusalCase>& info) { return std::string(info.param.name); });

TEST(DialogueTest, YesToAChangeQuestionRepeatsOnlyThatBlock) {
  Sandbox box;
  std::string answers = quotedName() + "\nY\n5000\nY\n6000\nN\n";
  answers += "24\nY\n36\nN\n";
  for (const char* value : {"0", "0", "0", "0", "2", "0", "0"}) answers += std::string(value) + "\nN\n";
  const auto result = box.run(answers);
  EXPECT_LT(find(result.screenLines, "YOU CHOSE NN =       5000"), result.screenLines.size());
  EXPECT_LT(find(result.screenLines, "YOU CHOSE NN =       6000"), result.screenLines.size());
  EXPECT_EQ(std::count(result.screenLines.begin(), result.screenLines.end(),
                       std::string("THE NUMBER OF SAMPLING PERIODS IS NTI = IHR + 1")),
            1);
  EXPECT_EQ(std::count(result.screenLines.begin(), result.screenLines.end(),
                       std::string("GIVE THE TRUE NUMBER OF FEMALE TURTLES:")),
            2);
  EXPECT_EQ(result.report[6], " THE TRUE POPULATION IS=       6000");
  EXPECT_EQ(result.report[7], " NUMBER OF HOURS IN ARRIBADA=         36");
  EXPECT_EQ(result.report[8], " NUMBER OF TIME PERIODS SAMPLED=         19");
  // The keyboard default JX uses IHR + 1: 6000 x 37 x 10 x 5 x 5.0 = 55500000, made odd.
  EXPECT_EQ(result.report[15], " RANDOM STARTING VALUE=   55500001");
}

TEST(DialogueTest, SlashAndCommaAnswersKeepTheValueOfTheFirstJob) {
  Sandbox box;
  // In the first job every value is 0 before its question, so "/" and "," take the default.
  std::string answers = quotedName() + "\nY\n/\nN\n,\nN\n";
  for (const char* value : {"0", "0", "0", "0", "2", "0", "0"}) answers += std::string(value) + "\nN\n";
  const auto result = box.run(answers);
  EXPECT_EQ(result.report[6], " THE TRUE POPULATION IS=      50000");
  EXPECT_EQ(result.report[7], " NUMBER OF HOURS IN ARRIBADA=         60");
}

TEST(DialogueTest, EmptyLinesAtANumericPromptAreSkipped) {
  Sandbox box;
  std::string answers = quotedName() + "\nY\n\n\n   \n1500\nN\n";
  for (const char* value : {"0", "0", "0", "0", "0", "2", "0", "0"}) answers += std::string(value) + "\nN\n";
  const auto result = box.run(answers);
  EXPECT_EQ(std::count(result.screenLines.begin(), result.screenLines.end(),
                       std::string("GIVE THE TRUE NUMBER OF FEMALE TURTLES:")),
            1);
  EXPECT_EQ(result.report[6], " THE TRUE POPULATION IS=       1500");
}

TEST(DialogueTest, AnswersOtherThanYMeanNo) {
  Sandbox box;
  // " Y" with a leading blank and "N" answer no to the first two questions: a parameter file is asked for.
  const auto result = box.run(quotedName() + " Y\nno\n");
  EXPECT_LT(find(result.screenLines, "ENTER THE INPUT FILE NAME IN SINGLE QUOTES"), result.screenLines.size());
  EXPECT_EQ(result.status, 2);
}

TEST(DialogueTest, TooFewStripsForAnyCountGoesBackToTheStrips) {
  Sandbox box;
  std::string answers = quotedName() + "\nY\n";
  for (const char* value : {"1000", "0", "0", "0"}) answers += std::string(value) + "\nN\n";
  answers += "2\nN\n5\n";       // NTR 2, then an IC that cannot be
  answers += "9\nN\n3\nN\n";    // NTR again, then IC 3
  for (const char* value : {"2", "0", "0"}) answers += std::string(value) + "\nN\n";
  const auto result = box.run(answers);
  EXPECT_LT(find(result.screenLines, "NO IC IS POSSIBLE WITH NTR =          2"), result.screenLines.size());
  EXPECT_EQ(result.report[12], " THE NUMBER OF TOTAL TRANSECTS=          9");
  EXPECT_EQ(result.report[13], " THE NUMBER OF TRANSECTS (STRIPS) SAMPLED=          3");
}

TEST(DialogueTest, DefaultSeedOutsideTheGeneratorIsNotUsed) {
  Sandbox box;
  // 50000 x 61 x 10 x 5 x 15.0 = 2287500000 does not fit 32 bits.
  std::string answers = quotedName() + "\nY\n";
  for (const char* value : {"0", "0", "15", "0", "0", "0", "2"}) answers += std::string(value) + "\nN\n";
  answers += "0\n12345\nN\n0\nN\n";
  const auto result = box.run(answers);
  EXPECT_LT(find(result.screenLines, "THE DEFAULT JX IS TOO LARGE FOR THESE VALUES;"), result.screenLines.size());
  // Why, and what to type, on the error output only.
  EXPECT_EQ(result.errors,
            "arribada: warning: the default JX, NN x NTI x NTR x IC x MIN = 50000 x 61 x 10 x 5 x 15 = 2287500000, "
            "is beyond the largest starting value 2147483646; type an odd number from 1 to 2147483645, such as "
            "762500001\n");
  EXPECT_LT(find(result.screenLines, "YOU CHOSE JX =      12345"), result.screenLines.size());
  EXPECT_EQ(result.report[15], " RANDOM STARTING VALUE=      12345");
}

TEST(RunTest, TwoJobsWriteOneReportFileAndShowTheSecondOnScreen) {
  Sandbox box;
  const auto result = box.run(quotedName() + keyboardAnswers(kShortJob) + keyboardAnswers(kShortJob));
  // The report file: one opening stamp, one title, one echo, one closing stamp.
  EXPECT_EQ(std::count(result.report.begin(), result.report.end(), std::string(" THE DATE & TIME ARE")), 2);
  EXPECT_EQ(std::count(result.report.begin(), result.report.end(), std::string(" KAVRO ARRIBADA SIMULATION PROGRAM")), 1);
  EXPECT_EQ(std::count(result.report.begin(), result.report.end(), std::string(" THE TRUE POPULATION IS=       1000")), 1);
  expectReplicateFrames(result.report, 2);
  // The second job's report on the screen: title, echo, closing stamp.
  const auto title = find(result.screenLines, "KAVRO ARRIBADA SIMULATION PROGRAM");
  ASSERT_LT(title, result.screenLines.size());
  EXPECT_LT(find(result.screenLines, "THE TRUE POPULATION IS=       1000", title), result.screenLines.size());
  EXPECT_LT(find(result.screenLines, "THE DATE & TIME ARE", title), result.screenLines.size());
  // Replicate numbers show twice in the second job: console line and report line.
  EXPECT_EQ(std::count(result.screenLines.begin() + static_cast<std::ptrdiff_t>(title), result.screenLines.end(),
                       std::string("REPLICATE NUMBER =          1")),
            2);
  EXPECT_EQ(result.status, 0);
}

TEST(RunTest, ExistingReportIsNeitherOverwrittenNorTouched) {
  Sandbox box;
  box.writeFile("report.txt", "earlier results\n");
  const auto result = box.run(quotedName() + keyboardAnswers(kShortJob));
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.errors.find("report.txt"), std::string::npos) << result.errors;
  EXPECT_NE(result.errors.find("exists"), std::string::npos) << result.errors;
  EXPECT_EQ(result.reportBytes, "earlier results\n");
}

TEST(RunTest, EndOfInputAtAPromptKeepsWhatWasWritten) {
  Sandbox box;
  const auto result = box.run(quotedName() + "\nY\n50000\n");
  EXPECT_EQ(result.status, 2);
  // Before a whole job, the end of input is an error.
  EXPECT_NE(result.errors.find("end of input before the answer to \"DO YOU WISH TO CHANGE THE VALUE?\""),
            std::string::npos)
      << result.errors;
  EXPECT_NE(result.errors.find("the keyboard"), std::string::npos);
  EXPECT_EQ(result.report, kReportOpening);
  EXPECT_EQ(result.reportBytes.substr(result.reportBytes.size() - 6), " \r\n \r\n");
}

TEST(RunTest, ReportNameWithoutQuotesIsARunTimeError) {
  Sandbox box;
  const auto result = box.run("report.txt\n");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.errors.find("quotes"), std::string::npos) << result.errors;
  EXPECT_FALSE(result.reportExists);
}

// Names of any length, whole as typed but for the blanks at their ends: a
// report name keeps its extension, and of two data files whose names share
// their first 25 characters the one named is read.
TEST(RunTest, NamesAreTakenWhole) {
  Sandbox box;
  const std::string name = "playa-nancite-2026-noche1.report";
  const std::string shared = "playa-nancite-2026-noche1";
  box.writeFile(shared + "-transectos-a.dat", "WRONG SURVEY\n1.0 250 60 60 1000 2 2 1 0\n9 9\n9 9\n");
  box.writeFile(shared + "-transectos-b.dat", "RIGHT SURVEY\n1.0 250 60 60 1000 2 2 1 0\n1 3\n2 2\n");
  // Blanks and tabs at the ends of a name are removed, whatever the quotes hold.
  const auto result = box.run("'\t " + name + " \t'\nY\n'\t" + shared + "-transectos-b.dat '\n", name);
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_TRUE(result.reportExists);
  EXPECT_EQ(result.report[6], " RIGHT SURVEY" + std::string(67, ' '));
  EXPECT_LT(find(result.report, "  ESTIMATED NUMBER OF FEMALE TURTLES=        480.0"), result.report.size());
}

// The shipped default simulation gives the figures that the README states.
TEST(RunTest, ShippedDefaultSimulationGivesTheStatedResult) {
  Sandbox box;
  const std::filesystem::path examples = std::filesystem::path(ARRIBADA_SOURCE_DIR) / "examples";
  box.writeFile("stop.par", readFile(examples / "stop.par"));
  const auto result = box.run(readFile(examples / "default-simulation.answers"), "default-simulation.report");
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_LT(find(result.report, " AVERAGE ESTIMATED POPULATION SIZE=   50198.400000"), result.report.size());
  EXPECT_LT(find(result.report, " IS          3  OUT OF        100  TIMES."), result.report.size());
}

TEST(RunTest, BlankNameTakesACommandLineArgument) {
  Sandbox box;
  const auto result = box.run("'  '\n\nY\n50000\n", "from-argument.txt", "from-argument.txt");
  EXPECT_TRUE(result.reportExists);
  EXPECT_EQ(slice(result.report, 0, 1), std::vector<std::string>{" THE DATE & TIME ARE"});
}

TEST(RunTest, BlankNameWithoutArgumentsAsksAgain) {
  Sandbox box;
  const auto result = box.run("''\n   \n  typed.txt  \n\nY\n50000\n", "typed.txt");
  EXPECT_TRUE(result.reportExists);
  EXPECT_NE(result.screen.find("File name missing or blank - please enter file name\nUNIT          6? "
                               "File name missing or blank - please enter file name\nUNIT          6? "),
            std::string::npos)
      << result.screen;
}

}  // namespace
}  // namespace arribada::e2e
