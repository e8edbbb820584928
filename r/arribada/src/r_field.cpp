// read_arribada_field() and arribada_field(): surveys in the field-data or
// the CSV layout read by the program's readers, carried in R as plain
// values, and analysed night by night with their total as `arribada
// --field` analyses them.

#include <cpp11.hpp>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fielddata/csv_survey.hpp"
#include "fielddata/nights.hpp"
#include "r_tables.h"
#include "results/rows.hpp"
#include "text/errors.hpp"

namespace arribada::r {
namespace {

using fielddata::FieldHeader;

// FieldHeader's reals and whole numbers, named once for the trip to R and back.
constexpr std::pair<const char*, float FieldHeader::*> kHeaderReals[] = {
    {"AREA", &FieldHeader::AREA},     {"WIDTH", &FieldHeader::WIDTH},   {"HOURS", &FieldHeader::HOURS},
    {"MEANT", &FieldHeader::MEANT},   {"LENGTH", &FieldHeader::LENGTH}, {"CODE", &FieldHeader::CODE}};
constexpr std::pair<const char*, std::int32_t FieldHeader::*> kHeaderWholes[] = {
    {"NTR", &FieldHeader::NTR}, {"NT1", &FieldHeader::NT1}, {"JCODE", &FieldHeader::JCODE}};

cpp11::writable::list headerToR(const FieldHeader& h) {
  cpp11::writable::list out;
  cpp11::writable::strings names;
  for (const auto& [name, member] : kHeaderReals) {
    out.push_back(cpp11::as_sexp(double{h.*member}));
    names.push_back(name);
  }
  for (const auto& [name, member] : kHeaderWholes) {
    out.push_back(cpp11::as_sexp(h.*member));
    names.push_back(name);
  }
  out.names() = names;
  return out;
}

FieldHeader headerFromR(cpp11::list in) {
  FieldHeader h;
  for (const auto& [name, member] : kHeaderReals) h.*member = static_cast<float>(cpp11::as_cpp<double>(in[name]));
  for (const auto& [name, member] : kHeaderWholes) h.*member = cpp11::as_cpp<int>(in[name]);
  return h;
}

// The counts as an integer matrix, one row per sampling time, one column per transect.
cpp11::writable::integers_matrix<> countsToR(const fielddata::SurveyCounts& grid) {
  cpp11::writable::integers_matrix<> counts(grid.times(), grid.transects());
  for (std::int32_t k = 0; k < grid.times(); ++k) {
    for (std::int32_t j = 0; j < grid.transects(); ++j) counts(k, j) = grid.at(j, k);
  }
  return counts;
}

fielddata::SurveyCounts countsFromR(cpp11::integers_matrix<> counts) {
  fielddata::SurveyCounts grid(counts.ncol(), counts.nrow());
  for (int k = 0; k < counts.nrow(); ++k) {
    for (int j = 0; j < counts.ncol(); ++j) {
      const int count = counts(k, j);
      if (count == NA_INTEGER || count < 0 || count > 32767) cpp11::stop("a count is missing or outside 0 to 32767");
      grid.set(j, k, count);
    }
  }
  return grid;
}

cpp11::writable::list nightToR(const fielddata::SurveyNight& night) {
  cpp11::writable::list out;
  out.push_back(cpp11::as_sexp(night.file));
  out.push_back(cpp11::as_sexp(night.title));
  out.push_back(headerToR(night.survey.header));
  out.push_back(countsToR(night.survey.counts));
  out.push_back(cpp11::writable::doubles(night.survey.weights.begin(), night.survey.weights.end()));
  out.push_back(cpp11::as_sexp(night.MEANT_SE ? double{*night.MEANT_SE} : NA_REAL));
  out.push_back(cpp11::writable::doubles(night.times.hours.begin(), night.times.hours.end()));
  out.push_back(cpp11::as_sexp(night.times.clock));
  out.push_back(cpp11::as_sexp(night.survey.description));
  out.names() = {"file", "title", "header", "counts", "weights", "MEANT_SE", "hours", "clock", "description"};
  return out;
}

fielddata::SurveyNight nightFromR(cpp11::list in) {
  std::optional<float> MEANT_SE;
  const double se = cpp11::as_cpp<double>(in["MEANT_SE"]);
  if (!ISNA(se)) MEANT_SE = static_cast<float>(se);
  std::vector<float> weights;
  for (double weight : cpp11::doubles(in["weights"])) weights.push_back(static_cast<float>(weight));
  const cpp11::doubles hours(in["hours"]);
  return {cpp11::as_cpp<std::string>(in["file"]),
          cpp11::as_cpp<std::string>(in["title"]),
          {cpp11::as_cpp<std::string>(in["description"]), headerFromR(in["header"]), countsFromR(in["counts"]),
           std::move(weights)},
          MEANT_SE,
          {std::vector<double>(hours.begin(), hours.end()), cpp11::as_cpp<bool>(in["clock"])}};
}

// The package analyses a night as one stratum: a stratified night is refused
// rather than given the estimate of an unstratified one.
void refuseStrata(const fielddata::Strata& strata, const std::string& file) {
  if (strata.given()) {
    throw text::RunTimeError("the survey " + file +
                             " gives STRATUM: stratified nights are analysed by the program's --field for now");
  }
}

// A cell of a CSV line between double quotes, a quote inside doubled.
std::string quoted(const std::string& text) {
  std::string cell = "\"";
  for (char c : text) cell += c == '"' ? std::string("\"\"") : std::string(1, c);
  return cell + "\"";
}

}  // namespace
}  // namespace arribada::r

