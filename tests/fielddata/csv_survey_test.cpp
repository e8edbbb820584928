// The CSV layout of a survey: what a spreadsheet saves is read, and every
// fault is named by file, row and column.

#include <gtest/gtest.h>

#include <string>

#include "fielddata/csv_survey.hpp"
#include "text/errors.hpp"

namespace arribada::fielddata {
namespace {

const std::string kValues = "# AREA = 1.0\n# WIDTH = 250\n# HOURS = 60\n# MEANT = 60\n# LENGTH = 1000\n";

TEST(CsvSurveyTest, SemicolonsWithDecimalCommasAByteOrderMarkAndWindows1252) {
  // A spreadsheet's "CSV" on a Spanish Windows: semicolons, decimal commas,
  // trailing empty cells, CR LF, a title in Windows-1252 (0xF1 is n with tilde).
  const std::string file =
      "# TITLE = Playa Norte, a\xF1o 2026;;;\r\n# AREA = 1,0;;;\r\n# WIDTH = 250;;;\r\n# HOURS = 2;;;\r\n"
      "# DURATIONS = 50;60;70;;\r\n# LENGTH = 2;;;\r\n# WEIGHTS = 0,5 1,5;;;\r\n"
      "hora;T1;T2;;\r\n23:30;1;3;;\r\n00:30;2;2;;\r\n;;;;\r\n";
  const CsvSurvey s = readCsvSurvey(file, "'n.csv'");
  EXPECT_EQ(s.title, "Playa Norte, a\xC3\xB1o 2026");
  EXPECT_EQ(s.survey.header.AREA, 1.0f);
  EXPECT_EQ(s.survey.header.NTR, 2);
  EXPECT_EQ(s.survey.header.NT1, 2);
  EXPECT_EQ(s.survey.header.JCODE, 1);
  EXPECT_EQ(s.survey.weights, (std::vector<float>{0.5f, 1.5f}));
  // 50, 60, 70 minutes: mean 60, standard deviation 10, standard error 10 / sqrt(3).
  EXPECT_EQ(s.survey.header.MEANT, 60.0f);
  EXPECT_NEAR(*s.MEANT_SE, 5.773503f, 1e-5f);
  EXPECT_EQ(s.survey.counts.at(1, 0), 3);
  EXPECT_EQ(s.survey.counts.at(0, 1), 2);
  EXPECT_TRUE(s.times.clock);
  EXPECT_EQ(s.times.hours, (std::vector<double>{23.5, 24.5}));  // past midnight
  // The same survey with commas, a UTF-8 mark and hours since the first count.
  // Two counts 30 hours apart cover HOURS = 60.
  const CsvSurvey c = readCsvSurvey("\xEF\xBB\xBF" + kValues + "time,T1,T2\n0,1,3\n30,2,2\n", "'n.csv'");
  EXPECT_EQ(c.survey.header.MEANT, 60.0f);
  EXPECT_FALSE(c.MEANT_SE);
  EXPECT_FALSE(c.times.clock);
  EXPECT_EQ(c.times.hours, (std::vector<double>{0.0, 30.0}));
}

struct Fault {
  const char* name;
  std::string text;
  const char* place;  // ", row R, column C"
  const char* why;    // part of the message
};

class CsvSurveyFault : public ::testing::TestWithParam<Fault> {};

TEST_P(CsvSurveyFault, NamesFileRowAndColumn) {
  const Fault& f = GetParam();
  try {
    readCsvSurvey(f.text, "'night.csv'");
    FAIL() << "no error";
  } catch (const text::RunTimeError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find(std::string("'night.csv'") + f.place), std::string::npos) << message;
    EXPECT_NE(message.find(f.why), std::string::npos) << message;
  }
}

const std::string kHeader = "time,T1,T2\n";
INSTANTIATE_TEST_SUITE_P(
    CsvSurvey, CsvSurveyFault,
    ::testing::Values(
        Fault{"EmptyCount", kValues + kHeader + "19:00,1,\n", ", row 7, column 3", "is empty"},
        Fault{"MissingCell", kValues + kHeader + "19:00,1\n", ", row 7, column 3", "is empty"},
        Fault{"TextCount", kValues + kHeader + "19:00,1,x\n", ", row 7, column 3", "'x', is not a number"},
        Fault{"FractionalCount", kValues + kHeader + "19:00,1.5,1\n", ", row 7, column 2", "not a whole number"},
        Fault{"NegativeCount", kValues + kHeader + "19:00,-1,1\n", ", row 7, column 2", "not a whole number"},
        Fault{"CellBeyondTheTransects", kValues + kHeader + "19:00,1,1,4\n", ", row 7, column 4", "beyond the last"},
        Fault{"PointWithSemicolons", "# AREA = 1.0;\n# WIDTH = 250\n# HOURS = 60\n# MEANT = 60\n# LENGTH = 1000\n"
              "time;T1;T2\n0;1;1\n", ", row 1, column 1", "the decimal mark is the comma"},
        Fault{"CommaSplitsADecimal", "# AREA = 1,5\n" + kValues.substr(13) + kHeader + "0,1,1\n1,1,1\n",
              ", row 1, column 2", "AREA takes one value"},
        Fault{"MissingValue", kValues.substr(13) + kHeader + "0,1,1\n", ", row 5, column 1", "AREA is missing"},
        Fault{"UnknownValue", "# AREAS = 1\n" + kValues + kHeader + "0,1,1\n", ", row 1, column 1", "not a survey value"},
        Fault{"ValueTwice", kValues + "# AREA = 2\n" + kHeader + "0,1,1\n", ", row 6, column 1", "given twice"},
        Fault{"NoEquals", "# AREA 1\n" + kValues + kHeader, ", row 1, column 1", "# NAME = value"},
        Fault{"ZeroArea", "# AREA = 0\n" + kValues.substr(13) + kHeader + "0,1,1\n", ", row 1, column 1",
              "must be above 0"},
        Fault{"DurationsAndMeant", kValues + "# DURATIONS = 50 60\n" + kHeader + "0,1,1\n", ", row 4, column 1",
              "both given"},
        Fault{"OneDuration", kValues.substr(0, 40) + "# DURATIONS = 50\n# LENGTH = 1000\n" + kHeader + "0,1,1\n",
              ", row 4, column 1", "two timed females"},
        Fault{"WrongNumberOfWeights", kValues + "# WEIGHTS = 1 2 3\n" + kHeader + "0,1,1\n", ", row 6, column 1",
              "3 weights for the 2 transects"},
        Fault{"NoTransects", kValues + "time\n0\n", ", row 6, column 2", "no transect column"},
        Fault{"NoCounts", kValues + kHeader + ",,\n", ", row 7, column 1", "no counts"},
        Fault{"NoHeaderRow", kValues, ", row 6, column 1", "no header row"},
        Fault{"EmptyRowAmongCounts", kValues + kHeader + "0,1,1\n,,\n2,1,1\n", ", row 8, column 1", "empty row"},
        Fault{"TimesFallBack", kValues + kHeader + "2,1,1\n1,1,1\n", ", row 8, column 1", "must increase"},
        Fault{"SameClockTime", kValues + kHeader + "19:00,1,1\n19:00,1,1\n", ", row 8, column 1", "same time"},
        Fault{"MidnightTwice", kValues + kHeader + "22:00,1,1\n01:00,1,1\n00:30,1,1\n", ", row 9, column 1",
              "midnight once"},
        Fault{"MixedTimes", kValues + kHeader + "19:00,1,1\n2,1,1\n", ", row 8, column 1", "mix"},
        Fault{"BadClock", kValues + kHeader + "25:00,1,1\n", ", row 7, column 1", "neither a clock time"},
        Fault{"UnclosedQuote", kValues + kHeader + "0,\"1,1\n", ", row 7, column 2", "never closes"},
        Fault{"Utf16", "\xFF\xFE#\0", ", row 1, column 1", "UTF-16"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CsvSurveyTest, LayoutToldByNameOrFirstLine) {
  EXPECT_TRUE(isCsvSurvey("night.CSV", "TITLE\n"));
  EXPECT_TRUE(isCsvSurvey("night.txt", "\xEF\xBB\xBF# AREA = 1\n"));
  EXPECT_FALSE(isCsvSurvey("survey.dat", "NORTH BEACH\n1.0 250 60 60 1000 2 2 1 0\n"));
}

}  // namespace
}  // namespace arribada::fielddata
