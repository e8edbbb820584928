// The command line: --version and --help stop before any question, an
// unknown option is refused, and names keep their role beside the options.

#include "e2e/harness.hpp"

namespace arribada::e2e {
namespace {

TEST(OptionsTest, VersionPrintsNameAndVersionOnly) {
  Sandbox box;
  const auto result = box.run("", "report.txt", "--version");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.screen, "arribada 1.0.0\n");
  EXPECT_EQ(result.errors, "");
}

TEST(OptionsTest, HelpNamesEveryOptionAndAsksNothing) {
  Sandbox box;
  const auto result = box.run("", "report.txt", "--help");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.screenLines.at(0).rfind("arribada 1.0.0: ", 0), 0u) << result.screen;
  for (const char* part : {"Usage: arribada [OPTION]... [NAME]...", "arribada < answers.txt", "  --results DIR",
                           "  --version", "  --help", "README"}) {
    EXPECT_NE(result.screen.find(part), std::string::npos) << part;
  }
  EXPECT_EQ(result.screen.find("OUTPUT FILE NAME"), std::string::npos);
}

TEST(OptionsTest, UnknownOptionIsRefusedByName) {
  Sandbox box;
  const auto result = box.run("'report.txt'\n", "report.txt", "names.txt --verbose");
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.screen, "");
  EXPECT_NE(result.errors.find("'--verbose'"), std::string::npos) << result.errors;
  EXPECT_FALSE(result.reportExists);
}

// After "--" even a name that begins with "--" fills a blank name.
TEST(OptionsTest, NamesAfterTheEndOfOptions) {
  Sandbox box;
  const auto result = box.run("''\n\nY\n50000\n", "--odd.txt", "-- --odd.txt");
  EXPECT_TRUE(result.reportExists) << result.errors;
  EXPECT_EQ(slice(result.report, 0, 1), std::vector<std::string>{" THE DATE & TIME ARE"});
}

}  // namespace
}  // namespace arribada::e2e
