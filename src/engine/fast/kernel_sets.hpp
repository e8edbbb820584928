#pragma once
// Which instruction-set kernels this build has, and how their files are
// compiled for their sets. No file needs compiler flags of its own: each
// vector set's file (kernels_avx2.cpp, kernels_avx512.cpp) opens with
// ARRIBADA_BEGIN_AVX2_KERNELS or ARRIBADA_BEGIN_AVX512_KERNELS, before any
// include, so that everything the file compiles, the standard library's
// inline code included, is compiled for that set, as a per-file flag would.
// The same sources thus build the program and the R package, whose build
// takes no per-file flags. The table of a set is handed out only where the
// processor runs it (instruction_sets.cpp).
//
// No set enables fused multiply-adds and contraction is off besides, so every
// set computes every value with the same roundings as the baseline.
//
// This header includes nothing: it comes first in the kernels' files, after
// hot_loops.hpp.

#if !defined(ARRIBADA_HAVE_AVX2) && !defined(ARRIBADA_HAVE_AVX512) && \
    (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
// Windows aligns the stack to 16 bytes only, and GCC spills 32-byte vectors
// with aligned moves: the MinGW-w64 build has the AVX2 kernels only where
// the assembler makes those moves unaligned (CMakeLists.txt passes
// -Wa,-muse-unaligned-vector-move and defines ARRIBADA_UNALIGNED_VECTOR_MOVES).
// Its AVX-512 kernels still crash (seen under Wine): Windows has none.
#if !defined(_WIN32) || defined(ARRIBADA_UNALIGNED_VECTOR_MOVES)
#define ARRIBADA_HAVE_AVX2 1
#endif
#if !defined(_WIN32)
#define ARRIBADA_HAVE_AVX512 1
#endif
#endif
// (The Microsoft compiler has no such pragma: CMakeLists.txt gives the two
// files its /arch flags and defines ARRIBADA_HAVE_AVX2 and ARRIBADA_HAVE_AVX512.)

#if defined(__clang__)
#define ARRIBADA_PRAGMA(text) _Pragma(#text)
#define ARRIBADA_BEGIN_KERNELS_FOR(set)                                                         \
  ARRIBADA_PRAGMA(clang attribute push(__attribute__((target(set))), apply_to = function)) \
  ARRIBADA_PRAGMA(STDC FP_CONTRACT OFF)
#define ARRIBADA_END_KERNELS ARRIBADA_PRAGMA(clang attribute pop)
#elif defined(__GNUC__)
#define ARRIBADA_PRAGMA(text) _Pragma(#text)
// The optimize pragma keeps multiply-adds apart (GCC would fuse them for a
// set with FMA in GNU mode, the R package's) and lets square roots and
// conversions run as vector instructions (neither option changes a result,
// only errno and the floating-point exception flags).
#define ARRIBADA_BEGIN_KERNELS_FOR(set)                                   \
  ARRIBADA_PRAGMA(GCC push_options)                                      \
  ARRIBADA_PRAGMA(GCC target(set))                                       \
  ARRIBADA_PRAGMA(GCC optimize("fp-contract=off", "no-math-errno", "no-trapping-math"))
#define ARRIBADA_END_KERNELS ARRIBADA_PRAGMA(GCC pop_options)
#else
#define ARRIBADA_BEGIN_KERNELS_FOR(set)
#define ARRIBADA_END_KERNELS
#endif

// FMA is left out on purpose (see above); BMI and BMI2 come with every AVX2 processor.
#define ARRIBADA_BEGIN_AVX2_KERNELS ARRIBADA_BEGIN_KERNELS_FOR("avx2,bmi,bmi2")
// GCC is also told to prefer 512-bit vectors (clang does so for this set unasked).
#if defined(__GNUC__) && !defined(__clang__)
#define ARRIBADA_BEGIN_AVX512_KERNELS \
  ARRIBADA_BEGIN_KERNELS_FOR("avx2,bmi,bmi2,avx512f,avx512vl,avx512dq,avx512bw,prefer-vector-width=512")
#else
#define ARRIBADA_BEGIN_AVX512_KERNELS ARRIBADA_BEGIN_KERNELS_FOR("avx2,bmi,bmi2,avx512f,avx512vl,avx512dq,avx512bw")
#endif
