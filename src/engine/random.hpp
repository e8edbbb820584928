#pragma once
// The simulation's one source of randomness: the minimal standard Lehmer
// generator (multiplier 16807, prime modulus 2^31 - 1), evaluated with
// Schrage's decomposition so that every intermediate fits 32 bits.

#include <cstdint>

#include "text/channels.hpp"

namespace arribada::engine {

// The generator's constants, here and nowhere else: the state IX steps to
// kRandomMultiplier * IX mod kRandomModulus.
inline constexpr std::int32_t kRandomMultiplier = 16807;    // A = 7^5
inline constexpr std::int32_t kRandomModulus = 2147483647;  // P = 2^31 - 1, a prime
// The largest seed: the states of the generator are 1 ... P - 1, and a seed
// of P falls to the fixed point 0.
inline constexpr std::int32_t kLargestSeed = kRandomModulus - 1;

// Advances the state IX by one step (IX = 16807 * IX mod P for IX in
// 1 ... P - 1) and returns IX * 2^-31 rounded once to single precision, a
// value in (0, 1]: the 63 states 2^31 - 64 ... P - 1 give exactly 1.0.
// The degenerate state 0 (reached only from a seed of P) stays 0, returns
// 0.0 and writes the line "RANDOM,IX=" with the result and IX to `report`.
// A negative state cannot be advanced and is refused with a RunTimeError.
float RANDOM(std::int32_t& IX, text::RecordSink& report);

// The plain stream of a simulation job: every draw is one call of RANDOM on
// the job's state variable. Other streams (block-generated ones) offer the
// same next() and must return the same values in the same order.
class PlainStream {
 public:
  PlainStream(std::int32_t& IX, text::RecordSink& report) : IX_(IX), report_(report) {}
  float next() { return RANDOM(IX_, report_); }

 private:
  std::int32_t& IX_;
  text::RecordSink& report_;
};

}  // namespace arribada::engine
