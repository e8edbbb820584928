// The program driven through standard input with hostile or broken input:
// nothing written to a report is lost however a run ends (run-time error,
// end of input, an interrupt at a prompt or in the middle of the
// replicates), an existing name is never overwritten, and every kind of bad
// answer or bad file ends the run with a message that says what and where.

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <regex>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "e2e/harness.hpp"

namespace arribada::e2e {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kReportOpening = {" THE DATE & TIME ARE", "<date>", "<time>",
                                                 " KAVRO ARRIBADA SIMULATION PROGRAM", " ", " "};

// A short keyboard job: NN 1000, 2 replicates, a typed seed, defaults otherwise.
const std::vector<std::string> kShortJob = {"1000", "0", "0", "0", "0", "0", "2", "12345", "0"};

std::string quoted(const std::string& name) { return "'" + name + "'\n"; }

// Answers up to a data file: the report name, then field data or a parameter file.
std::string fieldDataAnswers(const std::string& file) { return quoted("report.txt") + "Y\n" + quoted(file); }
std::string parameterFileAnswers(const std::string& file) { return quoted("report.txt") + "\nN\n" + quoted(file); }

// After a parameter-file job, a file with NTR 0 ends the program plainly.
const std::string kStopFile = "END\n0 5 1000 60 0 5.0 2 2.0 1\n";

// Every line of a report is stored whole: the bytes end with CR LF, no line
// holds a stray CR or LF, and every line begins with its blank or with the
// blanks of a number's field.
void expectWholeLines(const std::string& bytes) {
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
  for (const std::string& line : splitLines(bytes, "\r\n")) {
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "line '" << line << "'";
    ASSERT_FALSE(line.empty());
    EXPECT_EQ(line[0], ' ') << "line '" << line << "'";
    EXPECT_LE(line.size(), 80u) << "line '" << line << "'";
  }
}

// ---------------------------------------------------------------------------
// Nothing lost

TEST(NothingLostTest, RunTimeErrorAfterAWholeJobKeepsAllOfIt) {
  Sandbox box;
  // The second job asks for a parameter file that is not there.
  const auto result = box.run(quoted("report.txt") + keyboardAnswers(kShortJob) + "\nN\n" + quoted("missing.par"));
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.errors.find("missing.par"), std::string::npos) << result.errors;
  expectWholeLines(result.reportBytes);
  EXPECT_EQ(std::count(result.report.begin(), result.report.end(), std::string(" SUMMARY STATISTICS FOLLOW:")), 1);
  ASSERT_GE(result.report.size(), 3u);
  EXPECT_EQ(slice(result.report, result.report.size() - 3, 3),
            (std::vector<std::string>{" THE DATE & TIME ARE", "<date>", "<time>"}));
}

TEST(NothingLostTest, RefusedParameterFileKeepsTheTitleEcho) {
  Sandbox box;
  box.writeFile("many.par", "TOO MANY REPLICATES\n10 5 1000 60 0 5.0 1001 2.0 1\n");
  const auto result = box.run(parameterFileAnswers("many.par"));
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.errors.find("IREP = 1001"), std::string::npos) << result.errors;
  EXPECT_NE(result.errors.find("many.par"), std::string::npos) << result.errors;
  expectWholeLines(result.reportBytes);
  std::vector<std::string> expected = kReportOpening;
  // The title's 80 columns: 79 after the leading blank, then the 80th alone.
  expected.push_back(" TOO MANY REPLICATES" + std::string(60, ' '));
  expected.push_back("  ");
  EXPECT_EQ(result.report, expected);
}

TEST(NothingLostTest, EndOfInputInTheDialogueKeepsTheOpening) {
  Sandbox box;
  const auto result = box.run(quoted("report.txt") + "\nY\n1000\nN\n0\nN\n");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.errors.find("end of input"), std::string::npos) << result.errors;
  expectWholeLines(result.reportBytes);
  EXPECT_EQ(result.report, kReportOpening);
}

// At a prompt an interrupt ends the program as the system's default does
// (killed by SIGINT); every line handed over before it is in the file, whole,
// since each line is written to the file by itself.
TEST(NothingLostTest, InterruptAtAPrompt) {
  Sandbox box;
  LiveRun run(box.directory());
  run.type(quoted("report.txt") + "\nY\n");
  ASSERT_TRUE(LiveRun::waitForText(box.directory() / "screen.out", "GIVE THE TRUE NUMBER OF FEMALE TURTLES:", 30));
  run.sendSignal(SIGINT);
  const int status = run.wait();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << "wait status " << status;
  const std::string bytes = readFile(box.directory() / "report.txt");
  expectWholeLines(bytes);
  EXPECT_EQ(maskStamps(splitLines(bytes, "\r\n"), 1), kReportOpening);
}

