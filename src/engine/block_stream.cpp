#include "engine/block_stream.hpp"

namespace arribada::engine {
namespace {

// x * 16807^8 mod P for x in 1 ... P - 1, in steps a vectorising compiler
// can run on several lanes at once with 32-bit compares only. The first fold
// of the 62-bit product leaves r = x * a mod P in 1 ... 2P - 1 (never 0 nor
// P, as x * a is never a multiple of the prime P), below 2^32; the second
// fold takes P off exactly when r > P.
std::uint32_t laneStep(std::uint32_t x) {
  constexpr std::uint64_t kLaneStep = multiplierPower(BlockStream::kLanes);
  constexpr std::uint32_t P = kRandomModulus;
  const std::uint64_t product = kLaneStep * x;
  const auto r = static_cast<std::uint32_t>((product & P) + (product >> 31));
  return (r & P) + (r >> 31);
}

}  // namespace

BlockStream::BlockStream(std::int32_t state) : last_(static_cast<std::uint32_t>(state)) { fill(); }

void BlockStream::fill() {
  std::uint32_t x = last_;
  for (std::size_t i = 0; i < kLanes; ++i) {
    x = mulModP(kRandomMultiplier, x);
    states_[i] = x;
  }
  // Every state is the one kLanes places back stepped by 16807^kLanes:
  // kLanes independent chains, which a vectorising compiler runs side by side.
  std::uint32_t* const states = states_.data();
  for (std::size_t i = kLanes; i < kBlock; ++i) states[i] = laneStep(states[i - kLanes]);
  // States are below 2^31, so they convert as signed integers (one rounding, as in drawOf).
  for (std::size_t i = 0; i < kBlock; ++i) {
    draws_[i] = static_cast<float>(static_cast<std::int32_t>(states_[i])) * 4.656612873077392578125e-10f;
  }
}

}  // namespace arribada::engine
