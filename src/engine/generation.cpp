#include "engine/hot_loops.hpp"  // first: see there
#include "engine/generation.hpp"

#include <algorithm>
#include <functional>

#include "engine/random.hpp"
#include "engine/real.hpp"

namespace arribada::engine {
namespace {

IntervalShape shapeOf(const NestingTable& table, std::int32_t MM, float STDDEV) {
  const auto i = static_cast<std::size_t>(MM - 1);
  IntervalShape shape;
  if (MM > 1) {
    shape.DIFF = stored(wide(table.UINT[i]) - table.UINT[i - 1]);
    shape.MEANT = stored((wide(table.UINT[i - 1]) + table.UINT[i]) / 2.0);
    shape.start = table.UINT[i - 1];
  } else {
    shape.DIFF = table.UINT[0];
    shape.MEANT = stored(wide(shape.DIFF) / 2.0);
  }
  shape.STUD = stored(wide(shape.DIFF) * STDDEV / 12.0);
  const float XX = stored(wide(shape.DIFF) / 2.0);
  shape.DEXP = stored(std::exp(-wide(XX)));
  const double wholeHours = std::trunc(wide(shape.DIFF) + wide(0.1f));
  if (!(std::fabs(wholeHours) < 1073741824.0)) {
    throw text::RunTimeError("simulation: nesting interval " + std::to_string(MM) + " has an unusable length " +
                             std::to_string(shape.DIFF));
  }
  shape.NM = static_cast<std::int32_t>(wholeHours) - 1;
  return shape;
}

NestingLaw lawOf(std::int32_t KSW) {
  if (const auto law = decodeLaw(KSW)) return *law;
  throw text::RunTimeError("simulation: cannot run with KSW (allowed 1 to 3) = " + std::to_string(KSW));
}


}  // namespace

GenerationConstants makeGenerationConstants(const SimulationParameters& p, const NestingTable& table) {
  GenerationConstants c;
  c.KK = table.KK;
  c.law = lawOf(p.KSW);
  c.NTR = p.NTR;
  c.hours = p.IHR + 1;
  c.DIV = stored(wide(p.MIN) / 120.0);
  c.PERCNT = table.PERCNT;
  for (std::int32_t MM = 1; MM <= table.KK; ++MM) {
    c.intervals[static_cast<std::size_t>(MM - 1)] = shapeOf(table, MM, p.STDDEV);
  }
  return c;
}

namespace {

template <class Strips>
void placeAll(CountGrid& TRAN, PlainStream& stream, NormalPair& pair, const GenerationConstants& c, std::int32_t NN,
              text::RecordSink& report, const Strips& strips) {
  for (std::int32_t I = 1; I <= NN; ++I) {
    const std::int32_t cell = femaleStep(
        stream, pair, c, [&](std::int32_t K, float TIME, float HR) { writeRedrawLine(report, K, TIME, HR, I); },
        strips);
    if (cell != kNotTallied) TRAN.tally(cell);
  }
}

// The width of strip J's overlap with section s, both 1-based, in units of
// 1 / (NTR x S) of the beach: strip J covers (J - 1) S ... J S, section s
// covers (s - 1) NTR ... s NTR.
std::int64_t overlap(std::int64_t J, std::int64_t s, std::int64_t NTR, std::int64_t S) {
  const std::int64_t low = std::max((J - 1) * S, (s - 1) * NTR);
  const std::int64_t high = std::min(J * S, s * NTR);
  return std::max<std::int64_t>(0, high - low);
}

}  // namespace

WeightedStrips::WeightedStrips(const std::vector<double>& density, std::int32_t NTR) {
  const auto S = static_cast<std::int64_t>(density.size());
  std::vector<double> cumulative;
  double total = 0.0;
  for (std::int64_t J = 1; J <= NTR; ++J) {
    for (std::int64_t s = 1; s <= S; ++s) {
      total += density[static_cast<std::size_t>(s - 1)] * static_cast<double>(overlap(J, s, NTR, S));
    }
    cumulative.push_back(total);
  }
  if (!(total > 0.0)) throw text::RunTimeError("simulation: a nesting density needs some section above 0");
  for (double& weight : cumulative) weight /= total;
  cumulative.back() = 1.0;
  shares_ = std::move(cumulative);
  const std::size_t guides = shares_.size() * kGuidesPerStrip;
  std::size_t J = 0;
  for (std::size_t g = 0; g <= guides; ++g) {
    const double bound = static_cast<double>(g) / static_cast<double>(guides);
    while (J + 1 < shares_.size() && shares_[J] < bound) ++J;
    guide_.push_back(static_cast<std::int32_t>(J));
  }
}

std::int32_t WeightedStrips::operator()(float draw, std::int32_t NTR) const {
  // The first strip whose share reaches the draw: from the guide, back over
  // any strip a rounding of u G put behind, then on.
  const double u = wide(draw);
  const auto g = static_cast<std::size_t>(u * static_cast<double>(guide_.size() - 1));
  auto J = static_cast<std::size_t>(guide_[std::min(g, guide_.size() - 1)]);
  while (J > 0 && shares_[J - 1] >= u) --J;
  while (J + 1 < shares_.size() && shares_[J] < u) ++J;
  const auto strip = static_cast<std::int32_t>(J) + 1;
  return strip > NTR ? NTR : strip;
}

bool evenDensity(const std::vector<double>& density) {
  return std::adjacent_find(density.begin(), density.end(), std::not_equal_to<>()) == density.end();
}

std::uint64_t generateReplicate(CountGrid& TRAN, std::int32_t& JX, NormalPair& pair, const GenerationConstants& c,
                                std::int32_t NN, text::RecordSink& report, const WeightedStrips* weighted) {
  TRAN.clear();
  PlainStream stream(JX, report);
  if (weighted != nullptr) {
    placeAll(TRAN, stream, pair, c, NN, report, *weighted);
  } else {
    placeAll(TRAN, stream, pair, c, NN, report, EvenStrips{});
  }
  return stream.taken();
}

}  // namespace arribada::engine
