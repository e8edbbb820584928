// The fast path's kernels for processors with AVX-512 (F, VL, DQ, BW),
// compiled for that set by the pragma of kernel_sets.hpp; the table is
// handed out only where the processor has them.
#include "engine/hot_loops.hpp"  // first: see there
#include "engine/fast/kernel_sets.hpp"
#if defined(ARRIBADA_HAVE_AVX512)
ARRIBADA_BEGIN_AVX512_KERNELS
#define ARRIBADA_ISA avx512_kernels
#define ARRIBADA_KERNELS kAvx512Kernels
#define ARRIBADA_LANES_AVX512
#define ARRIBADA_SET InstructionSet::avx512
#include "engine/fast/placement_kernels.inc"
ARRIBADA_END_KERNELS
#endif
