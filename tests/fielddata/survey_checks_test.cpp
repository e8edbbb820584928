// A survey's values checked against each other and against its counts, as
// arribada --field reads a night in either layout: every bad survey refused
// with its file, its place and what was probably meant; surveys that a field
// clock or a spreadsheet makes honestly still pass.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "fielddata/nights.hpp"
#include "text/errors.hpp"

namespace arribada::fielddata {
namespace {

namespace fs = std::filesystem;

// Four hourly counts of two transects: HOURS = 4 is what the times imply.
const std::string kValues = "# AREA = 0.08\n# WIDTH = 2\n# HOURS = 4\n# MEANT = 58\n# LENGTH = 400\n";
const std::string kCounts = "time,T1,T2\n20:00,1,2\n21:00,3,4\n22:00,5,6\n23:00,1,1\n";

std::string withValue(const std::string& name, const std::string& line) {
  std::istringstream in(kValues);
  std::string out;
  std::string value;
  while (std::getline(in, value)) out += (value.starts_with("# " + name + " ") ? line : value) + "\n";
  return out;
}

// Hourly rows 20:00, 21:00, ... of counts "1,2" each.
std::string hourlyRows(int rows, const std::string& header = "time,T1,T2\n") {
  std::string text = header;
  for (int k = 0; k < rows; ++k) text += std::to_string((20 + k) % 24) + ":00,1,2\n";
  return text;
}

class SurveyFile {
 public:
  SurveyFile(const std::string& name, const std::string& text)
      : path_(fs::temp_directory_path() / ("arribada_checks_" + std::to_string(::getpid()) + "_" + name)) {
    std::ofstream(path_, std::ios::binary) << text;
  }
  ~SurveyFile() { fs::remove(path_); }
  std::string name() const { return path_.string(); }

