#include "engine/hot_loops.hpp"  // first: see there
#include "engine/fast/batch_placement.hpp"

#include <algorithm>
#include <bit>
#include <limits>

#include "text/errors.hpp"

namespace arribada::engine {

IntervalChooser::IntervalChooser(const GenerationConstants& c) : rows_(std::max(c.KK - 1, 0)) {
  bounds_.fill(std::numeric_limits<float>::infinity());
  for (std::int32_t j = 0; j + 1 < c.KK; ++j) {
    const auto row = static_cast<std::size_t>(j);
    bounds_[row] = c.PERCNT[row];
    if (j > 0 && c.PERCNT[row] < c.PERCNT[row - 1]) ascending_ = false;
  }
}

BatchContext::BatchContext(const GenerationConstants& constants)
    : c(constants), choose(constants), hourLimit(constants.hours), logTable(&quickLogTable()) {
  for (std::size_t i = 0; i < kMaxTableRows; ++i) {
    DIFF[i] = c.intervals[i].DIFF;
    start[i] = c.intervals[i].start;
    STUD[i] = c.intervals[i].STUD;
    MEANT[i] = c.intervals[i].MEANT;
  }
  const IntervalShape& first = c.intervals[0];
  oneShape = c.KK >= 1 && first.NM >= 1;
  for (std::size_t i = 1; i < static_cast<std::size_t>(c.KK); ++i) {
    const IntervalShape& shape = c.intervals[i];
    oneShape = oneShape && std::bit_cast<std::uint32_t>(shape.DEXP) == std::bit_cast<std::uint32_t>(first.DEXP) &&
               shape.NM == first.NM;
  }
}

namespace {

const PlacementKernels& runnableKernels(InstructionSet set) {
  const PlacementKernels* kernels = kernelsFor(set);
  if (kernels == nullptr) {
    throw text::RunTimeError(std::string("simulation: this program or processor has no ") + nameOf(set) +
                             " instructions");
  }
  return *kernels;
}

}  // namespace

BatchPlacer::BatchPlacer(const GenerationConstants& c, InstructionSet set)
    : ctx_(c), kernels_(&runnableKernels(set)) {}

}  // namespace arribada::engine
