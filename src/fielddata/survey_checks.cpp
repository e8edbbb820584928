#include "fielddata/survey_checks.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "engine/real.hpp"
#include "text/errors.hpp"

namespace arribada::fielddata {
namespace {

constexpr double kClockSlackHours = 10.0 / 60.0;  // a field clock read to the minute, with room to spare
constexpr double kIntervalShare = 0.1;            // of the mean interval, when more than the clock's slack
constexpr double kHoursShare = 0.02;              // of the HOURS the times imply, when more than the slack
constexpr double kWeightsShare = 0.01;            // of LENGTH, for the sum of the weights
constexpr std::size_t kFewestOtherTransects = 3;  // for a column to be told a total by its counts
constexpr float kFewestLikelyMinutes = 5.0f;
constexpr float kMostLikelyMinutes = 240.0f;  // four hours of egg-laying activity

std::string lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

double meanInterval(const std::vector<double>& hours) {
  return (hours.back() - hours.front()) / static_cast<double>(hours.size() - 1);
}

bool namedAsATotal(const std::string& name) {
  static const char* const kTotals[] = {"total", "totals", "totales", "sum", "suma", "sumas"};
  const std::string n = lowered(name);
  return std::find(std::begin(kTotals), std::end(kTotals), n) != std::end(kTotals);
}

// Whether column `c` equals the sum of the others in every row where they
// are not all zero, in one such row at least.
bool sumOfTheOthers(const SurveyCounts& counts, std::int32_t c) {
  bool anyRow = false;
  for (std::int32_t k = 0; k < counts.times(); ++k) {
    std::int64_t others = 0;
    bool allZero = true;
    for (std::int32_t j = 0; j < counts.transects(); ++j) {
      if (j == c) continue;
      others += counts.at(j, k);
      allZero = allZero && counts.at(j, k) == 0;
    }
    if (allZero) continue;
    if (others != counts.at(c, k)) return false;
    anyRow = true;
  }
  return anyRow;
}

std::string quotedName(const std::string& name) { return "'" + name + "'"; }

// "1 hour", "2.5 hours".
std::string hoursPhrase(double hours) { return hoursText(hours) + (hoursText(hours) == "1" ? " hour" : " hours"); }

}  // namespace

std::string hoursText(double hours) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", hours);
  std::string s(text);
  s.erase(s.find_last_not_of('0') + 1);
  if (s.back() == '.') s.pop_back();
  return s;
}

Place SurveyTable::valueLine(const std::string& name) const {
  const auto at = valueLines.find(name);
  return at != valueLines.end() ? at->second : Place{places.headerRow, 1};
}

std::optional<double> hoursFromTimes(const std::vector<double>& hours) {
  if (hours.size() < 2) return std::nullopt;
  return static_cast<double>(hours.size()) * meanInterval(hours);
}

std::optional<SurveyFault> hoursFault(float HOURS, Place line, const std::optional<SamplingTimes>& times) {
  if (!(HOURS > 0.0f)) {
    return SurveyFault{line, "HOURS = " + text::shortReal(HOURS) +
                                 ": the length of the arribada (the period the counts cover) must be above 0 hours"};
  }
  if (!times) return std::nullopt;
  const std::optional<double> implied = hoursFromTimes(times->hours);
  if (!implied) return std::nullopt;
  const double slack = std::max(kClockSlackHours, kHoursShare * *implied);
  if (std::fabs(HOURS - *implied) <= slack) return std::nullopt;
  const std::size_t n = times->hours.size();
  return SurveyFault{line, "HOURS = " + text::shortReal(HOURS) + ", but the " + std::to_string(n) + " counts " +
                               hoursPhrase(meanInterval(times->hours)) + " apart cover " + hoursPhrase(*implied) +
                               ": the times imply HOURS = " + hoursText(*implied) +
                               " (the estimate takes every count to stand for HOURS / NT1 hours); give that, or "
                               "leave HOURS out to take it from the times"};
}

std::optional<SurveyFault> unevenTimesFault(const SamplingTimes& times, const TablePlaces& places) {
  const std::vector<double>& t = times.hours;
  if (t.size() < 3) return std::nullopt;
  // The usual interval is the median one, so that the odd one out is the one named.
  std::vector<double> intervals;
  for (std::size_t k = 1; k < t.size(); ++k) intervals.push_back(t[k] - t[k - 1]);
  std::vector<double> sorted = intervals;
  std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(sorted.size() / 2), sorted.end());
  const double usual = sorted[sorted.size() / 2];
  const double slack = std::max(kClockSlackHours, kIntervalShare * usual);
  for (std::size_t k = 1; k < t.size(); ++k) {
    if (std::fabs(intervals[k - 1] - usual) <= slack) continue;
    return SurveyFault{places.time(k), "the counts are not evenly spaced: this one comes " +
                                           hoursPhrase(intervals[k - 1]) + " after the one before, the others " +
                                           hoursPhrase(usual) +
                                           " apart (the estimate assumes counts at regular times; a missed "
                                           "count is a row with its time and its counts)"};
  }
  return std::nullopt;
}

