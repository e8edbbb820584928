#include "engine/fast/instruction_sets.hpp"

#include <cstddef>

#include "engine/fast/placement_kernels.hpp"

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#define ARRIBADA_CPU_CHECK_GNU 1
#elif defined(_MSC_VER) && (defined(_M_X64) || defined(_M_IX86))
#define ARRIBADA_CPU_CHECK_MSVC 1
#include <intrin.h>
#endif

namespace arribada::engine {
namespace {

#if defined(ARRIBADA_CPU_CHECK_MSVC)
// The processor's feature bits and the operating system's saving of the
// vector registers (XCR0), as the GNU check below reads them.
bool processorRuns(InstructionSet set) {
  int regs[4];
  __cpuid(regs, 0);
  if (regs[0] < 7) return false;
  __cpuid(regs, 1);
  const bool osxsave = (regs[2] & (1 << 27)) != 0;
  const bool avx = (regs[2] & (1 << 28)) != 0;
  const bool fma = (regs[2] & (1 << 12)) != 0;
  if (!osxsave || !avx) return false;
  const unsigned long long xcr0 = _xgetbv(0);
  __cpuidex(regs, 7, 0);
  const auto ebx = static_cast<unsigned>(regs[1]);
  const bool avx2 = fma && (ebx & (1u << 5)) != 0 && (ebx & (1u << 8)) != 0 && (xcr0 & 0x6) == 0x6;
  if (set == InstructionSet::avx2) return avx2;
  const unsigned avx512 = (1u << 16) | (1u << 17) | (1u << 30) | (1u << 31);  // F, DQ, BW, VL
  return avx2 && (ebx & avx512) == avx512 && (xcr0 & 0xe6) == 0xe6;
}
#elif defined(ARRIBADA_CPU_CHECK_GNU)
bool processorRuns(InstructionSet set) {
  __builtin_cpu_init();
  const bool avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma") && __builtin_cpu_supports("bmi2");
  if (set == InstructionSet::avx2) return avx2;
  return avx2 && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
         __builtin_cpu_supports("avx512dq") && __builtin_cpu_supports("avx512bw");
}
#else
bool processorRuns(InstructionSet) { return false; }
#endif

// The kernels this build has for `set`, runnable or not.
const PlacementKernels* compiledKernels(InstructionSet set) {
  switch (set) {
    case InstructionSet::baseline:
      return &kBaselineKernels;
#if defined(ARRIBADA_HAVE_AVX2)
    case InstructionSet::avx2:
      return &kAvx2Kernels;
#endif
#if defined(ARRIBADA_HAVE_AVX512)
    case InstructionSet::avx512:
      return &kAvx512Kernels;
#endif
    default:
      return nullptr;
  }
}

}  // namespace

const char* nameOf(InstructionSet set) {
  switch (set) {
    case InstructionSet::avx2:
      return "AVX2";
    case InstructionSet::avx512:
      return "AVX-512";
    default:
      return "baseline";
  }
}

const PlacementKernels* kernelsFor(InstructionSet set) {
  // Asked once per set.
  static const bool runs[] = {true, processorRuns(InstructionSet::avx2), processorRuns(InstructionSet::avx512)};
  const PlacementKernels* kernels = compiledKernels(set);
  if (kernels == nullptr || !runs[static_cast<std::size_t>(set)]) return nullptr;
  return kernels;
}

std::vector<InstructionSet> runnableInstructionSets() {
  std::vector<InstructionSet> sets;
  for (InstructionSet set : {InstructionSet::baseline, InstructionSet::avx2, InstructionSet::avx512}) {
    if (kernelsFor(set) != nullptr) sets.push_back(set);
  }
  return sets;
}

InstructionSet bestInstructionSet() {
  static const InstructionSet best = runnableInstructionSets().back();
  return best;
}

FillBlock bestFillBlock() { return kernelsFor(bestInstructionSet())->fill; }

}  // namespace arribada::engine
