// The fast path's kernels for processors with AVX2 (and FMA, BMI2), compiled
// with the flags CMakeLists.txt gives this file; the table is handed out only
// where the processor has them.
#if defined(ARRIBADA_HAVE_AVX2)
#define ARRIBADA_ISA avx2_kernels
#define ARRIBADA_KERNELS kAvx2Kernels
#define ARRIBADA_LANES_AVX2
#define ARRIBADA_SET InstructionSet::avx2
#include "engine/fast/placement_kernels.inc"
#endif