std::optional<SurveyFault> totalColumnFault(const std::vector<std::string>& transects, const SurveyCounts& counts,
                                            const TablePlaces& places) {
  for (std::size_t j = 0; j < transects.size(); ++j) {
    if (namedAsATotal(transects[j])) {
      return SurveyFault{places.name(j), "the column " + quotedName(transects[j]) +
                                             " is named as a total: a total is not a transect (it would double the "
                                             "estimate); remove that column"};
    }
  }
  if (static_cast<std::size_t>(counts.transects()) < kFewestOtherTransects + 1) return std::nullopt;
  for (std::int32_t j = 0; j < counts.transects(); ++j) {
    if (!sumOfTheOthers(counts, j)) continue;
    const auto c = static_cast<std::size_t>(j);
    const std::string name = c < transects.size() ? quotedName(transects[c]) : "of transect " + std::to_string(j + 1);
    return SurveyFault{places.name(c), "the column " + name +
                                           " equals the sum of the other transects in every row: a total is not a "
                                           "transect (it would double the estimate); remove that column"};
  }
  return std::nullopt;
}

std::optional<SurveyFault> widthFault(float WIDTH, Place line) {
  if (WIDTH > 0.0f) return std::nullopt;
  return SurveyFault{line, "WIDTH = " + text::shortReal(WIDTH) + ": the transect half-width must be above 0 metres"};
}

std::optional<SurveyFault> sampleAreaFault(const FieldHeader& h, Place line, const std::string& area) {
  const double sampled = engine::wide(sampleArea(h));
  if (!(h.AREA > 0.0f) || sampled <= engine::wide(h.AREA) * (1.0 + 1e-6)) return std::nullopt;
  return SurveyFault{line, area + " = " + text::shortReal(h.AREA) + " km2 is less than the transects' own area, " +
                               "their length x 2 x WIDTH = " + text::shortReal(sampleArea(h)) +
                               " km2: a sample cannot be larger than the nesting area (areas are in km2, 1 ha = 0.01 "
                               "km2; LENGTH and WIDTH, the half-width, in metres)"};
}

std::optional<SurveyFault> weightsFault(const std::vector<float>& weights, float LENGTH, Place line) {
  double sum = 0.0;
  for (std::size_t j = 0; j < weights.size(); ++j) {
    if (weights[j] < 0.0f || !std::isfinite(weights[j])) {
      return SurveyFault{line, "the weight of transect " + std::to_string(j + 1) + ", " +
                                   text::shortReal(weights[j]) + ", is not a length of transect (0 or more)"};
    }
    sum += weights[j];
  }
  if (weights.empty() || std::fabs(sum - LENGTH) <= kWeightsShare * std::fabs(LENGTH)) return std::nullopt;
  return SurveyFault{line, "the weights add up to " + text::shortReal(static_cast<float>(sum)) + ", not LENGTH = " +
                               text::shortReal(LENGTH) +
                               ": a weight is its transect's length, its share of LENGTH (the variance would be "
                               "wrong); give the transects' lengths in metres"};
}

std::optional<std::string> meantUnitWarning(float MEANT, const std::string& where) {
  if (MEANT > 0.0f && MEANT < kFewestLikelyMinutes) {
    return "MEANT = " + text::shortReal(MEANT) + where +
           " is below 5: it is read in minutes, and a time given in hours gives an estimate 60 times too large";
  }
  if (MEANT > kMostLikelyMinutes) {
    return "MEANT = " + text::shortReal(MEANT) + where + " is above " + text::shortReal(kMostLikelyMinutes) +
           ": it is read in minutes, and a time given in seconds gives an estimate 60 times too small";
  }
  return std::nullopt;
}

std::optional<SurveyFault> meantFault(float MEANT, float HOURS, Place line) {
  if (!(MEANT > 0.0f && HOURS > 0.0f) || engine::wide(MEANT) <= engine::wide(HOURS) * 60.0) return std::nullopt;
  return SurveyFault{line, "MEANT = " + text::shortReal(MEANT) + " minutes is longer than the whole arribada, HOURS = " +
                               text::shortReal(HOURS) + " (" + text::shortReal(engine::stored(engine::wide(HOURS) * 60.0)) +
                               " minutes): MEANT is in minutes (" + text::shortReal(MEANT) + " seconds would be " +
                               text::shortReal(engine::stored(engine::wide(MEANT) / 60.0)) + ")"};
}

std::optional<SurveyFault> surveyFault(const SurveyTable& t) {
  if (auto fault = widthFault(t.header.WIDTH, t.valueLine("WIDTH"))) return fault;
  if (t.times) {
    if (auto fault = unevenTimesFault(*t.times, t.places)) return fault;
  }
  if (auto fault = hoursFault(t.header.HOURS, t.valueLine("HOURS"), t.times)) return fault;
  if (auto fault = meantFault(t.header.MEANT, t.header.HOURS, t.valueLine("MEANT"))) return fault;
  if (auto fault = totalColumnFault(t.transects, t.counts, t.places)) return fault;
  if (auto fault = sampleAreaFault(t.header, t.valueLine("AREA"))) return fault;
  return weightsFault(t.weights, t.header.LENGTH, t.valueLine("WEIGHTS"));
}

}  // namespace arribada::fielddata