[[cpp11::register]]
cpp11::list read_survey(std::string name) {
  arribada::r::CollectedWarnings collected;
  const arribada::fielddata::SurveyNight night =
      arribada::fielddata::readSurveyFile(name, arribada::text::Warnings(collected.stream()));
  collected.raise();
  arribada::r::refuseStrata(night.strata, "'" + name + "'");
  return arribada::r::nightToR(night);
}

// A survey given as a table of counts (one column per transect, one row per
// sampling time, after the time column) and its values: written in the CSV
// layout and read by its reader, so that the same faults are refused.
[[cpp11::register]]
cpp11::list survey_from_table(cpp11::strings times, cpp11::list counts, cpp11::list values, std::string description) {
  using arribada::r::decimal;
  std::ostringstream text;
  const cpp11::strings valueNames(values.names());
  for (R_xlen_t i = 0; i < values.size(); ++i) {
    const std::string name(valueNames[i]);
    if (TYPEOF(values[i]) == STRSXP) {
      text << arribada::r::quoted("# " + name + " = " + cpp11::as_cpp<std::string>(values[i])) << '\n';
      continue;
    }
    text << "# " << name << " =";
    const char* separator = " ";
    for (double value : cpp11::as_doubles(values[i])) {
      text << separator << decimal(value);
      separator = ",";
    }
    text << '\n';
  }
  text << "time";
  const cpp11::strings transects(counts.names());
  for (cpp11::r_string transect : transects) text << ',' << arribada::r::quoted(std::string(transect));
  text << '\n';
  for (R_xlen_t k = 0; k < times.size(); ++k) {
    text << arribada::r::quoted(std::string(times[k]));
    for (SEXP column : counts) {
      const double count = cpp11::doubles(column)[k];
      text << ',' << (ISNAN(count) ? std::string() : decimal(count));
    }
    text << '\n';
  }
  arribada::fielddata::CsvSurvey csv = arribada::fielddata::readCsvSurvey(text.str(), description);
  arribada::r::refuseStrata(csv.strata, description);
  return arribada::r::nightToR({description, csv.title, std::move(csv.survey), csv.MEANT_SE, csv.times});
}

[[cpp11::register]]
cpp11::list analyse_nights(cpp11::list surveys) {
  using namespace arribada;
  std::vector<fielddata::SurveyNight> nights;
  for (SEXP survey : surveys) nights.push_back(r::nightFromR(survey));
  const fielddata::FieldAnalysis analysis = fielddata::analyseNights(nights);
  std::vector<results::NamedRow> rows;
  for (const fielddata::FieldRow& night : analysis.nights) rows.push_back(results::nightRow(night));
  rows.push_back(results::nightRow(analysis.total));
  cpp11::writable::integers night;
  cpp11::writable::doubles hours;
  cpp11::writable::integers total;
  for (std::size_t n = 0; n < analysis.counts.size(); ++n) {
    const fielddata::NightCounts& counts = analysis.counts[n];
    for (std::size_t k = 0; k < counts.totals.size(); ++k) {
      night.push_back(static_cast<int>(n + 1));
      hours.push_back(k < counts.times.hours.size() ? counts.times.hours[k] : NA_REAL);
      total.push_back(counts.totals[k]);
    }
  }
  cpp11::writable::list times;
  times.push_back(night);
  times.push_back(hours);
  times.push_back(total);
  times.names() = {"night", "hours", "total"};
  cpp11::writable::list out;
  out.push_back(r::columnsOf(rows));
  out.push_back(times);
  out.names() = {"estimate", "times"};
  return out;
}
