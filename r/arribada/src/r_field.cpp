// read_arribada_field() and arribada_field(): surveys read by the library,
// carried in R as plain values, and analysed night by night with their
// total as `arribada --field` analyses them.

#include "r_tables.h"

namespace arribada::r {
namespace {

cpp11::writable::list headerToR(const std::vector<api::HeaderValue>& header) {
  cpp11::writable::list out;
  cpp11::writable::strings names;
  for (const api::HeaderValue& h : header) {
    out.push_back(h.whole ? cpp11::as_sexp(static_cast<int>(h.value)) : cpp11::as_sexp(h.value));
    names.push_back(h.name);
  }
  out.names() = names;
  return out;
}

cpp11::writable::list nightToR(const api::SurveyValues& s) {
  cpp11::writable::integers_matrix<> counts(s.times, s.transects);
  for (int k = 0; k < s.times; ++k) {
    for (int j = 0; j < s.transects; ++j) counts(k, j) = s.counts[static_cast<std::size_t>(k * s.transects + j)];
  }
  using namespace cpp11::literals;
  return cpp11::writable::list(
      {"file"_nm = s.file, "title"_nm = s.title, "header"_nm = headerToR(s.header), "counts"_nm = counts,
       "weights"_nm = cpp11::writable::doubles(s.weights.begin(), s.weights.end()),
       "MEANT_SE"_nm = s.MEANT_SE.value_or(NA_REAL),
       "hours"_nm = cpp11::writable::doubles(s.hours.begin(), s.hours.end()), "clock"_nm = s.clock,
       "description"_nm = s.description, "date"_nm = s.date,
       "strata"_nm = cpp11::writable::integers(s.strata.begin(), s.strata.end()),
       "stratum_areas"_nm = cpp11::writable::doubles(s.stratumAreas.begin(), s.stratumAreas.end())});
}

api::SurveyValues nightFromR(cpp11::list in) {
  api::SurveyValues s;
  s.file = cpp11::as_cpp<std::string>(in["file"]);
  s.title = cpp11::as_cpp<std::string>(in["title"]);
  s.description = cpp11::as_cpp<std::string>(in["description"]);
  const cpp11::list header(in["header"]);
  const cpp11::strings names(header.names());
  for (R_xlen_t i = 0; i < header.size(); ++i) {
    s.header.push_back({std::string(names[i]), cpp11::as_cpp<double>(header[i]), TYPEOF(header[i]) == INTSXP});
  }
  const cpp11::integers_matrix<> counts(in["counts"]);
  s.times = counts.nrow();
  s.transects = counts.ncol();
  for (int k = 0; k < s.times; ++k) {
    for (int j = 0; j < s.transects; ++j) s.counts.push_back(counts(k, j) == NA_INTEGER ? -1 : counts(k, j));
  }
  const cpp11::doubles weights(in["weights"]), hours(in["hours"]), areas(in["stratum_areas"]);
  const cpp11::integers strata(in["strata"]);
  s.weights.assign(weights.begin(), weights.end());
  s.date = cpp11::as_cpp<std::string>(in["date"]);
  s.strata.assign(strata.begin(), strata.end());
  s.stratumAreas.assign(areas.begin(), areas.end());
  const double se = cpp11::as_cpp<double>(in["MEANT_SE"]);
  if (!ISNA(se)) s.MEANT_SE = se;
  s.hours.assign(hours.begin(), hours.end());
  s.clock = cpp11::as_cpp<bool>(in["clock"]);
  return s;
}

}  // namespace
}  // namespace arribada::r

[[cpp11::register]]
cpp11::list read_survey(std::string name) {
  const arribada::api::SurveyRead read = arribada::api::readSurveyFile(name);
  arribada::r::raiseWarnings(read.warnings);
  return arribada::r::nightToR(read.survey);
}

// A survey given as a table of counts (one column per transect, one row per
// sampling time, after the time column) and its values, read by the CSV
// layout's reader, so that the same faults are refused.
[[cpp11::register]]
cpp11::list survey_from_table(std::vector<std::string> times, cpp11::list counts, cpp11::list values,
                              std::string description) {
  using namespace arribada;
  std::vector<api::CountColumn> columns;
  const cpp11::strings names(counts.names());
  for (R_xlen_t c = 0; c < counts.size(); ++c) {
    const cpp11::doubles column(counts[c]);
    columns.push_back({std::string(names[c]), std::vector<double>(column.begin(), column.end())});
  }
  return r::nightToR(api::surveyFromTable(times, columns, r::namedValues(values), description));
}

[[cpp11::register]]
cpp11::list analyse_nights(cpp11::list surveys) {
  using namespace arribada;
  std::vector<api::SurveyValues> nights;
  for (SEXP survey : surveys) nights.push_back(r::nightFromR(survey));
  const api::NightsProducts analysis = api::analyseNights(nights);
  cpp11::writable::integers night, total;
  cpp11::writable::doubles hours;
  for (const api::TimeTotal& time : analysis.times) {
    night.push_back(time.night);
    hours.push_back(time.hours.value_or(NA_REAL));
    total.push_back(time.total);
  }
  using namespace cpp11::literals;
  const cpp11::writable::list times({"night"_nm = night, "hours"_nm = hours, "total"_nm = total});
  return cpp11::writable::list({"estimate"_nm = r::columnsOf(analysis.estimate), "times"_nm = times});
}
