// The fast path's kernels for processors with AVX2 (and BMI2), compiled for
// that set by the pragma of kernel_sets.hpp; the table is handed out only
// where the processor has them.
#include "engine/hot_loops.hpp"  // first: see there
#include "engine/fast/kernel_sets.hpp"
#if defined(ARRIBADA_HAVE_AVX2)
ARRIBADA_BEGIN_AVX2_KERNELS
#define ARRIBADA_ISA avx2_kernels
#define ARRIBADA_KERNELS kAvx2Kernels
#define ARRIBADA_LANES_AVX2
#define ARRIBADA_SET InstructionSet::avx2
#include "engine/fast/placement_kernels.inc"
ARRIBADA_END_KERNELS
#endif