// A long job read through a pipe: the replicate numbers arrive while the
// work goes on. An interrupt (Ctrl-C, or a shutdown's SIGTERM, or the closed
// terminal's SIGHUP) then says how far the run got and ends it with status
// 128 + the signal; the report keeps the replicates finished, without a summary.
struct InterruptCase {
  const char* name;
  int signal;
  int status;
};

class InterruptTest : public ::testing::TestWithParam<InterruptCase> {};

TEST_P(InterruptTest, InTheMiddleOfTheReplicates) {
  const InterruptCase& c = GetParam();
  Sandbox box;
  LiveRun run(box.directory(), LiveRun::ScreenTo::Pipe);
  // A long job: a million females, a thousand replicates.
  run.type(quoted("report.txt") + keyboardAnswers({"1000000", "0", "0", "0", "0", "0", "1000", "12345", "0"}));
  const fs::path report = box.directory() / "report.txt";
  ASSERT_TRUE(LiveRun::waitForText(report, " REPLICATE NUMBER =          3\r\n", 120));
  // Each replicate's number is written to the screen before the report: by
  // now the pipe holds it (a screen held in a buffer would show nothing yet).
  EXPECT_NE(run.screenSoFar().find("REPLICATE NUMBER =          3\n"), std::string::npos);
  EXPECT_TRUE(run.running());
  const std::string before = readFile(report);
  run.sendSignal(c.signal);
  const int status = run.wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.status) << "wait status " << status;

  const std::string errors = readFile(box.directory() / "errors.out");
  std::smatch said;
  ASSERT_TRUE(std::regex_match(errors, said,
                               std::regex("arribada: interrupted in job 1 at replicate ([0-9]+) of 1000; the report "
                                          "holds the ([0-9]+) finished replicates, without a summary\n")))
      << errors;
  const int reached = std::stoi(said[1].str());
  const int finished = std::stoi(said[2].str());
  EXPECT_GE(reached, 3);
  EXPECT_TRUE(finished == reached || finished == reached - 1) << errors;

  const std::string after = readFile(report);
  EXPECT_EQ(after.substr(0, before.size()), before);
  expectWholeLines(after);
  const auto lines = maskStamps(splitLines(after, "\r\n"), 1);
  EXPECT_EQ(slice(lines, 0, kReportOpening.size()), kReportOpening);
  EXPECT_EQ(lines[6], " THE TRUE POPULATION IS=    1000000");
  EXPECT_EQ(lines[14], " THE NUMBER OF REPLICATES IS=       1000");
  // The replicates so far, each whole up to the interrupt: four blank lines,
  // its number, and (but for the last one, perhaps) its estimate.
  int replicates = 0;
  int estimates = 0;
  for (std::size_t i = find(lines, " REPLICATE NUMBER =          1"); i < lines.size(); ++i) {
    if (lines[i].rfind(" MHAT=", 0) == 0) ++estimates;
    if (lines[i].rfind(" REPLICATE NUMBER =", 0) != 0) continue;
    ++replicates;
    const std::string number = std::to_string(replicates);
    EXPECT_EQ(lines[i], " REPLICATE NUMBER =" + std::string(11 - number.size(), ' ') + number);
    EXPECT_EQ(slice(lines, i - 4, 4), std::vector<std::string>(4, " "));
  }
  // The line is written while the counters are read: the last replicate may
  // have been a line further on either side.
  EXPECT_TRUE(replicates == reached || replicates == reached - 1) << replicates << " blocks";
  EXPECT_TRUE(estimates == finished || estimates == finished + 1) << estimates << " estimates";
  EXPECT_EQ(find(lines, " SUMMARY STATISTICS FOLLOW:"), lines.size());
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptTest,
                         ::testing::Values(InterruptCase{"CtrlC", SIGINT, 130}, InterruptCase{"Terminate", SIGTERM, 143},
                                           InterruptCase{"HangUp", SIGHUP, 129}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// A standard output that cannot be written (closed, a full disk) ends the run
// with a message on the error output and status 2, as command-line tools do.

struct ClosedOutputCase {
  const char* name;
  std::string arguments;
  std::string output;  // the shell's redirection of standard output
};

class ClosedOutputTest : public ::testing::TestWithParam<ClosedOutputCase> {};

TEST_P(ClosedOutputTest, SaysSoAndFails) {
  const ClosedOutputCase& c = GetParam();
  Sandbox box;
  box.writeFile("answers.in", fieldDataAnswers("none.dat"));
  const std::string command = "cd '" + box.directory().string() + "' && '" + ARRIBADA_BINARY + "' " + c.arguments +
                              " < answers.in " + c.output + " 2> errors.out";
  const int raw = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 2) << "wait status " << raw;
  const std::string errors = readFile(box.directory() / "errors.out");
  EXPECT_TRUE(errors.starts_with("arribada: ")) << errors;
  EXPECT_NE(errors.find("write failed on the standard output: "), std::string::npos) << errors;
}

