#pragma once
// The table of the normal law's quick logarithm (placement_kernels.inc).
// A positive float W = 2^k * z with z in [kOffset, 2 * kOffset) as float
// bits (about 0.699 to 1.398); z falls in one of kSize subintervals i, each
// with a float invc[i] near 1 / z, so that r = z * invc[i] - 1 is exact in
// double and |r| <= 2^-7; then ln W = k ln 2 - ln invc[i] + ln(1 + r).
// The subinterval holding 1.0 has invc = 1 and logc = 0, so that near
// W = 1 the result is ln(1 + r) alone, with its full relative precision.

#include <array>
#include <cstdint>

namespace arribada::engine {

struct QuickLogTable {
  static constexpr int kBits = 6;
  static constexpr int kSize = 1 << kBits;
  static constexpr std::uint32_t kOffset = 0x3f330000u;  // float bits of 0.69921875
  std::array<double, kSize> invc{};
  std::array<double, kSize> logc{};  // -ln invc, from std::log
};

// Built once, on first use.
const QuickLogTable& quickLogTable();

}  // namespace arribada::engine
