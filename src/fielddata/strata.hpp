#pragma once
// A survey whose beach is cut into strata, each with its own nesting area
// and its own share of the transects: the estimate is the sum of the
// strata's estimates and its variance the sum of theirs, each stratum
// analysed as a survey of its own (its transects, its area, its share of
// LENGTH: the WEIGHTS of its transects, else LENGTH / NTR a transect).

#include <cstdint>
#include <vector>

#include "fielddata/analysis.hpp"

namespace arribada::fielddata {

struct Strata {
  std::vector<std::int32_t> of;  // each transect's stratum, from 1; empty for an unstratified survey
  std::vector<float> areas;      // each stratum's nesting area, km^2
  bool given() const { return !of.empty(); }
  bool operator==(const Strata&) const = default;
};

// The part of `survey` in stratum `stratum` (from 1), as a survey of its own.
Survey stratumSurvey(const Survey& survey, const Strata& strata, std::int32_t stratum);

// The stratified analysis: MHAT and VARTI the sums of the strata's (none
// when a stratum has none: a single count or a single transect), the limits
// the estimate plus and minus twice the standard error; the areas, counts
// and time totals those of the whole survey. The errors of analyseSurvey.
FieldResult analyseStrata(const Survey& survey, const Strata& strata);

}  // namespace arribada::fielddata
