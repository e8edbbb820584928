// Plain decimals rounded half up on the exact binary value, as the report's
// value lines round: the --field table must agree with the report.

#include <gtest/gtest.h>

#include <string>

#include "text/exact_decimal.hpp"

namespace arribada::text {
namespace {

TEST(RoundedDecimalTest, HalfUpOnTheExactValue) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {1285714.25, 1, "1285714.3"},  // an exact tie: up (printf's tie to even gives .2)
      {0.25, 1, "0.3"},
      {2.5, 0, "3"},
      {-12.35, 1, "-12.3"},  // the double is -12.3499999999999996...: below the tie
      {9.96, 1, "10.0"},     // the carry moves the point
      {-0.04, 1, "0.0"},     // no sign on a value that rounds to zero
      {46448.3, 1, "46448.3"},
  };
  for (const Case& c : cases) EXPECT_EQ(roundedDecimal(c.value, c.decimals), c.text) << c.value;
}

}  // namespace
}  // namespace arribada::text
