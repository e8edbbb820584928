#include "engine/block_stream.hpp"

namespace arribada::engine {

BlockStream::BlockStream(std::int32_t state) : last_(static_cast<std::uint32_t>(state)) { fill(); }

void BlockStream::fill() {
  constexpr std::uint32_t kLaneStep = multiplierPower(kLanes);
  std::uint32_t x = last_;
  for (int i = 0; i < kLanes; ++i) {
    x = mulModP(16807, x);
    states_[static_cast<std::size_t>(i)] = x;
  }
  for (int i = kLanes; i < kBlock; ++i) {
    states_[static_cast<std::size_t>(i)] = mulModP(kLaneStep, states_[static_cast<std::size_t>(i - kLanes)]);
  }
}

}  // namespace arribada::engine
