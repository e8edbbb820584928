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
// The normal law's batch works in three passes: the draws are taken and the
// pairs' rejections decided for all the batch's females (this needs no
// logarithm), then the logarithms, divisions and square roots of the batch's
// fresh pairs are computed in one loop of independent operations that the
// processor can overlap, then the females' times, hours and tallies are
// finished in order. Every value is computed by the same operations on the
// same operands as in normalDeviate; only independent computations change order.

#include <array>
#include <cmath>
#include <cstdint>

#include "engine/block_stream.hpp"
#include "engine/generation.hpp"

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

 private:
  bool ascending_ = true;
  std::int32_t rows_ = 0;                          // KK - 1
  std::array<float, kMaxIntervals - 1> bounds_{};  // PERCNT of all rows but the last, then +infinity
};

// Aligned to a cache line: the two threads each write their own placer, side by side in the generator.
class alignas(64) BatchPlacer {
 public:
  static constexpr std::int32_t kBatch = 256;  // females per batch

  explicit BatchPlacer(const GenerationConstants& c) : c_(c), choose_(c), hourLimit_(c.hours) {}

  const IntervalChooser& chooser() const { return choose_; }

  // Places `count` females from `stream`, tallying them in `grid`; `first` is
  // the 0-based number of the first of them, and onRedraw(female, K, TIME, HR)
  // is called with that numbering for every out-of-range time, in order.
  template <class OnRedraw>
  void place(BlockStream& stream, NormalPair& pair, std::int64_t first, std::int64_t count, CountGrid& grid,
             OnRedraw&& onRedraw) {
    switch (c_.KSW) {
      case 1: placeRun<1>(stream, pair, first, count, grid, onRedraw); break;
      case 2: placeRun<2>(stream, pair, first, count, grid, onRedraw); break;
      default: placeRun<3>(stream, pair, first, count, grid, onRedraw); break;
    }
  }

 private:
  template <int KSW, class OnRedraw>
  void placeRun(BlockStream& stream, NormalPair& pair, std::int64_t first, std::int64_t count, CountGrid& grid,
                OnRedraw& onRedraw) {
    for (std::int64_t done = 0; done < count;) {
      const auto n = static_cast<std::int32_t>(std::min<std::int64_t>(kBatch, count - done));
      const std::uint64_t batchOffset = stream.used();
      const std::int32_t batchState = stream.state();
      const std::int32_t placed = KSW == 1 ? normalBatch(stream, pair, n, grid) : simpleBatch<KSW>(stream, n, grid);
      done += placed;
      if (placed == n) continue;
      // Female `placed` of the batch left the arribada: she is placed again from her start.
      const std::uint64_t her = starts_[static_cast<std::size_t>(placed)];
      stream.moveTo(her, stateAfter(batchState, her - batchOffset));
      placeExactly(stream, pair, first + done, grid, onRedraw);
      ++done;
    }
  }

  template <class OnRedraw>
  [[gnu::noinline]] void placeExactly(BlockStream& stream, NormalPair& pair, std::int64_t female, CountGrid& grid,
                                      OnRedraw& onRedraw) {
    const Placement placed = placeFemale(
        stream, pair, c_, [&](std::int32_t K, float TIME, float HR) { onRedraw(female, K, TIME, HR); }, choose_);
    grid.tallyIf(CountGrid::cellOf(placed.J, placed.K, c_.hours), placed.tallied);
  }

  // The tally of a female at TIME in strip J; false, with nothing tallied,
  // when her nearest hour lies outside 0 ... IHR. For t = TIME + 0.5 in
  // (-1, IHR + 1) the conversion to an integer truncates toward zero exactly
  // as the plain path's trunc does, and those t are exactly the ones whose
  // hour is in range; any other t (NaN included) fails the test and goes to
  // the plain step.
  bool tallyInRange(float TIME, std::int32_t J, CountGrid& grid) const {
    const double t = static_cast<double>(TIME) + 0.5;
    if (!(t > -1.0 && t < hourLimit_)) return false;
    const auto hour = static_cast<std::int32_t>(t);
    const auto HR = static_cast<float>(hour);
    const bool tallied = std::fabs(static_cast<double>(TIME) - HR) <= c_.DIV;
    grid.tallyIf(CountGrid::cellOf(J, hour + 1, c_.hours), tallied);
    return true;
  }

  const IntervalShape& shapeOf(float UU) const {
    return c_.intervals[static_cast<std::size_t>(choose_(UU, c_) - 1)];
  }

  // The Poisson law's whole hours and fraction, as poissonTime computes
  // them. PROD * draw is carried in float: the product of two floats is exact
  // in double, so rounding it once to float, as poissonTime does, gives the
  // correctly rounded float product, which is what the float multiplication gives.
  float poissonTime(BlockStream& stream, const IntervalShape& shape) const {
    float PROD = stream.next();
    float TIME = 0.0f;
    if (!(PROD < shape.DEXP)) {
      std::int32_t j = 1;
      for (; j <= shape.NM; ++j) {
        PROD *= stream.next();
        if (PROD < shape.DEXP) break;
      }
      TIME = static_cast<float>(j <= shape.NM ? j : shape.NM);
    }
    TIME = static_cast<float>(static_cast<double>(TIME) + stream.next());
    return static_cast<float>(static_cast<double>(TIME) + shape.start);
  }

  // Poisson (KSW 2) and uniform (KSW 3) laws: one pass. Returns the number
  // of females placed before the first that left the arribada (n if none did).
  template <int KSW>
  [[gnu::noinline]] std::int32_t simpleBatch(BlockStream& stream, std::int32_t n, CountGrid& grid) {
    for (std::int32_t i = 0; i < n; ++i) {
      starts_[static_cast<std::size_t>(i)] = stream.used();
      const IntervalShape& shape = shapeOf(stream.next());
      float TIME = 0.0f;
      if constexpr (KSW == 2) {
        TIME = poissonTime(stream, shape);
      } else {
        TIME = static_cast<float>(static_cast<double>(stream.next()) * shape.DIFF + shape.start);
      }
      if (!tallyInRange(TIME, stripOf(stream.next(), c_.NTR), grid)) return i;
    }
    return n;
  }

  std::int32_t normalBatch(BlockStream& stream, NormalPair& pair, std::int32_t n, CountGrid& grid);

  GenerationConstants c_;
  IntervalChooser choose_;
  double hourLimit_;  // IHR + 1
  // The batch's females: where each starts in the stream, her interval and strip.
  std::array<std::uint64_t, kBatch> starts_{};
  std::array<std::int32_t, kBatch> interval_{};
  std::array<std::int32_t, kBatch> strip_{};
  // The batch's fresh pairs, in order: the accepted U1, U2 and W, and Z before clamping.
  std::array<float, kBatch> U1_{};
  std::array<float, kBatch> U2_{};
  std::array<float, kBatch> W_{};
  std::array<float, kBatch> Z_{};
};

}  // namespace arribada::engine