INSTANTIATE_TEST_SUITE_P(Outputs, ClosedOutputTest,
                         ::testing::Values(ClosedOutputCase{"Closed", "", ">&-"},
                                           ClosedOutputCase{"FullDisk", "", "> /dev/full"},
                                           ClosedOutputCase{"VersionToAFullDisk", "--version", "> /dev/full"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// An existing name is never overwritten

void expectRefusedOpen(const Result& result) {
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.errors.find("the report file 'report.txt' cannot be created"), std::string::npos) << result.errors;
}

TEST(ExistingNameTest, DirectoryOfThatNameIsLeftAsItIs) {
  Sandbox box;
  fs::create_directory(box.directory() / "report.txt");
  box.writeFile("report.txt/inside", "kept\n");
  const auto result = box.run(quoted("report.txt") + keyboardAnswers(kShortJob));
  expectRefusedOpen(result);
  EXPECT_TRUE(fs::is_directory(box.directory() / "report.txt"));
  EXPECT_EQ(readFile(box.directory() / "report.txt" / "inside"), "kept\n");
}

TEST(ExistingNameTest, ReadOnlyFileIsLeftAsItIs) {
  Sandbox box;
  box.writeFile("report.txt", "earlier results\r\n");
  fs::permissions(box.directory() / "report.txt", fs::perms::owner_read | fs::perms::group_read);
  const auto result = box.run(quoted("report.txt") + keyboardAnswers(kShortJob));
  expectRefusedOpen(result);
  EXPECT_NE(result.errors.find("exists"), std::string::npos) << result.errors;
  EXPECT_EQ(result.reportBytes, "earlier results\r\n");
}

// A link that points nowhere is a name that exists: the file it points to is
// not created behind it.
TEST(ExistingNameTest, DanglingLinkIsNotFollowed) {
  Sandbox box;
  fs::create_symlink("elsewhere.txt", box.directory() / "report.txt");
  const auto result = box.run(quoted("report.txt") + keyboardAnswers(kShortJob));
  expectRefusedOpen(result);
  EXPECT_FALSE(fs::exists(box.directory() / "elsewhere.txt"));
  EXPECT_TRUE(fs::is_symlink(box.directory() / "report.txt"));
}

TEST(ExistingNameTest, FolderWithoutWritePermission) {
  if (::geteuid() == 0) GTEST_SKIP() << "the superuser may write in any folder";
  Sandbox box;
  const fs::path locked = box.directory() / "locked";
  fs::create_directory(locked);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  const auto result = box.run(quoted("locked/report.txt") + keyboardAnswers(kShortJob));
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.errors.find("the report file 'locked/report.txt' cannot be created"), std::string::npos)
      << result.errors;
  EXPECT_FALSE(fs::exists(locked / "report.txt"));
}

// ---------------------------------------------------------------------------
// Bad input: a message that names what failed, and exit status 2

struct BadInput {
  const char* name;
  std::string answers;
  std::map<std::string, std::string> files;
  std::vector<std::string> inMessage;  // every one of them is in the message
  std::vector<std::string> folders = {};
};

class BadInputTest : public ::testing::TestWithParam<BadInput> {};

TEST_P(BadInputTest, EndsTheRunWithAMessage) {
  const BadInput& c = GetParam();
  Sandbox box;
  for (const auto& [name, content] : c.files) box.writeFile(name, content);
  for (const std::string& folder : c.folders) fs::create_directory(box.directory() / folder);
  const auto result = box.run(c.answers);
  EXPECT_EQ(result.status, 2);
  for (const std::string& part : c.inMessage) EXPECT_NE(result.errors.find(part), std::string::npos) << result.errors;
  // One line, however long the offending text.
  EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1) << result.errors;
  EXPECT_LT(result.errors.size(), 500u);
  EXPECT_EQ(result.errors.find("unit "), std::string::npos) << result.errors;
  if (result.reportExists) {
    expectWholeLines(result.reportBytes);
    EXPECT_NE(result.errors.find("The report file 'report.txt' keeps what was written before this; the next run "
                                 "needs another name, or that file removed"),
              std::string::npos)
        << result.errors;
  }
}

// A literal with its NUL bytes.
template <std::size_t N>
std::string bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

std::string dialogueWithNn(const std::string& answer) { return quoted("report.txt") + "\nY\n" + answer + "\n"; }

const std::string kMegabyte(1 << 20, '7');
const std::string kTwoByTwoHeader = "1.0  250  60  60  1000  2  2  1  0\n";

