// The results folder (--results DIR), through the built program: its tables
// hold the report's own values, its pictures are well-formed, and the report
// and the console are the same with and without it.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "e2e/harness.hpp"
#include "e2e/results_files.hpp"
#include "text/filenames.hpp"
#include "text/format.hpp"

namespace arribada::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kDefaultSimulation =
    "'report.txt'\n" + keyboardAnswers({"0", "0", "0", "0", "0", "0", "0", "0", "0"});

const char* const kWorkedExample =
    "WORKED EXAMPLE, \"TWO\" TRANSECTS\n"
    "1.0 250 60 60 1000 2 2 1 0\n"
    "1 3\n"
    "2 2\n";

float number(const std::string& field) { return std::strtof(field.c_str(), nullptr); }

// The value printed after `label` on the first report line that starts with it.
std::string reportValue(const std::vector<std::string>& report, const std::string& label) {
  for (const std::string& line : report) {
    if (line.starts_with(" " + label)) return text::trimmed(line.substr(label.size() + 1));
  }
  return "<no line " + label + ">";
}

void expectWellFormedPictures(const fs::path& folder) {
  int pictures = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".svg") continue;
    ++pictures;
    EXPECT_EQ(xmlFault(readFile(entry.path())), "") << entry.path();
  }
  EXPECT_GT(pictures, 0) << folder;
}

TEST(ResultsFolderTest, DefaultSimulationTablesHoldTheReportsValues) {
  Sandbox box;
  // The second job's parameter file is missing: the run ends with an error
  // and the first job's results stay whole.
  const auto result = box.run(kDefaultSimulation + "\nN\n'absent.par'\n", "report.txt", "--results out");
  EXPECT_EQ(result.status, 2);
  const fs::path out = result.directory / "out";

  const CsvTable summary = readCsv(out / "summary.csv");
  ASSERT_EQ(summary.size(), 1u);
  const auto& row = summary[0];
  EXPECT_EQ(row.at("job"), "1");
  EXPECT_EQ(row.at("NN"), "50000");
  EXPECT_EQ(row.at("IC"), "5");
  EXPECT_EQ(row.at("JX"), "762500001");
  EXPECT_EQ(text::realText(number(row.at("mean_estimate"))),
            reportValue(result.report, "AVERAGE ESTIMATED POPULATION SIZE="));
  EXPECT_EQ(text::realText(number(row.at("empirical_variance"))), reportValue(result.report, "EMPIRICAL VARIANCE="));
  const std::string misses = reportValue(result.report, "IS").substr(0, reportValue(result.report, "IS").find(' '));
  EXPECT_EQ(row.at("misses"), misses);
  // The report's intervals are those of VARTI; the coverage and its standard error by hand.
  const double coverage = 1.0 - std::stod(misses) / 100.0;
  EXPECT_FLOAT_EQ(number(row.at("coverage")), static_cast<float>(coverage));
  EXPECT_EQ(row.at("coverage_2se_VARTI"), row.at("coverage"));
  EXPECT_FLOAT_EQ(number(row.at("coverage_se")), static_cast<float>(std::sqrt(coverage * (1 - coverage) / 100)));
  EXPECT_FLOAT_EQ(number(row.at("bias")), number(row.at("mean_estimate")) - 50000.0f);
  // 100 replicates of 50 000 females take about 16 million draws, far below the period.
  EXPECT_EQ(row.at("independent_replicates"), "100");
  EXPECT_EQ(result.errors.find("repeats itself"), std::string::npos);

  const CsvTable replicates = readCsv(out / "replicates.csv");
  std::vector<std::string> printed;
  for (const std::string& line : result.report) {
    if (line.starts_with(" MHAT=")) printed.push_back(text::trimmed(line.substr(6)));
  }
  ASSERT_EQ(printed.size(), 100u);
  ASSERT_EQ(replicates.size(), printed.size());
  int covered = 0;
  for (std::size_t i = 0; i < replicates.size(); ++i) {
    EXPECT_EQ(replicates[i].at("replicate"), std::to_string(i + 1));
    EXPECT_EQ(text::realText(number(replicates[i].at("MHAT"))), printed[i]) << "replicate " << i + 1;
    covered += replicates[i].at("covered") == "TRUE" ? 1 : 0;
  }
  EXPECT_EQ(std::to_string(100 - covered), misses);
  expectWellFormedPictures(out);
}

