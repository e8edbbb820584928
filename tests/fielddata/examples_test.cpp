// The shipped field-data examples read and analyse as a hand calculation
// (outside the program) of their counts says.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "fielddata/analysis.hpp"

namespace arribada::fielddata {
namespace {

struct Example {
  std::string file;
  std::string estimate;  // report field of the estimate
  std::string variance;  // report field of the variance
  std::string uelas;     // the number of UELAs as printed in free format
};

class ShippedFieldData : public ::testing::TestWithParam<Example> {};

std::string valueAfter(const std::vector<std::string>& records, const std::string& label) {
  for (const std::string& record : records) {
    if (record.rfind(label, 0) == 0) return record.substr(label.size());
  }
  return "(missing)";
}

TEST_P(ShippedFieldData, AnalysesAsCalculated) {
  const Example& e = GetParam();
  std::ifstream in(std::string(ARRIBADA_SOURCE_DIR) + "/examples/" + e.file);
  ASSERT_TRUE(in) << e.file;
  text::LineSource file(in, "file '" + e.file + "'");
  std::string title;
  ASSERT_TRUE(file.next(title));
  text::RecordingSink console;
  text::RecordingSink report;
  engine::SimulationParameters params;
  analyseFieldData(file, console, report, params);
  EXPECT_EQ(valueAfter(report.records, "  ESTIMATED NUMBER OF FEMALE TURTLES="), e.estimate);
  EXPECT_EQ(valueAfter(report.records, "  VARIANCE OF THE SAMPLES="), e.variance);
  EXPECT_EQ(valueAfter(report.records, " NO.UELAS = UNAMBIGUOUS EGG-LAYING ACTIVITY"), e.uelas);
}

// survey.dat: 1108 turtles counted, CONST = 60 / 0.25 / 0.02 / 30 = 400.
// perline.dat: 65 counted, CONST = 8 / 0.25 / 0.03 / 4 = 266.67.
// weighted.dat: 229 counted (11445 weighted by transect length), CONST = 400.
INSTANTIATE_TEST_SUITE_P(Examples, ShippedFieldData,
                         ::testing::Values(Example{"survey.dat", "     443200.0", "    .3047E+09", "    1108.000000"},
                                           Example{"perline.dat", "      17333.3", "    .5262E+07", "      65.000000"},
                                           Example{"weighted.dat", "      91600.0", "    .4354E+08", "   11445.000000"}),
                         [](const auto& info) {
                           return info.param.file.substr(0, info.param.file.find('.'));
                         });

}  // namespace
}  // namespace arribada::fielddata
