#include "entry/parameter_file.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "text/errors.hpp"

namespace arribada::entry {
namespace {

// Groups 2 and 3 of a parameter file (its title line already read).
struct FileRead {
  engine::SimulationParameters p;
  engine::NestingTable table;
  std::string rest;  // what the read left unread, from the next line on

  explicit FileRead(const std::string& afterTitle) {
    std::istringstream in(afterTitle);
    text::LineSource file(in, "file 'test.par'");
    table = readParameterValues(file, p);
    for (std::string line; file.next(line);) rest += line + "\n";
  }
};

void readOnly(const std::string& afterTitle) {
  engine::SimulationParameters p;
  std::istringstream in(afterTitle);
  text::LineSource file(in, "file 'test.par'");
  readParameterValues(file, p);
}

const std::string kDefaults = "10 5 50000 60 0 5.0 100 2.0 1\n";

TEST(ParameterFile, KeyboardDefaultsWithJxZeroComeBackAsRead) {
  const FileRead r(kDefaults + "next line\n");
  EXPECT_EQ(r.p.NTR, 10);
  EXPECT_EQ(r.p.IC, 5);
  EXPECT_EQ(r.p.NN, 50000);
  EXPECT_EQ(r.p.IHR, 60);
  EXPECT_EQ(r.p.JX, 0);  // the finishing steps compute it
  EXPECT_EQ(r.p.MIN, 5.0f);
  EXPECT_EQ(r.p.IREP, 100);
  EXPECT_EQ(r.p.STDDEV, 2.0f);
  EXPECT_EQ(r.p.KSW, 1);
  EXPECT_EQ(r.p.NTI, 0);  // nor is NTI set here
  // The built-in table of five 12-hour intervals; no table is read.
  EXPECT_EQ(r.table.KK, 5);
  EXPECT_EQ(r.table.UINT[4], 60.0f);
  EXPECT_EQ(r.table.PERCNT[4], 1.0f);
  EXPECT_EQ(r.rest, "next line\n");
}

TEST(ParameterFile, NineValuesOnOneLineOrOnePerLineReadTheSame) {
  const FileRead oneLine("20 4 1000 24 77 2.5 3 0.5 3\n");
  const FileRead perLine("20\n4\n1000\n24\n77\n2.5\n3\n0.5\n3\n");
  const FileRead mixed("\n20, 4\n 1000 24\n\n77 2.5 3 0.5\n3 and a remark\n");
  for (const FileRead* r : {&oneLine, &perLine, &mixed}) {
    EXPECT_EQ(r->p.NTR, 20);
    EXPECT_EQ(r->p.IC, 4);
    EXPECT_EQ(r->p.NN, 1000);
    EXPECT_EQ(r->p.IHR, 24);
    EXPECT_EQ(r->p.JX, 77);
    EXPECT_EQ(r->p.MIN, 2.5f);
    EXPECT_EQ(r->p.IREP, 3);
    EXPECT_EQ(r->p.STDDEV, 0.5f);
    EXPECT_EQ(r->p.KSW, 3);
    EXPECT_EQ(r->table.KK, 2);
  }
}

TEST(ParameterFile, IhrEighteenReadsNoTableAndBecomesTwentyFour) {
  const FileRead r("10 5 50000 18 0 5.0 100 2.0 1\n");
  EXPECT_EQ(r.p.IHR, 24);
  EXPECT_EQ(r.table.KK, 2);
  EXPECT_FLOAT_EQ(r.table.PERCNT[0], 0.96f);
  EXPECT_EQ(r.table.PERCNT[1], 1.0f);
}

TEST(ParameterFile, LongestArribadaThatFitsTheTable) {
  // 209 hours round to 204: 17 intervals.
  const FileRead r("10 5 50000 209 0 5.0 100 2.0 1\n");
  EXPECT_EQ(r.p.IHR, 204);
  EXPECT_EQ(r.table.KK, 17);
}

TEST(ParameterFile, ShortArribadaReadsItsTable) {
  // Weights 1 2 1 of 4: cumulative .25, .75, 1.0; the last mark is the length.
  const FileRead r("10 5 50000 3 0 5.0 100 2.0 1\n4 8 12 1 2 1\n");
  EXPECT_EQ(r.p.IHR, 12);
  EXPECT_EQ(r.table.KK, 3);
  EXPECT_EQ(r.table.UINT[0], 4.0f);
  EXPECT_EQ(r.table.UINT[1], 8.0f);
  EXPECT_EQ(r.table.UINT[2], 12.0f);
  EXPECT_FLOAT_EQ(r.table.PERCNT[0], 0.25f);
  EXPECT_FLOAT_EQ(r.table.PERCNT[1], 0.75f);
  EXPECT_EQ(r.table.PERCNT[2], 1.0f);
}

TEST(ParameterFile, TableBeginsOnTheLineAfterTheNinthValue) {
  // "4 8 12" after KSW is a remark: read as the table it would give the
  // weights 4 8 12 (cumulative 1/6, 1/2) instead of 1 2 1.
  const FileRead r("10 5 50000 3 0 5.0 100 2.0 1 4 8 12\n4 8 12\n1 2 1 and a remark\nrest\n");
  EXPECT_FLOAT_EQ(r.table.PERCNT[0], 0.25f);
  EXPECT_FLOAT_EQ(r.table.PERCNT[1], 0.75f);
  EXPECT_EQ(r.rest, "rest\n");
}

TEST(ParameterFile, AllHourMarksComeBeforeAllWeights) {
  // Seventeen marks 1 ... 17, then seventeen weights of 1.
  std::string table;
  for (int i = 1; i <= 17; ++i) table += std::to_string(i) + (i % 5 == 0 ? "\n" : " ");
  table += "\n17*1\n";
  const FileRead r("10 5 50000 17 0 5.0 100 2.0 1\n" + table);
  EXPECT_EQ(r.table.KK, 17);
  EXPECT_EQ(r.p.IHR, 17);
  EXPECT_EQ(r.table.UINT[16], 17.0f);
  EXPECT_FLOAT_EQ(r.table.PERCNT[0], 1.0f / 17.0f);
  EXPECT_FLOAT_EQ(r.table.PERCNT[8], 9.0f / 17.0f);
}

TEST(ParameterFile, AcceptsWhatTheKeyboardWouldNot) {
  // IC 3 does not divide NTR 10; IREP 1; NN 5; STDDEV 0; a last mark of 204.5.
  const FileRead r("10 3 5 2 0 0.5 1 0 2\n100 204.5 0 1\n");
  EXPECT_EQ(r.p.IC, 3);
  EXPECT_EQ(r.p.IREP, 1);
  EXPECT_EQ(r.p.NN, 5);
  EXPECT_EQ(r.p.STDDEV, 0.0f);
  EXPECT_EQ(r.p.IHR, 204);
  EXPECT_EQ(r.table.PERCNT[0], 0.0f);
}

class PlainStop : public ::testing::TestWithParam<std::string> {};

TEST_P(PlainStop, StopsTheRun) { EXPECT_THROW(readOnly(GetParam()), text::OrderlyStop); }

INSTANTIATE_TEST_SUITE_P(ParameterFile, PlainStop,
                         ::testing::Values("10 5 50000 60 0 5.0 100 2.0 0\n", "10 5 50000 60 0 5.0 100 2.0 4\n",
                                           "10 5 50000 60 0 5.0 100 2.0 -1\n", "0 5 50000 60 0 5.0 100 2.0 1\n",
                                           "-3 5 50000 60 0 5.0 100 2.0 1\n", "10 5 50000 0 0 5.0 100 2.0 1\n",
                                           "10 5 50000 -1 0 5.0 100 2.0 1\n",
                                           // The stops come before the refusals.
                                           "0 5 50000 60 0 5.0 5000 2.0 1\n", "10 0 0 60 0 0 0 -1 0\n",
                                           "2000 5 50000 500 0 5.0 100 2.0 9\n"));

struct Refusal {
  std::string name;
  std::string text;
  std::string inMessage;
};

class RefusedValue : public ::testing::TestWithParam<Refusal> {};

TEST_P(RefusedValue, RunTimeErrorNamingTheValueAndTheFile) {
  const Refusal& r = GetParam();
  try {
    readOnly(r.text);
    FAIL() << "no error for " << r.name;
  } catch (const text::RunTimeError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find(r.inMessage), std::string::npos) << message;
    EXPECT_NE(message.find("test.par"), std::string::npos) << message;
  }
}

INSTANTIATE_TEST_SUITE_P(
    ParameterFile, RefusedValue,
    ::testing::Values(Refusal{"TooManyStrips", "1001 5 50000 60 0 5.0 100 2.0 1\n", "NTR = 1001"},
                      Refusal{"TooManyReplicates", "10 5 50000 60 0 5.0 1001 2.0 1\n", "IREP = 1001"},
                      Refusal{"NoReplicates", "10 5 50000 60 0 5.0 0 2.0 1\n", "IREP = 0"},
                      Refusal{"NoStripSampled", "10 0 50000 60 0 5.0 100 2.0 1\n", "IC = 0"},
                      Refusal{"MoreSampledThanStrips", "10 11 50000 60 0 5.0 100 2.0 1\n", "IC = 11"},
                      Refusal{"NoFemales", "10 5 0 60 0 5.0 100 2.0 1\n", "NN = 0"},
                      Refusal{"NegativeFemales", "10 5 -5 60 0 5.0 100 2.0 1\n", "NN = -5"},
                      Refusal{"ArribadaBeyondTheGrid", "10 5 50000 210 0 5.0 100 2.0 1\n", "IHR = 210"},
                      Refusal{"HugeArribada", "10 5 50000 2147483647 0 5.0 100 2.0 1\n", "IHR = 2147483647"},
                      Refusal{"NoNestingMinutes", "10 5 50000 60 0 0 100 2.0 1\n", "MIN = 0"},
                      Refusal{"NegativeNestingMinutes", "10 5 50000 60 0 -1 100 2.0 1\n", "MIN = -1"},
                      Refusal{"NegativeDeviation", "10 5 50000 60 0 5.0 100 -0.5 1\n", "STDDEV = -0.5"},
                      Refusal{"WeightsAllZero", "10 5 50000 3 0 5.0 100 2.0 1\n4 8 12 0 0 0\n", "add up to 0"},
                      Refusal{"NegativeWeight", "10 5 50000 3 0 5.0 100 2.0 1\n4 8 12 1 -1 2\n", "weight 2 = -1"},
                      Refusal{"MarksNotRising", "10 5 50000 3 0 5.0 100 2.0 1\n4 4 12 1 1 1\n", "mark 2 = 4"},
                      Refusal{"MarksFalling", "10 5 50000 3 0 5.0 100 2.0 1\n4 8 6 1 1 1\n", "mark 3 = 6"},
                      Refusal{"FirstMarkZero", "10 5 50000 3 0 5.0 100 2.0 1\n0 8 12 1 1 1\n", "mark 1 = 0"},
                      Refusal{"LastMarkBeyondTheGrid", "10 5 50000 2 0 5.0 100 2.0 1\n100 205 1 1\n", "205"},
                      Refusal{"HugeLastMark", "10 5 50000 2 0 5.0 100 2.0 1\n100 1e30 1 1\n", "1e+30"},
                      Refusal{"LastMarkBelowOneHour", "10 5 50000 2 0 5.0 100 2.0 1\n0.25 0.5 1 1\n", "0.5"},
                      Refusal{"TableEndsEarly", "10 5 50000 3 0 5.0 100 2.0 1\n4 8 12 1 2\n", "end of input"},
                      Refusal{"ValuesEndEarly", "10 5 50000 60 0 5.0\n", "end of input"},
                      Refusal{"RealForAnInteger", "10 5 50000 60.0 0 5.0 100 2.0 1\n", "60.0"}),
    [](const auto& info) { return info.param.name; });

// The shipped parameter files read as their layout says.
engine::NestingTable readExample(const std::string& name, engine::SimulationParameters& p) {
  std::ifstream in(std::string(ARRIBADA_SOURCE_DIR) + "/examples/" + name);
  text::LineSource file(in, "file '" + name + "'");
  std::string title;
  EXPECT_TRUE(file.next(title)) << name;
  return readParameterValues(file, p);
}

TEST(ParameterFile, ShippedExamples) {
  engine::SimulationParameters p;
  EXPECT_EQ(readExample("default.par", p).KK, 5);
  EXPECT_EQ(p.NN, 50000);
  EXPECT_EQ(p.JX, 0);

  const engine::NestingTable table = readExample("short-arribada.par", p);
  EXPECT_EQ(p.IHR, 12);
  EXPECT_EQ(table.KK, 6);
  EXPECT_FLOAT_EQ(table.PERCNT[0], 1.0f / 20.0f);  // weights 1 3 6 6 3 1 of 20
  EXPECT_FLOAT_EQ(table.PERCNT[3], 16.0f / 20.0f);

  EXPECT_THROW(readExample("stop.par", p), text::OrderlyStop);
}

}  // namespace
}  // namespace arribada::entry