INSTANTIATE_TEST_SUITE_P(
    Answers, BadInputTest,
    ::testing::Values(
        BadInput{"LettersForAnInteger", dialogueWithNn("many"), {},
                 {"the answer to NN, the true number of females (the keyboard, line 4): expected a whole number "
                  "such as 50000, found \"many\""}},
        BadInput{"DecimalForAnInteger", dialogueWithNn("1000.5"), {},
                 {"a whole number such as 50000, found \"1000.5\""}},
        BadInput{"BadReal", quoted("report.txt") + "\nY\n1000\nN\n0\nN\n5..0\n", {},
                 {"the answer to MIN, the minutes of unambiguous nesting activity (the keyboard, line 8): expected a "
                  "number such as 5.0, found \"5..0\""}},
        BadInput{"RealBeyondSinglePrecision", quoted("report.txt") + "\nY\n1000\nN\n0\nN\n1e39\n", {},
                 {"the range of a real", "found \"1e39\""}},
        BadInput{"IntegerBeyond32Bits", dialogueWithNn("2147483648"), {},
                 {"from -2147483648 to 2147483647", "\"2147483648\""}},
        BadInput{"TextForAnInteger", dialogueWithNn("'1000'"), {}, {"without quotes, found the text \"1000\""}},
        BadInput{"ReportNameWithoutQuotes", "report.txt\n", {},
                 {"the name of the report file (the keyboard, line 1): expected a text between quotes, such as "
                  "'playa-2026.txt', found \"report.txt\""}},
        BadInput{"DataFileNameWithoutQuotes", quoted("report.txt") + "Y\nsurvey.dat\n", {},
                 {"the name of the field-data file (the keyboard, line 3)", "between quotes"}},
        BadInput{"UnclosedQuote", "'report.txt\n", {}, {"expected a closing ', found the end of the input"}},
        BadInput{"NulAndHighBytes", dialogueWithNn(bytes("\0\xff\xfe")), {}, {"found \"???\""}},
        BadInput{"MegabyteAnswer", dialogueWithNn(kMegabyte), {}, {"(the keyboard, line 4)", "from -2147483648"}},
        BadInput{"MissingParameterFile", parameterFileAnswers("missing.par"), {},
                 {"the data file 'missing.par' cannot be opened: there is no such file in the folder '"}},
        BadInput{"MissingFieldDataFile", fieldDataAnswers("missing.dat"), {}, {"'missing.dat'", "no such file"}},
        BadInput{"DirectoryAsAFile", fieldDataAnswers("adir"), {}, {"'adir'", "it is a folder"}, {"adir"}},
        BadInput{"GarbageParameterFile", parameterFileAnswers("junk.par"),
                 {{"junk.par", bytes("JUNK\n\x01\x02\xff\0 9\n")}},
                 {"NTR in the nine values after the title of 'junk.par', line 2: expected a whole number such as 10"}},
        BadInput{"GarbageFieldDataFile", fieldDataAnswers("junk.dat"),
                 {{"junk.dat", bytes("JUNK\n1.0 \xff\xfe\n")}},
                 {"WIDTH in the header of 'junk.dat', line 2: expected a number such as 250"}},
        BadInput{"MegabyteValueInAFile", fieldDataAnswers("long.dat"), {{"long.dat", "LONG\n1.0 " + kMegabyte + "\n"}},
                 {"WIDTH in the header of 'long.dat', line 2", "the range of a real"}},
        BadInput{"CountAboveTheGrid", fieldDataAnswers("c.dat"), {{"c.dat", "C\n" + kTwoByTwoHeader + "1 32768 2 2\n"}},
                 {"the count of transect 2 at sampling time 1 in 'c.dat', line 3: expected a whole number from "
                  "-32767 to 32767, found \"32768\""}},
        BadInput{"CountBelowTheGrid", fieldDataAnswers("c.dat"), {{"c.dat", "C\n" + kTwoByTwoHeader + "1 2\n-32768 2\n"}},
                 {"the count of transect 1 at sampling time 2 in 'c.dat', line 4", "found \"-32768\""}},
        BadInput{"CountPerLineAboveTheGrid", fieldDataAnswers("c.dat"),
                 {{"c.dat", "C\n1.0 250 60 60 1000 2 1 2 0\n40000 remark\n"}},
                 {"the count of transect 1 at sampling time 1 in 'c.dat', line 3", "\"40000\""}}),
    [](const auto& info) { return std::string(info.param.name); });

// Every group of a file that ends early: the end of the file is named.
void expectEndOfFile(const std::string& answers, const std::string& name, const std::string& content) {
  SCOPED_TRACE(name + ":\n" + content);
  Sandbox box;
  box.writeFile(name, content);
  const auto result = box.run(answers);
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.errors.find("end of input before "), std::string::npos) << result.errors;
  EXPECT_NE(result.errors.find("'" + name + "' ended after line"), std::string::npos) << result.errors;
}

