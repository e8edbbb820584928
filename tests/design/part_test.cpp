// A task's part: the order of the tasks (longest expected first), the exact
// return of every replicate estimate, and the refusal of text that is not a
// whole part.

#include <gtest/gtest.h>

#include <sstream>

#include "design/design_file.hpp"
#include "design/part.hpp"
#include "text/errors.hpp"

namespace arribada::design {
namespace {

const std::string kSettings =
    "NTR = 10\nNN = 1000, 5000\nIHR = 24\nIREP = 3\nJX = 12345\nIC = 2, 4\nEVERY = 2, 3\n"
    "ROUND_MINUTES = 30\nSTRIP_MINUTES = 10\nTARGET_CV = 0.5\n";

SearchSettings parsed(const std::string& text) {
  std::istringstream in(text);
  return parseDesignFile(in, "test.design");
}

struct OrderCase {
  const char* name;
  std::string lines;  // NN and DENSITY
  std::vector<std::int32_t> scenarios;
};

class TaskOrderTest : public ::testing::TestWithParam<OrderCase> {};

// Expected seconds are NN x IREP x the cost of a female, five times higher
// on an uneven beach: 1000 uneven (5000 units) runs before 4000 even.
TEST_P(TaskOrderTest, LongestExpectedFirst) {
  const OrderCase& c = GetParam();
  const SearchSettings settings = parsed("NTR = 10\n" + c.lines + "IHR = 24\nIREP = 3\nIC = 2\n"
                                         "ROUND_MINUTES = 30\nSTRIP_MINUTES = 10\nTARGET_CV = 0.5\n");
  EXPECT_EQ(taskScenarios(settings), c.scenarios);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, TaskOrderTest,
    ::testing::Values(OrderCase{"ByFemales", "NN = 1000, 5000, 3000\n", {1, 2, 0}},
                      OrderCase{"TiesKeepTheirOrder", "NN = 2000, 2000\n", {0, 1}},
                      // Scenarios are NN x densities: (1000, even), (1000, 1/4), (4000, even), (4000, 1/4).
                      OrderCase{"UnevenBeachCostsMore", "NN = 1000, 4000\nDENSITY = 1\nDENSITY = 1, 4\n", {3, 1, 2, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PartTest, ReadBackIsTheTasksResultExactly) {
  const SearchSettings settings = parsed(kSettings);
  ScenarioResult ran = runScenario(settings, 1);
  // Values a decimal text with few digits would not give back.
  ran.designs[0].replicates[0].MHAT = 0.1f;
  ran.designs[0].replicates[0].VARTI = 1.0f / 3.0f;
  measureScenario(settings, ran);
  const TaskPart part = readPart(partText({kSettings, 1, 2, ran}), "part-1.txt");
  EXPECT_EQ(part.task, 1);
  EXPECT_EQ(part.tasks, 2);
  EXPECT_EQ(part.settingsText, kSettings);
  const ScenarioResult& back = part.result;
  EXPECT_EQ(back.scenario.NN, 5000);
  EXPECT_EQ(back.replicates, ran.replicates);
  EXPECT_EQ(back.independentReplicates, ran.independentReplicates);
  ASSERT_EQ(back.designs.size(), ran.designs.size());
  for (std::size_t d = 0; d < ran.designs.size(); ++d) {
    const DesignOutcome& a = ran.designs[d];
    const DesignOutcome& b = back.designs[d];
    EXPECT_EQ(b.skipped, a.skipped);
    EXPECT_EQ(b.cost.observerHours, a.cost.observerHours);
    ASSERT_EQ(b.replicates.size(), a.replicates.size());
    for (std::size_t L = 0; L < a.replicates.size(); ++L) {
      EXPECT_EQ(b.replicates[L].MHAT, a.replicates[L].MHAT);
      EXPECT_EQ(b.replicates[L].VARTI, a.replicates[L].VARTI);
      EXPECT_EQ(b.replicates[L].UCL, a.replicates[L].UCL);
    }
    EXPECT_EQ(b.measures.rmse, a.measures.rmse);
    EXPECT_EQ(b.meetsTargets, a.meetsTargets);
  }
}

struct BrokenCase {
  const char* name;
  std::string from, to;  // replaced once in a good part
  std::string said;
};

class BrokenPartTest : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenPartTest, IsRefusedNamingTheLine) {
  const BrokenCase& c = GetParam();
  const SearchSettings settings = parsed(kSettings);
  std::string text = partText({kSettings, 2, 2, runScenario(settings, 0)});
  const auto at = text.find(c.from);
  ASSERT_NE(at, std::string::npos) << c.from;
  text.replace(at, c.from.size(), c.to);
  try {
    readPart(text, "part-2.txt");
    FAIL() << "accepted";
  } catch (const text::RunTimeError& error) {
    EXPECT_NE(std::string(error.what()).find(c.said), std::string::npos) << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Parts, BrokenPartTest,
    ::testing::Values(
        BrokenCase{"OtherFirstLine", "arribada design part 1", "arribada design part 9", "part-2.txt, line 1:"},
        // The settings changed after the hash was written.
        BrokenCase{"SettingsEdited", "IREP = 3", "IREP = 4", "do not have the hash written with them"},
        BrokenCase{"DecimalEstimate", "\nr ", "\nr 12.5x ", "is not a valid estimate"},
        BrokenCase{"NoEnd", "end\n", "", "the part ends early"},
        BrokenCase{"ScenarioOutOfRange", "scenario 0 ", "scenario 7 ", "no such scenario"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace arribada::design
