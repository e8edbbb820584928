// A design search spread over tasks: --tasks counts them, --task K writes
// part K, --collect checks the parts and writes what the one-shot search
// writes, byte for byte; parts that are missing, doubled or of another
// search are refused before any folder is made.

#include "e2e/harness.hpp"

namespace arribada::e2e {
namespace {

namespace fs = std::filesystem;

int shell(const Sandbox& box, const std::string& command) {
  const std::string line = "cd '" + box.directory().string() + "' && A='" + ARRIBADA_BINARY + "' && " + command;
  const int raw = std::system(line.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(DesignTasksTest, CollectedPartsGiveTheOneShotFilesByteForByte) {
  Sandbox box;
  box.writeFile("beach.design", readFile(fs::path(ARRIBADA_SOURCE_DIR) / "examples" / "beach.design"));
  ASSERT_EQ(shell(box, "\"$A\" --design beach.design --results one > one.txt 2> /dev/null"), 0);
  ASSERT_EQ(shell(box, "\"$A\" --design beach.design --tasks > tasks.txt 2> /dev/null"), 0);
  // Two scenarios, the shipped example's two densities: two tasks.
  EXPECT_EQ(readFile(box.directory() / "tasks.txt"), "2\n");
  // In reverse order, as a cluster may finish them.
  ASSERT_EQ(shell(box, "for k in 2 1; do \"$A\" --design beach.design --task $k --results parts 2> /dev/null || exit 1; "
                       "done"),
            0);
  ASSERT_EQ(shell(box, "\"$A\" --collect parts --results collected > collected.txt 2> /dev/null"), 0);
  EXPECT_EQ(readFile(box.directory() / "collected.txt"), readFile(box.directory() / "one.txt"));
  for (const char* file : {"designs.csv", "design-replicates.csv", "designs.svg"}) {
    EXPECT_EQ(readFile(box.directory() / "collected" / file), readFile(box.directory() / "one" / file)) << file;
  }
}

const std::string kDesign =
    "NTR = 10\nNN = 2000, 3000\nIHR = 24\nIREP = 5\nIC = 2, 5\n"
    "ROUND_MINUTES = 30\nSTRIP_MINUTES = 10\nTARGET_CV = 0.5\n";

struct CollectCase {
  const char* name;
  std::string prepare;  // after parts/ holds tasks 1 and 2 of kDesign
  std::string said;
};

class CollectFaultTest : public ::testing::TestWithParam<CollectCase> {};

TEST_P(CollectFaultTest, IsRefusedBeforeAnyFolder) {
  const CollectCase& c = GetParam();
  Sandbox box;
  box.writeFile("a.design", kDesign);
  box.writeFile("b.design", kDesign + "# another file\n");
  ASSERT_EQ(shell(box, "for k in 1 2; do \"$A\" --design a.design --task $k --results parts 2> /dev/null; done"), 0);
  ASSERT_EQ(shell(box, c.prepare), 0);
  EXPECT_EQ(shell(box, "\"$A\" --collect parts --results out > /dev/null 2> errors.out"), 2);
  const std::string errors = readFile(box.directory() / "errors.out");
  EXPECT_NE(errors.find(c.said), std::string::npos) << errors;
  EXPECT_FALSE(fs::exists(box.directory() / "out"));
}

INSTANTIATE_TEST_SUITE_P(
    Parts, CollectFaultTest,
    ::testing::Values(
        CollectCase{"Missing", "rm parts/part-2.txt", "the parts of task(s) 2 of 2 are missing"},
        CollectCase{"AnotherSearch", "\"$A\" --design b.design --task 2 --results parts 2> /dev/null",
                    "is a part of another search"},
        CollectCase{"Doubled", "cp parts/part-1.txt parts/part-01.txt", "are both task 1"},
        CollectCase{"CutShort", "head -c 300 parts/part-1.txt > cut && mv cut parts/part-1.txt",
                    "not a whole part of a design search task"},
        CollectCase{"Empty", "rm parts/part-*.txt", "holds no parts"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DesignTasksTest, TaskOutsideTheSearchIsRefused) {
  Sandbox box;
  box.writeFile("a.design", kDesign);
  EXPECT_EQ(shell(box, "\"$A\" --design a.design --task 3 --results parts 2> errors.out"), 2);
  EXPECT_NE(readFile(box.directory() / "errors.out").find("task 3 does not exist: a.design has 2 task(s), 1 to 2"),
            std::string::npos);
  EXPECT_FALSE(fs::exists(box.directory() / "parts" / "part-3.txt"));
}

}  // namespace
}  // namespace arribada::e2e
