#include "fielddata/nights.hpp"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "engine/parameters.hpp"
#include "engine/real.hpp"
#include "text/errors.hpp"
#include "text/freeread.hpp"
#include "text/system_files.hpp"

namespace arribada::fielddata {
namespace {

using Value = std::optional<double>;

// A rule of the total: the sum over the nights, none when a night has none.
template <typename Member>
Value sumOver(const std::vector<FieldRow>& nights, Member member) {
  double sum = 0.0;
  for (const FieldRow& night : nights) {
    const Value& value = night.*member;
    if (!value) return std::nullopt;
    sum += *value;
  }
  return sum;
}

std::string fileBytes(const std::string& name) {
  const std::filesystem::path path = text::systemPath(name);
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    throw text::RunTimeError("the survey file '" + name + "' cannot be opened: it is a folder");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw text::RunTimeError("the survey file '" + name + "' cannot be opened: " +
                             (std::filesystem::exists(path, ignored) ? "it cannot be read (check its permissions)"
                                                                     : "there is no such file"));
  }
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The field-data layout, read as the dialogue reads the file opened on unit
// 5: the title line, the header (a null NTR keeps the program's starting
// value), the counts and the weights.
SurveyNight readFieldDataFile(const std::string& name, std::string bytes, text::Warnings& warnings) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  std::istringstream in(bytes);
  text::LineSource file(in, "'" + name + "'");
  SurveyNight night{name, {}, {file.description(), {}, SurveyCounts(0, 0), {}}, std::nullopt, {}, std::nullopt};
  const std::string title = text::readWholeLine(file, "the title line of " + file.description());
  night.title = title.substr(0, title.find_last_not_of(" \t") + 1);
  const FieldHeader h = readHeader(file, engine::SimulationParameters{}.NTR, warnings);
  night.survey.header = h;
  if (h.NT1 * h.NTR > 1) {
    // A single count is not read, as in the dialogue.
    night.survey.counts = readCounts(file, h, warnings);
    text::RecordingSink report;  // the "EL=" line
    if (h.weighted()) night.survey.weights = readWeights(file, h.NTR, report);
    warnAboutValuesBeyondTheLast(file, warnings);
  } else {
    night.survey.counts = SurveyCounts(h.NTR, h.NT1);
  }
  for (std::int32_t k = 0; k < h.NT1; ++k) night.times.hours.push_back(k * static_cast<double>(h.HOURS) / h.NT1);
  return night;
}

// The MEANT term of an estimate.
double meantTerm(double estimate, double relativeSE) { return estimate * estimate * relativeSE * relativeSE; }

// se, cv and the limits estimate +- 2 se of a row whose estimate and variance are set.
void addSpread(FieldRow& row) {
  if (!row.estimate || !row.variance || *row.variance < 0.0) return;
  row.se = std::sqrt(*row.variance);
  if (*row.estimate != 0.0) row.cv = *row.se / *row.estimate;
  row.LCL = *row.estimate - 2.0 * *row.se;
  row.UCL = *row.estimate + 2.0 * *row.se;
}

// The MEANT term and the log-normal limits of a row whose program's figures are set.
void addUncertainty(FieldRow& row, std::optional<double> MEANT_SE, double MEANT) {
  row.MEANT_SE = MEANT_SE;
  row.logWithMEANT = MEANT_SE.has_value();
  const bool usable = row.variance && *row.variance >= 0.0;
  if (MEANT_SE && row.estimate) {
    row.meantVariance = meantTerm(*row.estimate, *MEANT_SE / MEANT);
    if (usable) row.varianceWithMEANT = *row.variance + *row.meantVariance;
  }
  const Value variance = MEANT_SE ? row.varianceWithMEANT : usable ? row.variance : std::nullopt;
  if (!row.estimate || !variance) return;
  if (const std::optional<LogNormalLimits> limits = logNormalLimits(*row.estimate, *variance)) {
    row.logLCL = limits->lower;
    row.logUCL = limits->upper;
  }
}

// The one MEANT and standard error that every night shares when any gives
// a standard error; refused when nights differ in them.
struct SharedMEANT {
  double MEANT = 0.0;
  std::optional<double> SE;
};

SharedMEANT sharedMEANT(const std::vector<SurveyNight>& nights) {
  const SurveyNight* withSE = nullptr;
  for (const SurveyNight& night : nights) {
    if (night.MEANT_SE && !withSE) withSE = &night;
  }
  if (!withSE) return {nights.front().survey.header.MEANT, std::nullopt};
  for (const SurveyNight& night : nights) {
    if (night.MEANT_SE == withSE->MEANT_SE && night.survey.header.MEANT == withSE->survey.header.MEANT) continue;
    throw text::RunTimeError(
        "the survey files '" + withSE->file + "' and '" + night.file +
        "' do not give the same MEANT and MEANT_SE: one sample of timed females serves every night, so every "
        "file gives the same two values (a file in the field-data layout cannot give MEANT_SE: use the CSV layout)");
  }
  return {withSE->survey.header.MEANT, *withSE->MEANT_SE};
}

FieldRow totalRow(const std::vector<FieldRow>& nights, const SharedMEANT& shared) {
  FieldRow total;
  for (const FieldRow& night : nights) total.samples += night.samples;
  total.uelasCounted = sumOver(nights, &FieldRow::uelasCounted);
  total.uelasWeighted = sumOver(nights, &FieldRow::uelasWeighted);
  total.estimate = sumOver(nights, &FieldRow::estimate);
  bool negative = false;
  for (const FieldRow& night : nights) negative = negative || (night.variance && *night.variance < 0.0);
  if (!negative) total.variance = sumOver(nights, &FieldRow::variance);
  addSpread(total);
  addUncertainty(total, shared.SE, shared.MEANT);
  return total;
}

}  // namespace

