// The text of a table row: what R's read.csv and spreadsheets read back.

#include "results/csv.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>

namespace arribada::results {
namespace {

TEST(ShortestReal, ReadsBackAsTheSameFloatWithThePointAsTheMark) {
  struct Case {
    float value;
    const char* text;
  };
  const Case cases[] = {{480.0f, "480"},   {0.5f, "0.5"},       {0.1f, "0.1"},
                        {-999.0f, "-999"}, {14400.0f, "14400"}, {0.020000001f, "0.020000001"},
                        {1e30f, "1e+30"}};
  for (const Case& c : cases) {
    const std::string text = shortestReal(c.value);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(std::strtof(text.c_str(), nullptr), c.value) << text;
  }
  // Every float of a range of bit patterns reads back.
  for (std::uint32_t bits = 0x3f800000u; bits < 0x3f800000u + 5000u; bits += 7u) {
    float value;
    std::memcpy(&value, &bits, sizeof value);
    EXPECT_EQ(std::strtof(shortestReal(value).c_str(), nullptr), value);
  }
}

TEST(CsvLine, QuotesTextsMarksRealsAndLeavesMissingValuesEmpty) {
  const CsvRow row = {std::int32_t{3}, std::string("PLAYA \"NORTE\", 2026"),  2.5f, 480.0f, 1e30f, true, false,
                      Missing{},       std::numeric_limits<float>::infinity()};
  EXPECT_EQ(csvLine(row), "3,\"PLAYA \"\"NORTE\"\", 2026\",2.5,480.0,1e+30,TRUE,FALSE,,");
}

}  // namespace
}  // namespace arribada::results