TEST(ResultsFolderTest, WorkedFieldExample) {
  Sandbox box;
  box.writeFile("survey.dat", kWorkedExample);
  const auto result = box.run("'report.txt'\nY\n'survey.dat'\n", "report.txt", "--results=out");
  EXPECT_EQ(result.status, 0) << result.errors;
  const CsvTable field = readCsv(result.directory / "out" / "field.csv");
  ASSERT_EQ(field.size(), 1u);
  const auto& row = field[0];
  EXPECT_EQ(row.at("title"), "WORKED EXAMPLE, \"TWO\" TRANSECTS");
  const std::map<std::string, std::string> expected = {
      {"NTR", "2"},     {"NT1", "2"},     {"sample_area", "0.5"}, {"area_ratio", "0.5"},
      {"samples", "4"}, {"uelas_counted", "8.0"}, {"uelas_weighted", ""}, {"estimate", "480.0"}, {"variance", "14400.0"},
      {"se", "120.0"},  {"cv", "0.25"},   {"LCL", "240.0"},       {"UCL", "720.0"}};
  for (const auto& [column, value] : expected) EXPECT_EQ(row.at(column), value) << column;

  const CsvTable times = readCsv(result.directory / "out" / "field-times.csv");
  ASSERT_EQ(times.size(), 2u);
  EXPECT_EQ(times[0].at("total"), "4");  // 1 + 3
  EXPECT_EQ(times[1].at("total"), "4");  // 2 + 2
  EXPECT_EQ(times[1].at("weighted_total"), "");
  EXPECT_FALSE(fs::exists(result.directory / "out" / "summary.csv"));
  expectWellFormedPictures(result.directory / "out");
}

TEST(ResultsFolderTest, LimitsThatCannotBeComputedAreEmpty) {
  Sandbox box;
  // One transect over two sampling times: an estimate, no variance, limits of
  // -999. The title has XML's special characters and a Latin-1 byte.
  box.writeFile("survey.dat",
                "PLAYA <NORTE> & BAH\xCD"
                "A\n1.0 250 60 60 1000 1 2 1 0\n1\n3\n");
  const auto result = box.run("'report.txt'\nY\n'survey.dat'\n", "report.txt", "--results out");
  EXPECT_EQ(result.status, 0) << result.errors;
  const CsvTable field = readCsv(result.directory / "out" / "field.csv");
  ASSERT_EQ(field.size(), 1u);
  EXPECT_EQ(field[0].at("estimate"), "240.0");  // 60 x (1 + 3)
  for (const char* column : {"variance", "se", "cv", "LCL", "UCL"}) EXPECT_EQ(field[0].at(column), "") << column;
  expectWellFormedPictures(result.directory / "out");
}

TEST(ResultsFolderTest, ReportAndConsoleAreTheSameWithAndWithoutIt) {
  for (const std::string& answers :
       {kDefaultSimulation + "\nN\n'absent.par'\n", std::string("'report.txt'\nY\n'survey.dat'\n")}) {
    Sandbox plain;
    Sandbox withResults;
    plain.writeFile("survey.dat", kWorkedExample);
    withResults.writeFile("survey.dat", kWorkedExample);
    const auto without = plain.run(answers);
    const auto with = withResults.run(answers, "report.txt", "--results out");
    EXPECT_EQ(with.status, without.status);
    EXPECT_EQ(with.report, without.report);  // the clock's values masked
    EXPECT_EQ(with.screen, without.screen);
    // A message may name the run's folder, which differs between the two runs.
    const auto masked = [](std::string text, const fs::path& folder) {
      for (auto at = text.find(folder.string()); at != std::string::npos; at = text.find(folder.string()))
        text.replace(at, folder.string().size(), "<folder>");
      return text;
    };
    // A run-time error's message then also says what became of the folder.
    const std::string note = with.status == 0 ? "" : ". The results folder 'out' holds the 1 job(s) finished before this";
    std::string expected = masked(without.errors, plain.directory());
    if (!note.empty()) expected.insert(expected.size() - 1, note);
    EXPECT_EQ(masked(with.errors, withResults.directory()), expected);
  }
}

TEST(ResultsFolderTest, ExistingNameIsRefusedBeforeTheFirstQuestion) {
  enum class Kind { Folder, File, LinkToNowhere };
  for (const Kind kind : {Kind::Folder, Kind::File, Kind::LinkToNowhere}) {
    Sandbox box;
    const fs::path out = box.directory() / "out";
    if (kind == Kind::Folder) {
      fs::create_directory(out);
      box.writeFile("out/kept.csv", "x\r\n");
    } else if (kind == Kind::File) {
      box.writeFile("out", "kept");
    } else {
      fs::create_symlink(box.directory() / "nowhere", out);
    }
    const auto result = box.run(kDefaultSimulation, "report.txt", "--results out");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.errors.find("'out': a file or folder of that name exists already"), std::string::npos)
        << result.errors;
    EXPECT_EQ(result.screen, "");
    EXPECT_FALSE(result.reportExists);
    // What exists is left as it was.
    if (kind == Kind::Folder) {
      EXPECT_EQ(readFile(out / "kept.csv"), "x\r\n");
    } else if (kind == Kind::File) {
      EXPECT_EQ(readFile(out), "kept");
    } else {
      EXPECT_FALSE(fs::exists(box.directory() / "nowhere"));
    }
  }
}

