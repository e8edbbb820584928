#pragma once
// The fast way to build a replicate's count grid: the same per-female step
// as the plain path, fed by a block-generated stream, and with two threads
// sharing the females of a replicate.
//
// The second thread cannot know where in the stream the second half of the
// replicate starts: the number of draws per female depends on the draws. It
// starts at a guessed place with a fresh normal pair and notes, for its first
// window of females (kWindow, or a quarter of that for smaller replicates),
// where each starts in the stream and in what pair state.
// The first thread places the first half, then goes on female by female until
// it stands at one of those starts in the same pair state: from there both
// decode the same stream identically, so the second thread's work from that
// female on is the replicate's own, and the female numbers follow. When the
// two never meet (a bad guess, or redraws that shift the stream), or the
// second thread fails, the first thread simply places the rest itself. Which
// of these happens depends only on the draws, never on the threads' timing,
// and the grid, the report lines and the final stream are those of the plain
// path in every case.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

#include "engine/fast/batch_placement.hpp"
#include "engine/generation.hpp"
#include "engine/fast/worker.hpp"
#include "text/channels.hpp"

namespace arribada::engine {

// An out-of-range time noted by the second thread, reported once its female's
// number is known.
struct RedrawNote {
  std::int64_t female = 0;  // 0-based among the second thread's females
  std::int32_t K = 0;
  float TIME = 0.0f;
  float HR = 0.0f;
};

// Where a female starts: draws from the start of the replicate, and the pair state.
struct FemaleStart {
  std::uint64_t offset = 0;
  NormalPair pair;
};

// How a job's replicates were placed: the rare ways are counted so that
// the benchmark can show them and the tests can check that they ran.
// Counts of the second thread's work include work it did on a start the
// first thread then did not use.
struct PlacementCounts {
  std::int64_t shared = 0;          // replicates whose second part came from the second thread
  std::int64_t alone = 0;           // replicates big enough to share that the first thread finished
                                    // alone (the two threads never met, or the second failed)
  std::int64_t logsRecomputed = 0;  // normal-law deviates whose bracket left the rounding open
  std::int64_t redrawEnds = 0;      // batches ended by a female whose time left the arribada
};

// Only tests set these, to force the fast path's rare ways.
struct FastPathHooks {
  std::int64_t secondStartShift = 0;  // draws added to the second thread's guessed start
  double logBracket = kLogBracket;    // relative width of the bracket around the quick logarithm
};

class FastGenerator {
 public:
  static constexpr std::int32_t kWindow = 2048;  // starts the second thread notes at most
  static constexpr std::int32_t kMinParallel = 16 * kWindow;
  static constexpr std::size_t kMaxNotes = 1 << 16;  // redraw lines the second thread may hold

  // threads: 1 for the sequential block path, 2 to share each replicate;
  // `set` must be one the processor runs.
  FastGenerator(const GenerationConstants& c, const NestingTable& table, std::int32_t threads,
                InstructionSet set = bestInstructionSet(), const FastPathHooks& hooks = {});

  // Clears TRAN and places NN females, exactly as generateReplicate does.
  void generate(CountGrid& TRAN, std::int32_t& JX, NormalPair& pair, std::int32_t NN, text::RecordSink& report);

  // Replicates so far whose second half came from the second thread.
  std::int32_t sharedReplicates() const { return shared_; }
  PlacementCounts counts() const;
  // Draws taken by every replicate so far.
  std::uint64_t drawsTaken() const { return drawsSeen_; }
  InstructionSet instructionSet() const { return first_.instructionSet(); }

 private:
  struct Speculation;

  void shareReplicate(CountGrid& TRAN, std::int32_t& JX, NormalPair& pair, std::int32_t NN,
                      text::RecordSink& report);
  std::int64_t planSpeculation(Speculation& s, std::int32_t JX, std::int32_t NN);
  std::int64_t meetSecond(const Speculation& s, BlockStream& stream, NormalPair& own, std::int64_t& placed,
                          CountGrid& TRAN, text::RecordSink& report);
  void adoptSecond(const Speculation& s, std::int64_t meet, std::int64_t placed, CountGrid& TRAN, std::int32_t& JX,
                   NormalPair& pair, text::RecordSink& report);
  // Refines the guess of draws per female with a replicate of NN females that took `draws`.
  void noteDraws(std::uint64_t draws, std::int32_t NN);
  // The second thread's side.
  void runSecond(Speculation& s);
  void placeWindow(Speculation& s, BlockStream& stream, NormalPair& pair);
  bool placeUntilTold(Speculation& s, BlockStream& stream, NormalPair& pair);
  void noteRedraw(std::int64_t female, std::int32_t K, float TIME, float HR);
  std::uint64_t guessedOffset(std::int32_t females) const;
  // The starts the second thread notes for a replicate of NN females; it
  // starts half as many females before the guessed middle.
  static std::int32_t windowFor(std::int32_t NN);

  GenerationConstants c_;
  BatchPlacer first_;   // the first thread's batches
  BatchPlacer second_;  // the second thread's
  std::int32_t threads_;
  double drawsPerFemale_;  // expected draws per female, refined by every replicate
  std::int32_t shared_ = 0;
  std::int32_t alone_ = 0;
  std::int64_t secondStartShift_;
  std::uint64_t drawsSeen_ = 0;
  std::uint64_t femalesSeen_ = 0;
  std::uint64_t granule_;  // draws per female are a multiple of this (without redraws)
  CountGrid secondGrid_;
  std::vector<std::int32_t> windowCells_;
  std::vector<FemaleStart> windowStarts_;
  std::vector<RedrawNote> notes_;
  std::int32_t window_ = kWindow;  // of the replicate being shared
  Worker worker_;  // last, so that it stops before the members its task uses go
};

// Draws a female takes on average with this table and law, out-of-range
// redraws left aside; the first guess for the second thread's start.
double expectedDrawsPerFemale(const GenerationConstants& c, const NestingTable& table);

}  // namespace arribada::engine
