#pragma once
// The instruction sets the fast path's kernels are compiled for, and the
// choice among them made once when the program starts. Every set gives the
// same results bit for bit; they differ only in speed.

#include <cstdint>
#include <vector>

#include "engine/fast/kernel_sets.hpp"

namespace arribada::engine {

enum class InstructionSet : std::int32_t { baseline, avx2, avx512 };

struct PlacementKernels;

// "baseline", "AVX2" or "AVX-512".
const char* nameOf(InstructionSet set);

// The kernels of `set`, or nullptr when this build has none for it (the
// compiler lacked the flags) or this processor cannot run them.
const PlacementKernels* kernelsFor(InstructionSet set);

// The fastest set this build has and this processor runs; decided once.
InstructionSet bestInstructionSet();

// Every set this build has and this processor runs, baseline first.
std::vector<InstructionSet> runnableInstructionSets();

}  // namespace arribada::engine
