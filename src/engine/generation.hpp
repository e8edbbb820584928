#pragma once
// The synthetic arribada of one replicate: every female gets a nesting
// interval, a nesting time inside it and a strip, and is tallied in the count
// grid at the whole hour nearest to her nesting time when her egg-laying
// window covers that hour.
//
// The per-female step is a small function of the stream, the normal law's
// pair state and constants computed once per job. It is a template on the
// stream (anything with `float next()`), so that other ways of producing the
// same uniforms give the same grid; the plain path is generateReplicate.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/parameters.hpp"
#include "engine/real.hpp"
#include "text/channels.hpp"
#include "text/errors.hpp"

namespace arribada::engine {

// Returned by femaleStep for a female whose window does not cover her hour.
inline constexpr std::int32_t kNotTallied = -1;

// A female whose nesting time falls outside the arribada is drawn again
// without limit in principle; a table and law that can never place her inside
// would loop for ever, so after this many redraws of one female the run ends
// with a RunTimeError. With any usable parameters the chance of reaching it is nil.
inline constexpr std::int32_t kMaxRedraws = 100000;

// What the generation needs of one nesting interval, computed once per job
// exactly as each female would compute it.
struct IntervalShape {
  float DIFF = 0.0f;    // length in hours
  float MEANT = 0.0f;   // midpoint
  float start = 0.0f;   // hour at which the interval starts (0 for the first)
  float STUD = 0.0f;    // normal law: scale in hours, DIFF * STDDEV / 12
  float DEXP = 0.0f;    // Poisson law: exp(-DIFF / 2)
  std::int32_t NM = 0;  // Poisson law: the largest whole hour after the start
};

struct GenerationConstants {
  std::int32_t KK = 0;
  NestingLaw law = NestingLaw::normal;
  std::int32_t NTR = 0;
  std::int32_t hours = 0;  // time indices of the grid: IHR + 1
  float DIV = 0.0f;        // half the egg-laying window in hours, MIN / 120
  std::array<float, kMaxTableRows> PERCNT{};
  std::array<IntervalShape, kMaxTableRows> intervals{};
};

// The constants of parameters whose KSW names a law (a RunTimeError otherwise).
GenerationConstants makeGenerationConstants(const SimulationParameters& p, const NestingTable& table);

// The normal law draws its deviates in pairs: ISW = 1 starts a fresh pair,
// ISW = 0 uses the second deviate of the last one (Z scaled by U2 / U1).
// The state lives for a whole job, across females and replicates.
struct NormalPair {
  std::int32_t ISW = 1;
  float Z = 0.0f;
  float U1 = 0.0f;
  float U2 = 0.0f;
};

// Where one female ended up. MM, J and K are 1-based; HR is her whole hour.
struct Placement {
  std::int32_t MM = 0;
  float TIME = 0.0f;
  float HR = 0.0f;
  std::int32_t J = 0;
  std::int32_t K = 0;
  bool tallied = false;
};

// The count grid TRAN: one row of IHR + 1 hours per strip. 32-bit cells: a
// cell never holds more than NN, so it cannot overflow (a 16-bit grid would
// have overflowed above 32767 with many females in few strips).
class CountGrid {
 public:
  CountGrid(std::int32_t NTR, std::int32_t hours)
      : hours_(hours), cells_(static_cast<std::size_t>(NTR) * static_cast<std::size_t>(hours), 0) {}
  void clear() { std::fill(cells_.begin(), cells_.end(), 0); }
  void tally(std::int32_t cell) { ++cells_[static_cast<std::size_t>(cell)]; }
  // Adds 1 or 0 without a branch on which.
  void tallyIf(std::int32_t cell, bool counted) { cells_[static_cast<std::size_t>(cell)] += counted ? 1 : 0; }
  // Adds the counts of a grid of the same shape.
  void add(const CountGrid& other) {
    for (std::size_t i = 0; i < cells_.size(); ++i) cells_[i] += other.cells_[i];
  }
  // TRAN(J, K), both 1-based.
  std::int32_t at(std::int32_t J, std::int32_t K) const {
    return cells_[static_cast<std::size_t>(cellOf(J, K, hours_))];
  }
  static std::int32_t cellOf(std::int32_t J, std::int32_t K, std::int32_t hours) { return (J - 1) * hours + (K - 1); }
  // Every cell in order, for a copy whose counts are changed (the design search's counting error).
  std::size_t cells() const { return cells_.size(); }
  std::int32_t cell(std::size_t i) const { return cells_[i]; }
  void setCell(std::size_t i, std::int32_t count) { cells_[i] = count; }