TEST(EarlyEndTest, ParameterFileEndsInEveryGroup) {
  const std::vector<std::string> nine = {"10", "5", "1000", "6", "7", "8.0", "2", "1.0", "3"};
  expectEndOfFile(parameterFileAnswers("p.par"), "p.par", "");  // not even a title
  std::string values;
  for (std::size_t given = 0; given < nine.size(); ++given) {
    expectEndOfFile(parameterFileAnswers("p.par"), "p.par", "TITLE\n" + values);
    values += nine[given] + (given % 2 == 0 ? "\n" : " ");
  }
  // IHR 6: six hour marks, then six weights.
  const std::string head = "TITLE\n10 5 1000 6 7 8.0 2 1.0 3\n";
  expectEndOfFile(parameterFileAnswers("p.par"), "p.par", head);
  expectEndOfFile(parameterFileAnswers("p.par"), "p.par", head + "2 4 6\n");
  expectEndOfFile(parameterFileAnswers("p.par"), "p.par", head + "2 4 6 8 10 12\n1 3 6 6 3\n");
}

TEST(EarlyEndTest, FieldDataFileEndsInEveryGroup) {
  const std::vector<std::string> nine = {"1.0", "250", "60", "60", "1000", "2", "2", "2", "1"};
  expectEndOfFile(fieldDataAnswers("f.dat"), "f.dat", "");
  std::string values;
  for (std::size_t given = 0; given < nine.size(); ++given) {
    expectEndOfFile(fieldDataAnswers("f.dat"), "f.dat", "TITLE\n" + values);
    values += nine[given] + " ";
  }
  // One count per line (CODE 2): the file ends after three of the four.
  const std::string perLine = "TITLE\n1.0 250 60 60 1000 2 2 2 1\n";
  expectEndOfFile(fieldDataAnswers("f.dat"), "f.dat", perLine + "1\n3\n2\n");
  // The weights of two transects: none, then one.
  expectEndOfFile(fieldDataAnswers("f.dat"), "f.dat", perLine + "1\n3\n2\n2\n");
  expectEndOfFile(fieldDataAnswers("f.dat"), "f.dat", perLine + "1\n3\n2\n2\n500\n");
  // Free layout (CODE 1): the counts may end early, the weights may not.
  expectEndOfFile(fieldDataAnswers("f.dat"), "f.dat", "TITLE\n1.0 250 60 60 1000 2 2 1 1\n1 3\n");
}

// ---------------------------------------------------------------------------
// Input that is odd but fine

const std::string kTwoByTwoCounts = "1 3\n2 2\n";

// The report value line of the two-by-two survey: 60 h / 1 h / 0.5 / 2 x 8 UELAs.
const std::string kTwoByTwoEstimate = "  ESTIMATED NUMBER OF FEMALE TURTLES=        480.0";

Result runTwoByTwo(const std::string& title, const std::string& header = kTwoByTwoHeader) {
  Sandbox box;
  box.writeFile("two.dat", title + "\n" + header + kTwoByTwoCounts);
  return box.run(fieldDataAnswers("two.dat"));
}

TEST(OddInputTest, EightyCharacterTitle) {
  std::string title;
  for (int i = 0; i < 8; ++i) title += "ABCDEFGHIJ";
  const auto result = runTwoByTwo(title);
  EXPECT_EQ(result.status, 0);
  // Five pieces of 16: the fifth fills the line to column 80 and its last
  // character goes on alone.
  EXPECT_EQ(slice(result.report, 6, 2), (std::vector<std::string>{" " + title.substr(0, 79), " J"}));
  EXPECT_LT(find(result.screenLines, title.substr(0, 79)), result.screenLines.size());
  EXPECT_LT(find(result.report, kTwoByTwoEstimate), result.report.size());
}

TEST(OddInputTest, EmptyTitle) {
  const auto result = runTwoByTwo("");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(slice(result.report, 6, 2), (std::vector<std::string>{std::string(80, ' '), "  "}));
  EXPECT_LT(find(result.report, kTwoByTwoEstimate), result.report.size());
}

TEST(OddInputTest, MegabyteTitleIsCutToEightyColumns) {
  const auto result = runTwoByTwo(std::string(1 << 20, 'X'));
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(slice(result.report, 6, 2), (std::vector<std::string>{" " + std::string(79, 'X'), " X"}));
  EXPECT_LT(find(result.report, kTwoByTwoEstimate), result.report.size());
}

