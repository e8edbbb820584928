#include "fielddata/strata.hpp"

#include <optional>
#include <string>

#include "engine/estimate.hpp"
#include "engine/real.hpp"

namespace arribada::fielddata {
namespace {

// The sum of two figures that a stratum may lack.
std::optional<float> sumOf(const std::optional<float>& total, const std::optional<float>& part) {
  if (!total || !part) return std::nullopt;
  return engine::stored(engine::wide(*total) + *part);
}

}  // namespace

Survey stratumSurvey(const Survey& survey, const Strata& strata, std::int32_t stratum) {
  const FieldHeader& whole = survey.header;
  std::vector<std::int32_t> transects;
  for (std::int32_t j = 0; j < whole.NTR; ++j) {
    if (strata.of[static_cast<std::size_t>(j)] == stratum) transects.push_back(j);
  }
  Survey part{survey.description + " (stratum " + std::to_string(stratum) + ")", whole,
              SurveyCounts(static_cast<std::int32_t>(transects.size()), whole.NT1), {}};
  FieldHeader& h = part.header;
  h.NTR = static_cast<std::int32_t>(transects.size());
  h.AREA = strata.areas[static_cast<std::size_t>(stratum - 1)];
  double length = 0.0;
  for (std::size_t i = 0; i < transects.size(); ++i) {
    for (std::int32_t k = 0; k < whole.NT1; ++k) part.counts.set(static_cast<std::int32_t>(i), k, survey.counts.at(transects[i], k));
    if (whole.weighted()) {
      part.weights.push_back(survey.weights[static_cast<std::size_t>(transects[i])]);
      length += part.weights.back();
    }
  }
  h.LENGTH = whole.weighted() ? engine::stored(length) : engine::stored(engine::wide(whole.LENGTH) * h.NTR / whole.NTR);
  return part;
}

FieldResult analyseStrata(const Survey& survey, const Strata& strata) {
  FieldResult total = analyseSurvey(survey);  // the whole survey's areas, samples, counts and time totals
  total.MHAT = 0.0f;
  total.VARTI = 0.0f;
  for (std::int32_t stratum = 1; stratum <= static_cast<std::int32_t>(strata.areas.size()); ++stratum) {
    const FieldResult part = analyseSurvey(stratumSurvey(survey, strata, stratum));
    total.MHAT = sumOf(total.MHAT, part.MHAT);
    total.VARTI = sumOf(total.VARTI, part.VARTI);
  }
  total.LCL = kNoLimit;
  total.UCL = kNoLimit;
  if (total.MHAT && total.VARTI && *total.VARTI >= 0.0f) {
    const engine::ConfidenceLimits limits = engine::twoStandardErrors(*total.MHAT, *total.VARTI);
    total.LCL = limits.LCL;
    total.UCL = limits.UCL;
  }
  return total;
}

}  // namespace arribada::fielddata
