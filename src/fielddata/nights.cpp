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
#include "fielddata/survey_checks.hpp"

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
  const auto tooLarge = [&name] {
    return text::RunTimeError("the survey file '" + name + "' is larger than " +
                              std::to_string(kLargestSurveyFile / 1024 / 1024) +
                              " MB, far more than the largest survey the program holds: is it the right file?");
  };
  if (std::filesystem::is_regular_file(path, ignored)) {
    const std::uintmax_t size = std::filesystem::file_size(path, ignored);
    if (!ignored && size > kLargestSurveyFile) throw tooLarge();
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw text::RunTimeError("the survey file '" + name + "' cannot be opened: " +
                             (std::filesystem::exists(path, ignored) ? "it cannot be read (check its permissions)"
                                                                     : "there is no such file"));
  }
  // Read in pieces, so that a device or a pipe without end stops at the limit.
  std::string bytes;
  std::vector<char> piece(1 << 16);
  while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
    bytes.append(piece.data(), static_cast<std::size_t>(in.gcount()));
    if (bytes.size() > kLargestSurveyFile) throw tooLarge();
  }
  if (in.bad()) throw text::RunTimeError("the survey file '" + name + "' cannot be read to its end");
  return bytes;
}

// A fault of the checks outside the dialogue in a field-data file, at `line`.
void refuseFieldDataFault(const std::optional<SurveyFault>& fault, const text::LineSource& file) {
  if (!fault) return;
  throw text::RunTimeError("the survey file " + file.description() + ", line " + std::to_string(fault->place.row) +
                           ": " + fault->why);
}

// The field-data layout, read as the dialogue reads the file opened on unit
// 5: the title line, the header (a null NTR keeps the program's starting
// value), the counts and the weights.
SurveyNight readFieldDataFile(const std::string& name, std::string bytes, text::Warnings& warnings) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  std::istringstream in(bytes);
  text::LineSource file(in, "'" + name + "'");
  SurveyNight night{name, {}, {file.description(), {}, SurveyCounts(0, 0), {}}, std::nullopt, {}, {}, std::nullopt, {}};
  const std::string title = text::readWholeLine(file, "the title line of " + file.description());
  night.title = title.substr(0, title.find_last_not_of(" \t") + 1);
  const FieldHeader h = readHeader(file, engine::SimulationParameters{}.NTR, warnings);
  const Place headerLine{static_cast<std::size_t>(file.lineNumber()), 1};
  refuseFieldDataFault(widthFault(h.WIDTH, headerLine), file);
  refuseFieldDataFault(hoursFault(h.HOURS, headerLine, std::nullopt), file);
  refuseFieldDataFault(sampleAreaFault(h, headerLine), file);
  refuseFieldDataFault(meantFault(h.MEANT, h.HOURS, headerLine), file);
  night.survey.header = h;
  if (h.NT1 * h.NTR > 1) {
    // A single count is not read, as in the dialogue.
    night.survey.counts = readCounts(file, h, warnings);
    text::RecordingSink report;  // the "EL=" line
    if (h.weighted()) {
      night.survey.weights = readWeights(file, h.NTR, report);
      refuseFieldDataFault(weightsFault(night.survey.weights, h.LENGTH, {static_cast<std::size_t>(file.lineNumber()), 1}), file);
    }
    warnAboutValuesBeyondTheLast(file, warnings);
  } else {
    night.survey.counts = SurveyCounts(h.NTR, h.NT1);
  }
  for (std::int32_t k = 0; k < h.NT1; ++k) night.times.hours.push_back(k * static_cast<double>(h.HOURS) / h.NT1);
  return night;
}

// One night given twice: the same file, or the same values, counts and times.
bool sameNight(const SurveyNight& a, const SurveyNight& b) {
  if (a.file == b.file) return true;
  return a.title == b.title && a.date == b.date && a.survey.header == b.survey.header &&
         a.survey.counts == b.survey.counts && a.survey.weights == b.survey.weights && a.MEANT_SE == b.MEANT_SE &&
         a.times == b.times && a.strata == b.strata;
}

