#include "design/effort.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/random.hpp"
#include "engine/real.hpp"
#include "text/channels.hpp"

namespace arribada::design {

using engine::plus;
using engine::real;
using engine::square;
using engine::stored;
using engine::wide;

std::vector<Stretch> densityStretches(const std::vector<double>& density, std::int32_t NTR) {
  if (engine::evenDensity(density)) return {{1, NTR, 1.0}};
  const auto S = static_cast<std::int64_t>(density.size());
  std::vector<Stretch> stretches;
  for (std::int32_t J = 1; J <= NTR; ++J) {
    // Strip J's centre, (J - 1/2) / NTR of the beach, lies in section floor((2J - 1) S / (2 NTR)) (0-based).
    const auto section = static_cast<std::size_t>((2 * static_cast<std::int64_t>(J) - 1) * S / (2 * std::int64_t{NTR}));
    const double d = density[section];
    if (stretches.empty() || stretches.back().density != d) {
      stretches.push_back({J, J, d});
    } else {
      stretches.back().last = J;
    }
  }
  return stretches;
}

std::vector<std::int32_t> neymanAllocation(const std::vector<Stretch>& stretches, std::int32_t IC) {
  std::vector<std::int32_t> n;
  std::int32_t strips = 0;
  for (const Stretch& s : stretches) {
    strips += s.strips();
    n.push_back(std::min(kLeastStripsAStretch, s.strips()));
  }
  std::int32_t given = leastDensityStrips(stretches);
  if (IC < given || IC > strips) return {};
  for (; given < IC; ++given) {
    std::size_t best = stretches.size();
    double bestGain = -1.0;
    for (std::size_t h = 0; h < stretches.size(); ++h) {
      if (n[h] >= stretches[h].strips()) continue;
      const double w = stretches[h].strips() * std::sqrt(stretches[h].density);
      const double gain = w * w / (static_cast<double>(n[h]) * (n[h] + 1));
      if (gain > bestGain) {
        best = h;
        bestGain = gain;
      }
    }
    ++n[best];
  }
  return n;
}

std::int32_t leastDensityStrips(const std::vector<Stretch>& stretches) {
  std::int32_t least = 0;
  for (const Stretch& s : stretches) least += std::min(kLeastStripsAStretch, s.strips());
  return least;
}

std::vector<std::int32_t> systematicStrips(const Stretch& stretch, std::int32_t n, float u) {
  const double v = std::min(wide(u), wide(std::nextafter(1.0f, 0.0f)));
  std::vector<std::int32_t> strips;
  for (std::int32_t i = 0; i < n; ++i) {
    const double at = std::floor((i + v) * stretch.strips() / n);
    strips.push_back(stretch.first + std::min(stretch.strips() - 1, static_cast<std::int32_t>(at)));
  }
  return strips;
}

std::vector<std::int32_t> sampledStrips(const Design& d, std::int32_t NTR, const std::vector<Stretch>& stretches,
                                        float u) {
  if (d.allocation == Allocation::even) return systematicStrips({1, NTR, 1.0}, d.IC, u);
  const std::vector<std::int32_t> n = neymanAllocation(stretches, d.IC);
  std::vector<std::int32_t> strips;
  for (std::size_t h = 0; h < n.size(); ++h) {
    const std::vector<std::int32_t> here = systematicStrips(stretches[h], n[h], u);
    strips.insert(strips.end(), here.begin(), here.end());
  }
  return strips;
}

double roundMinutes(const SearchSettings& settings, std::int32_t observers, const std::vector<std::int32_t>& strips) {
  const auto count = static_cast<std::int32_t>(strips.size());
  double longest = 0.0;
  std::int32_t at = 0;
  for (std::int32_t g = 0; g < observers && at < count; ++g) {
    const std::int32_t size = count / observers + (g < count % observers ? 1 : 0);
    const double walk = strips[static_cast<std::size_t>(at + size - 1)] - strips[static_cast<std::size_t>(at)];
    longest = std::max(longest, size * settings.STRIP_MINUTES + settings.WALK_MINUTES * walk);
    at += size;
  }
  return settings.ROUND_MINUTES + longest;
}

DesignCost crewCost(std::int32_t rounds, std::int32_t observers, double minutes, std::int32_t EVERY) {
  return {.rounds = rounds,
          .observerHours = rounds * (observers * minutes) / 60.0,
          .feasible = minutes <= EVERY * 60.0,
          .roundMinutes = minutes};
}

engine::SampleTotals countStrips(const engine::CountGrid& grid, const std::vector<std::int32_t>& strips,
                                 const engine::SamplingSchedule& schedule, engine::SampleWork& work) {
  work.TI.fill(0.0f);
  engine::SampleTotals t;
  for (const std::int32_t J : strips) {
    float BUM = 0.0f;
    for (std::int32_t NM = 1; NM <= schedule.NT1; ++NM) {
      const float DUM = real(grid.at(J, schedule.columnOf(NM)));
      t.SS = plus(t.SS, square(DUM));
      t.SUM = plus(t.SUM, DUM);
      BUM = plus(BUM, DUM);
      float& TI = work.TI[static_cast<std::size_t>(NM - 1)];
      TI = plus(TI, DUM);
    }
    t.SSTR = plus(t.SSTR, square(BUM));
    t.SUMN = plus(t.SUMN, BUM);
    ++t.M;
  }
  t.AN = real(schedule.NT1 * t.M);
  for (std::int32_t k = 0; k < schedule.NT1; ++k) {
    const float TIk = work.TI[static_cast<std::size_t>(k)];
    t.SSTI = plus(t.SSTI, square(TIk));
    t.SUMM = plus(t.SUMM, TIk);
  }
  return t;
}

engine::ReplicateEstimate stratifiedEstimate(const engine::CountGrid& grid, const std::vector<Stratum>& strata,
                                             const engine::SamplingSchedule& schedule, float u,
                                             engine::SampleWork& work) {
  text::DiscardingSink quiet;
  double MHAT = 0.0, VARM = 0.0, VARTR = 0.0, VARTI = 0.0;
  for (const Stratum& s : strata) {
    const engine::SampleTotals t = countStrips(grid, systematicStrips(s.stretch, s.n, u), schedule, work);
    const engine::ReplicateEstimate e = engine::estimateReplicate(t, s.constants, quiet);
    MHAT += e.MHAT;
    VARM += e.VARM;
    VARTR += e.VARTR;
    VARTI += e.VARTI;
  }
  engine::ReplicateEstimate sum{stored(MHAT), stored(VARM), stored(VARTR), stored(VARTI), 0.0f, 0.0f};
  const engine::ConfidenceLimits limits = engine::twoStandardErrors(sum.MHAT, sum.VARTI);
  sum.LCL = limits.LCL;
  sum.UCL = limits.UCL;
  return sum;
}

std::int32_t advancedState(std::int32_t IX, std::uint64_t k) {
  const std::uint64_t P = engine::kRandomModulus;
  std::uint64_t power = 1, base = engine::kRandomMultiplier;
  for (; k > 0; k >>= 1) {
    if (k & 1) power = power * base % P;
    base = base * base % P;
  }
  return static_cast<std::int32_t>(power * static_cast<std::uint64_t>(IX) % P);
}

CountError::CountError(double cv, std::int32_t JX)
    : cv_(cv), IX_(advancedState(JX, 2 * (engine::kStreamPeriod / 3))) {}

std::int32_t CountError::erred(std::int32_t count, double cv, double z) {
  const double sigma2 = std::log1p(cv * cv);
  const double value = std::floor(count * std::exp(std::sqrt(sigma2) * z - sigma2 / 2.0) + 0.5);
  return static_cast<std::int32_t>(std::min(value, double{std::numeric_limits<std::int32_t>::max()}));
}

void CountError::apply(const engine::CountGrid& truth, engine::CountGrid& erred) {
  text::DiscardingSink quiet;
  engine::PlainStream stream(IX_, quiet);
  erred = truth;
  for (std::size_t i = 0; i < truth.cells(); ++i) {
    if (truth.cell(i) == 0) continue;
    erred.setCell(i, CountError::erred(truth.cell(i), cv_, engine::normalDeviate(stream, pair_)));
  }
}

}  // namespace arribada::design
