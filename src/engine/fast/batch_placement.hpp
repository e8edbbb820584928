#pragma once
// The fast path's per-female work: runs of females placed from a block
// stream in batches, with a loop made for each law, and the plain path's
// per-female step (placeFemale) for every female whose nesting time falls
// outside the arribada.
//
// A batch places its females on the assumption that none needs a redraw,
// which with the built-in table is always so. The nearest-hour test of each
// female says whether the assumption held; at the first female for which it
// did not, the stream goes back to where she started, the pair state is the
// one she started with, and placeFemale places her exactly as the plain path
// does (redraw lines, error messages and all). The next batch starts after her.
//
// The batches themselves are the kernels of placement_kernels.inc, compiled
// for each instruction set; this file holds what they share and the loop
// that runs them.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "engine/fast/block_stream.hpp"
#include "engine/generation.hpp"
#include "engine/fast/placement_kernels.hpp"
#include "engine/fast/quick_log.hpp"

namespace arribada::engine {

// The interval of a draw without a branch per row. When the cumulative
// proportions never decrease (always so for the built-in table, and for user
// tables without negative weights), the rows the scan passes over are exactly
// the rows below UU, so their number gives the scan's answer; otherwise the
// scan itself is used.
class IntervalChooser {
 public:
  explicit IntervalChooser(const GenerationConstants& c);
  std::int32_t operator()(float UU, const GenerationConstants& c) const {
    if (!ascending_) return chooseInterval(UU, c);
    // The loop's length is the same for every female of a job, so its end is predicted.
    std::int32_t below = 0;
    for (std::int32_t j = 0; j < rows_; ++j) below += bounds_[static_cast<std::size_t>(j)] < UU ? 1 : 0;
    return below + 1;
  }

 bool ascending() const { return ascending_; }
  std::int32_t rows() const { return rows_; }
  float bound(std::int32_t row) const { return bounds_[static_cast<std::size_t>(row)]; }

 private:
  bool ascending_ = true;
  std::int32_t rows_ = 0;                          // KK - 1
  std::array<float, kMaxTableRows - 1> bounds_{};  // PERCNT of all rows but the last, then +infinity
};

// The relative error the normal law's batches allow around their quick
// logarithm: well above its proven error (placement_kernels.inc) plus that
// of any library logarithm (within an ulp), so that the library's value of
// ln W always lies inside the bracket.
inline constexpr double kLogBracket = 0x1p-40;

// What a batch reads, its scratch space and its counts: one per thread.
// Aligned to a cache line: the two threads each write their own, side by side in the generator.
struct alignas(64) BatchContext {
  static constexpr std::int32_t kBatch = 256;  // females per batch

  explicit BatchContext(const GenerationConstants& constants);

