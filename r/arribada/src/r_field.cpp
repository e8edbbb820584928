// read_arribada_field() and arribada_field(): a field-data file read and
// analysed as the program reads and analyses it.

#include <cpp11.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "entry/parameter_entry.hpp"
#include "fielddata/analysis.hpp"
#include "fielddata/field_file.hpp"
#include "r_tables.h"
#include "results/rows.hpp"
#include "text/lines.hpp"

namespace arribada::r {
namespace {

// A field-data file's bytes as the program reads them, named in messages as
// the program names a file ('survey.dat'), its title line read.
class FieldFile {
 public:
  FieldFile(const std::string& name, cpp11::raws bytes) : in_(textOf(bytes)), file_(in_, "'" + name + "'") {
    title_ = entry::titleOf(entry::readTitleLine(file_));
  }
  text::LineSource& lines() { return file_; }
  const std::string& title() const { return title_; }

 private:
  static std::string textOf(cpp11::raws bytes) {
    std::string text;
    text.reserve(static_cast<std::size_t>(bytes.size()));
    for (auto byte : bytes) text.push_back(static_cast<char>(byte));
    return text;
  }

  std::istringstream in_;
  text::LineSource file_;
  std::string title_;
};

cpp11::writable::list headerOf(const fielddata::FieldHeader& h) {
  cpp11::writable::list out;
  for (double value : {double{h.AREA}, double{h.WIDTH}, double{h.HOURS}, double{h.MEANT}, double{h.LENGTH}}) {
    out.push_back(cpp11::as_sexp(value));
  }
  for (int value : {h.NTR, h.NT1}) out.push_back(cpp11::as_sexp(value));
  out.push_back(cpp11::as_sexp(double{h.CODE}));
  out.push_back(cpp11::as_sexp(h.JCODE));
  out.names() = {"AREA", "WIDTH", "HOURS", "MEANT", "LENGTH", "NTR", "NT1", "CODE", "JCODE"};
  return out;
}

// The counts as an integer matrix, one row per sampling time, one column per transect.
cpp11::writable::integers_matrix<> countsOf(const fielddata::SurveyCounts& grid) {
  cpp11::writable::integers_matrix<> counts(grid.times(), grid.transects());
  for (std::int32_t k = 0; k < grid.times(); ++k) {
    for (std::int32_t j = 0; j < grid.transects(); ++j) counts(k, j) = grid.at(j, k);
  }
  return counts;
}

}  // namespace
}  // namespace arribada::r

[[cpp11::register]]
cpp11::list read_field_file(std::string name, cpp11::raws bytes) {
  using namespace arribada;
  r::FieldFile field(name, bytes);
  text::LineSource& file = field.lines();
  r::CollectedWarnings collected;
  text::Warnings warnings(collected.stream());
  text::RecordingSink report;
  const fielddata::FieldHeader header = fielddata::readHeader(file, 0, warnings);
  const fielddata::SurveyCounts counts = fielddata::readCounts(file, header, warnings);
  const std::vector<float> weights =
      header.weighted() ? fielddata::readWeights(file, header.NTR, report) : std::vector<float>{};
  fielddata::warnAboutValuesBeyondTheLast(file, warnings);
  collected.raise();
  cpp11::writable::list out;
  out.push_back(cpp11::as_sexp(field.title()));
  out.push_back(r::headerOf(header));
  out.push_back(r::countsOf(counts));
  out.push_back(cpp11::writable::doubles(weights.begin(), weights.end()));
  out.names() = {"title", "header", "counts", "weights"};
  return out;
}

[[cpp11::register]]
cpp11::list analyse_field_file(std::string name, cpp11::raws bytes) {
  using namespace arribada;
  r::FieldFile field(name, bytes);
  text::RecordingSink console;
  text::RecordingSink report;
  engine::SimulationParameters params;  // a fresh run's
  const fielddata::FieldResult result = fielddata::analyseFieldData(field.lines(), console, report, params);
  const results::FieldRecord record{1, field.title(), result};
  std::vector<results::NamedRow> times;
  for (std::size_t k = 0; k < result.timeTotals.size(); ++k) times.push_back(results::fieldTimeRow(1, k, result));
  cpp11::writable::list out;
  out.push_back(r::columnsOf({results::fieldRow(record)}));
  out.push_back(r::columnsOf(times));
  out.names() = {"estimate", "times"};
  return out;
}
