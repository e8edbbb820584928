#include "design/pilot.hpp"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "design/measures.hpp"
#include "engine/parameters.hpp"
#include "engine/real.hpp"
#include "fielddata/analysis.hpp"
#include "text/errors.hpp"

namespace arribada::design {
namespace {

[[noreturn]] void refuse(const std::string& file, const std::string& why) {
  throw text::RunTimeError("the pilot survey '" + file + "': " + why);
}

std::string shortNumber(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

// The survey's counts added over its sampling times, per transect.
std::vector<double> transectTotals(const fielddata::SurveyCounts& counts) {
  std::vector<double> totals(static_cast<std::size_t>(counts.transects()), 0.0);
  for (std::int32_t j = 0; j < counts.transects(); ++j) {
    for (std::int32_t k = 0; k < counts.times(); ++k) totals[static_cast<std::size_t>(j)] += counts.at(j, k);
  }
  return totals;
}

// Each transect's strip: the STRIPS line's (each within NTR), or evenly spread.
std::vector<std::int32_t> stripsOf(const fielddata::SurveyNight& night, const std::string& file, std::int32_t NTR) {
  const std::int32_t transects = night.survey.header.NTR;
  if (!night.strips) {
    if (transects > NTR) {
      refuse(file, "its " + std::to_string(transects) + " transects do not fit on the design's NTR = " +
                       std::to_string(NTR) + " strips");
    }
    return evenlySpreadStrips(transects, NTR);
  }
  const fielddata::TransectStrips& given = *night.strips;
  for (std::size_t i = 0; i < given.strips.size(); ++i) {
    if (given.strips[i] > NTR) {
      throw text::RunTimeError("the survey file '" + night.file + "', row " + std::to_string(given.row) +
                               ", column " + std::to_string(given.columns[i]) + ": STRIPS: strip " +
                               std::to_string(given.strips[i]) + " lies beyond the design's NTR = " +
                               std::to_string(NTR));
    }
  }
  return given.strips;
}

// One interval per sampling time: marks k HOURS / NT1, the last exactly HOURS.
ShortTable nestingCurve(const fielddata::FieldHeader& h, const std::vector<std::int32_t>& timeTotals) {
  ShortTable table;
  for (std::int32_t k = 1; k <= h.NT1; ++k) {
    table.hourMarks.push_back(k == h.NT1 ? h.HOURS : engine::stored(engine::wide(h.HOURS) * k / h.NT1));
    table.weights.push_back(static_cast<float>(timeTotals[static_cast<std::size_t>(k - 1)]));
  }
  return table;
}

void requireUsableHeader(const fielddata::FieldHeader& h, const std::string& file) {
  if (h.NT1 * h.NTR < 2) refuse(file, "a single count gives no estimate to start from");
  if (!(h.HOURS >= 2.0f && h.HOURS < engine::kMaxHours + 1.0f)) {
    refuse(file, "HOURS = " + shortNumber(h.HOURS) + " is not an arribada of 2 to " +
                     std::to_string(engine::kMaxHours) + " whole hours, which the simulation can run");
  }
  if (h.NT1 > engine::kMaxTableRows) {
    refuse(file, "its " + std::to_string(h.NT1) + " sampling times are more than the " +
                     std::to_string(engine::kMaxTableRows) + " intervals a nesting-time table holds");
  }
  if (!(h.MEANT > 0.0f)) refuse(file, "MEANT = " + shortNumber(h.MEANT) + " is not a number of minutes above 0");
}

}  // namespace

std::vector<std::int32_t> evenlySpreadStrips(std::int32_t transects, std::int32_t NTR) {
  std::vector<std::int32_t> strips;
  for (std::int32_t j = 1; j <= transects; ++j) {
    strips.push_back(static_cast<std::int32_t>((2 * static_cast<std::int64_t>(j) - 1) * NTR / (2 * transects)) + 1);
  }
  return strips;
}

std::vector<double> stripDensities(const std::vector<std::int32_t>& strips, const std::vector<double>& values,
                                   std::int32_t NTR) {
  std::vector<double> density(static_cast<std::size_t>(NTR), 0.0);
  for (std::int32_t s = 1; s <= NTR; ++s) {
    std::size_t nearest = 0;
    for (std::size_t t = 1; t < strips.size(); ++t) {
      const std::int32_t here = std::abs(strips[t] - s);
      const std::int32_t best = std::abs(strips[nearest] - s);
      if (here < best || (here == best && strips[t] < strips[nearest])) nearest = t;
    }
    density[static_cast<std::size_t>(s - 1)] = values[nearest];
  }
  return density;
}

Pilot pilotFromSurvey(const fielddata::SurveyNight& night, const std::string& file, std::int32_t NTR) {
  const fielddata::FieldHeader& h = night.survey.header;
  requireUsableHeader(h, file);
  const fielddata::FieldResult result = fielddata::analyseNight(night);
  if (!result.MHAT || !(*result.MHAT > 0.0f)) refuse(file, "no turtle was counted, so it says nothing of an arribada");
  Pilot pilot;
  pilot.file = file;
  pilot.estimate = *result.MHAT;
  pilot.IHR = static_cast<std::int32_t>(h.HOURS);
  pilot.MIN = h.MEANT;
  pilot.table = nestingCurve(h, result.timeTotals);
  pilot.transectStrips = stripsOf(night, file, NTR);
  pilot.stripsGiven = night.strips.has_value();
  pilot.density = stripDensities(pilot.transectStrips, transectTotals(night.survey.counts), NTR);
  pilot.areaRatio = result.C;
  if (result.VARTI && *result.VARTI >= 0.0f) pilot.cv = std::sqrt(engine::wide(*result.VARTI)) / pilot.estimate;
  const double hoursBetween = engine::wide(h.HOURS) / h.NT1;
  if (hoursBetween >= 1.0 && hoursBetween == std::floor(hoursBetween)) {
    pilot.EVERY = static_cast<std::int32_t>(hoursBetween);
  }
  return pilot;
}

Pilot readPilot(const std::string& path, const std::string& file, std::int32_t NTR) {
  return pilotFromSurvey(fielddata::readSurveyFile(path), file, NTR);
}

std::optional<PilotDesign> pilotDesign(const Pilot& pilot, std::int32_t NTR) {
  const auto IC = static_cast<std::int32_t>(pilot.transectStrips.size());
  if (!pilot.EVERY || IC < 1 || IC > NTR || NTR % IC != 0) return std::nullopt;
  return PilotDesign{IC, *pilot.EVERY};
}

std::optional<std::int32_t> pilotNN(const Pilot& pilot, double factor) {
  const double NN = std::round(pilot.estimate * factor);
  if (!(NN >= 1.0 && NN <= 2147483647.0)) return std::nullopt;
  return static_cast<std::int32_t>(NN);
}

std::string pilotKey(const Pilot& pilot, double factor) {
  const std::string strips = text::numberList(pilot.transectStrips);
  return "from pilot " + pilot.file + ": NN its estimate " + shortNumber(std::round(pilot.estimate)) + " x " +
         shortNumber(factor) + ", MIN its MEANT, nesting curve its counts in " +
         std::to_string(pilot.table.hourMarks.size()) + " intervals (uniform within each), density its transects at strips " + strips +
         (pilot.stripsGiven ? " (its STRIPS)" : " (evenly spread)") +
         ", each strip its nearest transect's; its own estimate's CV " +
         (pilot.cv ? fixed(*pilot.cv, 3) : std::string("-")) + ", counting " + fixed(pilot.areaRatio, 4) +
         " of the nesting area (a simulated strip is counted whole)";
}

}  // namespace arribada::design
