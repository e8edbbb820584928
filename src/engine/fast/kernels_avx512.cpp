// The fast path's kernels for processors with AVX-512 (F, VL, DQ, BW),
// compiled with the flags CMakeLists.txt gives this file; the table is handed
// out only where the processor has them.
#if defined(ARRIBADA_HAVE_AVX512)
#define ARRIBADA_ISA avx512_kernels
#define ARRIBADA_KERNELS kAvx512Kernels
#define ARRIBADA_LANES_AVX512
#define ARRIBADA_SET InstructionSet::avx512
#include "engine/fast/placement_kernels.inc"
#endif