// One strip sampled (only a parameter file allows it): VARTI has a divisor
// of 0, so the coverage of the printed intervals cannot be computed, while
// VARM and VARTR still can.
TEST(ResultsFolderTest, CoverageThatCannotBeComputedIsEmpty) {
  Sandbox box;
  box.writeFile("one.par", "ONE STRIP\n10 1 1000 60 7 5.0 2 2.0 1\n");
  box.writeFile("stop.par", "END\n0 5 1000 60 0 5.0 2 2.0 1\n");
  const auto result = box.run("'report.txt'\n\nN\n'one.par'\n\nN\n'stop.par'\n", "report.txt", "--results out");
  EXPECT_EQ(result.status, 0) << result.errors;
  const CsvTable summary = readCsv(result.directory / "out" / "summary.csv");
  ASSERT_EQ(summary.size(), 1u);
  for (const char* column : {"mean_se", "coverage", "coverage_se", "coverage_2se_VARTI"}) {
    EXPECT_EQ(summary[0].at(column), "") << column;
  }
  for (const char* column : {"coverage_2se_VARM", "coverage_2se_VARTR"}) EXPECT_NE(summary[0].at(column), "") << column;
}

TEST(ResultsFolderTest, ComparingDesignsGivesOneSummaryRowPerDesign) {
  Sandbox box;
  for (const char* name :
       {"compare-designs.answers", "design-2-of-10.par", "design-5-of-10.par", "design-10-of-10.par", "stop.par"}) {
    box.writeFile(name, readFile(fs::path(ARRIBADA_SOURCE_DIR) / "examples" / name));
  }
  const auto result =
      box.run(readFile(box.directory() / "compare-designs.answers"), "compare-designs.report", "--results designs");
  EXPECT_EQ(result.status, 0) << result.errors;
  const CsvTable summary = readCsv(result.directory / "designs" / "summary.csv");
  ASSERT_EQ(summary.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(summary[i].at("job"), std::to_string(i + 1));
    const std::vector<std::string> strips = {"2", "5", "10"};
    EXPECT_EQ(summary[i].at("IC"), strips[i]);
    EXPECT_TRUE(fs::exists(result.directory / "designs" / ("simulation-" + std::to_string(i + 1) + ".svg")));
  }
  EXPECT_EQ(readCsv(result.directory / "designs" / "replicates.csv").size(), 3u * 200u);
  // summary.svg: a row per design, a tick per replicate (and six in the legend).
  const std::string all = readFile(result.directory / "designs" / "summary.svg");
  for (const char* row : {">Job 1: IC = 2 of", ">Job 2: IC = 5 of", ">Job 3: IC = 10 of"}) {
    EXPECT_NE(all.find(row), std::string::npos) << row;
  }
  std::size_t ticks = 0;
  for (auto at = all.find("stroke-opacity"); at != std::string::npos; at = all.find("stroke-opacity", at + 1)) ++ticks;
  EXPECT_EQ(ticks, 3u * 200u + 6u);
  EXPECT_FALSE(fs::exists(result.directory / "designs" / "summary.svg.part"));
  expectWellFormedPictures(result.directory / "designs");
}

}  // namespace
}  // namespace arribada::e2e

namespace arribada::e2e {
namespace {

// arribada --field: the dialogue's figures for one file, a table on standard
// output, the tables and the picture with --results, and no dialogue.
TEST(FieldModeTest, OneFileGivesTheDialoguesFiguresAndTheTotal) {
  Sandbox box;
  box.writeFile("survey.dat", kWorkedExample);
  const auto dialogue = box.run("'report.txt'\nY\n'survey.dat'\n", "report.txt", "--results dialogue");
  ASSERT_EQ(dialogue.status, 0) << dialogue.errors;
  const auto field = box.run("", "none.txt", "--field survey.dat --results field");
  ASSERT_EQ(field.status, 0) << field.errors;
  EXPECT_EQ(field.screen.find("ENTER"), std::string::npos);  // no question asked
  EXPECT_NE(field.screen.find("total"), std::string::npos) << field.screen;
  const CsvTable job = readCsv(box.directory() / "dialogue" / "field.csv");
  const CsvTable nights = readCsv(box.directory() / "field" / "field.csv");
  ASSERT_EQ(nights.size(), 2u);
  EXPECT_EQ(nights[1].at("night"), "total");
  for (const char* column : {"estimate", "variance", "se", "LCL", "UCL", "uelas_counted"}) {
    EXPECT_EQ(nights[0].at(column), job[0].at(column)) << column;
    EXPECT_EQ(nights[1].at(column), job[0].at(column)) << column;
  }
  EXPECT_EQ(nights[0].at("lognormal_from"), "variance");
  expectWellFormedPictures(box.directory() / "field");
}

TEST(FieldModeTest, AFaultyCountIsNamedByFileRowAndColumn) {
  Sandbox box;
  box.writeFile("night.csv", "# AREA = 1\n# WIDTH = 250\n# HOURS = 60\n# MEANT = 60\n# LENGTH = 1000\n"
                             "time;T1;T2\n19:00;1;\n");
  const auto result = box.run("", "none.txt", "--field night.csv --results out");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.errors.find("'night.csv', row 7, column 3"), std::string::npos) << result.errors;
  EXPECT_FALSE(fs::exists(box.directory() / "out"));
}

}  // namespace
}  // namespace arribada::e2e
