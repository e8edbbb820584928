#pragma once
// The run parameters of a simulation job and the nesting-time table.

#include <array>
#include <cstdint>

namespace arribada::engine {

// Capacities of the program's tables.
inline constexpr std::int32_t kMaxStrips = 1000;      // NTR
inline constexpr std::int32_t kMaxReplicates = 1000;  // IREP
inline constexpr std::int32_t kMaxHours = 204;        // IHR: hours 0 ... 204, 205 time indices
inline constexpr std::int32_t kMaxIntervals = 17;     // rows of the nesting-time table

struct SimulationParameters {
  std::int32_t NTI = 0;   // sampling periods; the engine samples NTI - 1 times
  std::int32_t NTR = 0;   // strips on the beach
  std::int32_t IC = 0;    // strips sampled
  std::int32_t NN = 0;    // true number of females
  std::int32_t IHR = 0;   // length of the arribada in hours
  std::int32_t JX = 0;    // random starting value
  float MIN = 0.0f;       // minutes of unambiguous nesting activity of one female
  std::int32_t IREP = 0;  // replicates
  float STDDEV = 0.0f;    // standard deviation in hours, for a 12-hour interval
  std::int32_t KSW = 0;   // 1 normal, 2 Poisson, 3 uniform
};

// KK consecutive nesting intervals: interval i (0-based here) ends at hour
// UINT[i], and PERCNT[i] is the cumulative proportion of the females that
// have nested by then; PERCNT[KK - 1] is exactly 1.0.
struct NestingTable {
  std::int32_t KK = 0;
  std::int32_t LL = 0;  // high-activity intervals of the built-in table
  std::array<float, kMaxIntervals> UINT{};
  std::array<float, kMaxIntervals> PERCNT{};
};

}  // namespace arribada::engine
