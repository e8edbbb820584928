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
  float next() {
    ++taken_;
    return RANDOM(IX_, report_);
  }
  // Draws taken since the stream was made.
  std::uint64_t taken() const { return taken_; }

 private:
  std::uint64_t taken_ = 0;
  std::int32_t& IX_;
  text::RecordSink& report_;
};

// The draws after which the stream repeats: every state 1 ... P - 1 comes
// once per period (16807 is a primitive root of P).
inline constexpr std::uint64_t kStreamPeriod = kRandomModulus - 1;

// Watches a job's stream against its period: after the replicates whose
// draws stay below the period, the next ones reuse earlier draws.
class PeriodWatch {
 public:
  // Notes the end of a replicate after `drawsSoFar` draws since the job began.
  void replicateEnded(std::uint64_t drawsSoFar) {
    ++replicates_;
    if (!wrapped_ && drawsSoFar >= kStreamPeriod) wrapped_ = true;
    if (!wrapped_) independent_ = replicates_;
  }
  // The replicates completed before the draws reached the period.
  std::int32_t independentReplicates() const { return independent_; }
  // The replicate in which the stream wrapped, or 0 while it has not.
  std::int32_t wrappedIn() const { return wrapped_ ? independent_ + 1 : 0; }

 private:
  std::int32_t replicates_ = 0;
  std::int32_t independent_ = 0;
  bool wrapped_ = false;
};

}  // namespace arribada::engine
