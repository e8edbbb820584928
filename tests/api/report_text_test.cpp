#include <gtest/gtest.h>

#include "api/report_text.hpp"

namespace arribada::api {
namespace {

// Figures of the README's expected reports, and the ends of the fixed form.
TEST(ReportRealTest, WritesTheReportsDigits) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {50198.4, "50198.400000"},          // AVERAGE ESTIMATED POPULATION SIZE of the default simulation
      {50198.3984375, "50198.400000"},    // the same single-precision real, as the engine holds it
      {2413847.0, "2413847.000000"},      // its EMPIRICAL VARIANCE
      {1.0, "1.000000"},                  // the fixed form's lower end
      {0.5, "5.000000E-01"},              // below it: the exponent form
      {10000000.0, "1.000000E+07"},       // and from 10 000 000 on
  };
  for (const auto& c : cases) EXPECT_EQ(reportReal(c.value), c.text) << c.value;
}

}  // namespace
}  // namespace arribada::api
