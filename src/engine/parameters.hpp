#pragma once
// The run parameters of a simulation job and the nesting-time table.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "text/errors.hpp"

namespace arribada::engine {

// Capacities of the program's tables.
inline constexpr std::int32_t kMaxStrips = 1000;      // NTR
inline constexpr std::int32_t kMaxReplicates = 1000;  // IREP
inline constexpr std::int32_t kMaxHours = 204;        // IHR: hours 0 ... 204, 205 time indices
inline constexpr std::int32_t kMaxIntervals = 17;     // rows of a nesting-time table the user enters
// Rows the engine's nesting-time table holds: one interval per hour of the
// longest arribada. Tables made from a survey's counts (one interval per
// sampling time) need them; the dialogue and parameter files keep kMaxIntervals.
inline constexpr std::int32_t kMaxTableRows = kMaxHours;

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
  std::int32_t KSW = 0;   // 1 normal, 2 Poisson, 3 uniform, as entered; decodeLaw gives the law
};

// The law of the nesting times inside an interval. The engine switches on it
// without a default, so that the compiler names every place a new law must reach.
enum class NestingLaw : std::int32_t { normal = 1, poisson = 2, uniform = 3 };

// The law of a KSW as entered, or nothing for a code that names no law.
constexpr std::optional<NestingLaw> decodeLaw(std::int32_t KSW) {
  switch (KSW) {
    case 1:
      return NestingLaw::normal;
    case 2:
      return NestingLaw::poisson;
    case 3:
      return NestingLaw::uniform;
    default:
      return std::nullopt;
  }
}

// A law value outside the enumeration (only a cast can make one).
[[noreturn]] inline void unknownLaw(NestingLaw law) {
  throw text::RunTimeError("simulation: no law of the nesting times has the code " +
                           std::to_string(static_cast<std::int32_t>(law)));
}

// The law's name as tables and pictures give it.
inline std::string lawName(NestingLaw law) {
  switch (law) {
    case NestingLaw::normal:
      return "normal";
    case NestingLaw::poisson:
      return "Poisson";
    case NestingLaw::uniform:
      return "uniform";
  }
  unknownLaw(law);
}

// The name of a KSW as entered: its law's, or "law N" for a code that names none.
inline std::string lawName(std::int32_t KSW) {
  const auto law = decodeLaw(KSW);
  return law ? lawName(*law) : "law " + std::to_string(KSW);
}

// When the beach is counted: counting rounds every EVERY hours at hours 1,
// 1 + EVERY, ... up to IHR - 1 (hour IHR is never counted). The program's own
// schedule is every second hour; NTI, the sampling periods of the parameter
// entry, is then NT1 + 1 = IHR / 2 + 1.
struct SamplingSchedule {
  std::int32_t EVERY = 2;  // whole hours between two counting rounds
  std::int32_t NT1 = 0;    // counting times: floor((IHR - 2) / EVERY) + 1, none when IHR < 2

  // The hour of counting time n (1-based) and its column of the count grid, hour + 1.
  constexpr std::int32_t hourOf(std::int32_t n) const { return 1 + (n - 1) * EVERY; }
  constexpr std::int32_t columnOf(std::int32_t n) const { return hourOf(n) + 1; }
  constexpr std::int32_t NTI() const { return NT1 + 1; }
};

inline constexpr std::int32_t kProgramsCountingInterval = 2;

constexpr SamplingSchedule samplingSchedule(std::int32_t IHR, std::int32_t EVERY = kProgramsCountingInterval) {
  return {EVERY, IHR < 2 ? 0 : (IHR - 2) / EVERY + 1};
}

// Whether counts every EVERY hours, at hours 1, 1 + EVERY, ..., cover an
// arribada of IHR hours in equal shares: the NT1 counts times EVERY make IHR,
// count n lies inside its share (n - 1) EVERY ... n EVERY, and none falls on
// hour IHR, where only half a female's window lies inside the arribada.
// EVERY 1 cannot (its last count is on hour IHR); the program's own schedule
// does for every even IHR.
constexpr bool coversArribadaEvenly(std::int32_t IHR, std::int32_t EVERY) {
  return EVERY >= 2 && IHR >= EVERY && IHR % EVERY == 0;
}

// KK consecutive nesting intervals: interval i (0-based here) ends at hour
// UINT[i], and PERCNT[i] is the cumulative proportion of the females that
// have nested by then; PERCNT[KK - 1] is exactly 1.0.
struct NestingTable {
  std::int32_t KK = 0;
  std::int32_t LL = 0;  // high-activity intervals of the built-in table
  std::array<float, kMaxTableRows> UINT{};
  std::array<float, kMaxTableRows> PERCNT{};
};

}  // namespace arribada::engine