TEST(OddInputTest, MegabyteRemarkAfterTheHeader) {
  const auto result = runTwoByTwo("TWO BY TWO", "1.0 250 60 60 1000 2 2 1 0 " + std::string(1 << 20, 'r') + "\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_LT(find(result.report, kTwoByTwoEstimate), result.report.size());
}

TEST(OddInputTest, MegabyteOfBlanksBeforeAnAnswer) {
  Sandbox box;
  std::vector<std::string> values = kShortJob;
  values[0] = std::string(1 << 20, ' ') + "1500";
  const auto result = box.run(quoted("report.txt") + keyboardAnswers(values));
  EXPECT_EQ(result.report[6], " THE TRUE POPULATION IS=       1500");
}

TEST(OddInputTest, LargestCountsAreAccepted) {
  // 32767 and -32767 in one transect, 0 in the other: 0 UELAs, estimate 0.
  const auto result = runTwoByTwo("EXTREMES", "1.0 250 60 60 1000 2 2 1 0\n32767 0\n-32767 0\n");
  EXPECT_EQ(result.status, 0);
  EXPECT_LT(find(result.report, "  ESTIMATED NUMBER OF FEMALE TURTLES=" + std::string(11, ' ') + ".0"),
            result.report.size());
}

// ---------------------------------------------------------------------------
// Warnings: on the error output only, the report and the screen unchanged

struct WarningCase {
  const char* name;
  std::string afterTitle;  // a two-by-two survey: header and counts
  std::string warning;     // the one warning line, after "arribada: warning: "
  std::string sameAs;      // a survey read alike without a warning; empty: none
};

Result runSurvey(const std::string& afterTitle) {
  Sandbox box;
  box.writeFile("two.dat", "TWO BY TWO\n" + afterTitle);
  return box.run(fieldDataAnswers("two.dat"));
}

class WarningTest : public ::testing::TestWithParam<WarningCase> {};

// A warned run shows and reports exactly what `plain`, a run without a warning, does.
void expectTheSameButForTheWarning(const Result& warned, const Result& plain) {
  EXPECT_EQ(plain.errors, "");
  EXPECT_EQ(warned.screenLines, plain.screenLines);
  EXPECT_EQ(warned.report, plain.report);
}

TEST_P(WarningTest, GoesToTheErrorOutputOnly) {
  const WarningCase& c = GetParam();
  const auto result = runSurvey(c.afterTitle);
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.errors, "arribada: warning: " + c.warning + "\n");
  EXPECT_LT(find(result.report, " NO.UELAS = UNAMBIGUOUS EGG-LAYING ACTIVITY       8.000000"), result.report.size());
  if (c.sameAs.empty()) return;
  expectTheSameButForTheWarning(result, runSurvey(c.sameAs));
}

