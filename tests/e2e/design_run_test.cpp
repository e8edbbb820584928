// arribada --design FILE: the table on standard output and the files in the
// folder named after the design file; a faulty file or an existing folder
// stops the run with status 2 before any folder is made.

#include "e2e/harness.hpp"

namespace arribada::e2e {
namespace {

const std::string kDesign =
    "NTR = 10\nNN = 2000\nIHR = 24\nIREP = 5\nIC = 2, 3, 5\nEVERY = 2, 3\n"
    "ROUND_MINUTES = 30\nSTRIP_MINUTES = 10\nTARGET_CV = 0.5\n";

TEST(DesignRunTest, TableRecommendationAndFiles) {
  Sandbox box;
  box.writeFile("beach.design", kDesign);
  const auto result = box.run("", "none", "--design beach.design");
  ASSERT_EQ(result.status, 0) << result.errors;
  EXPECT_NE(result.screen.find("skipped in scenario 1: IC 3, every 2 h, first strip: IC = 3 does not divide NTR = 10"),
            std::string::npos) << result.screen;
  EXPECT_EQ(result.screenLines.back().rfind("Recommended: IC 2, every 3 h", 0), 0u) << result.screen;
  EXPECT_NE(result.errors.find("1 scenario(s) x 6 design(s) (2 skipped), 5 replicates each"), std::string::npos);
  for (const char* file : {"designs.csv", "design-replicates.csv", "designs.svg"}) {
    EXPECT_TRUE(std::filesystem::exists(box.directory() / "beach-designs" / file)) << file;
  }
  const auto again = box.run("", "none", "--design beach.design");
  EXPECT_EQ(again.status, 2);
  EXPECT_NE(again.errors.find("beach-designs"), std::string::npos) << again.errors;
}

TEST(DesignRunTest, FaultyFileMakesNoFolder) {
  Sandbox box;
  box.writeFile("beach.design", kDesign + "EVERY = 0\n");
  const auto result = box.run("", "none", "--design beach.design --results out");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.errors.find("beach.design, line 10: EVERY is given again"), std::string::npos) << result.errors;
  EXPECT_FALSE(std::filesystem::exists(box.directory() / "out"));
}

}  // namespace
}  // namespace arribada::e2e
