// The fast path's kernels for every processor: no flags beyond the build's own.
#include "engine/hot_loops.hpp"  // first: see there
#define ARRIBADA_ISA baseline_kernels
#define ARRIBADA_KERNELS kBaselineKernels
#define ARRIBADA_SET InstructionSet::baseline
#include "engine/fast/placement_kernels.inc"
