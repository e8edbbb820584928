// A results folder is whole or absent, whatever stops the run: a closed
// screen, an interrupt at several moments, a target that cannot be written or
// fills up, a later check that fails. Each case names what must be left: the
// folder whole, or nothing of its name (and no unfinished folder beside it).

#include <sys/mount.h>

#include "e2e/harness.hpp"

namespace arribada::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kQuickDesign =
    "NTR = 10\nNN = 2000\nIHR = 24\nIREP = 5\nIC = 2, 5\nEVERY = 2, 3\n"
    "ROUND_MINUTES = 30\nSTRIP_MINUTES = 10\nTARGET_CV = 0.5\n";
// About a second a replicate on an uneven beach: a signal after replicate 1's
// progress line lands in the last replicate.
const std::string kSlowDesign =
    "NTR = 10\nNN = 5000000\nIREP = 2\nDENSITY = 1, 2\nIC = 2, 5\n"
    "ROUND_MINUTES = 30\nSTRIP_MINUTES = 10\nTARGET_CV = 0.5\n";
const std::string kSurvey = readFile(fs::path(ARRIBADA_SOURCE_DIR) / "examples" / "night-1.csv");

bool unfinishedLeft(const fs::path& directory) {
  for (const auto& entry : fs::directory_iterator(directory)) {
    if (entry.path().filename().string().find(".unfinished") != std::string::npos) return true;
  }
  return false;
}

struct ShellCase {
  const char* name;
  std::string files;     // design or survey file written as in.txt
  std::string command;   // run in the sandbox; $A is the program
  int status;
  bool folderWhole;      // "out" holds every file of `expectedFiles`
  std::vector<std::string> expectedFiles;
  std::string said;      // on errors.out
  bool tableShown = false;
};

class ShellFaultTest : public ::testing::TestWithParam<ShellCase> {};

