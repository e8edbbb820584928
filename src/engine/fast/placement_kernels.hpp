#pragma once
// The fast path's hot loops, compiled once for each instruction set
// (placement_kernels.inc, included by kernels_baseline.cpp, kernels_avx2.cpp
// and kernels_avx512.cpp with their own compiler flags). A set's kernels are
// reached only through its table, which is handed out only when the
// processor runs that set (instruction_sets.hpp).

#include <cstdint>

#include "engine/fast/block_stream.hpp"
#include "engine/fast/instruction_sets.hpp"
#include "engine/parameters.hpp"

namespace arribada::engine {

struct BatchContext;
struct NormalPair;
class CountGrid;

// What a batch did: the females it placed, and whether it stopped because
// the next one left the arribada (she starts at BatchContext::starts[placed]).
// A batch may place fewer than asked without stopping (at the end of a block).
struct BatchResult {
  std::int32_t placed = 0;
  bool stopped = false;
};

using BatchKernel = BatchResult (*)(BatchContext& ctx, BlockStream& stream, NormalPair& pair, std::int32_t n,
                                    CountGrid& grid);

struct PlacementKernels {
  InstructionSet set;
  FillBlock fill;
  BatchKernel normal;
  BatchKernel poisson;
  BatchKernel uniform;
  BatchKernel batchOf(NestingLaw law) const {
    switch (law) {
      case NestingLaw::normal:
        return normal;
      case NestingLaw::poisson:
        return poisson;
      case NestingLaw::uniform:
        return uniform;
    }
    unknownLaw(law);
  }
  // ln W for n positive floats W, as the normal law's batches compute it
  // (within kQuickLogError of the true value); for the tests.
  void (*quickLogs)(const float* W, double* L, std::int32_t n);
};

// Defined by each instruction set's translation unit that the compiler could build.
extern const PlacementKernels kBaselineKernels;
extern const PlacementKernels kAvx2Kernels;
extern const PlacementKernels kAvx512Kernels;

}  // namespace arribada::engine
