#pragma once
// Included first, before any other include, by the files of the simulation's
// hot loops (the generation of the arribada, the counts, the estimate, the
// random stream and the fast path): with GCC they are optimised as at -O3
// whatever the build's own level. R builds packages at -O2, where GCC leaves
// most of these loops unvectorised and the R package ran 3 to 4 times slower
// than the program; the program's Release build is at -O3 already. Coming
// first, the pragma covers every function of the file alike, so inlining
// between them is unchanged. No optimisation level changes a result: every
// real is still rounded as written (no contraction, no reassociation).
//
// An unoptimised build (-O0, for a debugger) stays unoptimised. Clang has no
// such pragma, and vectorises these loops at -O2 already.

#if defined(__GNUC__) && !defined(__clang__) && defined(__OPTIMIZE__)
#pragma GCC optimize("O3")
#endif
