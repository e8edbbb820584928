#pragma once
// The rule for stored reals, which every report figure rests on: a real
// that the program keeps, compares or prints is a 32-bit float, and the
// arithmetic that produces it is carried out in double and rounded once, to
// float, where the result is stored. One expression is one rounding at its
// end, so the same formula written with an extra or a missing store gives a
// different last digit. Write such arithmetic with these helpers, keeping
// the order of the operations: wide() on the first float of a chain, the
// chain in double, stored() around it. (The build forbids fused
// multiply-adds, which would round differently on different machines.)

#include <cstdint>

namespace arribada::engine {

// x as a double. Exact: every float is a double, so nothing is rounded.
constexpr double wide(float x) { return x; }

// x rounded to the nearest float: the one rounding of a stored real.
constexpr float stored(double x) { return static_cast<float>(x); }

// An integer as a stored real: exact up to 2^24 in magnitude, rounded to the nearest float beyond.
constexpr float real(std::int32_t n) { return static_cast<float>(n); }

// A running total kept as a stored real: total + term in double, rounded
// once, so the sum depends on the order of its terms as it always has.
constexpr float plus(float total, double term) { return stored(wide(total) + term); }

// x * x in double. Exact: a float's 24-bit significand squared fits in the 53 bits of a double.
constexpr double square(float x) { return wide(x) * x; }

// True when x, truncated, is a 32-bit integer: |x| < 2^31 (false for NaN).
constexpr bool truncatesToInt32(double x) { return x < 2147483648.0 && x > -2147483648.0; }

}  // namespace arribada::engine
