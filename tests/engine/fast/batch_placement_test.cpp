// The fast path's batches against the plain per-female step: runs of
// females of every law, of lengths that are and are not multiples of a
// batch, one run after the other on the same stream and pair (as replicates
// follow each other), with out-of-range times inside batches.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/fast/batch_placement.hpp"
#include "engine/fast/block_stream.hpp"
#include "engine/generation.hpp"
#include "engine/random.hpp"
#include "engine/table.hpp"

namespace arribada::engine {
namespace {

struct RunCase {
  std::string name;
  std::int32_t KSW, IHR, NTR;
  float MIN, STDDEV;
  std::vector<float> marks, weights;  // built-in table when empty
  bool redraws;                       // out-of-range times must occur
};

// Lengths of consecutive runs: a whole batch, one more and one less, a single
// female, and lengths that are no multiple of the batch.
const std::vector<std::int32_t> kRuns = {BatchPlacer::kBatch, BatchPlacer::kBatch + 1, 1, BatchPlacer::kBatch - 1,
                                         1000, 3, 2 * BatchPlacer::kBatch + 77};

const std::vector<RunCase> kCases = {
    {"normal, built-in", 1, 60, 10, 5.0f, 2.0f, {}, {}, false},
    {"Poisson, built-in", 2, 120, 1000, 5.0f, 2.0f, {}, {}, false},
    {"uniform, built-in", 3, 36, 7, 30.0f, 2.0f, {}, {}, false},
    // A wide normal law on a 1-hour first interval: many times fall before hour -1 and are redrawn.
    {"normal, frequent redraws", 1, 5, 3, 20.0f, 12.0f, {1.0f, 5.0f}, {3.0f, 1.0f}, true},
    // IHR 6 from a last mark of 6.9: times past hour 6.5 are redrawn.
    {"uniform, table ending between hours", 3, 6, 4, 20.0f, 2.0f, {2.0f, 6.9f}, {1.0f, 3.0f}, true},
    {"Poisson, table ending between hours", 2, 7, 5, 20.0f, 2.0f, {3.0f, 7.9f}, {1.0f, 3.0f}, true},
    // Intervals of one length (the Poisson batches' data-parallel way), times past hour 7.5 redrawn.
    {"Poisson, equal intervals ending between hours", 2, 7, 5, 20.0f, 2.0f, {3.9f, 7.8f}, {1.0f, 1.0f}, true},
};

struct Run {
  std::vector<std::int32_t> cells;
  std::vector<std::string> lines;
};

std::vector<std::int32_t> cellsOf(const CountGrid& grid, std::int32_t NTR, std::int32_t hours) {
  std::vector<std::int32_t> cells;
  for (std::int32_t J = 1; J <= NTR; ++J) {
    for (std::int32_t K = 1; K <= hours; ++K) cells.push_back(grid.at(J, K));
  }
  return cells;
}

TEST(BatchPlacer, RunAfterRunSameAsThePlainStep) {
  for (InstructionSet set : runnableInstructionSets()) {
    for (const RunCase& k : kCases) {
      SimulationParameters p{.NTI = 0,
                             .NTR = k.NTR,
                             .IC = 1,
                             .NN = 0,
                             .IHR = k.IHR,
                             .JX = 0,
                             .MIN = k.MIN,
                             .IREP = 1,
                             .STDDEV = k.STDDEV,
                             .KSW = k.KSW};
      const NestingTable table = k.marks.empty() ? builtInTable(p.IHR) : userTable(k.marks, k.weights, p.IHR);
      const GenerationConstants c = makeGenerationConstants(p, table);
      for (std::int32_t seed : {1, 762500001, 2147483646}) {
        std::int32_t JX = seed;
        NormalPair plainPair;
        CountGrid plainGrid(p.NTR, c.hours);
        BatchPlacer placer(c, set);
        BlockStream stream(seed, placer.fillBlock());
        NormalPair fastPair;
        CountGrid fastGrid(p.NTR, c.hours);
        std::int32_t redraws = 0;
        std::int32_t insideBatch = 0;  // redraws of females other than a batch's first
        for (std::size_t run = 0; run < kRuns.size(); ++run) {
          const std::string where =
              k.name + ", " + nameOf(set) + ", seed " + std::to_string(seed) + ", run " + std::to_string(run);
          text::RecordingSink plainLines;
          generateReplicate(plainGrid, JX, plainPair, c, kRuns[run], plainLines);
          text::RecordingSink fastLines;
          fastGrid.clear();
          placer.place(stream, fastPair, 0, kRuns[run], fastGrid,
                       [&](std::int64_t female, std::int32_t K, float TIME, float HR) {
                         fastLines.write({K, TIME, HR, static_cast<std::int32_t>(female + 1)});
                         ++redraws;
                         if (female % BatchPlacer::kBatch != 0) ++insideBatch;
                       });
          ASSERT_EQ(fastLines.records, plainLines.records) << where;
          ASSERT_EQ(cellsOf(fastGrid, p.NTR, c.hours), cellsOf(plainGrid, p.NTR, c.hours)) << where;
          ASSERT_EQ(stream.state(), JX) << where;
          ASSERT_EQ(fastPair.ISW, plainPair.ISW) << where;
          if (plainPair.ISW == 0) {
            ASSERT_EQ(std::bit_cast<std::uint32_t>(fastPair.Z), std::bit_cast<std::uint32_t>(plainPair.Z)) << where;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(fastPair.U1), std::bit_cast<std::uint32_t>(plainPair.U1)) << where;
            ASSERT_EQ(std::bit_cast<std::uint32_t>(fastPair.U2), std::bit_cast<std::uint32_t>(plainPair.U2)) << where;
          }
        }
        if (k.redraws) {
          EXPECT_GT(insideBatch, 0) << k.name << ", seed " << seed;
        } else {
          EXPECT_EQ(redraws, 0) << k.name << ", seed " << seed;
        }
      }
    }
  }
}

// A female whose every time is out of range ends the run with the plain step's error, not a hang.
TEST(BatchPlacer, AFemaleThatCanNeverBePlacedEndsTheRun) {
  SimulationParameters p{.NTI = 0, .NTR = 2, .IC = 1, .NN = 0, .IHR = 0, .JX = 0, .MIN = 5.0f,
                         .IREP = 1, .STDDEV = 2.0f, .KSW = 3};
  const std::vector<float> marks = {3.0f, 9.0f};
  const std::vector<float> weights = {0.0f, 1.0f};
  const NestingTable table = userTable(marks, weights, p.IHR);
  GenerationConstants c = makeGenerationConstants(p, table);
  c.hours = 2;  // hours 0 and 1 only: the second interval's times (3 to 9) never fit
  BatchPlacer placer(c);
  BlockStream stream(12345);
  NormalPair pair;
  CountGrid grid(p.NTR, c.hours);
  std::int32_t lines = 0;
  EXPECT_THROW(placer.place(stream, pair, 0, 10, grid, [&](std::int64_t, std::int32_t, float, float) { ++lines; }),
               text::RunTimeError);
  EXPECT_EQ(lines, kMaxRedraws + 1);
}

}  // namespace
}  // namespace arribada::engine
