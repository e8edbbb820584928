#include "fielddata/value_line.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace arribada::fielddata {
namespace {

// Right-aligns an expected text the way the report's fields do.
std::string field(const std::string& text, std::size_t width) { return std::string(width - text.size(), ' ') + text; }
std::string general(const std::string& fixedPart) { return field(fixedPart, 9) + "    "; }

struct FixedCase {
  float value;
  int decimals;
  std::string text;  // before right-alignment in 13 columns
};

class FixedFieldTest : public ::testing::TestWithParam<FixedCase> {};

TEST_P(FixedFieldTest, RoundsAndAligns) {
  const FixedCase& c = GetParam();
  const std::string out = fixedField(c.value, c.decimals);
  EXPECT_EQ(out, field(c.text, 13)) << c.value;
  EXPECT_EQ(out.size(), 13u);
}

INSTANTIATE_TEST_SUITE_P(
    ValueLines, FixedFieldTest,
    ::testing::Values(FixedCase{0.5f, 6, ".500000"}, FixedCase{-0.025f, 6, "-.025000"}, FixedCase{1.0f, 6, "1.000000"},
                      FixedCase{0.01f, 6, ".010000"}, FixedCase{0.02f, 6, ".020000"}, FixedCase{0.0f, 4, ".0000"},
                      FixedCase{0.5f, 4, ".5000"}, FixedCase{250.0f, 4, "250.0000"},
                      FixedCase{-999.0f, 4, "-999.0000"}, FixedCase{480.0f, 1, "480.0"}, FixedCase{0.0f, 1, ".0"},
                      // A tie rounds up, unlike round-half-even: 0.25 is exact in binary.
                      FixedCase{0.25f, 1, ".3"}, FixedCase{-0.25f, 1, "-.3"},
                      // 0.35f lies just below 0.35, so it rounds down.
                      FixedCase{0.35f, 1, ".3"},
                      // A carry into the integer part.
                      FixedCase{0.99999f, 4, "1.0000"}, FixedCase{9.96f, 1, "10.0"},
                      // What rounds to zero has no sign.
                      FixedCase{-0.00001f, 4, ".0000"},
                      // Exactly 13 characters still fit.
                      FixedCase{123456.0f, 6, "123456.000000"}));

TEST(FixedField, TooWideFillsTheFieldWithAsterisks) {
  EXPECT_EQ(fixedField(-123456.0f, 6), std::string(13, '*'));
  EXPECT_EQ(fixedField(12345678.0f, 6), std::string(13, '*'));
  EXPECT_EQ(fixedField(1.0e12f, 1), std::string(13, '*'));
}

TEST(IntegerField, RightAlignedInTenColumns) {
  EXPECT_EQ(integerField(4), "         4");
  EXPECT_EQ(integerField(-5), "        -5");
  EXPECT_EQ(integerField(205000), "    205000");
  EXPECT_EQ(integerField(2147483647), "2147483647");
  EXPECT_EQ(integerField(INT32_MIN), std::string(10, '*'));
}

struct GeneralCase {
  float value;
  std::string expected;
};

class GeneralFieldTest : public ::testing::TestWithParam<GeneralCase> {};

TEST_P(GeneralFieldTest, FourSignificantDigits) {
  const GeneralCase& c = GetParam();
  EXPECT_EQ(generalField(c.value), c.expected) << c.value;
  EXPECT_EQ(generalField(c.value).size(), 13u);
}

INSTANTIATE_TEST_SUITE_P(
    ValueLines, GeneralFieldTest,
    ::testing::Values(GeneralCase{14400.0f, field(".1440E+05", 13)}, GeneralCase{0.0f, general(".0000")},
                      GeneralCase{12350000.0f, field(".1235E+08", 13)}, GeneralCase{-14400.0f, field("-.1440E+05", 13)},
                      // Both sides of 0.1.
                      GeneralCase{0.1f, general(".1000")}, GeneralCase{0.5f, general(".5000")},
                      GeneralCase{-0.5f, general("-.5000")}, GeneralCase{0.09f, field(".9000E-01", 13)},
                      GeneralCase{0.09999f, field(".9999E-01", 13)}, GeneralCase{1.0e-5f, field(".1000E-04", 13)},
                      // Fixed point with 4 - n decimals.
                      GeneralCase{1.5f, general("1.500")}, GeneralCase{12.345f, general("12.35")},
                      GeneralCase{187.0128f, general("187.0")}, GeneralCase{240.0f, general("240.0")},
                      GeneralCase{9999.0f, general("9999.")}, GeneralCase{9999.4f, general("9999.")},
                      // Both sides of 10000.
                      GeneralCase{10000.0f, field(".1000E+05", 13)}, GeneralCase{10004.0f, field(".1000E+05", 13)},
                      GeneralCase{123456.0f, field(".1235E+06", 13)},
                      // Rounding that crosses a boundary changes the form.
                      GeneralCase{9999.6f, field(".1000E+05", 13)}, GeneralCase{0.099996f, general(".1000")},
                      // A tie rounds up: 1.0625 is exact in binary.
                      GeneralCase{1.0625f, general("1.063")}));

TEST(ValueLine, TwoBlanksLabelAndField) {
  text::RecordingSink sink;
  writeValueLine(sink, "THE SAMPLE AREA=", fixedField(0.5f, 6));
  ASSERT_EQ(sink.records.size(), 1u);
  EXPECT_EQ(sink.records[0], "  THE SAMPLE AREA=      .500000");
}

}  // namespace
}  // namespace arribada::fielddata
