#include "fielddata/field_file.hpp"

#include <string>

#include "engine/real.hpp"
#include "fielddata/survey_checks.hpp"
#include "fielddata/value_line.hpp"
#include "text/errors.hpp"
#include "text/freeread.hpp"

namespace arribada::fielddata {
namespace {

// A count is a 16-bit cell of the grid; its lowest value is refused too, so
// that every count has a negative of the same size.
constexpr std::int32_t kLargestCount = 32767;

using text::shortReal;

[[noreturn]] void refuse(const text::LineSource& file, const std::string& why) {
  throw text::RunTimeError("the header of the field-data file " + file.description() + " cannot be used: " + why);
}

}  // namespace

std::optional<HeaderProblem> headerProblem(const FieldHeader& h) {
  const std::string transects = "NTR = " + std::to_string(h.NTR);
  const std::string times = "NT1 = " + std::to_string(h.NT1);
  if (h.NTR <= 0) return HeaderProblem{"NTR", transects + ": without sample transects there are no counts to analyse"};
  if (h.NTR > kMaxTransects) {
    return HeaderProblem{"NTR", transects + " sample transects, more than the " + std::to_string(kMaxTransects) +
                                    " that the program holds"};
  }
  if (h.NT1 <= 0) return HeaderProblem{"NT1", times + ": without sampling times there are no counts to analyse"};
  if (h.NT1 > kMaxSamplingTimes) {
    return HeaderProblem{"NT1", times + " sampling times, more than the " + std::to_string(kMaxSamplingTimes) +
                                    " that the program holds"};
  }
  if (h.weighted() && h.NTR > kMaxWeightedTransects) {
    return HeaderProblem{"NTR", transects + " with weights (JCODE = 1), more than the " +
                                    std::to_string(kMaxWeightedTransects) + " weighted transects that the program holds"};
  }
  if (h.AREA <= 0.0f) {
    return HeaderProblem{"AREA", "AREA = " + shortReal(h.AREA) + ": the area used by the population must be above 0"};
  }
  if (h.MEANT <= 0.0f) {
    return HeaderProblem{"MEANT",
                         "MEANT = " + shortReal(h.MEANT) + ": the time of egg-laying activity must be above 0"};
  }
  if (sampleArea(h) == 0.0f) {
    return HeaderProblem{"LENGTH", "LENGTH = " + shortReal(h.LENGTH) + " and WIDTH = " + shortReal(h.WIDTH) +
                                       " give a sample area of 0"};
  }
  return std::nullopt;
}

namespace {

// Refused right after the header is read, before anything of it is echoed.
void refuseUnusableHeader(const FieldHeader& h, const text::LineSource& file) {
  if (const std::optional<HeaderProblem> problem = headerProblem(h)) refuse(file, problem->why);
}

void echoWithValueLine(text::RecordSink& console, text::RecordSink& report, const std::string& label, float value) {
  constexpr int kDecimals = 4;
  console.write({label, value});
  writeValueLine(report, label, fixedField(value, kDecimals));
}

void echoSurveyShape(const FieldHeader& h, text::RecordSink& sink) {
  sink.write({std::string("THE TOTAL LENGTH OF THE TRANSECT IS"), h.LENGTH});
  sink.write({std::string("THE NUMBER OF SAMPLE TRANSECTS IS"), h.NTR});
  sink.write({std::string("THE NUMBER OF SAMPLING TIMES IS"), h.NT1});
  sink.write({std::string("DATA ARE BEING READ BY CODE="), h.CODE});
}

text::ReadTarget countTarget(std::int32_t& count) {
  return text::BoundedIntegerTarget{&count, -kLargestCount, kLargestCount};
}

// Count `index` (0-based, in file order) named by its transect and sampling time.
text::ValueNamer countNames(const text::LineSource& file, std::int32_t NTR, std::size_t first = 0) {
  return [where = " in " + file.description(), NTR, first](std::size_t i) {
    const auto index = static_cast<std::int64_t>(first + i);
    return text::ValueName{"the count of transect " + std::to_string(index % NTR + 1) + " at sampling time " +
                               std::to_string(index / NTR + 1) + where,
                           "12"};
  };
}

// Headers that read but were probably meant otherwise.
void warnAboutHeader(const FieldHeader& h, const text::ReadOutcome& read, const text::LineSource& file,
                     text::Warnings& warnings) {
  if (text::numberSplitAtComma(read)) {
    warnings.warn("the header of " + file.description() + ", line " + std::to_string(file.lineNumber()) +
                  ", has commas between digits: a comma separates two values, so \"0,5\" is read as 0 and 5; "
                  "write decimal points (0.5) if decimals were meant");
  }
  if (const auto warning = meantUnitWarning(h.MEANT, " in the header of " + file.description())) {
    warnings.warn(*warning);
  }
}

}  // namespace

FieldHeader readHeader(text::LineSource& file, std::int32_t NTR, text::Warnings& warnings) {
  static constexpr const char* kExamples[] = {"1.0", "250", "60", "60", "1000", "10", "30", "1", "0"};
  FieldHeader h;
  h.NTR = NTR;
  const std::string where = " in the header of " + file.description();
  const text::ReadOutcome read =
      text::readFreeFormat(file, {&h.AREA, &h.WIDTH, &h.HOURS, &h.MEANT, &h.LENGTH, &h.NTR, &h.NT1, &h.CODE, &h.JCODE},
                           text::AtEndOfInput::Fail, [&where](std::size_t i) {
                             return text::ValueName{kHeaderFields[i].name + where, kExamples[i]};
                           });
  // The warnings come first: decimal commas may be why the header is refused.
  warnAboutHeader(h, read, file, warnings);
  refuseUnusableHeader(h, file);
  return h;
}

float sampleArea(const FieldHeader& h) {
  // Both sides of the transect, square metres to square kilometres.
  return engine::stored(engine::wide(h.LENGTH) * h.WIDTH * 2.0 / 1000.0 / 1000.0);
}

void echoHeader(const FieldHeader& h, text::RecordSink& console, text::RecordSink& report) {
  echoWithValueLine(console, report, "TRANSECT HALF-WIDTH, IN M.=", h.WIDTH);
  echoWithValueLine(console, report, "THE LENGTH OF THE ARRIBADA, IN HOURS.=", h.HOURS);
  echoWithValueLine(console, report, "THE MEAN TIME FOR UELA, IN HOURS =", h.MEANT);
  echoSurveyShape(h, report);
  echoSurveyShape(h, console);
}

SurveyCounts::SurveyCounts(std::int32_t NTR, std::int32_t NT1)
    : NTR_(NTR), NT1_(NT1), cells_(static_cast<std::size_t>(NTR) * static_cast<std::size_t>(NT1), 0) {}

std::int32_t SurveyCounts::at(std::int32_t j, std::int32_t k) const {
  return cells_.at(static_cast<std::size_t>(k) * static_cast<std::size_t>(NTR_) + static_cast<std::size_t>(j));
}

void SurveyCounts::set(std::int32_t j, std::int32_t k, std::int32_t count) {
  cells_.at(static_cast<std::size_t>(k) * static_cast<std::size_t>(NTR_) + static_cast<std::size_t>(j)) =
      static_cast<std::int16_t>(count);
}

SurveyCounts readCounts(text::LineSource& file, const FieldHeader& h, text::Warnings& warnings) {
  // In file order: sampling time after sampling time, transect 1 to NTR in each.
  std::vector<std::int32_t> counts(static_cast<std::size_t>(h.NTR) * static_cast<std::size_t>(h.NT1), 0);
  if (h.freeLayout()) {
    // One read for all counts; the end of the file ends it without an error
    // and the counts not reached stay zero. (A grid left over from an earlier
    // simulation in the same run is never used for them: stale simulated
    // counts would otherwise be analysed as field data.)
    std::vector<text::ReadTarget> targets;
    targets.reserve(counts.size());
    for (std::int32_t& count : counts) targets.push_back(countTarget(count));
    const text::ReadOutcome read =
        text::readFreeFormat(file, targets, text::AtEndOfInput::EndRead, countNames(file, h.NTR));
    if (read.endedByEndOfInput) {
      warnings.warn(file.description() + " ends after " + std::to_string(read.processed) + " of the NTR x NT1 = " +
                    std::to_string(counts.size()) + " counts that its header asks for; the other " +
                    std::to_string(counts.size() - read.processed) + " are taken as 0");
    }
  } else {
    // One read per count: the first value of its line, the rest of the line unused.
    for (std::size_t i = 0; i < counts.size(); ++i) {
      text::readFreeFormat(file, {countTarget(counts[i])}, text::AtEndOfInput::Fail, countNames(file, h.NTR, i));
    }
  }
  SurveyCounts grid(h.NTR, h.NT1);
  std::size_t i = 0;
  for (std::int32_t k = 0; k < h.NT1; ++k) {
    for (std::int32_t j = 0; j < h.NTR; ++j) grid.set(j, k, counts[i++]);
  }
  return grid;
}

std::vector<float> readWeights(text::LineSource& file, std::int32_t NTR, text::RecordSink& report) {
  std::vector<float> EL(static_cast<std::size_t>(NTR), 0.0f);
  std::vector<text::ReadTarget> targets;
  targets.reserve(EL.size());
  for (float& weight : EL) targets.push_back(&weight);
  text::readFreeFormat(file, targets, text::AtEndOfInput::Fail, [where = " in " + file.description()](std::size_t i) {
    return text::ValueName{"the weight of transect " + std::to_string(i + 1) + where, "1.0"};
  });
  writeWeights(EL, report);
  return EL;
}

void writeWeights(const std::vector<float>& EL, text::RecordSink& report) {
  text::Items line{std::string("EL=")};
  line.insert(line.end(), EL.begin(), EL.end());
  report.write(line);
}

}  // namespace arribada::fielddata

namespace arribada::fielddata {

void warnAboutValuesBeyondTheLast(text::LineSource& file, text::Warnings& warnings) {
  std::string line;
  while (file.next(line)) {
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    warnings.warn(file.description() + " holds more after the last value that its header asks for (line " +
                  std::to_string(file.lineNumber()) + "); check NTR, NT1 and JCODE in the header");
    return;
  }
}

}  // namespace arribada::fielddata
