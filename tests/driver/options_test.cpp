// Reading the command line: which argument is an option, a value or a name.

#include <gtest/gtest.h>

#include <stdexcept>

#include "driver/options.hpp"

namespace arribada::driver {
namespace {

struct ParseCase {
  std::vector<std::string> arguments;
  Options::Action action;
  std::optional<std::string> results;
  std::vector<std::string> names;
};

class ParseOptionsTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseOptionsTest, SortsTheArguments) {
  const Options options = parseOptions(GetParam().arguments);
  EXPECT_EQ(options.action, GetParam().action);
  EXPECT_EQ(options.resultsDirectory, GetParam().results);
  EXPECT_EQ(options.names, GetParam().names);
}

using A = Options::Action;
INSTANTIATE_TEST_SUITE_P(
    Lines, ParseOptionsTest,
    ::testing::Values(ParseCase{{"a.txt", "-", "-x", "b.dat"}, A::Run, std::nullopt, {"a.txt", "-", "-x", "b.dat"}},
                      ParseCase{{"a.txt", "--results", "out", "b.dat"}, A::Run, "out", {"a.txt", "b.dat"}},
                      ParseCase{{"--results=out"}, A::Run, "out", {}},
                      ParseCase{{"--", "--help", "--results"}, A::Run, std::nullopt, {"--help", "--results"}},
                      ParseCase{{"x", "--version"}, A::Version, std::nullopt, {"x"}},
                      ParseCase{{"--help"}, A::Help, std::nullopt, {}},
                      ParseCase{{"--field", "a.csv", "--results", "out", "b.dat"}, A::Field, "out", {"a.csv", "b.dat"}}));

TEST(ParseOptionsTest, RefusesUnknownOptionsAndMissingValues) {
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--verbose"}, {"--results"}, {"--results="}, {"--results", ""}, {"--Help"},
        // --field is a mode of its own, with its files after it.
        {"--field"}, {"x.txt", "--field", "a.csv"}, {"--field", "a.csv", "--version"}, {"--help", "--field", "a.csv"},
        {"--field", "a.csv", "--field", "b.csv"},
        {"--design"}, {"--design="}, {"--design", "a.design", "--field", "b.csv"}, {"--design", "a.design", "name"},
        {"--wide"}, {"--field", "a.csv", "--wide"}}) {
    EXPECT_THROW(parseOptions(arguments), std::invalid_argument) << arguments[0];
  }
}

TEST(ParseOptionsTest, DesignFileBesideResults) {
  const Options options = parseOptions({"--design=beach.design", "--results", "out"});
  EXPECT_EQ(options.designFile, "beach.design");
  EXPECT_EQ(options.resultsDirectory, "out");
  EXPECT_EQ(parseOptions({"--design", "b.design"}).designFile, "b.design");
  EXPECT_FALSE(parseOptions({"--design", "b.design"}).wide);
  EXPECT_TRUE(parseOptions({"--wide", "--design", "b.design"}).wide);
}

}  // namespace
}  // namespace arribada::driver
