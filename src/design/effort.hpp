#pragma once
// How a design spends its effort and what its counts are worth: the crew's
// round (elapsed time and observer-hours), the stretches of a scenario's
// density and the strips a design counts in each (even or Neyman
// allocation), the stratified estimate, and the counts' error.
// docs/method.md states each rule; these are its one statement in code.

#include <cstdint>
#include <vector>

#include "design/search.hpp"
#include "engine/counts.hpp"
#include "engine/estimate.hpp"
#include "engine/generation.hpp"

namespace arribada::design {

// A run of neighbouring strips of one density: strips first ... last (1-based).
struct Stretch {
  std::int32_t first = 1;
  std::int32_t last = 1;
  double density = 1.0;
  std::int32_t strips() const { return last - first + 1; }
};

// The stretches of a density on NTR strips: a strip belongs to the section
// that holds its centre, and neighbouring sections of equal density form one
// stretch. An even (or empty) density is one stretch of the whole beach.
std::vector<Stretch> densityStretches(const std::vector<double>& density, std::int32_t NTR);

// The fewest strips a stretch is counted in (fewer when it has fewer): a
// stretch counted in one strip has no variance between its strips, and its
// intervals would claim a precision they do not have.
inline constexpr std::int32_t kLeastStripsAStretch = 2;

// Neyman allocation of IC strips over the stretches: kLeastStripsAStretch
// each, then one at a time to the stretch whose variance it lowers most, the
// largest (strips x sqrt(density))^2 / (n (n + 1)) among stretches not yet
// counted whole (ties to the stretch nearer strip 1). Empty when IC is fewer
// than those least strips or more than the strips.
std::vector<std::int32_t> neymanAllocation(const std::vector<Stretch>& stretches, std::int32_t IC);

// The strips a density allocation needs at least on these stretches.
std::int32_t leastDensityStrips(const std::vector<Stretch>& stretches);

// The n strips a systematic sample counts in a stretch: strip
// first + floor((i + u) x strips / n), i = 0 ... n - 1, u the start's draw
// (0 for the first-strip start; a draw of 1 counts as just below 1). With n
// dividing the stretch this is the even design's sample.
std::vector<std::int32_t> systematicStrips(const Stretch& stretch, std::int32_t n, float u);

// The strips a design counts on NTR strips of `stretches` from the start's
// draw u: one systematic sample (even) or one per stretch (density), in
// beach order; empty when the design cannot be placed.
std::vector<std::int32_t> sampledStrips(const Design& d, std::int32_t NTR, const std::vector<Stretch>& stretches,
                                        float u);

// A round's elapsed minutes for sampled strips `strips` (in beach order):
// the observers split them into consecutive groups (sizes differing by at
// most one, the larger first), each counts its group and walks from its
// first strip to its last; the round lasts ROUND_MINUTES plus the longest
// group's counting and walking.
double roundMinutes(const SearchSettings& settings, std::int32_t observers, const std::vector<std::int32_t>& strips);

// The cost of `rounds` rounds of `minutes`, each observer paid for the whole round.
DesignCost crewCost(std::int32_t rounds, std::int32_t observers, double minutes, std::int32_t EVERY);

// The totals of a sample of the given strips at the schedule's times, added
// in the order of the engine's systematic count (strip by strip, time by time).
engine::SampleTotals countStrips(const engine::CountGrid& grid, const std::vector<std::int32_t>& strips,
                                 const engine::SamplingSchedule& schedule, engine::SampleWork& work);

// One stratum of a stratified design: its strips and the estimate's constants
// (sampling fraction n / strips of the stretch).
struct Stratum {
  Stretch stretch;
  std::int32_t n = 0;
  engine::EstimateConstants constants;
};

// The stratified estimate: each stratum estimated as an ordinary sample of
// its stretch, the estimates and each variance summed, the limits
// MHAT -+ 2 sqrt(VARTI) of the sums.
engine::ReplicateEstimate stratifiedEstimate(const engine::CountGrid& grid, const std::vector<Stratum>& strata,
                                             const engine::SamplingSchedule& schedule, float u,
                                             engine::SampleWork& work);

// The counts' error: every count multiplied by a log-normal error of mean 1
// and coefficient of variation cv, rounded to the nearest whole count (halves
// up), from a stream of its own.
class CountError {
 public:
  // The stream starts two thirds of a period ahead of JX's state.
  CountError(double cv, std::int32_t JX);
  // `erred` becomes `truth` with an error on every non-zero cell, drawn in cell order.
  void apply(const engine::CountGrid& truth, engine::CountGrid& erred);
  // One count with the error of the standard normal deviate z.
  static std::int32_t erred(std::int32_t count, double cv, double z);

 private:
  double cv_;
  std::int32_t IX_;
  engine::NormalPair pair_{};
};

// The state 16807^k x IX mod P: IX advanced by k draws.
std::int32_t advancedState(std::int32_t IX, std::uint64_t k);

}  // namespace arribada::design
