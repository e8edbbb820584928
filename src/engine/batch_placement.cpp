#include "engine/batch_placement.hpp"

#include <algorithm>
#include <limits>

namespace arribada::engine {

IntervalChooser::IntervalChooser(const GenerationConstants& c) : rows_(std::max(c.KK - 1, 0)) {
  bounds_.fill(std::numeric_limits<float>::infinity());
  for (std::int32_t j = 0; j + 1 < c.KK; ++j) {
    const auto row = static_cast<std::size_t>(j);
    bounds_[row] = c.PERCNT[row];
    if (j > 0 && c.PERCNT[row] < c.PERCNT[row - 1]) ascending_ = false;
  }
}

std::int32_t BatchPlacer::normalBatch(BlockStream& stream, NormalPair& pair, std::int32_t n, CountGrid& grid) {
  // First pass: every female's interval and strip, and the accepted draws of
  // the fresh pairs, exactly as normalDeviate takes and rejects them.
  std::int32_t ISW = pair.ISW;
  std::int32_t fresh = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    const auto f = static_cast<std::size_t>(i);
    starts_[f] = stream.used();
    interval_[f] = choose_(stream.next(), c_) - 1;
    if (ISW == 1) {
      float U1 = 0.0f;
      float U2 = 0.0f;
      float W = 0.0f;
      do {
        do {
          U1 = static_cast<float>(2.0 * stream.next() - 1.0);
        } while (U1 == 0.0f);
        U2 = static_cast<float>(2.0 * stream.next() - 1.0);
        W = static_cast<float>(static_cast<double>(U1) * U1 + static_cast<double>(U2) * U2);
      } while (W > 1.0f);
      const auto k = static_cast<std::size_t>(fresh++);
      U1_[k] = U1;
      U2_[k] = U2;
      W_[k] = W;
    }
    ISW = 1 - ISW;
    strip_[f] = stripOf(stream.next(), c_.NTR);
  }
  // Second pass: the first deviate of every fresh pair, independent of each other.
  for (std::int32_t k = 0; k < fresh; ++k) {
    const auto p = static_cast<std::size_t>(k);
    Z_[p] = static_cast<float>(U1_[p] * std::sqrt(-2.0 * std::log(static_cast<double>(W_[p])) / W_[p]));
  }
  // Third pass: the pair state, times, hours and tallies in order.
  std::size_t next = 0;
  for (std::int32_t i = 0; i < n; ++i) {
    const NormalPair before = pair;
    if (pair.ISW == 1) {
      pair.U1 = U1_[next];
      pair.U2 = U2_[next];
      pair.Z = Z_[next];
      ++next;
    } else {
      pair.Z = secondDeviate(pair);
    }
    pair.ISW = 1 - pair.ISW;
    pair.Z = clampDeviate(pair.Z);
    const auto f = static_cast<std::size_t>(i);
    const IntervalShape& shape = c_.intervals[static_cast<std::size_t>(interval_[f])];
    const auto TIME = static_cast<float>(static_cast<double>(shape.STUD) * pair.Z + shape.MEANT);
    if (!tallyInRange(TIME, strip_[f], grid)) {
      pair = before;
      return i;
    }
  }
  return n;
}

}  // namespace arribada::engine
