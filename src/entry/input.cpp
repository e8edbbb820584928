#include "entry/input.hpp"

#include <cmath>
#include <limits>
#include <optional>

#include "engine/table.hpp"
#include "entry/dialogue.hpp"
#include "entry/parameter_file.hpp"
#include "fielddata/analysis.hpp"
#include "text/errors.hpp"
#include "text/freeread.hpp"

namespace arribada::entry {
namespace {

constexpr std::size_t kNameLength = 25;
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

}  // namespace

void finishParameters(engine::SimulationParameters& p, const std::string& source) {
  // An arribada of under 2 hours has no sampling time at all: the program
  // would stop with no word of why.
  if (p.IHR < 2) {
    throw text::RunTimeError("parameter values from " + source + ": the arribada's length IHR = " +
                             std::to_string(p.IHR) + " leaves no sampling time (at least 2 hours are needed)");
  }
  // IHR / 2 + 1 for an even IHR, (IHR + 1) / 2 for an odd one: for IHR >= 0
  // both are IHR / 2 + 1, which cannot overflow.
  p.NTI = p.IHR / 2 + 1;
  if (p.JX == 0) {
    // MIN rounded to whole minutes is itself a 32-bit factor: a MIN of 2^31
    // minutes or more leaves the range before the product is formed.
    const double minutes = std::trunc(static_cast<double>(p.MIN) + 0.5);
    const auto seed = std::fabs(minutes) < 2147483648.0
                          ? checkedProduct({p.NN, p.NTI, p.NTR, p.IC, static_cast<std::int32_t>(minutes)})
                          : std::nullopt;
    if (!seed) {
      throw text::RunTimeError("parameter values from " + source +
                               ": the default random starting value NN x NTI x NTR x IC x MIN leaves the "
                               "32-bit range; give a JX other than 0");
    }
    p.JX = *seed;
  }
  const std::int64_t odd = madeOdd(p.JX);
  if (!isValidSeed(odd)) {
    throw text::RunTimeError("parameter values from " + source + ": the random starting value JX = " +
                             std::to_string(p.JX) + " is not in 1 to 2147483646 once made odd");
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

// The opening of a data file on unit 5 and the echo of its title line.
void ParameterEntry::openDataFile() {
  io_.console.write({std::string("ENTER THE INPUT FILE NAME IN SINGLE QUOTES")});
  text::readFreeFormat(io_.console.keyboard(), {text::TextTarget{&FNAME_, kNameLength}});
  io_.input.open(io_.names.resolve(FNAME_, 5));
  const std::string title = text::readFixedLine(io_.input.source(), kTitlePieces * kTitlePiece);
  text::Items pieces;
  for (std::size_t i = 0; i < kTitlePieces; ++i) pieces.emplace_back(title.substr(i * kTitlePiece, kTitlePiece));
  io_.report.write(pieces);
  io_.console.write(pieces);
  title_ = title.substr(0, title.find_last_not_of(' ') + 1);
}

void ParameterEntry::simulationFromFile(engine::SimulationParameters& p, engine::NestingTable& table) {
  openDataFile();
  text::LineSource& file = io_.input.source();
  table = readParameterValues(file, p);
  finishParameters(p, file.description());
}

bool ParameterEntry::input(engine::SimulationParameters& p, engine::NestingTable& table) {
  title_.clear();
  field_.reset();
  writeOpening();
  KeyboardDialogue dialogue(io_.console, CHER_);
  if (dialogue.askYesNo()) {
    openDataFile();
    field_ = fielddata::analyseFieldData(io_.input.source(), io_.console, io_.report, p);
    p.NTI = 0;
    return false;
  }
  for (const char* line : {"DO YOU WISH TO ENTER SIMULATION PARAMETERS AT THE",
                           "KEYBOARD OR USE AN EXISTING FILE OF SUCH VALUES?",
                           "ENTER Y TO ENTER PARAMETERS AT THE KEYBOARD"}) {
    io_.console.write({std::string(line)});
  }
  if (!dialogue.askYesNo()) {
    simulationFromFile(p, table);
    return true;
  }
  dialogue.run(p);
  // The dialogue admits only multiples of 12 from 24 to 120 hours, so the
  // built-in table applies and leaves IHR as it is.
  table = engine::builtInTable(p.IHR);
  finishParameters(p, "the console");
  return true;
}

}  // namespace arribada::entry
