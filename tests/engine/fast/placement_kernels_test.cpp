// The fast path's kernels on their own: the normal law's quick logarithm
// against std::log, for every instruction set this processor runs.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/fast/instruction_sets.hpp"
#include "engine/fast/placement_kernels.hpp"
#include "engine/fast/quick_log.hpp"

namespace arribada::engine {
namespace {

// The batches' bracket rests on this bound (kLogBracket allows 2^-40).
constexpr double kQuickLogBound = 0x1p-44;

// Floats spread over (0, 1], and both sides of every subinterval edge of the table in every binade.
std::vector<float> logArguments() {
  std::vector<float> W;
  for (std::uint32_t bits = 0x00800000u; bits <= 0x3f800000u; bits += 4099u) W.push_back(std::bit_cast<float>(bits));
  for (std::uint32_t i = 0; i <= QuickLogTable::kSize; ++i) {
    const float edge = std::bit_cast<float>(QuickLogTable::kOffset + (i << (23 - QuickLogTable::kBits)));
    for (int e = 0; e > -126; e -= 5) {
      const float w = std::ldexp(edge, e);
      if (w > 1.0f || w < 0x1p-126f) continue;
      W.insert(W.end(), {w, std::nextafter(w, 0.0f), std::nextafter(w, 2.0f)});
    }
  }
  W.insert(W.end(), {1.0f, 0.99999994f, 0x1p-126f, 0.5f});
  return W;
}

TEST(QuickLog, IsWithinItsBoundOfStdLog) {
  const std::vector<float> W = logArguments();
  for (InstructionSet set : runnableInstructionSets()) {
    std::vector<double> L(W.size());
    kernelsFor(set)->quickLogs(W.data(), L.data(), static_cast<std::int32_t>(W.size()));
    for (std::size_t i = 0; i < W.size(); ++i) {
      if (W[i] > 1.0f) continue;
      const double exact = std::log(static_cast<double>(W[i]));
      ASSERT_LE(std::fabs(L[i] - exact), kQuickLogBound * std::fabs(exact)) << nameOf(set) << ", W " << W[i];
    }
    // ln 1 is exactly +0, as std::log gives it: the deviate of W = 1 keeps its sign.
    const float one = 1.0f;
    double L1 = -1.0;
    kernelsFor(set)->quickLogs(&one, &L1, 1);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(L1), 0u) << nameOf(set);
  }
}

}  // namespace
}  // namespace arribada::engine
