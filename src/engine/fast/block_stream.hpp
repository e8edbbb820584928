#pragma once
// The generator's states produced ahead in blocks. 16807 * IX mod (2^31 - 1)
// is computed as a 64-bit product reduced with the modulus's own shape
// (2^31 = 1 mod P), which gives exactly the states of the 32-bit Schrage
// steps. A block is filled in lanes: 32 states are stepped one by one,
// then every state is the one 32 places back times 16807^32 mod P, a loop
// the compiler can vectorise without any particular instruction set.
//
// The stream returns the same draws in the same order as RANDOM on the same
// state. The degenerate state 0 of RANDOM never occurs here: the stream only
// starts from a state in 1 ... P - 1 (the job refuses any other seed), and
// those states never lead to 0.

#include <array>
#include <cstdint>

#include "engine/random.hpp"

namespace arribada::engine {

// a * x mod P for a, x in 0 ... P - 1.
constexpr std::uint32_t mulModP(std::uint64_t a, std::uint64_t x) {
  constexpr std::uint64_t P = kRandomModulus;
  const std::uint64_t product = a * x;
  std::uint64_t r = (product & P) + (product >> 31);
  if (r >= P) r -= P;
  return static_cast<std::uint32_t>(r);
}

// 16807^n mod P.
constexpr std::uint32_t multiplierPower(std::uint64_t n) {
  std::uint32_t result = 1;
  std::uint32_t square = kRandomMultiplier;
  for (; n != 0; n >>= 1) {
    if ((n & 1u) != 0) result = mulModP(result, square);
    square = mulModP(square, square);
  }
  return result;
}

// The state n steps after `state`.
inline std::int32_t stateAfter(std::int32_t state, std::uint64_t n) {
  return static_cast<std::int32_t>(mulModP(multiplierPower(n), static_cast<std::uint32_t>(state)));
}

// The draw that RANDOM returns for a state: IX * 2^-31 rounded once to float.
// The conversion of IX to float is that one rounding; the power of two is exact.
inline constexpr float kTwoToMinus31f = 4.656612873077392578125e-10f;  // exactly 2^-31
inline float drawOf(std::uint32_t state) { return static_cast<float>(state) * kTwoToMinus31f; }

// Fills `states` with the BlockStream::kBlock states after `last` and
// `draws` with drawOf each; one for each instruction set (placement_kernels.hpp).
using FillBlock = void (*)(std::uint32_t last, std::uint32_t* states, float* draws);

// The fill of the fastest instruction set this processor runs.
FillBlock bestFillBlock();

class BlockStream {
 public:
  static constexpr int kLanes = 32;  // independent chains: four vectors of eight in flight
  static constexpr int kBlock = 2048;  // states per block, a multiple of kLanes

  // The first draw is the one after `state` (1 ... P - 1).
  explicit BlockStream(std::int32_t state, FillBlock fill = bestFillBlock());

  float next() {
    if (pos_ == kBlock) refill();
    return draws_[static_cast<std::size_t>(pos_++)];
  }

  // The state after the last draw taken (the value RANDOM would have left in IX).
  std::int32_t state() const {
    return static_cast<std::int32_t>(pos_ == 0 ? last_ : states_[static_cast<std::size_t>(pos_ - 1)]);
  }
  // Draws taken since the stream was made.
  std::uint64_t used() const { return base_ + static_cast<std::uint64_t>(pos_); }

  // The draws left in the current block (the next block's, when none are
  // left), to be read at nextDraws() and then taken with skip().
  int drawsInBlock() {
    if (pos_ == kBlock) refill();
    return kBlock - pos_;
  }
  const float* nextDraws() const { return draws_.data() + pos_; }
  void skip(int n) { pos_ += n; }  // n <= drawsInBlock()
  // The current block's draws, the place of the next draw among them, and
  // the block's first state, which tells blocks apart (it fixes every other).
  const float* blockDraws() const { return draws_.data(); }
  int placeInBlock() const { return pos_; }
  std::uint32_t blockKey() const { return states_[0]; }

  // Goes back (or on) to the place `used` draws from the start, where the
  // state is `stateThere`: within the current block only the position moves,
  // elsewhere the block is filled again from that state.
  void moveTo(std::uint64_t used, std::int32_t stateThere) {
    if (used >= base_ && used - base_ <= static_cast<std::uint64_t>(kBlock)) {
      pos_ = static_cast<int>(used - base_);
      return;
    }
    last_ = static_cast<std::uint32_t>(stateThere);
    fill();
    base_ = used;
    pos_ = 0;
  }

 private:
  // Moves on to the block after the current one.
  void refill() {
    last_ = states_[kBlock - 1];
    fill();
    pos_ = 0;
    base_ += kBlock;
  }
  // states_ = the kBlock states after last_.
  void fill() { fill_(last_, states_.data(), draws_.data()); }

  alignas(64) std::array<std::uint32_t, kBlock> states_{};
  alignas(64) std::array<float, kBlock> draws_{};  // drawOf each state
  FillBlock fill_;
  std::uint32_t last_;  // the state before states_[0]
  int pos_ = 0;
  std::uint64_t base_ = 0;  // draws taken before states_[0]
};

}  // namespace arribada::engine
