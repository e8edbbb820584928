#include "fielddata/analysis.hpp"

#include <gtest/gtest.h>

#include <algorithm>

#include <sstream>
#include <string>
#include <vector>

#include "text/errors.hpp"

namespace arribada::fielddata {
namespace {

using Records = std::vector<std::string>;

// One analysis of a field-data file whose title line was already read.
struct Analysis {
  text::RecordingSink console;
  text::RecordingSink report;
  engine::SimulationParameters params;

  explicit Analysis(const std::string& afterTitle) {
    std::istringstream in(afterTitle);
    text::LineSource file(in, "file 'survey.dat'");
    analyseFieldData(file, console, report, params);
  }

  // The field of the report value line with this label.
  std::string value(const std::string& label) const {
    for (const std::string& record : report.records) {
      if (record.rfind("  " + label, 0) == 0) return record.substr(2 + label.size());
    }
    return "(no line " + label + ")";
  }
  bool reportHas(const std::string& record) const {
    for (const std::string& r : report.records) {
      if (r == record) return true;
    }
    return false;
  }
};

const std::string kEstimate = "ESTIMATED NUMBER OF FEMALE TURTLES=";
const std::string kVariance = "VARIANCE OF THE SAMPLES=";
const std::string kLower = "THE LOWER 95% CONFIDENCE LIMIT =";
const std::string kUpper = "THE UPPER 95% CONFIDENCE LIMIT =";
const std::string kSamples = "THE TOTAL NUMBER OF SAMPLES IS=";

// The report fields of the estimate, the variance and the two limits.
void expectResults(const Analysis& a, const std::string& estimate, const std::string& variance,
                   const std::string& lower, const std::string& upper) {
  EXPECT_EQ(a.value(kEstimate), estimate);
  EXPECT_EQ(a.value(kVariance), variance);
  EXPECT_EQ(a.value(kLower), lower);
  EXPECT_EQ(a.value(kUpper), upper);
}

// AREA 1, half-width 250 m, 60 hours, 60 minutes, 1000 m: sample area 0.5,
// ratio 0.5; 2 transects, 2 sampling times, counts 1 3 then 2 2.
const std::string kWorkedHeader = "1.0 250 60 60 1000 2 2 1 0\n";
const std::string kWorkedCounts = "1 3\n2 2\n";

TEST(FieldAnalysis, WorkedExampleReport) {
  const Analysis a(kWorkedHeader + kWorkedCounts);
  const Records expected = {
      "  TRANSECT HALF-WIDTH, IN M.=     250.0000",
      "  THE LENGTH OF THE ARRIBADA, IN HOURS.=      60.0000",
      "  THE MEAN TIME FOR UELA, IN HOURS =      60.0000",
      " THE TOTAL LENGTH OF THE TRANSECT IS    1000.000000",
      " THE NUMBER OF SAMPLE TRANSECTS IS          2",
      " THE NUMBER OF SAMPLING TIMES IS          2",
      " DATA ARE BEING READ BY CODE=       1.000000",
      "  THE POTENTIAL AREA USED BY THE POPULATION =     1.000000",
      "  THE SAMPLE AREA=      .500000",
      "  THE RATIO OF SAMPLE TO POPULATION AREA=      .500000",
      "  THE TOTAL NUMBER OF SAMPLES IS=         4",
      " NO.UELAS = UNAMBIGUOUS EGG-LAYING ACTIVITY       8.000000",
      "  ESTIMATED NUMBER OF FEMALE TURTLES=        480.0",
      "  VARIANCE OF THE SAMPLES=    .1440E+05",
      "  THE LOWER 95% CONFIDENCE LIMIT =     240.0000",
      "  THE UPPER 95% CONFIDENCE LIMIT =     720.0000",
      " OF THE ESTIMATED TOTAL POPULATION OF EGG-LAYING",
      " FEMALE TURTLES",
  };
  EXPECT_EQ(a.report.records, expected);
  EXPECT_EQ(a.params.NTR, 2);
  EXPECT_EQ(a.params.NN, 4);
}

TEST(FieldAnalysis, WorkedExampleConsole) {
  const Analysis a(kWorkedHeader + kWorkedCounts);
  const Records expected = {
      " TRANSECT HALF-WIDTH, IN M.=     250.000000",
      " THE LENGTH OF THE ARRIBADA, IN HOURS.=      60.000000",
      " THE MEAN TIME FOR UELA, IN HOURS =      60.000000",
      " THE TOTAL LENGTH OF THE TRANSECT IS    1000.000000",
      " THE NUMBER OF SAMPLE TRANSECTS IS          2",
      " THE NUMBER OF SAMPLING TIMES IS          2",
      " DATA ARE BEING READ BY CODE=       1.000000",
      " THE POTENTIAL AREA USED BY THE POPULATION =       1.000000",
      " THE SAMPLE AREA=   5.000000E-01",
      " RATIO=   5.000000E-01",
      " THE RATIO OF SAMPLE TO POPULATION AREA=   5.000000E-01",
      " THE TOTAL NUMBER OF SAMPLES IS=       4.000000",
      " NO.UELAS = UNAMBIGUOUS EGG-LAYING ACTIVITY       8.000000",
      " ESTIMATED NUMBER OF FEMALE TURTLES=     480.000000",
      " VARIANCE OF THE SAMPLES=   14400.000000",
      " THE LOWER 95% CONFIDENCE LIMIT =     240.000000",
      " THE UPPER 95% CONFIDENCE LIMIT =     720.000000",
      " OF THE ESTIMATED TOTAL POPULATION OF EGG-LAYING",
      " FEMALE TURTLES",
  };
  EXPECT_EQ(a.console.records, expected);
}

TEST(FieldAnalysis, SingleCountReadsNoCountsAndPrintsSentinelLimits) {
  // With one sink for both channels the order of the statements shows:
  // the message goes to the report first, then to the console.
  text::RecordingSink both;
  engine::SimulationParameters params;
  std::istringstream in("0.5 5 60 10 1000 1 1 1 0\nnot a count\n");
  text::LineSource file(in, "file 'one.dat'");
  analyseFieldData(file, both, both, params);
  ASSERT_GE(both.records.size(), 11u);
  const Records tail(both.records.end() - 11, both.records.end());
  const Records expected = {
      "  THE RATIO OF SAMPLE TO POPULATION AREA=      .020000",
      " 1 COUNT; VARIANCE CANNOT BE COMPUTED!!",
      " 1 COUNT; VARIANCE CANNOT BE COMPUTED!!",
      " THE LOWER 95% CONFIDENCE LIMIT =    -999.000000",
      " THE UPPER 95% CONFIDENCE LIMIT =    -999.000000",
      " OF THE ESTIMATED TOTAL POPULATION OF EGG-LAYING",
      " FEMALE TURTLES",
      "  THE LOWER 95% CONFIDENCE LIMIT =    -999.0000",
      "  THE UPPER 95% CONFIDENCE LIMIT =    -999.0000",
      " OF THE ESTIMATED TOTAL POPULATION OF EGG-LAYING",
      " FEMALE TURTLES",
  };
  EXPECT_EQ(tail, expected);
  for (const std::string& record : both.records) {
    EXPECT_EQ(record.find("SAMPLES IS"), std::string::npos) << record;
    EXPECT_EQ(record.find("ESTIMATED NUMBER"), std::string::npos) << record;
  }
  EXPECT_EQ(params.NN, 1);
  EXPECT_EQ(params.NTR, 1);
}

TEST(FieldAnalysis, AllCountsZero) {
  const Analysis a("1.0 250 60 60 1000 3 2 1 0\n0 0 0 0 0 0\n");
  expectResults(a, "           .0", "    .0000    ", "        .0000", "        .0000");
}

TEST(FieldAnalysis, EqualCountsAcrossTransectsHaveNoVariance) {
  // SS = 3 x 25 + 3 x 4 = 87, TI = 15 and 6: 3 x 87 - 261 = 0.
  // CONST = 60 / 1 / 0.5 / 2 = 60, SUM = 21: MHAT = 1260.
  const Analysis a("1.0 250 60 60 1000 3 2 1 0\n5 5 5\n2 2 2\n");
  expectResults(a, "       1260.0", "    .0000    ", "    1260.0000", "    1260.0000");
}

TEST(FieldAnalysis, MeanTimeIsGivenInMinutes) {
  // MEANT 30 is echoed as read and used as half an hour: CONST = 120,
  // MHAT = 960, variance 4 x 120^2 = 57600, standard error 240.
  const Analysis a("1.0 250 60 30 1000 2 2 1 0\n" + kWorkedCounts);
  EXPECT_EQ(a.value("THE MEAN TIME FOR UELA, IN HOURS ="), "      30.0000");
  expectResults(a, "        960.0", "    .5760E+05", "     480.0000", "    1440.0000");
}

TEST(FieldAnalysis, UnitWeightsWithLengthEqualToTransectsMatchTheUnweightedVariance) {
  // Counts 1 2 6 then 3 3 0: SS = 59, TI = 9 and 6, SSTI = 117, so
  // (3 x 59 - 117) / 2 = 30 either way. Sample area 3 x 250 x 2 m^2 =
  // 0.0015 km^2: CONST = 60 / 1 / 0.0015 / 2 = 20000, variance 1.2E10.
  const std::string counts = "1 2 6\n3 3 0\n";
  const Analysis plain("1.0 250 60 60 3 3 2 1 0\n" + counts);
  const Analysis weighted("1.0 250 60 60 3 3 2 1 1\n" + counts + "1 1 1\n");
  EXPECT_EQ(plain.value(kVariance), "    .1200E+11");
  EXPECT_EQ(weighted.value(kVariance), plain.value(kVariance));
  EXPECT_EQ(weighted.value(kLower), plain.value(kLower));
  EXPECT_EQ(weighted.value(kEstimate), plain.value(kEstimate));
  EXPECT_TRUE(weighted.reportHas(" EL=       1.000000        1.000000        1.000000"));
  for (const std::string& record : plain.report.records) EXPECT_EQ(record.rfind(" EL=", 0), std::string::npos);
  for (const std::string& record : weighted.console.records) EXPECT_EQ(record.rfind(" EL=", 0), std::string::npos);
}

TEST(FieldAnalysis, WeightsStartOnTheLineAfterTheLastCount) {
  // The 9 9 9 after the last count are not weights; the weights are 2 1 1.
  // The printed UELAs are weighted (2+2+6 + 6+3+0 = 19); the estimate rests
  // on the unweighted total 15: MHAT = 20000 x 15.
  const Analysis a("1.0 250 60 60 3 3 2 1 1\n1 2 6\n3 3 0 9 9 9\n2 1 1\n");
  EXPECT_TRUE(a.reportHas(" EL=       2.000000        1.000000        1.000000"));
  EXPECT_TRUE(a.reportHas(" NO.UELAS = UNAMBIGUOUS EGG-LAYING ACTIVITY      19.000000"));
  EXPECT_EQ(a.value(kEstimate), "     300000.0");
}

TEST(FieldAnalysis, ZeroWeightGivesItsTransectNoTerm) {
  // Weights 0 and 1: SS = 9 + 4 = 13, TI = 3 and 2, SSTI = 13;
  // (1000 x 13 - 13) x 4 / 1000 / 1000 / 1 = 0.051948, times 60^2 = 187.01.
  const Analysis a("1.0 250 60 60 1000 2 2 1 1\n" + kWorkedCounts + "0 1\n");
  EXPECT_EQ(a.value(kVariance), "    187.0    ");
  EXPECT_EQ(a.value(kEstimate), "        480.0");
}

TEST(FieldAnalysis, NegativeVarianceHasNoLimits) {
  // Weights 1 1 with LENGTH 1: (1 x 18 - 32) x 4 / 1 / 1 / 1 = -56; the
  // areas are equal (C = 1), CONST = 30, variance -50400, MHAT 240.
  const Analysis a("0.0005 250 60 60 1 2 2 1 1\n" + kWorkedCounts + "1 1\n");
  const std::string message = " NEGATIVE VARIANCE; LIMITS CANNOT BE COMPUTED!!";
  const auto& r = a.report.records;
  const auto variance = std::find(r.begin(), r.end(), "  " + kVariance + "   -.5040E+05");
  ASSERT_NE(variance, r.end());
  EXPECT_EQ(*(variance + 1), message);
  EXPECT_EQ(a.value(kLower), "    -999.0000");
  EXPECT_EQ(a.value(kUpper), "    -999.0000");
  // On the console after the variance, as the single-count message.
  const auto& c = a.console.records;
  const auto shown = std::find(c.begin(), c.end(), message);
  ASSERT_NE(shown, c.end());
  EXPECT_EQ((shown - 1)->rfind(" " + kVariance, 0), 0u);
}

TEST(FieldAnalysis, OneTransectOverSeveralTimesHasNoVariance) {
  // CONST = 60 / 1 / 0.25 / 3 = 80 (sample area 500 x 250 x 2 m^2), SUM 6.
  const Analysis a("1.0 250 60 60 500 1 3 1 0\n1 2 3\n");
  EXPECT_EQ(a.value(kEstimate), "        480.0");
  EXPECT_TRUE(a.reportHas(" 1 TRANSECT; VARIANCE CANNOT BE COMPUTED!!"));
  EXPECT_EQ(a.value(kVariance), "(no line " + kVariance + ")");
  EXPECT_EQ(a.value(kLower), "    -999.0000");
  EXPECT_EQ(a.value(kUpper), "    -999.0000");
  EXPECT_EQ(a.value(kSamples), "         3");
}

// The records but the echo of CODE, which differs between the layouts.
Records withoutCode(Records records) {
  std::erase_if(records, [](const std::string& r) { return r.rfind(" DATA ARE BEING READ BY CODE=", 0) == 0; });
  return records;
}

// Files that read the same table as the worked example.
class SameAsWorkedExample : public ::testing::TestWithParam<std::string> {};

TEST_P(SameAsWorkedExample, ReadsTheSameCounts) {
  const Analysis reference(kWorkedHeader + kWorkedCounts);
  const Analysis a(GetParam());
  EXPECT_EQ(withoutCode(a.report.records), withoutCode(reference.report.records));
  EXPECT_EQ(withoutCode(a.console.records), withoutCode(reference.console.records));
  EXPECT_EQ(a.report.records.size(), reference.report.records.size());
}

INSTANTIATE_TEST_SUITE_P(
    FieldAnalysis, SameAsWorkedExample,
    ::testing::Values(
        // Header on nine lines, and with text after the ninth value.
        "1.0\n250\n60\n60\n1000\n2\n2\n1\n0\n1 3\n2 2\n",
        "1.0 250 60 60 1000 2 2 1 0 ignored after the ninth value\n1 3\n2 2\n",
        "1.0, 250, 60., 6.0E1, 1000, 2, 2, 1., 0\n1 3\n2 2\n",
        // Free layout: all on one line, one per line, blank lines anywhere.
        "1.0 250 60 60 1000 2 2 1 0\n1 3 2 2\n", "1.0 250 60 60 1000 2 2 1 0\n1\n3\n2\n2\n",
        "\n1.0 250 60\n\n60 1000 2 2 1 0\n\n1 3\n   \n2 2\n",
        // One count per line: only the first value of a line is used.
        "1.0 250 60 60 1000 2 2 2 0\n1 99 99\n3\n\n2 7\n2\n", "1.0 250 60 60 1000 2 2 0 0\n1\n3\n2\n2\n",
        "1.0 250 60 60 1000 2 2 1.5 0\n1 3 4 5\n3\n2\n2\n"),
    [](const auto& info) { return "File" + std::to_string(info.index); });

TEST(FieldAnalysis, FreeLayoutFileEndingHalfWayLeavesTheRestZero) {
  // Counts 1 3 then 0 0: SUM 4, MHAT 240; SS = 10, TI = 4 and 0,
  // (2 x 10 - 16) / 1 = 4, variance 4 x 3600.
  const Analysis a(kWorkedHeader + "1 3\n");
  expectResults(a, "        240.0", "    .1440E+05", "        .0000", "     480.0000");
}

struct BadFile {
  std::string name;
  std::string text;
  std::string inMessage;
};

class RefusedFieldData : public ::testing::TestWithParam<BadFile> {};

TEST_P(RefusedFieldData, RunTimeErrorNamingWhatFailed) {
  const BadFile& bad = GetParam();
  text::RecordingSink console;
  text::RecordingSink report;
  engine::SimulationParameters params;
  std::istringstream in(bad.text);
  text::LineSource file(in, "file 'survey.dat'");
  try {
    analyseFieldData(file, console, report, params);
    FAIL() << "no error for " << bad.name;
  } catch (const text::RunTimeError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find(bad.inMessage), std::string::npos) << message;
    EXPECT_NE(message.find("survey.dat"), std::string::npos) << message;
  }
}

INSTANTIATE_TEST_SUITE_P(
    FieldAnalysis, RefusedFieldData,
    ::testing::Values(
        BadFile{"CountWithDecimalPoint", kWorkedHeader + "1 3.0\n2 2\n", "3.0"},
        BadFile{"CountAboveSixteenBits", kWorkedHeader + "1 32768\n2 2\n", "32768"},
        BadFile{"CountAtLowestSixteenBits", kWorkedHeader + "1 -32768\n2 2\n", "-32768"},
        BadFile{"PerLineCountsEndEarly", "1.0 250 60 60 1000 2 2 2 0\n1\n3\n2\n", "end of input"},
        BadFile{"WeightsMissingAfterShortCounts", "1.0 250 60 60 1000 2 2 1 1\n1 3\n", "end of input"},
        BadFile{"HeaderEndsEarly", "1.0 250 60 60 1000 2\n", "end of input"},
        BadFile{"TransectsAsReal", "1.0 250 60 60 1000 2.0 2 1 0\n1 3\n2 2\n", "2.0"},
        BadFile{"TooManyTransects", "1.0 250 60 60 1000 1001 2 1 0\n", "NTR = 1001"},
        BadFile{"TooManyTimes", "1.0 250 60 60 1000 2 206 1 0\n", "NT1 = 206"},
        BadFile{"TooManyWeightedTransects", "1.0 250 60 60 1000 101 2 1 1\n", "NTR = 101"},
        BadFile{"NoTransects", "1.0 250 60 60 1000 0 2 1 0\n", "NTR = 0"},
        BadFile{"NegativeTransects", "1.0 250 60 60 1000 -2 2 1 0\n", "NTR = -2"},
        BadFile{"NoTimes", "1.0 250 60 60 1000 2 0 1 0\n", "NT1 = 0"},
        BadFile{"ZeroArea", "0 250 60 60 1000 2 2 1 0\n", "AREA = 0"},
        BadFile{"NegativeArea", "-1 250 60 60 1000 2 2 1 0\n", "AREA = -1"},
        BadFile{"ZeroMeanTime", "1 250 60 0 1000 2 2 1 0\n", "MEANT = 0"},
        BadFile{"ZeroLength", "1 250 60 60 0 2 2 1 1\n", "LENGTH = 0"},
        BadFile{"ZeroWidth", "1 0 60 60 1000 2 2 1 0\n", "WIDTH = 0"},
        // Results beyond the range of a real: 3e38 x 3e38 x 2 / 10^6; 2e-12 / 3e38
        // underflows to 0; 60 / (0.5 / 1e38) / 2 = 6e39; 4 x (6e29)^2 = 1.44e60.
        BadFile{"SampleAreaBeyondAReal", "1 3e38 60 60 3e38 2 2 1 0\n1 3\n2 2\n", "the sample area"},
        BadFile{"RatioUnderflows", "3e38 1e-3 60 60 1e-3 2 2 1 0\n1 3\n2 2\n", "the ratio"},
        BadFile{"ExpansionBeyondAReal", "1e38 250 60 60 1000 2 2 1 0\n1 3\n2 2\n", "the expansion factor"},
        BadFile{"VarianceBeyondAReal", "1e28 250 60 60 1000 2 2 1 0\n1 3\n2 2\n", "the variance"}),
    [](const auto& info) { return info.param.name; });

TEST(FieldAnalysis, UnusableHeaderIsRefusedBeforeItsEcho) {
  text::RecordingSink console;
  text::RecordingSink report;
  engine::SimulationParameters params;
  std::istringstream in("1.0 250 60 60 1000 1001 2 1 0\n");
  text::LineSource file(in, "file 'survey.dat'");
  EXPECT_THROW(analyseFieldData(file, console, report, params), text::RunTimeError);
  EXPECT_TRUE(report.records.empty());
  EXPECT_TRUE(console.records.empty());
}

}  // namespace
}  // namespace arribada::fielddata
