#include "engine/generation.hpp"

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

void generateReplicate(CountGrid& TRAN, std::int32_t& JX, NormalPair& pair, const GenerationConstants& c,
                       std::int32_t NN, text::RecordSink& report) {
  TRAN.clear();
  PlainStream stream(JX, report);
  for (std::int32_t I = 1; I <= NN; ++I) {
    const std::int32_t cell = femaleStep(stream, pair, c, [&](std::int32_t K, float TIME, float HR) {
      writeRedrawLine(report, K, TIME, HR, I);
    });
    if (cell != kNotTallied) TRAN.tally(cell);
  }
}

}  // namespace arribada::engine