TEST_P(ShellFaultTest, LeavesTheFolderWholeOrAbsent) {
  const ShellCase& c = GetParam();
  Sandbox box;
  box.writeFile("in.txt", c.files);
  const std::string command = "cd '" + box.directory().string() + "' && A='" + ARRIBADA_BINARY + "' && " + c.command;
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_EQ(std::stoi(readFile(box.directory() / "status")), c.status);
  const std::string errors = readFile(box.directory() / "errors.out");
  EXPECT_NE(errors.find(c.said), std::string::npos) << errors;
  EXPECT_EQ(fs::exists(box.directory() / "out"), c.folderWhole);
  for (const std::string& file : c.expectedFiles) EXPECT_TRUE(fs::exists(box.directory() / "out" / file)) << file;
  EXPECT_FALSE(unfinishedLeft(box.directory()));
  if (c.tableShown) {
    EXPECT_NE(readFile(box.directory() / "screen.out").find("total"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ShellFaultTest,
    ::testing::Values(
        // A pipe closed before the table: the files are finished all the same.
        ShellCase{"DesignIntoAClosedPipe", kQuickDesign,
                  "( \"$A\" --design in.txt --results out 2> errors.out; echo $? > status ) | true", 2, true,
                  {"designs.csv", "design-replicates.csv", "designs.svg"},
                  "write failed on the standard output (Broken pipe): the table was not shown, but designs.csv"},
        ShellCase{"FieldIntoAClosedPipe", kSurvey,
                  "(sleep 0.2; \"$A\" --field in.txt --results out 2> errors.out; echo $? > status ) | true", 2, true,
                  {"field.csv", "field.svg"}, "write failed on the standard output (Broken pipe)"},
        // A folder that cannot be made: the table first, then the error.
        ShellCase{"FieldIntoAMissingFolder", kSurvey,
                  "\"$A\" --field in.txt --results missing/out > screen.out 2> errors.out; echo $? > status", 2, false,
                  {}, "the results folder 'missing/out' was not made", true},
        // A later check fails: the folder made for the run is removed.
        ShellCase{"DialogueWhoseReportExists", "",
                  "echo kept > report.txt && printf \"'report.txt'\\n\" | \"$A\" --results out > screen.out "
                  "2> errors.out; echo $? > status",
                  2, false, {}, "The results folder 'out' was not made"}),
    [](const auto& info) { return std::string(info.param.name); });

// Interrupts at several moments; none leaves a folder of the final name.
struct SignalCase {
  const char* name;
  std::vector<std::string> arguments;
  std::string typed;     // answers for the dialogue
  std::string waitFor;   // on errors.out (or the screen for the dialogue)
  int signal;
  bool exited;           // with 128 + signal; else killed by it
  std::string said;
};

class SignalFaultTest : public ::testing::TestWithParam<SignalCase> {};

TEST_P(SignalFaultTest, LeavesNoFolderOfTheFinalName) {
  const SignalCase& c = GetParam();
  Sandbox box;
  box.writeFile("slow.design", kSlowDesign);
  LiveRun run(box.directory(), LiveRun::ScreenTo::File, c.arguments);
  run.type(c.typed);
  const fs::path watched = box.directory() / (c.typed.empty() ? "errors.out" : "screen.out");
  ASSERT_TRUE(LiveRun::waitForText(watched, c.waitFor, 120)) << readFile(watched);
  // At a prompt: the job's last replicate shown, its end and files a moment later.
  if (!c.exited) std::this_thread::sleep_for(std::chrono::milliseconds(500));
  run.sendSignal(c.signal);
  const int status = run.wait();
  if (c.exited) {
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + c.signal) << "wait status " << status;
  } else {
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal) << "wait status " << status;
  }
  const std::string errors = readFile(box.directory() / "errors.out");
  EXPECT_NE(errors.find(c.said), std::string::npos) << errors;
  EXPECT_FALSE(fs::exists(box.directory() / "out"));
  EXPECT_FALSE(unfinishedLeft(box.directory()));
}

const std::string kLongJob = "'report.txt'\n\nY\n1000000\nN\n0\nN\n0\nN\n0\nN\n0\nN\n0\nN\n1000\nN\n12345\nN\n0\nN\n";
const std::string kShortJob = "'report.txt'\n\nY\n1000\nN\n0\nN\n0\nN\n0\nN\n0\nN\n0\nN\n2\nN\n12345\nN\n0\nN\n";

INSTANTIATE_TEST_SUITE_P(
    Moments, SignalFaultTest,
    ::testing::Values(
        SignalCase{"DesignInTheLastReplicate", {"--design", "slow.design", "--results", "out"}, "",
                   "replicate 1 of 2", SIGTERM, true,
                   "design search interrupted in scenario 1 of 1 after replicate 2; nothing was kept: the results "
                   "folder out was not made"},
        SignalCase{"DesignHangUpInTheLastReplicate", {"--design", "slow.design", "--results", "out"}, "",
                   "replicate 1 of 2", SIGHUP, true, "nothing was kept"},
        SignalCase{"DialogueInTheReplicates", {"--results", "out"}, kLongJob, "REPLICATE NUMBER =          2",
                   SIGINT, true, "without a summary; the results folder 'out' was not made"},
        SignalCase{"DialogueAtAPromptAfterAJob", {"--results", "out"}, kShortJob,
                   "REPLICATE NUMBER =          2", SIGTERM, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A target that fills up (a small memory file system, mounted where the
// superuser may): no folder of the final name, the error said.
TEST(FullDiskTest, DesignSearchLeavesNoFolder) {
  Sandbox box;
  const fs::path tiny = box.directory() / "tiny";
  fs::create_directory(tiny);
  const std::string mount = "mount -t tmpfs -o size=16k tmpfs '" + tiny.string() + "' 2> /dev/null";
  if (std::system(mount.c_str()) != 0) GTEST_SKIP() << "no small file system can be mounted here";
  // About 800 replicate rows, more than the 16 kB there.
  box.writeFile("in.txt", "NTR = 10\nNN = 2000\nIHR = 24\nIREP = 200\nIC = 2, 5\nEVERY = 2, 3\n"
                          "ROUND_MINUTES = 30\nSTRIP_MINUTES = 10\nTARGET_CV = 0.5\n");
  const auto result = box.run("", "none", "--design in.txt --results tiny/out");
  const std::string unmount = "umount '" + tiny.string() + "'";
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.errors.find("No space left on device"), std::string::npos) << result.errors;
  EXPECT_FALSE(fs::exists(tiny / "out"));
  EXPECT_FALSE(unfinishedLeft(tiny));
  EXPECT_EQ(std::system(unmount.c_str()), 0);
}

}  // namespace
}  // namespace arribada::e2e