 private:
  std::int32_t hours_;
  std::vector<std::int32_t> cells_;
};

// MM: the first interval whose cumulative proportion reaches UU.
inline std::int32_t chooseInterval(float UU, const GenerationConstants& c) {
  std::int32_t j = 0;
  while (j < c.KK - 1 && c.PERCNT[static_cast<std::size_t>(j)] < UU) ++j;
  return j + 1;
}

// The plain way of choosing the interval, the linear scan above.
struct ScanIntervals {
  std::int32_t operator()(float UU, const GenerationConstants& c) const { return chooseInterval(UU, c); }
};

// The laws' formulas, one place for the plain step below and the fast
// path's batches (placement_kernels.inc): every operation and its operand
// types fix the result's bits.

// A coordinate of the normal law's pair from a draw: 2 * draw - 1.
inline float pairCoordinate(float draw) { return stored(2.0 * draw - 1.0); }

// W = U1^2 + U2^2, carried in double and rounded once.
inline float pairRadius(float U1, float U2) {
  return stored(square(U1) + square(U2));
}

// The first deviate of an accepted pair, U1 * sqrt(-2 ln W / W), given ln W.
// For fixed U1 and W it is monotone in lnW: each operation, and the rounding
// of each, keeps the order of its operand.
inline float firstDeviate(float U1, float W, double lnW) {
  return stored(wide(U1) * std::sqrt(-2.0 * lnW / wide(W)));
}

// The normal law's time from the clamped deviate Z.
inline float normalTime(float STUD, float Z, float MEANT) {
  return stored(wide(STUD) * Z + MEANT);
}

// The uniform law's time: the interval start plus a draw times its length.
// For the first interval the start is 0, which leaves the product as it is.
inline float uniformTime(float draw, float DIFF, float start) {
  return stored(wide(draw) * DIFF + start);
}

// The Poisson law's time from its whole hours: a fraction added, then the interval start.
inline float poissonEnd(float wholeHours, float fraction, float start) {
  return plus(plus(wholeHours, fraction), start);
}

// Whether a female at TIME is tallied at her nearest hour HR: her window of DIV either side covers it.
inline bool withinWindow(float TIME, float HR, float DIV) { return std::fabs(wide(TIME) - HR) <= DIV; }

// The second deviate of a pair: the first (as clamped) scaled by U2 / U1.
inline float secondDeviate(float Z, float U1, float U2) { return stored(wide(Z) * U2 / U1); }
inline float secondDeviate(const NormalPair& pair) { return secondDeviate(pair.Z, pair.U1, pair.U2); }

// Deviates beyond three standard deviations are put at +-3.
inline float clampDeviate(float Z) {
  if (std::fabs(Z) > 3.0f) return Z < 0.0f ? -3.0f : 3.0f;
  return Z;
}

template <class Stream>
float normalDeviate(Stream& stream, NormalPair& pair) {
  if (pair.ISW == 1) {
    float W = 0.0f;
    do {
      do {
        pair.U1 = pairCoordinate(stream.next());
      } while (pair.U1 == 0.0f);
      pair.U2 = pairCoordinate(stream.next());
      W = pairRadius(pair.U1, pair.U2);
    } while (W > 1.0f);
    pair.Z = firstDeviate(pair.U1, W, std::log(wide(W)));
  } else {
    pair.Z = secondDeviate(pair);
  }
  pair.ISW = 1 - pair.ISW;
  pair.Z = clampDeviate(pair.Z);
  return pair.Z;
}

// Whole hours after the interval start follow a Poisson law of mean DIFF / 2,
// capped at NM; a uniform fraction of an hour is added.
template <class Stream>
float poissonTime(Stream& stream, const IntervalShape& shape) {
  float PROD = stream.next();
  float TIME = 0.0f;
  if (!(PROD < shape.DEXP)) {
    bool reached = false;
    for (std::int32_t j = 1; j <= shape.NM && !reached; ++j) {
      TIME = real(j);
      PROD = stored(wide(PROD) * stream.next());
      reached = PROD < shape.DEXP;
    }
    if (!reached) TIME = real(shape.NM);
  }
  // Adding the start of the first interval (0) leaves TIME as it is.
  return poissonEnd(TIME, stream.next(), shape.start);
}

template <class Stream>
float nestingTime(Stream& stream, NormalPair& pair, const IntervalShape& shape, NestingLaw law) {
  switch (law) {
    case NestingLaw::normal:
      return normalTime(shape.STUD, normalDeviate(stream, pair), shape.MEANT);
    case NestingLaw::poisson:
      return poissonTime(stream, shape);
    case NestingLaw::uniform:
      return uniformTime(stream.next(), shape.DIFF, shape.start);
  }
  unknownLaw(law);
}

// A draw of exactly 1.0 would give strip NTR + 1, off the beach: it is put in
// strip NTR. The stream is unchanged; the last strip just gets the 63 states
// in 2^31 that round to 1.0 on top of its share.
inline std::int32_t stripOf(float draw, std::int32_t NTR) {
  const auto J = static_cast<std::int32_t>(wide(draw) * NTR + 1.0);
  return J > NTR ? NTR : J;
}

// The program's own use of the beach: every strip equally likely.
struct EvenStrips {
  std::int32_t operator()(float draw, std::int32_t NTR) const { return stripOf(draw, NTR); }
};

// An uneven use of the beach: the relative nesting density of S equal
// sections from one end to the other (S >= 1, weights >= 0, some above 0).
// A strip's weight is the mean density over its extent, and a female's strip
// is the first whose cumulative share of the weights reaches her strip draw
// (the last strip's share is exactly 1). Only the plain path places females
// this way.
class WeightedStrips {
 public:
  WeightedStrips(const std::vector<double>& density, std::int32_t NTR);
  std::int32_t operator()(float draw, std::int32_t NTR) const;
  // Strip J's cumulative share (1-based).
  double share(std::int32_t J) const { return shares_[static_cast<std::size_t>(J - 1)]; }

