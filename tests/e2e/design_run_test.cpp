// arribada --design FILE: the table on standard output and the files in the
// folder named after the design file; a faulty file or an existing folder
// stops the run with status 2 before any folder is made.

#include <limits>

#include "e2e/results_files.hpp"

namespace arribada::e2e {
namespace {

const std::string kDesign =
    "NTR = 10\nNN = 2000\nIHR = 24\nIREP = 100\nIC = 2, 3, 5\nEVERY = 2, 3\n"
    "ROUND_MINUTES = 30\nSTRIP_MINUTES = 10\nTARGET_CV = 0.5\n";

// The design the targets' rule picks from designs.csv's own figures: among
// feasible designs judged on enough replicates whose relative RMSE less two
// standard errors is at most TARGET_CV and whose coverage plus two standard
// errors reaches 0.95, the one of fewest observer-hours. Its recommendation
// line, "Recommended: IC ic, every e h", or none when no design meets them.
std::string recommendationByTheRule(const CsvTable& designs, double targetCV) {
  double cheapest = std::numeric_limits<double>::infinity();
  std::string line;
  for (const auto& row : designs) {
    const bool meets = row.at("feasible") == "TRUE" && row.at("judged") == "TRUE" &&
                       std::stod(row.at("relative_rmse")) - 2 * std::stod(row.at("relative_rmse_se")) <= targetCV &&
                       std::stod(row.at("coverage")) + 2 * std::stod(row.at("coverage_se")) >= 0.95;
    EXPECT_EQ(row.at("meets_targets"), meets ? "TRUE" : "FALSE") << row.at("IC") << " every " << row.at("EVERY");
    if (meets && std::stod(row.at("observer_hours")) < cheapest) {
      cheapest = std::stod(row.at("observer_hours"));
      line = "Recommended: IC " + row.at("IC") + ", every " + row.at("EVERY") + " h";
    }
  }
  return line;
}

TEST(DesignRunTest, TableRecommendationAndFiles) {
  Sandbox box;
  box.writeFile("beach.design", kDesign);
  const auto result = box.run("", "none", "--design beach.design");
  ASSERT_EQ(result.status, 0) << result.errors;
  EXPECT_NE(result.screen.find("skipped in scenario 1: IC 3, every 2 h, first strip: IC = 3 does not divide NTR"),
            std::string::npos) << result.screen;
  for (const char* file : {"designs.csv", "design-replicates.csv", "designs.svg"}) {
    EXPECT_TRUE(std::filesystem::exists(box.directory() / "beach-designs" / file)) << file;
  }
  // The 80-column table: the recommendation first, no line wider than the screen.
  const std::string recommended = recommendationByTheRule(readCsv(box.directory() / "beach-designs" / "designs.csv"), 0.5);
  ASSERT_FALSE(recommended.empty()) << "at TARGET_CV 0.5 some design of 5 strips in 10 meets the targets";
  EXPECT_EQ(result.screenLines.front().rfind(recommended, 0), 0u) << recommended << "\n" << result.screen;
  for (const std::string& line : result.screenLines) EXPECT_LE(line.size(), 80u) << line;
  EXPECT_NE(result.errors.find("1 scenario(s) x 6 design(s) (2 skipped), 100 replicates each"), std::string::npos);
  const auto wide = box.run("", "none", "--design beach.design --wide --results wide");
  ASSERT_EQ(wide.status, 0) << wide.errors;
  EXPECT_EQ(wide.screenLines.back().rfind(recommended, 0), 0u) << wide.screen;
  EXPECT_NE(wide.screenLines.front().find("round-min  obs-hours  feasible"), std::string::npos) << wide.screen;
  const auto again = box.run("", "none", "--design beach.design");
  EXPECT_EQ(again.status, 2);
  EXPECT_NE(again.errors.find("beach-designs"), std::string::npos) << again.errors;
}

// Too few replicates to judge: the search runs and shows its figures, but
// says so and recommends nothing.
TEST(DesignRunTest, TooFewReplicatesAreShownButNotJudged) {
  Sandbox box;
  std::string few = kDesign;
  few.replace(few.find("IREP = 100"), 10, "IREP = 10");
  box.writeFile("beach.design", few);
  const auto result = box.run("", "none", "--design beach.design");
  ASSERT_EQ(result.status, 0) << result.errors;
  EXPECT_NE(result.screen.find("not judged in scenario 1: 10 independent replicates, fewer than the 100 needed"),
            std::string::npos) << result.screen;
  EXPECT_EQ(result.screenLines.front().rfind("No design can be recommended: a design is judged only on 100", 0), 0u)
      << result.screen;
}

TEST(DesignRunTest, FaultyFileMakesNoFolder) {
  Sandbox box;
  box.writeFile("beach.design", kDesign + "EVERY = 0\n");
  const auto result = box.run("", "none", "--design beach.design --results out");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.errors.find("beach.design, line 10: EVERY is given again"), std::string::npos) << result.errors;
  EXPECT_FALSE(std::filesystem::exists(box.directory() / "out"));
}

// A pilot named relative to the design file's folder, run from another one:
// its scenario and its own design (3 transects every 2 hours, 9 strips) in the table.
TEST(DesignRunTest, PilotBesideTheDesignFile) {
  Sandbox box;
  std::filesystem::create_directories(box.directory() / "plans");
  box.writeFile("plans/pilot.csv", "# AREA = 0.1\n# WIDTH = 5\n# HOURS = 8\n# MEANT = 30\n# LENGTH = 150\n"
                                   "time,A,B,C\n0,1,4,2\n2,3,9,4\n4,2,6,3\n6,0,2,1\n");
  box.writeFile("plans/next.design", "NTR = 9\nPILOT = pilot.csv\nNN_FACTOR = 1, 2\nIREP = 5\nIC = 9\nEVERY = 4\n"
                                     "ROUND_MINUTES = 10\nSTRIP_MINUTES = 1\nTARGET_CV = 0.5\n");
  const auto result = box.run("", "none", "--design plans/next.design");
  ASSERT_EQ(result.status, 0) << result.errors;
  EXPECT_NE(result.screen.find("from pilot pilot.csv: NN its estimate"), std::string::npos) << result.screen;
  EXPECT_NE(result.screen.find("IC 3, every 2 h, first strip is how pilot pilot.csv was counted"), std::string::npos)
      << result.screen;
  // Every 4 h meets the pilot's 2-hour steps at other phases: one warning for both of its scenarios.
  EXPECT_NE(result.screen.find("warning in scenarios 1, 2: the pilot's nesting curve steps every 2 h;"),
            std::string::npos) << result.screen;
  EXPECT_NE(readFile(box.directory() / "plans" / "next-designs" / "designs.csv").find("pilot pilot.csv"),
            std::string::npos);
}

// An interrupt stops the search between replicates: a line saying where,
// status 128 + the signal, and the folder it made for its results removed.
TEST(DesignRunTest, InterruptStopsInOrderAndLeavesNoFolder) {
  Sandbox box;
  box.writeFile("long.design", "NTR = 10\nNN = 1000000\nIREP = 1000\nKSW = 2\nIC = 2, 5\n"
                               "ROUND_MINUTES = 30\nSTRIP_MINUTES = 10\nTARGET_CV = 0.1\n");
  LiveRun run(box.directory(), LiveRun::ScreenTo::File, {"--design", "long.design"});
  ASSERT_TRUE(LiveRun::waitForText(box.directory() / "errors.out", "replicate 1 of 1000", 60));
  run.sendSignal(SIGTERM);
  const int status = run.wait();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 143) << "wait status " << status;
  const std::string errors = readFile(box.directory() / "errors.out");
  EXPECT_NE(errors.find("design search interrupted in scenario 1 of 1 after replicate"), std::string::npos) << errors;
  EXPECT_FALSE(std::filesystem::exists(box.directory() / "long-designs"));
  EXPECT_EQ(readFile(box.directory() / "screen.out"), "");
}

}  // namespace
}  // namespace arribada::e2e
