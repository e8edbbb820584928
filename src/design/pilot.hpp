#pragma once
// A pilot survey as a scenario of the design search: last season's counts,
// read by the survey readers (either layout), give the arribada to expect
//
//   NN        the survey's own estimate of the females (times NN_FACTOR)
//   density   each transect's share of the counts, at its strip on the
//             design's NTR (STRIPS in a CSV survey, else evenly spread in
//             column order); every strip takes its nearest transect's value,
//             so the beach is in stretches, one per transect
//   nesting   one interval per sampling time, as the estimator takes them
//             (NT1 intervals of HOURS / NT1 hours), weighted by the time's
//             counts over the transects
//   MIN       its MEANT
//
// and, when its transects divide NTR and its hours between counts are whole,
// the design it counted with. docs/method.md states the limits of each.
//
// Faults are thrown as text::RunTimeError naming the survey file (and the
// row and column when the fault has one).

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "design/search.hpp"
#include "fielddata/nights.hpp"

namespace arribada::design {

// The strip of each of `transects` transects evenly spread over NTR strips:
// the middle strip of the j-th of `transects` equal parts, floor((j - 1/2) NTR / transects) + 1.
std::vector<std::int32_t> evenlySpreadStrips(std::int32_t transects, std::int32_t NTR);

// The relative density of every strip 1 ... NTR from `values` at `strips`
// (distinct, 1 ... NTR, any order): each strip takes the value of the nearest
// of them, on a tie the one nearer strip 1. The beach is then in stretches
// of equal density, one per transect, which a density allocation samples.
std::vector<double> stripDensities(const std::vector<std::int32_t>& strips, const std::vector<double>& values,
                                   std::int32_t NTR);

// The scenario values of a survey read by fielddata::readSurveyFile, on a
// beach of NTR strips; `file` names it as the design file does.
Pilot pilotFromSurvey(const fielddata::SurveyNight& night, const std::string& file, std::int32_t NTR);

// fielddata::readSurveyFile(path), then pilotFromSurvey.
Pilot readPilot(const std::string& path, const std::string& file, std::int32_t NTR);

// The design the pilot counted with (its transects as IC, its hours between
// counts as EVERY) when IC divides NTR and the hours are whole; else none.
struct PilotDesign {
  std::int32_t IC = 0;
  std::int32_t EVERY = 0;
};
std::optional<PilotDesign> pilotDesign(const Pilot& pilot, std::int32_t NTR);

// The NN of a pilot's scenario: its estimate times the factor, rounded to
// the nearest female; none when that is below 1 or beyond a whole number's range.
std::optional<std::int32_t> pilotNN(const Pilot& pilot, double factor);

// One line for the table's key: how the scenario's values came from the pilot,
// and the pilot's own precision beside the share of the beach it counted.
std::string pilotKey(const Pilot& pilot, double factor);

}  // namespace arribada::design