std::optional<LogNormalLimits> logNormalLimits(double estimate, double variance) {
  if (!(estimate > 0.0) || variance < 0.0) return std::nullopt;
  const double F = std::exp(2.0 * std::sqrt(std::log1p(variance / (estimate * estimate))));
  return LogNormalLimits{estimate / F, estimate * F};
}

FieldRow programRow(const FieldResult& r) {
  FieldRow row;
  row.header = r.header;
  row.sampleArea = r.SAREA;
  row.areaRatio = r.C;
  row.samples = r.samples;
  row.uelasCounted = r.SUM;
  if (r.header.weighted()) row.uelasWeighted = r.SUMN;
  row.estimate = r.MHAT;
  row.variance = r.VARTI;
  if (r.VARTI && *r.VARTI >= 0.0f) {
    // As the program keeps its reals: each rounded to a float once.
    const float se = engine::stored(std::sqrt(engine::wide(*r.VARTI)));
    row.se = se;
    if (r.MHAT && *r.MHAT != 0.0f) row.cv = engine::stored(engine::wide(se) / *r.MHAT);
  }
  if (limitComputed(r.LCL)) row.LCL = r.LCL;
  if (limitComputed(r.UCL)) row.UCL = r.UCL;
  return row;
}

SurveyNight readSurveyFile(const std::string& name, text::Warnings warnings) {
  std::string bytes = fileBytes(name);
  if (!isCsvSurvey(name, bytes)) return readFieldDataFile(name, std::move(bytes), warnings);
  CsvSurvey csv = readCsvSurvey(bytes, "'" + name + "'");
  return {name, std::move(csv.title), std::move(csv.survey), csv.MEANT_SE, std::move(csv.times), std::move(csv.strips)};
}

FieldAnalysis analyseNights(const std::vector<SurveyNight>& nights) {
  if (nights.empty()) throw text::RunTimeError("no survey file to analyse");
  const SharedMEANT shared = sharedMEANT(nights);
  FieldAnalysis analysis;
  for (const SurveyNight& night : nights) {
    const FieldResult result = analyseSurvey(night.survey);
    FieldRow row = programRow(result);
    row.night = static_cast<std::int32_t>(analysis.nights.size() + 1);
    row.file = night.file;
    row.title = night.title;
    addUncertainty(row, shared.SE, shared.MEANT);
    analysis.nights.push_back(std::move(row));
    analysis.counts.push_back({night.times, result.timeTotals});
  }
  analysis.total = totalRow(analysis.nights, shared);
  return analysis;
}

FieldAnalysis analyseSurveyFiles(const std::vector<std::string>& names, text::Warnings warnings) {
  std::vector<SurveyNight> nights;
  for (const std::string& name : names) nights.push_back(readSurveyFile(name, warnings));
  return analyseNights(nights);
}

}  // namespace arribada::fielddata
