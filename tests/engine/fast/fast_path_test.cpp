// The fast path against the plain one: the quicker interval choice against
// the scan, and whole jobs on one and two threads against the plain path,
// replicate by replicate. (The block-generated stream has block_stream_test.)

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/fast/block_stream.hpp"
#include "engine/fast/fast_generation.hpp"
#include "engine/random.hpp"
#include "engine/simulation.hpp"
#include "engine/table.hpp"

namespace arribada::engine {
namespace {

struct ChooserCase {
  std::vector<float> percent;  // cumulative proportions, the last 1.0
};

TEST(IntervalChooser, AgreesWithTheScan) {
  std::vector<ChooserCase> cases = {
      {{1.0f}},
      {{0.32f, 0.34f, 0.66f, 0.68f, 1.0f}},
      {{0.25f, 0.25f, 0.5f, 1.0f, 1.0f}},  // empty intervals, and 1.0 before the last row
      {{0.6f, 0.2f, 0.9f, 1.0f}},          // a negative weight: proportions go down
      {{0.0f, 0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f, 0.91f, 0.92f, 0.93f, 0.94f, 0.95f, 0.96f, 1.0f}},
  };
  std::vector<float> rows(kMaxTableRows);  // the longest table: one row per hour
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<float>(i + 1) / static_cast<float>(rows.size());
  rows.back() = 1.0f;
  cases.push_back({rows});
  for (const ChooserCase& k : cases) {
    GenerationConstants c;
    c.KK = static_cast<std::int32_t>(k.percent.size());
    for (std::size_t i = 0; i < k.percent.size(); ++i) c.PERCNT[i] = k.percent[i];
    const IntervalChooser choose(c);
    std::vector<float> draws = {1.0f, 4.656613e-10f, 0.99999994f};
    for (float q : k.percent) draws.insert(draws.end(), {q, std::nextafter(q, 0.0f), std::nextafter(q, 2.0f)});
    for (int i = 1; i < 4000; ++i) draws.push_back(static_cast<float>(i) / 4000.0f);
    for (float UU : draws) ASSERT_EQ(choose(UU, c), chooseInterval(UU, c)) << "UU " << UU << ", KK " << c.KK;
  }
}

// A job given by its law, size and table (built in when `marks` is empty).
struct JobCase {
  std::string name;
  std::int32_t KSW, NN, IHR, NTR, IC, IREP;
  float MIN, STDDEV;
  std::vector<float> marks, weights;
  bool mustShare;  // the two threads must really share some replicates
  bool redraws;    // the job must write out-of-range lines
};

struct Prepared {
  SimulationParameters p;
  NestingTable table;
};

Prepared prepare(const JobCase& k, std::int32_t JX) {
  Prepared job;
  job.p = {.NTI = 0, .NTR = k.NTR, .IC = k.IC, .NN = k.NN, .IHR = k.IHR, .JX = JX, .MIN = k.MIN,
           .IREP = k.IREP, .STDDEV = k.STDDEV, .KSW = k.KSW};
  job.table = k.marks.empty() ? builtInTable(job.p.IHR) : userTable(k.marks, k.weights, job.p.IHR);
  job.p.NTI = samplingSchedule(job.p.IHR).NTI();
  return job;
}

std::vector<std::int32_t> cellsOf(const SimulationJob& job, const SimulationParameters& p) {
  std::vector<std::int32_t> cells;
  for (std::int32_t J = 1; J <= p.NTR; ++J) {
    for (std::int32_t K = 1; K <= p.IHR + 1; ++K) cells.push_back(job.grid().at(J, K));
  }
  return cells;
}

std::vector<std::uint32_t> bitsOf(const ReplicateEstimate& e) {
  return {std::bit_cast<std::uint32_t>(e.MHAT), std::bit_cast<std::uint32_t>(e.VARM),
          std::bit_cast<std::uint32_t>(e.VARTR), std::bit_cast<std::uint32_t>(e.VARTI),
          std::bit_cast<std::uint32_t>(e.LCL), std::bit_cast<std::uint32_t>(e.UCL)};
}

struct Outcome {
  std::int32_t shared = 0;       // replicates shared between two threads
  std::int32_t redrawLines = 0;  // report lines of out-of-range times
  PlacementCounts counts;
};

// Runs the job on the plain path and on the fast one with `threads` and the
// kernels of `set`, and compares them after every replicate.
Outcome expectSameAsPlain(const JobCase& k, std::int32_t JX, std::int32_t threads, InstructionSet set,
                          const FastPathHooks& hooks = {}) {
  const Prepared job = prepare(k, JX);
  EngineOptions plainOptions;
  plainOptions.plain = true;
  EngineOptions fastOptions;
  fastOptions.threads = threads;
  fastOptions.instructionSet = set;
  fastOptions.hooks = hooks;
  SimulationJob plain(job.p, job.table, plainOptions);
  SimulationJob fast(job.p, job.table, fastOptions);
  text::RecordingSink plainReport;
  text::RecordingSink fastReport;
  for (std::int32_t L = 1; L <= job.p.IREP; ++L) {
    const ReplicateEstimate expected = plain.runReplicate(plainReport);
    const ReplicateEstimate got = fast.runReplicate(fastReport);
    const std::string where = k.name + ", JX " + std::to_string(JX) + ", " + std::to_string(threads) +
                              " thread(s), " + nameOf(set) + ", replicate " + std::to_string(L);
    EXPECT_EQ(fastReport.records, plainReport.records) << where;
    EXPECT_EQ(fast.JX(), plain.JX()) << where;
    EXPECT_EQ(cellsOf(fast, job.p), cellsOf(plain, job.p)) << where;
    EXPECT_EQ(fast.sampleWork().TI, plain.sampleWork().TI) << where;
    EXPECT_EQ(bitsOf(got), bitsOf(expected)) << where;
    if (::testing::Test::HasFailure()) return {};
  }
  Outcome outcome{fast.sharedReplicates(), 0, fast.placementCounts()};
  for (const std::string& record : plainReport.records) {
    if (record.find("MHAT=") == std::string::npos && record.find("SUMN NE") == std::string::npos) {
      ++outcome.redrawLines;
    }
  }
  return outcome;
}

// A table of as many rows as a pilot survey's sampling times: 102 two-hour
// intervals of a 204-hour arribada, the weights rising then falling, some 0.
JobCase pilotTable(std::string name, std::int32_t KSW) {
  JobCase k{std::move(name), KSW, 34000, 204, 10, 5, 2, 60.0f, 2.0f, {}, {}, true, false};
  for (std::int32_t i = 1; i <= 102; ++i) {
    k.marks.push_back(2.0f * static_cast<float>(i));
    k.weights.push_back(static_cast<float>(i % 17 == 0 ? 0 : std::min(i, 103 - i)));
  }
  return k;
}

// NN at least FastGenerator::kMinParallel, so that two threads share the replicates.
const std::vector<JobCase> kJobs = {
    {"normal, built-in table", 1, 40000, 60, 10, 5, 3, 5.0f, 2.0f, {}, {}, true, false},
    {"Poisson, built-in table", 2, 40000, 60, 10, 5, 3, 5.0f, 2.0f, {}, {}, true, false},
    {"uniform, built-in table", 3, 40000, 60, 10, 5, 3, 5.0f, 2.0f, {}, {}, true, false},
    // An odd NN: replicates start in the middle of a normal pair.
    {"normal, odd NN, IC not dividing NTR", 1, 33333, 36, 10, 3, 4, 60.0f, 2.0f, {}, {}, true, false},
    // A 2-hour first interval with a wide law: times before hour -1.5 are redrawn.
    {"normal, short table with redraws", 1, 36000, 6, 7, 2, 3, 30.0f, 6.0f, {2.0f, 4.0f, 6.0f}, {1.0f, 2.0f, 1.0f}, true, true},
    // A last mark of 6.7 hours gives IHR 6, so times past hour 6.5 are redrawn;
    // a Poisson time can reach 3 + 4 + a fraction in the 4.9-hour interval ending at 7.9 (IHR 7).
    {"uniform, table ending between hours", 3, 34000, 6, 5, 5, 3, 20.0f, 2.0f, {2.0f, 4.0f, 6.7f}, {1.0f, 1.0f, 2.0f}, true, true},
    {"Poisson, table ending between hours", 2, 34000, 6, 9, 4, 3, 20.0f, 2.0f, {3.0f, 7.9f}, {1.0f, 3.0f}, true, true},
    {"Poisson, one-hour intervals", 2, 40000, 3, 3, 3, 2, 60.0f, 2.0f, {1.0f, 2.0f, 3.0f}, {1.0f, 1.0f, 1.0f}, true, false},
    // One 120-hour interval: chains of up to 119 products, many of them
    // running past the end of a block.
    {"Poisson, one long interval", 2, 33000, 120, 10, 5, 2, 5.0f, 2.0f, {120.0f}, {1.0f}, true, false},
    // Replicates of 2^18 females and more: the second thread notes the wider window.
    {"normal, wide window", 1, 1 << 18, 60, 10, 5, 2, 5.0f, 2.0f, {}, {}, true, false},
    {"Poisson, wide window", 2, 1 << 18, 60, 10, 5, 2, 5.0f, 2.0f, {}, {}, true, false},
    // Too few females to share: the one-thread block path.
    {"normal, small job", 1, 1001, 24, 4, 2, 5, 30.0f, 2.0f, {}, {}, false, false},
    pilotTable("uniform, a pilot's 102 intervals", 3),
    pilotTable("normal, a pilot's 102 intervals", 1),
};

// Every instruction set this processor runs: the program picks one of them when it starts.
TEST(FastPath, SameGridsEstimatesAndReportLinesAsThePlainPath) {
  for (const JobCase& k : kJobs) {
    Outcome all;
    for (std::int32_t JX : {1, 762500001, 2147483645}) {
      for (std::int32_t threads : {1, 2}) {
        const auto sets = runnableInstructionSets();
        // Each set on one thread; on two, the best set (the threads' protocol does not depend on it).
        for (InstructionSet set : threads == 1 ? sets : std::vector{sets.back()}) {
          const Outcome o = expectSameAsPlain(k, JX, threads, set);
          if (threads == 1) {
            EXPECT_EQ(o.shared, 0);
          }
          all.shared += o.shared;
          all.redrawLines += o.redrawLines;
        }
      }
    }
    EXPECT_TRUE(!k.mustShare || all.shared > 0) << k.name;
    EXPECT_TRUE(!k.redraws || all.redrawLines > 0) << k.name;
  }
}

// The fast path's rare ways, each forced where the draws make it rare, give
// the plain path's results and are counted.
TEST(FastPath, RareWaysForcedGiveThePlainResultsAndAreCounted) {
  struct Forced {
    std::string name;
    const JobCase& job;
    std::int32_t threads;
    FastPathHooks hooks;
    std::int64_t PlacementCounts::*counter;
  };
  FastPathHooks farStart;  // the second thread starts a replicate's length of draws too late: they never meet
  farStart.secondStartShift = 4 * kJobs[0].NN;
  FastPathHooks wideBracket;  // about one deviate in 16 has a float rounding boundary inside the bracket
  wideBracket.logBracket = 0x1p-28;
  const std::vector<Forced> forced = {
      {"second thread never met", kJobs[0], 2, farStart, &PlacementCounts::alone},
      {"logarithms computed again", kJobs[3], 1, wideBracket, &PlacementCounts::logsRecomputed},
      {"batches ended by a redraw", kJobs[4], 1, {}, &PlacementCounts::redrawEnds},
      {"replicates shared", kJobs[0], 2, {}, &PlacementCounts::shared},
  };
  for (const Forced& f : forced) {
    for (InstructionSet set : runnableInstructionSets()) {
      const Outcome o = expectSameAsPlain(f.job, 762500001, f.threads, set, f.hooks);
      EXPECT_GT(o.counts.*f.counter, 0) << f.name << ", " << nameOf(set);
    }
  }
  // Without the hook the bracket decides nearly every rounding.
  const Outcome plainBracket = expectSameAsPlain(kJobs[3], 762500001, 1, bestInstructionSet());
  EXPECT_LT(plainBracket.counts.logsRecomputed, 20);
}

TEST(FastPath, GuessedDrawsPerFemaleMatchTheLaws) {
  JobCase uniform = kJobs[2];
  const Prepared u = prepare(uniform, 1);
  EXPECT_EQ(expectedDrawsPerFemale(makeGenerationConstants(u.p, u.table), u.table), 3.0);
  // Normal: interval and strip, and 2 draws per attempt at a pair, accepted
  // with chance pi / 4, shared by two females: 2 + 4 / pi.
  const Prepared n = prepare(kJobs[0], 1);
  EXPECT_NEAR(expectedDrawsPerFemale(makeGenerationConstants(n.p, n.table), n.table), 3.2732, 1e-4);
  // Poisson with one-hour intervals: NM = 0, so no products: 4 draws.
  const Prepared p = prepare(kJobs[7], 1);
  EXPECT_EQ(expectedDrawsPerFemale(makeGenerationConstants(p.p, p.table), p.table), 4.0);
}

}  // namespace
}  // namespace arribada::engine
