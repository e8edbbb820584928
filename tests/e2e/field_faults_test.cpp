// arribada --field under faults of the input and of the machine: it never
// aborts, refuses what it cannot read with one line and status 2, and says
// why a night has no limits.

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "e2e/harness.hpp"

namespace arribada::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kNight = "# AREA = 0.08\n# WIDTH = 2\n# HOURS = 4\n# MEANT = 58\n# LENGTH = 400\n"
                           "time,T1,T2\n20:00,1,2\n21:00,3,4\n22:00,5,6\n23:00,1,1\n";

struct FieldFault {
  const char* name;
  std::map<std::string, std::string> files;
  const char* arguments;
  int status;
  const char* screen;  // part of the standard output, or ""
  const char* errors;  // part of the error output, or ""
  std::uintmax_t hugeFileBytes = 0;  // a sparse file huge.dat of this size
};

class FieldFaultTest : public ::testing::TestWithParam<FieldFault> {};

TEST_P(FieldFaultTest, EndsWithItsStatusAndOneLine) {
  const FieldFault& f = GetParam();
  Sandbox box;
  for (const auto& [name, text] : f.files) box.writeFile(name, text);
  if (f.hugeFileBytes > 0) {
    box.writeFile("huge.dat", "HUGE\n");
    fs::resize_file(box.directory() / "huge.dat", f.hugeFileBytes);
  }
  const Result r = box.run("", "none.txt", f.arguments);
  EXPECT_EQ(r.status, f.status) << r.errors;
  EXPECT_NE(r.screen.find(f.screen), std::string::npos) << r.screen;
  EXPECT_NE(r.errors.find(f.errors), std::string::npos) << r.errors;
}

INSTANTIATE_TEST_SUITE_P(
    FieldMode, FieldFaultTest,
    ::testing::Values(
        // One transect, one time, weights on: the field-data job's one count, no estimate.
        FieldFault{"OneWeightedCount", {{"one.dat", "ONE\n0.08 2.0 10 58 400 1 1 1 1\n5\n400\n"}}, "--field one.dat",
                   0, "Night 1: one count, so no estimate", ""},
        FieldFault{"OneTransect", {{"t.dat", "ONE\n0.08 2.0 4 58 400 1 4 1 0\n1 2 3 4\n"}}, "--field t.dat", 0,
                   "Night 1: one transect, so no variance", ""},
        // Larger than the 64 MB limit: refused from its size, before a byte is read.
        FieldFault{"HugeFile", {}, "--field huge.dat", 2, "", "'huge.dat' is larger than 64 MB", 65u << 20},
        FieldFault{"EndlessDevice", {}, "--field /dev/zero", 2, "", "'/dev/zero' is larger than 64 MB"},
        FieldFault{"SameFileTwice", {{"n.csv", kNight}}, "--field n.csv n.csv", 2, "", "hold the same night"},
        FieldFault{"SameNightInTwoFiles", {{"a.csv", kNight}, {"b.csv", kNight}}, "--field a.csv b.csv", 2, "",
                   "hold the same night"},
        FieldFault{"OneDateTwice",
                   {{"a.csv", "# DATE = 2026-11-03\n" + kNight},
                    {"b.csv", "# DATE = 2026-11-03\n# TITLE = other\n" + kNight}},
                   "--field a.csv b.csv", 2, "", "both give DATE = 2026-11-03"},
        // The same counts with another title: read, with a warning.
        FieldFault{"SameCountsOtherText", {{"a.csv", kNight}, {"b.csv", "# TITLE = night 2\n" + kNight}},
                   "--field a.csv b.csv", 0, "total", "have the same counts"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace arribada::e2e