// The MEANT term of an estimate.
double meantTerm(double estimate, double relativeSE) { return estimate * estimate * relativeSE * relativeSE; }

// A standard error, its CV and the limits estimate -+ 2 se, from a variance of 0 or more.
void setSpread(double estimate, double variance, Value& se, Value& cv, Value& LCL, Value& UCL) {
  se = std::sqrt(variance);
  if (estimate != 0.0) cv = *se / estimate;
  LCL = estimate - 2.0 * *se;
  UCL = estimate + 2.0 * *se;
}

// se, cv and the limits of a row whose estimate and variance are set.
void addSpread(FieldRow& row) {
  if (!row.estimate || !row.variance || *row.variance < 0.0) return;
  setSpread(*row.estimate, *row.variance, row.se, row.cv, row.LCL, row.UCL);
}

// The variance with the MEANT term, its standard error, CV and limits.
void addSpreadWithMEANT(FieldRow& row, double variance) {
  row.varianceWithMEANT = variance;
  setSpread(*row.estimate, variance, row.seWithMEANT, row.cvWithMEANT, row.LCLWithMEANT, row.UCLWithMEANT);
}

// The MEANT term and the log-normal limits of a row whose program's figures are set.
void addUncertainty(FieldRow& row, std::optional<double> MEANT_SE, double MEANT) {
  row.MEANT_SE = MEANT_SE;
  row.logWithMEANT = MEANT_SE.has_value();
  const bool usable = row.variance && *row.variance >= 0.0;
  if (MEANT_SE && row.estimate) {
    row.meantVariance = meantTerm(*row.estimate, *MEANT_SE / MEANT);
    if (usable) addSpreadWithMEANT(row, *row.variance + *row.meantVariance);
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
  return readSurveyBytes(name, fileBytes(name), warnings);
}

SurveyNight readSurveyBytes(const std::string& name, std::string bytes, text::Warnings warnings) {
  if (!isCsvSurvey(name, bytes)) return readFieldDataFile(name, std::move(bytes), warnings);
  CsvSurvey csv = readCsvSurvey(bytes, "'" + name + "'", warnings);
  return {name,          std::move(csv.title), std::move(csv.survey), csv.MEANT_SE, std::move(csv.times),
          std::move(csv.date), std::move(csv.strips), std::move(csv.strata)};
}

bool isCsvSurveyFile(const std::string& name) { return isCsvSurvey(name, fileBytes(name)); }

void refuseRepeatedNights(const std::vector<SurveyNight>& nights, text::Warnings& warnings) {
  for (std::size_t b = 1; b < nights.size(); ++b) {
    for (std::size_t a = 0; a < b; ++a) {
      const SurveyNight& first = nights[a];
      const SurveyNight& second = nights[b];
      const std::string both = "the survey files '" + first.file + "' (night " + std::to_string(a + 1) + ") and '" +
                               second.file + "' (night " + std::to_string(b + 1) + ")";
      if (sameNight(first, second)) {
        throw text::RunTimeError(both + " hold the same night (the same values and counts): a night given twice "
                                        "is counted twice; give each night once");
      }
      if (!first.date.empty() && first.date == second.date) {
        throw text::RunTimeError(both + " both give DATE = " + first.date +
                                 ": a night given twice is counted twice; correct the DATE of one of them");
      }
      if (first.survey.counts == second.survey.counts) {
        warnings.warn(both + " have the same counts: check that they are not one night saved twice");
      }
    }
  }
}

FieldResult analyseNight(const SurveyNight& night) {
  return night.strata.given() ? analyseStrata(night.survey, night.strata) : analyseSurvey(night.survey);
}

FieldAnalysis analyseNights(const std::vector<SurveyNight>& nights, text::Warnings warnings) {
  if (nights.empty()) throw text::RunTimeError("no survey file to analyse");
  refuseRepeatedNights(nights, warnings);
  const SharedMEANT shared = sharedMEANT(nights);
  FieldAnalysis analysis;
  for (const SurveyNight& night : nights) {
    const FieldResult result = analyseNight(night);
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
  return analyseNights(nights, warnings);
}

}  // namespace arribada::fielddata