INSTANTIATE_TEST_SUITE_P(
    Surveys, WarningTest,
    ::testing::Values(
        WarningCase{"CountsEndEarly", "1.0 250 60 60 1000 2 3 1 0\n1 3\n2 2\n",
                    "'two.dat' ends after 4 of the NTR x NT1 = 6 counts that its header asks for; the other 2 are "
                    "taken as 0",
                    "1.0 250 60 60 1000 2 3 1 0\n1 3\n2 2\n0 0\n"},
        WarningCase{"ValuesAfterTheLast", kTwoByTwoHeader + "1 3\n2 2\n\n5 5\n",
                    "'two.dat' holds more after the last value that its header asks for (line 6); check NTR, NT1 "
                    "and JCODE in the header",
                    kTwoByTwoHeader + "1 3\n2 2\n"},
        WarningCase{"MeanTimeInHours", "1.0 250 60 1 1000 2 2 1 0\n1 3\n2 2\n",
                    "MEANT = 1 in the header of 'two.dat' is below 5: it is read in minutes, and a time given in "
                    "hours gives an estimate 60 times too large",
                    ""},
        WarningCase{"MeanTimeInSeconds", "1.0 250 60 300 1000 2 2 1 0\n1 3\n2 2\n",
                    "MEANT = 300 in the header of 'two.dat' is above 240: it is read in minutes, and a time given "
                    "in seconds gives an estimate 60 times too small",
                    ""},
        // The transects cover 1000 m x 2 x 250 m = 0.5 km^2, more than AREA = 0.4.
        WarningCase{"SampleLargerThanTheArea", "0.4 250 60 60 1000 2 2 1 0\n1 3\n2 2\n",
                    "the header of 'two.dat': AREA = 0.4 km2 is less than the transects' own area, their length x 2 "
                    "x WIDTH = 0.5 km2: a sample cannot be larger than the nesting area (areas are in km2, 1 ha = "
                    "0.01 km2; LENGTH and WIDTH, the half-width, in metres); the estimate below takes C above 1",
                    ""},
        WarningCase{"DecimalCommas", "1.0 250 60 60 1000 2 2 1,0 0\n1 3\n2 2\n",
                    "the header of 'two.dat', line 2, has commas between digits: a comma separates two values, so "
                    "\"0,5\" is read as 0 and 5; write decimal points (0.5) if decimals were meant",
                    kTwoByTwoHeader + "1 3\n2 2\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// A number typed with a thousands separator or a decimal comma: a hint on
// the error output; the screen and the report are those of the number read
// up to its comma.
struct CommaCase {
  const char* name;
  std::vector<std::string> typed;  // the nine answers
  std::vector<std::string> read;   // the same as the program reads them
  std::string hint;                // after "arribada: warning: "
};

class KeyboardCommaTest : public ::testing::TestWithParam<CommaCase> {};

TEST_P(KeyboardCommaTest, HintsOnTheErrorOutputOnly) {
  const CommaCase& c = GetParam();
  Sandbox typed;
  const auto result = typed.run(quoted("report.txt") + keyboardAnswers(c.typed));
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(result.errors, "arribada: warning: " + c.hint + "\n");
  Sandbox read;
  expectTheSameButForTheWarning(result, read.run(quoted("report.txt") + keyboardAnswers(c.read)));
}

INSTANTIATE_TEST_SUITE_P(
    Answers, KeyboardCommaTest,
    ::testing::Values(
        // 120 is below the smallest NN: the block asks again and takes 1000.
        CommaCase{"ThousandsSeparator",
                  {"120,000\n1000", "0", "0", "0", "0", "0", "2", "7", "0"},
                  {"120\n1000", "0", "0", "0", "0", "0", "2", "7", "0"},
                  "the answer to NN, the true number of females (the keyboard, line 4): \"120,000\" was read up to "
                  "its comma, since a comma separates two values; type 120000, without a thousands separator (or "
                  "120.000 if a decimal was meant)"},
        CommaCase{"DecimalComma",
                  {"1000", "0", "1,5", "0", "0", "0", "2", "7", "0"},
                  {"1000", "0", "1", "0", "0", "0", "2", "7", "0"},
                  "the answer to MIN, the minutes of unambiguous nesting activity (the keyboard, line 8): \"1,5\" "
                  "was read up to its comma, since a comma separates two values; type 1.5, with a decimal point"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Files saved by Windows editors: a UTF-8 byte-order mark is skipped; UTF-16
// is refused with a message that says how to save the file.

const std::string kUtf8Mark = "\xEF\xBB\xBF";
const std::string kTwoByTwo = "TWO BY TWO\n1.0 250 60 60 1000 2 2 1 0\n1 3\n2 2\n";

// Plain ASCII text as UTF-16, its mark first: little-endian (FF FE) or big-endian (FE FF).
std::string utf16(const std::string& text, bool little) {
  std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
  for (const char ch : text) out += little ? std::string{ch, '\0'} : std::string{'\0', ch};
  return out;
}

struct SavedFileCase {
  const char* name;
  std::string answers;
  std::map<std::string, std::string> files;
  int status;
  std::string expected;  // a line of the report, or with status 2 a piece of the message
};

class WindowsFileTest : public ::testing::TestWithParam<SavedFileCase> {};

TEST_P(WindowsFileTest, MarkSkippedOrUtf16Refused) {
  const SavedFileCase& c = GetParam();
  Sandbox box;
  for (const auto& [name, content] : c.files) box.writeFile(name, content);
  const auto result = box.run(c.answers);
  EXPECT_EQ(result.status, c.status) << result.errors;
  if (c.status == 0) {
    EXPECT_LT(find(result.report, c.expected), result.report.size()) << c.expected;
  } else {
    EXPECT_NE(result.errors.find(c.expected), std::string::npos) << result.errors;
  }
}

const std::string kEstimate480 = "  ESTIMATED NUMBER OF FEMALE TURTLES=        480.0";

INSTANTIATE_TEST_SUITE_P(
    Files, WindowsFileTest,
    ::testing::Values(
        SavedFileCase{"MarkedFieldFile", fieldDataAnswers("two.dat"), {{"two.dat", kUtf8Mark + kTwoByTwo}}, 0,
                      kEstimate480},
        SavedFileCase{"MarkedAnswers", kUtf8Mark + fieldDataAnswers("two.dat"), {{"two.dat", kTwoByTwo}}, 0,
                      kEstimate480},
        SavedFileCase{"MarkedParameterFile",
                      parameterFileAnswers("job.par") + "\nN\n" + quoted("stop.par"),
                      {{"job.par", kUtf8Mark + "MARKED\n10 5 1000 60 7 5.0 2 2.0 1\n"}, {"stop.par", kStopFile}},
                      0,
                      " THE TRUE POPULATION IS=       1000"},
        SavedFileCase{"Utf16FieldFile", fieldDataAnswers("two.dat"), {{"two.dat", utf16(kTwoByTwo, true)}}, 2,
                      "read failed on 'two.dat': the text is UTF-16"},
        SavedFileCase{"Utf16BigEndianAnswers", utf16(fieldDataAnswers("two.dat"), false), {{"two.dat", kTwoByTwo}},
                      2, "read failed on the keyboard: the text is UTF-16"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// CR LF line ends read as LF line ends

std::string withCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string example(const std::string& name) {
  return readFile(fs::path(ARRIBADA_SOURCE_DIR) / "examples" / name);
}

struct CrLfCase {
  const char* file;
  bool fieldData;
};

class CrLfTest : public ::testing::TestWithParam<CrLfCase> {};

TEST_P(CrLfTest, GivesTheSameReportAsLf) {
  const CrLfCase& c = GetParam();
  const std::string answers = c.fieldData ? fieldDataAnswers(c.file)
                                          : parameterFileAnswers(c.file) + "\nN\n" + quoted("stop.par");
  Result runs[2];
  for (int crlf = 0; crlf < 2; ++crlf) {
    Sandbox box;
    const std::string content = example(c.file);
    ASSERT_EQ(content.find('\r'), std::string::npos) << "the shipped example has LF line ends";
    box.writeFile(c.file, crlf ? withCrLf(content) : content);
    box.writeFile("stop.par", crlf ? withCrLf(kStopFile) : kStopFile);
    runs[crlf] = box.run(answers);
  }
  EXPECT_EQ(runs[0].status, 0) << runs[0].errors;
  EXPECT_EQ(runs[1].status, 0) << runs[1].errors;
  EXPECT_GT(runs[0].report.size(), 10u);
  EXPECT_EQ(runs[1].report, runs[0].report);
  EXPECT_EQ(runs[1].screenLines, runs[0].screenLines);
}

INSTANTIATE_TEST_SUITE_P(Examples, CrLfTest,
                         ::testing::Values(CrLfCase{"survey.dat", true}, CrLfCase{"perline.dat", true},
                                           CrLfCase{"weighted.dat", true}, CrLfCase{"short-arribada.par", false}),
                         [](const auto& info) {
                           std::string name = info.param.file;
                           std::erase_if(name, [](char ch) { return ch == '.' || ch == '-'; });
                           return name;
                         });

// ---------------------------------------------------------------------------
// What the program decides where the method leaves it open, through the program

// A parameter file whose values the simulation cannot use: the message names the file.
INSTANTIATE_TEST_SUITE_P(
    FileDecisions, BadInputTest,
    ::testing::Values(
        // 1000000 x 103 x 1000 x 1000 x 5 leaves 32 bits.
        BadInput{"DefaultSeedOverflows", parameterFileAnswers("big.par"),
                 {{"big.par", "BIG\n1000 1000 1000000 204 0 5.0 2 2.0 1\n"}}, {"'big.par'", "32-bit range"}},
        BadInput{"SeedOfTheFixedPoint", parameterFileAnswers("seed.par"),
                 {{"seed.par", "SEED\n10 5 1000 60 2147483646 5.0 2 2.0 1\n"}}, {"'seed.par'", "JX = 2147483646"}},
        // IHR 2 asks for a table of two rows; its last mark 1.5 makes the arribada 1 hour long.
        BadInput{"TableOfUnderTwoHours", parameterFileAnswers("short.par"),
                 {{"short.par", "SHORT\n10 5 1000 2 7 5.0 2 2.0 1\n0.5 1.5\n1 1\n"}}, {"'short.par'", "IHR = 1"}}),
    [](const auto& info) { return std::string(info.param.name); });

// One simulation job from a parameter file, then the plain stop.
Result runParameterFileJob(const std::string& content) {
  Sandbox box;
  box.writeFile("job.par", content);
  box.writeFile("stop.par", kStopFile);
  return box.run(parameterFileAnswers("job.par") + "\nN\n" + quoted("stop.par"));
}

// IREP 1 from a file: the one replicate runs and the empirical variance,
// whose divisor IREP - 1 is 0, prints as 0.
TEST(FileDecisionTest, OneReplicateHasAnEmpiricalVarianceOfZero) {
  const auto result = runParameterFileJob("ONE\n10 5 1000 60 7 5.0 1 2.0 1\n");
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_LT(find(result.report, " EMPIRICAL VARIANCE=   0.000000E+00"), result.report.size());
  EXPECT_EQ(std::count_if(result.report.begin(), result.report.end(),
                          [](const std::string& line) { return line.find("  OUT OF          1  TIMES.") == 14; }),
            1);
}

// A grid cell holds more than 16 bits' worth of turtles: a million females on
// 3 strips, a 24-hour arribada whose first interval (96% of them) is centred
// on hour 6 with a deviation of 2 hours, an hour of activity so that every
// female is counted. The sampled hours 5 and 7 then hold some 56000 turtles
// per strip. Every strip is sampled (C = 1), the expansion factor is
// 24 / 1 / 1 / 12 = 2, and the odd hours hold about half the females, so the
// estimate is near 1000000; cells cut to 16 bits would wrap negative.
TEST(FileDecisionTest, CellsHoldMoreThanSixteenBits) {
  const auto result = runParameterFileJob("DENSE\n3 3 1000000 24 7 60 1 2.0 1\n");
  EXPECT_EQ(result.status, 0) << result.errors;
  const auto line = find(result.report, " REPLICATE NUMBER =          1");
  ASSERT_LT(line + 1, result.report.size());
  ASSERT_EQ(result.report[line + 1].rfind(" MHAT=", 0), 0u) << result.report[line + 1];
  const double MHAT = std::stod(result.report[line + 1].substr(6));
  EXPECT_GT(MHAT, 900000.0);
  EXPECT_LT(MHAT, 1100000.0);
}

}  // namespace
}  // namespace arribada::e2e