 private:
  // A guide table: guide_[g] is the first strip (0-based) whose share
  // reaches g / G, so a draw's search starts next to its strip.
  static constexpr std::int32_t kGuidesPerStrip = 4;
  std::vector<double> shares_;
  std::vector<std::int32_t> guide_;
};

// Whether a density leaves the beach evenly used (empty, or every section alike).
bool evenDensity(const std::vector<double>& density);

// The nearest whole hour, INT(TIME + 0.5) with truncation toward zero, so
// every time in (-1.5, 0.5) gives hour 0. A time too far out for an integer
// hour (only from absurd standard deviations) ends the run.
inline double nearestHour(float TIME) {
  const double hour = std::trunc(wide(TIME) + 0.5);
  if (!(std::fabs(hour) < 1073741824.0)) {
    throw text::RunTimeError("simulation: the nesting time " + std::to_string(TIME) +
                             " lies too far outside the arribada to be given an hour");
  }
  return hour;
}

// One female: interval, then (again after every out-of-range time) nesting
// time and strip, nearest hour and tally decision. `onRedraw(K, TIME, HR)` is
// called for every time outside hours 0 ... IHR before it is drawn again.
// `choose` finds the interval of a draw; any other chooser must give the
// same interval as the scan for every draw.
// `strips` finds the strip of a draw (the even rule unless the beach is unevenly used).
template <class Stream, class OnRedraw, class Choose = ScanIntervals, class Strips = EvenStrips>
Placement placeFemale(Stream& stream, NormalPair& pair, const GenerationConstants& c, OnRedraw&& onRedraw,
                      const Choose& choose = {}, const Strips& strips = {}) {
  Placement female;
  female.MM = choose(stream.next(), c);
  const IntervalShape& shape = c.intervals[static_cast<std::size_t>(female.MM - 1)];
  for (std::int32_t redraws = 0;; ++redraws) {
    female.TIME = nestingTime(stream, pair, shape, c.law);
    female.J = strips(stream.next(), c.NTR);
    const double hour = nearestHour(female.TIME);
    female.HR = stored(hour);
    female.K = static_cast<std::int32_t>(hour) + 1;
    if (female.K >= 1 && female.K <= c.hours) break;
    onRedraw(female.K, female.TIME, female.HR);
    if (redraws == kMaxRedraws) {
      throw text::RunTimeError("simulation: the nesting times of interval " + std::to_string(female.MM) +
                               " keep falling outside the arribada (" + std::to_string(kMaxRedraws) +
                               " redraws for one female)");
    }
  }
  female.tallied = withinWindow(female.TIME, female.HR, c.DIV);
  return female;
}

// The report's diagnostic line for a nesting time outside hours 0 ... IHR:
// the time index K, the time, its whole hour and the female's 1-based number
// I in the replicate. Both paths write it through here.
inline void writeRedrawLine(text::RecordSink& report, std::int32_t K, float TIME, float HR, std::int64_t I) {
  report.write({K, TIME, HR, static_cast<std::int32_t>(I)});
}

// The female's cell of the count grid, or kNotTallied.
template <class Stream, class OnRedraw, class Strips = EvenStrips>
std::int32_t femaleStep(Stream& stream, NormalPair& pair, const GenerationConstants& c, OnRedraw&& onRedraw,
                        const Strips& strips = {}) {
  const Placement female = placeFemale(stream, pair, c, onRedraw, ScanIntervals{}, strips);
  return female.tallied ? CountGrid::cellOf(female.J, female.K, c.hours) : kNotTallied;
}

// The plain path: clears the grid and places NN females, drawing from RANDOM
// on JX, on the even beach or, given `weighted`, on an unevenly used one.
// Every redraw writes K, TIME, HR and the female's number to `report`.
// Returns the draws taken.
std::uint64_t generateReplicate(CountGrid& TRAN, std::int32_t& JX, NormalPair& pair, const GenerationConstants& c,
                                std::int32_t NN, text::RecordSink& report, const WeightedStrips* weighted = nullptr);

}  // namespace arribada::engine
