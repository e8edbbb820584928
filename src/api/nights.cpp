#include "api/nights.hpp"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <stdexcept>

#include "api/conversions.hpp"
#include "fielddata/nights.hpp"
#include "fielddata/nights_table.hpp"
#include "fielddata/strata.hpp"
#include "fielddata/survey_checks.hpp"
#include "results/charts.hpp"
#include "results/rows.hpp"
#include "text/errors.hpp"

namespace arribada::api {
namespace {

using fielddata::FieldHeader;
using fielddata::kHeaderFields;

constexpr std::int32_t kLargestCount = 32767;  // a cell of the count grid

// A survey as plain values.
SurveyValues valuesOf(const fielddata::SurveyNight& night) {
  SurveyValues out;
  out.file = night.file;
  out.title = night.title;
  out.description = night.survey.description;
  for (const fielddata::HeaderField& field : kHeaderFields) {
    const auto value = [&night](auto member) { return static_cast<double>(night.survey.header.*member); };
    const bool whole = std::holds_alternative<std::int32_t FieldHeader::*>(field.member);
    out.header.push_back({field.name, std::visit(value, field.member), whole});
  }
  const fielddata::SurveyCounts& grid = night.survey.counts;
  out.times = grid.times();
  out.transects = grid.transects();
  for (std::int32_t k = 0; k < grid.times(); ++k) {
    for (std::int32_t j = 0; j < grid.transects(); ++j) out.counts.push_back(grid.at(j, k));
  }
  out.weights.assign(night.survey.weights.begin(), night.survey.weights.end());
  if (night.MEANT_SE) out.MEANT_SE = *night.MEANT_SE;
  out.hours = night.times.hours;
  out.clock = night.times.clock;
  out.date = night.date;
  out.strata = night.strata.of;
  out.stratumAreas.assign(night.strata.areas.begin(), night.strata.areas.end());
  return out;
}

[[noreturn]] void refuse(const SurveyValues& survey, const std::string& why) {
  throw text::RunTimeError("the survey " + survey.description + ": " + why);
}

FieldHeader headerOf(const SurveyValues& survey) {
  if (survey.header.size() != kHeaderFields.size()) refuse(survey, "its header does not hold the nine values");
  FieldHeader h;
  for (std::size_t i = 0; i < kHeaderFields.size(); ++i) {
    const std::string& name = survey.header[i].name;
    const double value = survey.header[i].value;
    if (name != kHeaderFields[i].name || !std::isfinite(value)) refuse(survey, "the header's " + name + " is unusable");
    if (const auto* real = std::get_if<float FieldHeader::*>(&kHeaderFields[i].member)) {
      h.**real = static_cast<float>(value);
    } else if (value != std::trunc(value) || std::fabs(value) > 2147483647.0) {
      refuse(survey, "the header's " + name + " must be a whole number");
    } else {
      h.*std::get<std::int32_t FieldHeader::*>(kHeaderFields[i].member) = static_cast<std::int32_t>(value);
    }
  }
  return h;
}

fielddata::SurveyCounts countsOf(const SurveyValues& survey) {
  if (survey.times < 0 || survey.transects < 0 || survey.times > fielddata::kMaxSamplingTimes ||
      survey.transects > fielddata::kMaxTransects ||
      survey.counts.size() != static_cast<std::size_t>(survey.times) * static_cast<std::size_t>(survey.transects)) {
    refuse(survey, "its counts are not a table of its sampling times by its transects");
  }
  fielddata::SurveyCounts grid(survey.transects, survey.times);
  for (std::int32_t k = 0; k < survey.times; ++k) {
    for (std::int32_t j = 0; j < survey.transects; ++j) {
      const std::int32_t count = survey.counts[static_cast<std::size_t>(k * survey.transects + j)];
      if (count < 0 || count > kLargestCount) refuse(survey, "a count is missing or outside 0 to 32767");
      grid.set(j, k, count);
    }
  }
  return grid;
}

// Strata as a host gives them: a stratum (from 1) per transect, every
// stratum with a transect and a nesting area above 0; none for one stratum.
void checkStrata(const SurveyValues& survey) {
  if (survey.strata.empty() && survey.stratumAreas.empty()) return;
  const auto strata = static_cast<std::int32_t>(survey.stratumAreas.size());
  bool fits = survey.strata.size() == static_cast<std::size_t>(survey.transects);
  for (const std::int32_t s : survey.strata) fits = fits && s >= 1 && s <= strata;
  for (std::int32_t s = 1; s <= strata; ++s) {
    fits = fits && std::find(survey.strata.begin(), survey.strata.end(), s) != survey.strata.end() &&
           survey.stratumAreas[static_cast<std::size_t>(s - 1)] > 0.0;
  }
  if (!fits) refuse(survey, "its strata are not a stratum (from 1) per transect, each with a transect and an area above 0");
}

// Values that cannot stand together: a MEANT longer than the arribada, a
// sample larger than the nesting area it stands for (the whole night's or a stratum's).
void checkValuesAgainstEachOther(const SurveyValues& survey, const fielddata::SurveyNight& night) {
  const fielddata::FieldHeader& h = night.survey.header;
  if (const auto fault = fielddata::meantFault(h.MEANT, h.HOURS, {})) refuse(survey, fault->why);
  if (const auto fault = fielddata::sampleAreaFault(h, {})) refuse(survey, fault->why);
  const bool shaped = night.survey.counts.transects() == h.NTR && night.survey.counts.times() == h.NT1 &&
                      night.strata.of.size() == static_cast<std::size_t>(h.NTR) &&
                      (!h.weighted() || night.survey.weights.size() == static_cast<std::size_t>(h.NTR));
  if (!shaped) return;  // the analysis refuses the shape itself
  for (std::size_t i = 0; i < night.strata.areas.size(); ++i) {
    const auto stratum = static_cast<std::int32_t>(i + 1);
    const fielddata::Survey part = fielddata::stratumSurvey(night.survey, night.strata, stratum);
    if (const auto fault = fielddata::sampleAreaFault(part.header, {}, "the area of stratum " + std::to_string(stratum))) {
      refuse(survey, fault->why);
    }
  }
}

fielddata::SurveyNight nightOf(const SurveyValues& survey) {
  checkStrata(survey);
  std::optional<float> MEANT_SE;
  if (survey.MEANT_SE) MEANT_SE = static_cast<float>(*survey.MEANT_SE);
  fielddata::SurveyNight night{survey.file,
          survey.title,
          {survey.description, headerOf(survey), countsOf(survey),
           std::vector<float>(survey.weights.begin(), survey.weights.end())},
          MEANT_SE,
          {survey.hours, survey.clock},
          survey.date,
          std::nullopt,
          {survey.strata, std::vector<float>(survey.stratumAreas.begin(), survey.stratumAreas.end())}};
  checkValuesAgainstEachOther(survey, night);
  return night;
}

std::vector<TimeTotal> timeTotals(const fielddata::FieldAnalysis& analysis) {
  std::vector<TimeTotal> times;
  for (std::size_t n = 0; n < analysis.counts.size(); ++n) {
    const fielddata::NightCounts& counts = analysis.counts[n];
    for (std::size_t k = 0; k < counts.totals.size(); ++k) {
      TimeTotal time{.night = static_cast<std::int32_t>(n + 1), .hours = std::nullopt, .total = counts.totals[k]};
      if (k < counts.times.hours.size()) time.hours = counts.times.hours[k];
      times.push_back(time);
    }
  }
  return times;
}

// A cell of the CSV text between double quotes, a quote inside doubled.
std::string quoted(const std::string& text) {
  std::string cell = "\"";
  for (char c : text) cell += c == '"' ? std::string("\"\"") : std::string(1, c);
  return cell + "\"";
}

// A table of counts as the CSV layout writes it: the values' lines, the
// header row, one row per sampling time.
std::string csvLayout(const std::vector<std::string>& times, const std::vector<CountColumn>& columns,
                      const NamedValues& values) {
  std::ostringstream text;
  for (const NamedValue& value : values) {
    if (std::holds_alternative<Texts>(value.value)) {
      text << quoted("# " + value.name + " = " + detail::joined(value, " ")) << '\n';
    } else {
      text << "# " << value.name << " = " << detail::joined(value, ",") << '\n';
    }
  }
  text << "time";
  for (const CountColumn& column : columns) text << ',' << quoted(column.name);
  text << '\n';
  for (std::size_t k = 0; k < times.size(); ++k) {
    text << quoted(times[k]);
    for (const CountColumn& column : columns) {
      const double count = k < column.counts.size() ? column.counts[k] : NAN;
      text << ',' << (std::isnan(count) ? std::string() : detail::decimalText(count));
    }
    text << '\n';
  }
  return text.str();
}

}  // namespace

SurveyRead readSurveyFile(const std::string& name) {
  detail::CollectedWarnings collected;
  const fielddata::SurveyNight night = fielddata::readSurveyFile(name, collected.warnings());
  return {valuesOf(night), collected.lines()};
}

SurveyRead readSurveyText(const std::string& name, const std::string& text) {
  detail::CollectedWarnings collected;
  const fielddata::SurveyNight night = fielddata::readSurveyBytes(name, text, collected.warnings());
  return {valuesOf(night), collected.lines()};
}

SurveyValues surveyFromTable(const std::vector<std::string>& times, const std::vector<CountColumn>& columns,
                             const NamedValues& values, const std::string& description) {
  fielddata::CsvSurvey csv = fielddata::readCsvSurvey(csvLayout(times, columns, values), description);
  return valuesOf({description, csv.title, std::move(csv.survey), csv.MEANT_SE, csv.times, csv.date, csv.strips,
                   csv.strata});
}

namespace {

// The products of nights read whole (their dates and strata too).
NightsProducts productsOf(const std::vector<fielddata::SurveyNight>& nights,
                          text::Warnings warnings = text::Warnings{}) {
  fielddata::FieldAnalysis analysis;
  try {
    analysis = fielddata::analyseNights(nights, warnings);
  } catch (const std::invalid_argument&) {
    throw text::RunTimeError("a survey's counts or weights are not of the shape its header gives");
  }
  NightsProducts out;
  out.estimate = results::nightRows(analysis);
  out.times = timeTotals(analysis);
  out.table = fielddata::nightsTable(analysis);
  out.fieldCsv = results::csvText(out.estimate);
  out.fieldSvg = results::nightsPicture(analysis);
  return out;
}

}  // namespace

NightsProducts analyseNights(const std::vector<SurveyValues>& surveys) {
  std::vector<fielddata::SurveyNight> nights;
  for (const SurveyValues& survey : surveys) nights.push_back(nightOf(survey));
  return productsOf(nights);
}

// The files' texts are read straight into nights, so that what plain values
// do not carry (a night's DATE, its strata) still counts.
NightsProducts analyseSurveyTexts(const std::vector<SurveyText>& files, std::vector<std::string>* warnings) {
  detail::CollectedWarnings collected;
  std::vector<fielddata::SurveyNight> nights;
  for (const SurveyText& file : files) nights.push_back(fielddata::readSurveyBytes(file.name, file.text, collected.warnings()));
  NightsProducts out = productsOf(nights, collected.warnings());
  if (warnings != nullptr) {
    const std::vector<std::string> lines = collected.lines();
    warnings->insert(warnings->end(), lines.begin(), lines.end());
  }
  return out;
}

}  // namespace arribada::api
