#include "entry/parameter_entry.hpp"

#include <cmath>
#include <limits>
#include <optional>

#include "engine/random.hpp"
#include "engine/real.hpp"
#include "engine/table.hpp"
#include "entry/dialogue.hpp"
#include "entry/parameter_file.hpp"
#include "fielddata/nights.hpp"
#include "text/errors.hpp"
#include "text/freeread.hpp"

namespace arribada::entry {
namespace {

constexpr std::size_t kTitlePieces = 5;
constexpr std::size_t kTitlePiece = 16;

// 32-bit products of the file rule; empty when one leaves the range.
std::optional<std::int32_t> checkedProduct(std::initializer_list<std::int32_t> factors) {
  std::int64_t product = 1;
  for (std::int32_t factor : factors) {
    product *= factor;
    if (product > INT32_MAX || product < INT32_MIN) return std::nullopt;
  }
  return static_cast<std::int32_t>(product);
}

constexpr const char* kFieldDataQuestion =
    "DO YOU WISH TO ANALYZE ACTUAL DATA OR DO YOU WISH TO DO A COMPUTER SIMULATION?";
constexpr const char* kKeyboardQuestion = "ENTER Y TO ENTER PARAMETERS AT THE KEYBOARD";

}  // namespace

std::string readTitleLine(text::LineSource& file) {
  return text::readFixedLine(file, kTitlePieces * kTitlePiece, "the title line of " + file.description());
}

std::string titleOf(const std::string& titleLine) { return titleLine.substr(0, titleLine.find_last_not_of(' ') + 1); }

void finishParameters(engine::SimulationParameters& p, const std::string& source) {
  // An arribada of under 2 hours has no sampling time at all: the program
  // would stop with no word of why.
  if (p.IHR < 2) {
    throw text::RunTimeError("the parameters from " + source + ": the arribada's length IHR = " +
                             std::to_string(p.IHR) + " leaves no sampling time (at least 2 hours are needed)");
  }
  p.NTI = engine::samplingSchedule(p.IHR).NTI();
  if (p.JX == 0) {
    // MIN rounded to whole minutes is itself a 32-bit factor: a MIN of 2^31
    // minutes or more leaves the range before the product is formed.
    const double minutes = std::trunc(engine::wide(p.MIN) + 0.5);
    const auto seed = engine::truncatesToInt32(minutes)
                          ? checkedProduct({p.NN, p.NTI, p.NTR, p.IC, static_cast<std::int32_t>(minutes)})
                          : std::nullopt;
    if (!seed) {
      throw text::RunTimeError("the parameters from " + source +
                               ": the default random starting value NN x NTI x NTR x IC x MIN leaves the "
                               "32-bit range; give a JX other than 0");
    }
    p.JX = *seed;
  }
  const std::int64_t odd = madeOdd(p.JX);
  if (!isValidSeed(odd)) {
    throw text::RunTimeError("the parameters from " + source + ": the random starting value JX = " +
                             std::to_string(p.JX) + " is not in 1 to " + std::to_string(engine::kLargestSeed) +
                             " once made odd");
  }
  p.JX = static_cast<std::int32_t>(odd);
}

void ParameterEntry::writeOpening() {
  io_.report.write({std::string("KAVRO ARRIBADA SIMULATION PROGRAM")});
  io_.report.writeEmpty();
  io_.report.writeEmpty();
  io_.console.write({CHER_ == '\0' ? std::string() : std::string(1, CHER_)});
  for (const char* line : {"DO YOU WISH TO ANALYZE ACTUAL DATA OR DO YOU", "WISH TO DO A COMPUTER SIMULATION?",
                           "ENTER \"Y\", NO QUOTES, IF YOU WISH TO ANALYZE", "ACTUAL DATA"}) {
    io_.console.write({std::string(line)});
  }
  io_.console.writeEmpty();
}

// The opening of a data file on unit 5 and the echo of its title line. The
// name is taken whole, as typed: a name cut short could open another survey's
// file.
void ParameterEntry::openDataFile(const char* kind) {
  io_.input.open(askDataFileName(kind));
  echoTitleLine(readTitleLine(io_.input.source()));
}

// The name as typed, resolved to the file that unit 5 opens.
std::string ParameterEntry::askDataFileName(const char* kind) {
  io_.console.write({std::string("ENTER THE INPUT FILE NAME IN SINGLE QUOTES")});
  text::readFreeFormat(io_.console.keyboard(), {text::TextTarget{&FNAME_, text::kWholeText}}, text::AtEndOfInput::Fail,
                       text::namedAll(std::string("the name of the ") + kind, "'survey.dat'"));
  return io_.names.resolve(FNAME_, 5);
}

void ParameterEntry::echoTitleLine(const std::string& titleLine) {
  text::Items pieces;
  for (std::size_t i = 0; i < kTitlePieces; ++i) pieces.emplace_back(titleLine.substr(i * kTitlePiece, kTitlePiece));
  io_.report.write(pieces);
  io_.console.write(pieces);
  title_ = titleOf(titleLine);
}

// A field-data file in either layout. A CSV night is read whole here; its
// title line is its TITLE, or the file's name without one, cut or padded to
// the title line's width.
NextJob ParameterEntry::fieldDataJob() {
  const std::string name = askDataFileName("field-data file");
  io_.input.open(name);  // the dialogue's messages for a file that cannot be opened
  if (!fielddata::isCsvSurveyFile(name)) {
    echoTitleLine(readTitleLine(io_.input.source()));
    return {JobKind::FieldData, {}, std::nullopt};
  }
  io_.input.close();
  fielddata::SurveyNight night = fielddata::readSurveyFile(name, io_.console.warnings());
  if (night.strata.given()) {
    throw text::RunTimeError("the survey file '" + name +
                             "' gives STRATUM: the field-data job analyses a survey of one stratum; analyse a "
                             "stratified night with arribada --field");
  }
  std::string titleLine = night.title.empty() ? name : night.title;
  titleLine.resize(kTitlePieces * kTitlePiece, ' ');
  echoTitleLine(titleLine);
  return {JobKind::FieldData, {}, std::move(night.survey)};
}

// The table is static storage: a new table overwrites only its own rows.
const engine::NestingTable& ParameterEntry::keptTable(engine::NestingTable built) {
  for (auto i = static_cast<std::size_t>(built.KK); i < built.UINT.size(); ++i) {
    built.UINT[i] = table_.UINT[i];
    built.PERCNT[i] = table_.PERCNT[i];
  }
  table_ = built;
  return table_;
}

NextJob ParameterEntry::simulationFromFile(engine::SimulationParameters& p) {
  openDataFile("parameter file");
  text::LineSource& file = io_.input.source();
  NextJob job{JobKind::Simulation, {}, std::nullopt};
  try {
    job.table = keptTable(readParameterValues(file, p, table_));
  } catch (const text::OrderlyStop&) {
    // A number of strips or hours of 0 or below, or an unknown law, ends the run.
    return {JobKind::Stop, {}, std::nullopt};
  }
  finishParameters(p, file.description());
  return job;
}

NextJob ParameterEntry::nextJob(engine::SimulationParameters& p) {
  title_.clear();
  writeOpening();
  // An answer file that ends where a new job would begin, after a whole job,
  // has said all it had to say: the run ends as by a stop.
  if (jobsDone_++ > 0 && io_.console.keyboard().atEnd()) return {JobKind::Stop, {}, std::nullopt};
  KeyboardDialogue dialogue(io_.console, CHER_);
  if (dialogue.askYesNo(kFieldDataQuestion)) {
    return fieldDataJob();
  }
  for (const char* line : {"DO YOU WISH TO ENTER SIMULATION PARAMETERS AT THE",
                           "KEYBOARD OR USE AN EXISTING FILE OF SUCH VALUES?",
                           "ENTER Y TO ENTER PARAMETERS AT THE KEYBOARD"}) {
    io_.console.write({std::string(line)});
  }
  if (!dialogue.askYesNo(kKeyboardQuestion)) return simulationFromFile(p);
  dialogue.run(p);
  // The dialogue admits only multiples of 12 from 24 to 120 hours, so the
  // built-in table applies and leaves IHR as it is.
  NextJob job{JobKind::Simulation, keptTable(engine::builtInTable(p.IHR)), std::nullopt};
  finishParameters(p, "the keyboard");
  return job;
}

}  // namespace arribada::entry