 private:
  fs::path path_;
};

struct BadSurvey {
  const char* name;
  const char* file;  // its ending chooses the layout
  std::string text;
  const char* place;  // ", row R, column C" or ", line L"
  const char* why;    // part of the message
};

class BadSurveyTest : public ::testing::TestWithParam<BadSurvey> {};

TEST_P(BadSurveyTest, IsRefusedWithItsPlaceAndWhatWasMeant) {
  const BadSurvey& b = GetParam();
  const SurveyFile file(b.file, b.text);
  try {
    readSurveyFile(file.name());
    FAIL() << "no error";
  } catch (const text::RunTimeError& error) {
    const std::string message = error.what();
    EXPECT_NE(message.find(std::string(b.file) + "'" + b.place), std::string::npos) << message;
    EXPECT_NE(message.find(b.why), std::string::npos) << message;
  }
}

const std::string kOldHeader = "NIGHT\n0.08 2.0 10.0 58 400 2 2 1 0\n1 2\n3 4\n";

INSTANTIATE_TEST_SUITE_P(
    SurveyChecks, BadSurveyTest,
    ::testing::Values(
        BadSurvey{"HoursZero", "n.csv", withValue("HOURS", "# HOURS = 0") + kCounts, ", row 3, column 1",
                  "must be above 0 hours"},
        BadSurvey{"HoursNegativeOldLayout", "n.dat", "NIGHT\n0.08 2.0 -10 58 400 2 2 1 0\n1 2\n3 4\n", ", line 2",
                  "HOURS = -10"},
        // 7 counts two hours apart cover 14 hours.
        BadSurvey{"HoursAgainstTwoHourlyTimes", "n.csv",
                  withValue("HOURS", "# HOURS = 12") +
                      "time,T1,T2\n18:00,1,2\n20:00,1,2\n22:00,1,2\n00:00,1,2\n02:00,1,2\n04:00,1,2\n06:00,1,2\n",
                  ", row 3, column 1", "the times imply HOURS = 14"},
        BadSurvey{"HoursTenTimesTheHourlyTimes", "n.csv", withValue("HOURS", "# HOURS = 100") + hourlyRows(10),
                  ", row 3, column 1", "the times imply HOURS = 10"},
        // 20:00, 21:00, 23:00, 00:00: the mean interval is 1:20, the third 2 hours.
        BadSurvey{"UnevenTimes", "n.csv", kValues + "time,T1,T2\n20:00,1,2\n21:00,1,2\n23:00,1,2\n00:00,1,2\n",
                  ", row 9, column 1", "not evenly spaced"},
        BadSurvey{"NoHeaderRow", "n.csv", kValues + "20:00,1,2\n21:00,3,4\n", ", row 6, column 1", "no header row"},
        BadSurvey{"ColumnNamedTotal", "n.csv", kValues + "time,T1,T2,Total\n20:00,1,2,3\n21:00,1,2,3\n22:00,1,2,3\n23:00,1,2,3\n",
                  ", row 6, column 4", "'Total' is named as a total"},
        BadSurvey{"ColumnNamedSumaWithSemicolons", "n.csv",
                  "# AREA = 0,08\n" + kValues.substr(14) + "hora;T1;T2;suma\n20:00;1;2;3\n21:00;1;2;3\n22:00;1;2;3\n23:00;1;2;3\n",
                  ", row 6, column 4", "'suma' is named as a total"},
        // D = A + B + C where they are not all zero; a row of zeros says nothing.
        BadSurvey{"ColumnThatSumsTheOthers", "n.csv",
                  kValues + "time,A,B,C,D\n20:00,1,2,3,6\n21:00,0,0,0,0\n22:00,4,0,1,5\n23:00,0,0,2,2\n",
                  ", row 6, column 5", "'D' equals the sum of the other transects"},
        BadSurvey{"CountWithAPoint", "n.csv", kValues + "time,T1,T2\n20:00,3.0,2\n21:00,1,2\n22:00,1,2\n23:00,1,2\n",
                  ", row 7, column 2", "not a whole number"},
        BadSurvey{"CountWithAnExponent", "n.csv",
                  kValues + "time,T1,T2\n20:00,1,1E+01\n21:00,1,2\n22:00,1,2\n23:00,1,2\n", ", row 7, column 3",
                  "not a whole number"},
        BadSurvey{"WidthZero", "n.csv", withValue("WIDTH", "# WIDTH = 0") + kCounts, ", row 2, column 1",
                  "WIDTH = 0"},
        BadSurvey{"WidthNegativeOldLayout", "n.dat", "NIGHT\n0.08 -2.0 10 58 400 2 2 1 0\n1 2\n3 4\n", ", line 2",
                  "WIDTH = -2"},
        // 100 + 100 is not LENGTH = 400.
        BadSurvey{"WeightsThatAreNotSharesOfLength", "n.csv", kValues + "# WEIGHTS = 100 100\n" + kCounts,
                  ", row 6, column 1", "the weights add up to 200, not LENGTH = 400"},
        BadSurvey{"NegativeWeightOldLayout", "n.dat", "NIGHT\n0.08 2.0 10 58 400 2 2 1 1\n1 2\n3 4\n-100 500\n",
                  ", line 5", "the weight of transect 1, -100"},
        // 400 m x 2 x 2 m = 1600 m2 = 0.0016 km2 of transects, above AREA = 0.001 km2 (C = 1.6).
        BadSurvey{"SampleLargerThanTheNestingArea", "n.csv", withValue("AREA", "# AREA = 0.001") + kCounts,
                  ", row 1, column 1", "their length x 2 x WIDTH = 0.0016 km2: a sample cannot be larger"},
        // WIDTH 2000 (centimetres for a 20 m half-width): 400 x 2 x 2000 m2 = 1.6 km2 above AREA = 0.08.
        BadSurvey{"WidthInCentimetresOldLayout", "n.dat", "NIGHT\n0.08 2000 10 58 400 2 2 1 0\n1 2\n3 4\n", ", line 2",
                  "AREA = 0.08 km2 is less than the transects' own area"},
        // 58 minutes given in seconds: longer than the 4 hours (240 minutes) of the counts.
        BadSurvey{"MeantInSeconds", "n.csv", withValue("MEANT", "# MEANT = 3480") + kCounts, ", row 4, column 1",
                  "MEANT = 3480 minutes is longer than the whole arribada, HOURS = 4 (240 minutes): MEANT is in "
                  "minutes (3480 seconds would be 58)"},
        BadSurvey{"MeantLongerThanHoursOldLayout", "n.dat", "NIGHT\n0.08 2.0 10 900 400 2 2 1 0\n1 2\n3 4\n",
                  ", line 2", "MEANT = 900 minutes is longer than the whole arribada, HOURS = 10 (600 minutes)"},
        BadSurvey{"TabSeparated", "n.csv", kValues + "time\tT1\tT2\n20:00\t1\t2\n", ", row 6, column 1",
                  "separated by tabs"},
        BadSurvey{"DecimalCommaInACommaFile", "n.csv", "# AREA = 0,08\n" + kValues.substr(14) + kCounts,
                  ", row 1, column 2", "write 0.08"},
        // The values take rows 1 to 5, the header row 6: sampling time 206 stands in row 212.
        BadSurvey{"PastTheLastSamplingTime", "n.csv", withValue("HOURS", "# HOURS = 206") + hourlyRows(206),
                  ", row 212, column 1", "past the 205"},
        BadSurvey{"NotADate", "n.csv", kValues + "# DATE = 2026-13-01\n" + kCounts, ", row 6, column 1",
                  "not a date written YYYY-MM-DD"}),
    [](const auto& info) { return std::string(info.param.name); });

// What a field team honestly writes still reads.
TEST(SurveyChecksTest, FieldClocksAndLeftOutHoursPass) {
  // 21:05 for 21:00 among two-hourly counts: 4 counts over 8 hours.
  const SurveyFile late("late.csv", withValue("HOURS", "# HOURS = 8") +
                                        "time,T1,T2\n19:00,1,2\n21:05,1,2\n23:00,1,2\n01:00,1,2\n");
  EXPECT_EQ(readSurveyFile(late.name()).survey.header.HOURS, 8.0f);
  // HOURS left out: 7 counts two hours apart give 14.
  const std::string noHours = "# AREA = 0.08\n# WIDTH = 2\n# MEANT = 58\n# LENGTH = 400\n";
  const SurveyFile taken("taken.csv",
                         noHours + "time,T1,T2\n18:00,1,2\n20:00,1,2\n22:00,1,2\n00:00,1,2\n02:00,1,2\n04:00,1,2\n06:00,1,2\n");
  EXPECT_EQ(readSurveyFile(taken.name()).survey.header.HOURS, 14.0f);
  // Weights that are the transects' lengths: 150 + 250 = LENGTH.
  const SurveyFile weighted("w.csv", kValues + "# WEIGHTS = 150 250\n" + kCounts);
  EXPECT_EQ(readSurveyFile(weighted.name()).survey.weights, (std::vector<float>{150.0f, 250.0f}));
}

// Minutes that look like hours (below 5) or seconds (above 240, four hours
// of egg-laying activity) are warned of; 240 itself and 5 are not.
TEST(SurveyChecksTest, MinutesThatLookLikeHoursOrSecondsAreWarnedOfInBothLayouts) {
  const struct {
    const char* MEANT;
    const char* warning;  // empty: none
  } cases[] = {{"1", "is below 5: it is read in minutes, and a time given in hours"},
               {"5", ""},
               {"240", ""},
               {"300", "is above 240: it is read in minutes, and a time given in seconds"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.MEANT);
    std::ostringstream csvWarnings;
    const SurveyFile csv("m.csv", "# AREA = 0.08\n# WIDTH = 2\n# HOURS = 8\n# MEANT = " + std::string(c.MEANT) + "\n# LENGTH = 400\n" + hourlyRows(8));
    readSurveyFile(csv.name(), text::Warnings(&csvWarnings));
    std::ostringstream oldWarnings;
    const SurveyFile old("m.dat", std::string("NIGHT\n0.08 2.0 10.0 ") + c.MEANT + " 400 2 2 1 0\n1 2\n3 4\n");
    readSurveyFile(old.name(), text::Warnings(&oldWarnings));
    if (*c.warning == '\0') {
      EXPECT_EQ(csvWarnings.str() + oldWarnings.str(), "");
      continue;
    }
    EXPECT_NE(csvWarnings.str().find(std::string("MEANT = ") + c.MEANT + " in '"), std::string::npos) << csvWarnings.str();
    EXPECT_NE(csvWarnings.str().find(c.warning), std::string::npos) << csvWarnings.str();
    EXPECT_NE(oldWarnings.str().find(std::string("MEANT = ") + c.MEANT + " in the header of '"), std::string::npos)
        << oldWarnings.str();
  }
}

}  // namespace
}  // namespace arribada::fielddata
