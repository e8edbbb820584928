// A CSV night given to the dialogue's field-data job: the report and the
// console hold the lines the job prints for the same survey in the
// field-data layout, and the estimate of the multi-night analysis.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "e2e/harness.hpp"

namespace arribada::e2e {
namespace {

// The worked example of the field estimate (two transects, two times, an
// estimate of 480 females with limits 240 and 720), in the field-data layout.
const char* const kWorkedExample =
    "WORKED EXAMPLE\n"
    "1.0 250 60 60 1000 2 2 1 0\n"
    "1 3\n"
    "2 2\n";

struct CsvCase {
  const char* name;
  const char* file;
  const char* bytes;
  const char* title;  // the title line the job echoes
};

const CsvCase kCsvCases[] = {
    {"commas", "worked.csv",
     "# TITLE = WORKED EXAMPLE\n# AREA = 1.0\n# WIDTH = 250\n# HOURS = 60\n# MEANT = 60\n# LENGTH = 1000\n"
     "time,T1,T2\n0,1,3\n30,2,2\n",
     "WORKED EXAMPLE"},
    {"semicolons, decimal comma, CR LF, another ending", "worked.txt",
     "# TITLE = WORKED EXAMPLE\r\n# AREA = 1,0\r\n# WIDTH = 250\r\n# HOURS = 60\r\n# MEANT = 60\r\n"
     "# LENGTH = 1000\r\ntime;T1;T2\r\n0;1;3\r\n30;2;2\r\n",
     "WORKED EXAMPLE"},
    {"no title: the file's name", "worked.csv",
     "# AREA = 1.0\n# WIDTH = 250\n# HOURS = 60\n# MEANT = 60\n# LENGTH = 1000\ntime,T1,T2\n0,1,3\n30,2,2\n",
     "worked.csv"},
};

// The report and console lines from the title line on, each line's title
// replaced by a mark.
std::vector<std::string> fromTitle(const std::vector<std::string>& lines, const std::string& title) {
  const auto at = std::find_if(lines.begin(), lines.end(), [&title](const std::string& line) {
    return line.find(title) != std::string::npos && line.find("KAVRO") == std::string::npos;
  });
  std::vector<std::string> rest(at, lines.end());
  if (!rest.empty()) rest.front() = "<title>";
  return rest;
}

TEST(CsvNightJobTest, PrintsTheLinesOfTheSameSurveyInTheFieldDataLayout) {
  Sandbox old;
  old.writeFile("survey.dat", kWorkedExample);
  const Result expected = old.run("'report.txt'\nY\n'survey.dat'\n");
  ASSERT_EQ(expected.status, 0) << expected.errors;
  ASSERT_LT(find(expected.report, "  ESTIMATED NUMBER OF FEMALE TURTLES=        480.0"), expected.report.size());
  ASSERT_LT(find(expected.report, "  THE LOWER 95% CONFIDENCE LIMIT =     240.0000"), expected.report.size());

  for (const CsvCase& c : kCsvCases) {
    SCOPED_TRACE(c.name);
    Sandbox box;
    box.writeFile(c.file, c.bytes);
    const Result result = box.run("'report.txt'\nY\n'" + std::string(c.file) + "'\n");
    EXPECT_EQ(result.status, 0) << result.errors;
    std::string titleLine = " " + std::string(c.title);
    titleLine.resize(80, ' ');
    EXPECT_LT(find(result.report, titleLine), result.report.size());
    EXPECT_EQ(fromTitle(result.report, c.title), fromTitle(expected.report, "WORKED EXAMPLE"));
    EXPECT_EQ(fromTitle(result.screenLines, c.title), fromTitle(expected.screenLines, "WORKED EXAMPLE"));
  }
}

TEST(CsvNightJobTest, WeightsGiveTheReportsWeightLine) {
  Sandbox old;
  old.writeFile("survey.dat", "WEIGHTED\n1.0 250 60 60 1000 2 2 1 1\n1 3\n2 2\n400 600\n");
  const Result expected = old.run("'report.txt'\nY\n'survey.dat'\n");
  ASSERT_EQ(expected.status, 0) << expected.errors;

  Sandbox box;
  box.writeFile("weighted.csv",
                "# TITLE = WEIGHTED\n# AREA = 1.0\n# WIDTH = 250\n# HOURS = 60\n# MEANT = 60\n# LENGTH = 1000\n"
                "# WEIGHTS = 400, 600\ntime,T1,T2\n0,1,3\n30,2,2\n");
  const Result result = box.run("'report.txt'\nY\n'weighted.csv'\n");
  EXPECT_EQ(result.status, 0) << result.errors;
  EXPECT_EQ(fromTitle(result.report, "WEIGHTED"), fromTitle(expected.report, "WEIGHTED"));
}

TEST(CsvNightJobTest, ShippedNightGivesTheEstimateOfTheFieldMode) {
  const std::string night = readFile(std::filesystem::path(ARRIBADA_SOURCE_DIR) / "examples" / "night-1.csv");
  Sandbox dialogue;
  dialogue.writeFile("night-1.csv", night);
  const Result job = dialogue.run("'report.txt'\nY\n'night-1.csv'\n");
  EXPECT_EQ(job.status, 0) << job.errors;

  Sandbox field;
  field.writeFile("night-1.csv", night);
  const Result table = field.run("", "report.txt", "--field night-1.csv");
  EXPECT_EQ(table.status, 0) << table.errors;

  // 281 UELAs x 10 h / (58/60 h) / 0.02 / 10 times = 14534.48..., the table's 14534.5.
  EXPECT_LT(find(job.report, "  ESTIMATED NUMBER OF FEMALE TURTLES=      14534.5"), job.report.size());
  const auto row = find_if(table.screenLines.begin(), table.screenLines.end(),
                           [](const std::string& line) { return line.starts_with("1      night-1.csv"); });
  ASSERT_NE(row, table.screenLines.end()) << table.screen;
  EXPECT_NE(row->find("14534.5  837.0   5.8  12860.5  16208.5"), std::string::npos) << *row;
}

// A night the job cannot analyse: the run ends with a message naming the
// file (and the row of a fault) before any estimate.
TEST(CsvNightJobTest, RefusedNightsNameTheFile) {
  const std::string values = "# AREA = 1.0\n# WIDTH = 250\n# HOURS = 60\n# MEANT = 60\n# LENGTH = 1000\n";
  const struct {
    const char* file;
    std::string bytes;
    std::vector<std::string> said;
  } cases[] = {
      {"bad.csv", values + "time,T1,T2\n0,1,3\n30,2,x\n", {"'bad.csv'", "row 8"}},
      {"strata.csv", values + "# STRATUM = 1, 2\n# STRATUM_AREA = 0.5, 0.5\ntime,T1,T2\n0,1,3\n30,2,2\n",
       {"'strata.csv' gives STRATUM", "--field"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    Sandbox box;
    box.writeFile(c.file, c.bytes);
    const Result result = box.run("'report.txt'\nY\n'" + std::string(c.file) + "'\n");
    EXPECT_NE(result.status, 0);
    for (const std::string& words : c.said) EXPECT_NE(result.errors.find(words), std::string::npos) << result.errors;
    EXPECT_EQ(find(result.report, "  ESTIMATED NUMBER OF FEMALE TURTLES="), result.report.size());
  }
}

}  // namespace
}  // namespace arribada::e2e