  GenerationConstants c;
  IntervalChooser choose;
  double hourLimit;  // IHR + 1
  const QuickLogTable* logTable;
  // Relative width of the bracket around the quick logarithm; only tests widen it.
  double logBracket = kLogBracket;
  // Logarithms whose bracket could not decide the rounding of Z, computed
  // again with std::log.
  std::uint64_t logsRecomputed = 0;
  // The intervals' DIFF, start, STUD and MEANT, by interval (0-based), for vector loops.
  std::array<float, kMaxTableRows> DIFF{}, start{}, STUD{}, MEANT{};
  // The batch's females: where each starts in the stream, her interval and strip.
  std::array<std::uint64_t, kBatch + 1> starts{};
  alignas(64) std::array<std::int32_t, kBatch> interval{};
  alignas(64) std::array<std::int32_t, kBatch> strip{};
  // The batch's fresh pairs, in order: the accepted U1, U2 and W, and Z before clamping.
  alignas(64) std::array<float, kBatch> U1{}, U2{}, W{}, Z{};
  // The female's draws, and her cell (-1 when she left the arribada) and
  // whether she is tallied in it; the cells of the tallied ones, in order.
  alignas(64) std::array<float, kBatch> UU{}, timeDraw{}, stripDraw{};
  alignas(64) std::array<std::int32_t, kBatch> cell{}, counted{}, tallied{};
  // Every female's nesting time, and (Poisson law) her whole hours.
  alignas(64) std::array<float, kBatch> times{};
  alignas(64) std::array<std::int32_t, kBatch> whole{};
  // Normal law: the places in the block of each female's first draw and
  // strip draw, and of each fresh pair's U1; every female's clamped Z (with
  // room for the second deviate of a pair the batch's last female starts).
  alignas(64) std::array<std::int32_t, kBatch> intervalAt{}, stripAt{}, pairAt{};
  alignas(64) std::array<float, kBatch + 2> femaleZ{};
  std::array<std::int32_t, kBatch> undecided{};
  // Normal law: for the block with key pairBlock, bit p of acceptedBits is
  // set when an attempt at a pair from place p is accepted (accepted[p] the
  // same as bytes). pairsUsable is false for a block with a draw of 0.5
  // (U1 = 0, which the plain step draws again alone).
  static constexpr std::int32_t kNoPair = BlockStream::kBlock;
  static constexpr std::int32_t kWords = BlockStream::kBlock / 64;
  alignas(64) std::array<std::uint8_t, BlockStream::kBlock> accepted{};
  std::array<std::uint64_t, kWords> acceptedBits{};
  // The same block's pair coordinate of every place and W of an attempt
  // from every place; and for every place q the first accepted attempt among
  // the kNearAttempts attempts q, q + 2, ..., or kFarPair when there is none
  // (places past the block included), so that a batch finds nearly every
  // pair by one look-up.
  static constexpr std::int16_t kFarPair = 0x7fff;
  static constexpr std::int32_t kNearAttempts = 4;  // a power of 2
  static constexpr std::int32_t kNearPadding = 2 * kNearAttempts;
  alignas(64) std::array<float, BlockStream::kBlock> coordinate{}, radius{};
  alignas(64) std::array<std::int16_t, BlockStream::kBlock + kNearPadding> nearPair{}, nearScratch{};
  std::uint32_t pairBlock = 0;
  bool pairsUsable = false;
  // Poisson law, when every interval has the same DEXP and NM >= 1 (the
  // built-in table): for the block with key productsBlock, the whole hours
  // of a female whose first product draw is at place p (as many products as
  // she takes), or -1 when her products run past the block.
  bool oneShape = false;
  alignas(64) std::array<std::int32_t, BlockStream::kBlock> hoursFrom{};
  std::uint32_t productsBlock = 0;
  // The draws of the block's last places padded with zeros, and their whole hours.
  alignas(64) std::array<float, 1024> tailDraws{};
  alignas(64) std::array<std::int32_t, 512> tailHours{};
};

class BatchPlacer {
 public:
  static constexpr std::int32_t kBatch = BatchContext::kBatch;

  // The kernels of `set`, which the processor must run.
  explicit BatchPlacer(const GenerationConstants& c, InstructionSet set = bestInstructionSet());

  const IntervalChooser& chooser() const { return ctx_.choose; }
  InstructionSet instructionSet() const { return kernels_->set; }
  FillBlock fillBlock() const { return kernels_->fill; }
  BatchContext& context() { return ctx_; }
  // Batches that ended at a female who left the arribada.
  std::uint64_t redrawEnds() const { return redrawEnds_; }
  std::uint64_t logsRecomputed() const { return ctx_.logsRecomputed; }

  // Places `count` females from `stream`, tallying them in `grid`; `first` is
  // the 0-based number of the first of them, and onRedraw(female, K, TIME, HR)
  // is called with that numbering for every out-of-range time, in order.
  template <class OnRedraw>
  void place(BlockStream& stream, NormalPair& pair, std::int64_t first, std::int64_t count, CountGrid& grid,
             OnRedraw&& onRedraw) {
    const BatchKernel batch = kernels_->batchOf(ctx_.c.law);
    for (std::int64_t done = 0; done < count;) {
      const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(kBatch, count - done));
      const std::uint64_t batchOffset = stream.used();
      const std::int32_t batchState = stream.state();
      const BatchResult result = batch(ctx_, stream, pair, n, grid);
      done += result.placed;
      if (!result.stopped) continue;
      // Female `placed` of the batch left the arribada: she is placed again from her start.
      ++redrawEnds_;
      const std::uint64_t her = ctx_.starts[static_cast<std::size_t>(result.placed)];
      stream.moveTo(her, stateAfter(batchState, her - batchOffset));
      placeExactly(stream, pair, first + done, grid, onRedraw);
      ++done;
    }
  }

 private:
  template <class OnRedraw>
  [[gnu::noinline]] void placeExactly(BlockStream& stream, NormalPair& pair, std::int64_t female, CountGrid& grid,
                                      OnRedraw& onRedraw) {
    const Placement placed = placeFemale(
        stream, pair, ctx_.c, [&](std::int32_t K, float TIME, float HR) { onRedraw(female, K, TIME, HR); },
        ctx_.choose);
    grid.tallyIf(CountGrid::cellOf(placed.J, placed.K, ctx_.c.hours), placed.tallied);
  }

  BatchContext ctx_;
  const PlacementKernels* kernels_;
  std::uint64_t redrawEnds_ = 0;
};

}  // namespace arribada::engine
