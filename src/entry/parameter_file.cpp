#include "entry/parameter_file.hpp"

#include <span>
#include <string>
#include <vector>

#include "engine/real.hpp"
#include "engine/table.hpp"
#include "text/errors.hpp"
#include "text/freeread.hpp"

namespace arribada::entry {
namespace {

// The longest arribada whose rounding to a multiple of 12 stays within the
// count grid's hours: 209 rounds to 204 (17 intervals), 210 to 216.
constexpr std::int32_t kLongestRoundedArribada = engine::kMaxHours + 5;

using text::shortReal;

std::string named(const std::string& name, std::int32_t value) { return name + " = " + std::to_string(value); }

[[noreturn]] void refuse(const text::LineSource& file, const std::string& why) {
  throw text::RunTimeError("the parameter file " + file.description() + " cannot be used: " + why);
}

void readNineValues(text::LineSource& file, engine::SimulationParameters& p) {
  static constexpr const char* kNames[] = {"NTR", "IC", "NN", "IHR", "JX", "MIN", "IREP", "STDDEV", "KSW"};
  static constexpr const char* kExamples[] = {"10", "5", "50000", "60", "762500001", "5.0", "100", "2.0", "1"};
  const std::string where = " in the nine values after the title of " + file.description();
  text::readFreeFormat(file, {&p.NTR, &p.IC, &p.NN, &p.IHR, &p.JX, &p.MIN, &p.IREP, &p.STDDEV, &p.KSW},
                       text::AtEndOfInput::Fail, [&where](std::size_t i) {
                         return text::ValueName{kNames[i] + where, kExamples[i]};
                       });
}

// The program's plain stops for a file without strips, without hours or
// without a known kind of random variables.
void stopOnUnusableFile(const engine::SimulationParameters& p) {
  if (p.NTR <= 0 || p.IHR <= 0) throw text::OrderlyStop{};
  if (p.KSW < 1 || p.KSW > 3) throw text::OrderlyStop{};
}

// A file may hold values that the keyboard would never accept. Those that
// the program's tables cannot hold, or that leave a simulation without a
// usable value, are refused before anything is simulated. An IC that does
// not divide NTR is accepted: the count's consistency lines report it.
// IREP 1 is accepted too: the summary's empirical variance is then 0.
void refuseUnusableValues(const text::LineSource& file, const engine::SimulationParameters& p) {
  if (p.NTR > engine::kMaxStrips) {
    refuse(file, named("NTR", p.NTR) + " strips, more than the " + std::to_string(engine::kMaxStrips) +
                     " that the program holds");
  }
  if (p.IREP < 1 || p.IREP > engine::kMaxReplicates) {
    refuse(file, named("IREP", p.IREP) + " replicates, outside 1 to " + std::to_string(engine::kMaxReplicates));
  }
  if (p.IC < 1 || p.IC > p.NTR) {
    refuse(file, named("IC", p.IC) + " strips sampled, outside 1 to NTR = " + std::to_string(p.NTR));
  }
  if (p.NN < 1) refuse(file, named("NN", p.NN) + " females: an arribada needs at least one");
  if (p.IHR >= engine::kShortestBuiltInArribada && p.IHR > kLongestRoundedArribada) {
    refuse(file, named("IHR", p.IHR) + " hours, which rounds to more than the " + std::to_string(engine::kMaxHours) +
                     " hours that the program holds");
  }
  // MIN 0 would make the window of nesting activity empty.
  if (!(p.MIN > 0.0f)) refuse(file, "MIN = " + shortReal(p.MIN) + " minutes of nesting activity must be above 0");
  if (p.STDDEV < 0.0f) refuse(file, "STDDEV = " + shortReal(p.STDDEV) + " hours must not be negative");
}

// The hour marks must rise from above 0, and the last one, which becomes the
// arribada's length, must give 1 to kMaxHours whole hours; the weights must
// not be negative and must not all be 0 (they are divided by their sum).
void refuseUnusableTable(const text::LineSource& file, std::span<const float> marks, std::span<const float> weights) {
  float sum = 0.0f;
  for (std::size_t i = 0; i < weights.size(); ++i) {
    if (weights[i] < 0.0f) {
      refuse(file, "table weight " + std::to_string(i + 1) + " = " + shortReal(weights[i]) + " is negative");
    }
    sum = engine::plus(sum, weights[i]);
  }
  if (!(sum > 0.0f)) refuse(file, "the table weights add up to " + shortReal(sum) + ": some weight must be above 0");
  if (!(marks[0] > 0.0f)) refuse(file, "table hour mark 1 = " + shortReal(marks[0]) + " must be above 0");
  for (std::size_t i = 1; i < marks.size(); ++i) {
    if (!(marks[i] > marks[i - 1])) {
      refuse(file, "table hour mark " + std::to_string(i + 1) + " = " + shortReal(marks[i]) +
                       " does not rise above hour mark " + std::to_string(i) + " = " + shortReal(marks[i - 1]));
    }
  }
  const float last = marks.back();
  if (last < 1.0f || last >= engine::real(engine::kMaxHours + 1)) {
    refuse(file, "the last table hour mark " + shortReal(last) + " makes an arribada outside 1 to " +
                     std::to_string(engine::kMaxHours) + " whole hours");
  }
}

// One read of IHR hour marks, then IHR weights (all marks before all
// weights), beginning on the line after the ninth value. A null value in the
// table keeps that entry of the previous table (an hour mark, or a cumulative
// proportion taken as a weight), as every null value keeps its variable.
engine::NestingTable readUserTable(text::LineSource& file, std::int32_t& IHR, const engine::NestingTable& previous) {
  const auto rows = static_cast<std::size_t>(IHR);  // 1 to 17 here
  std::vector<float> values(previous.UINT.begin(), previous.UINT.begin() + static_cast<std::ptrdiff_t>(rows));
  values.insert(values.end(), previous.PERCNT.begin(), previous.PERCNT.begin() + static_cast<std::ptrdiff_t>(rows));
  std::vector<text::ReadTarget> targets;
  targets.reserve(values.size());
  for (float& value : values) targets.push_back(&value);
  const std::string where = " of the nesting-time table in " + file.description();
  text::readFreeFormat(file, targets, text::AtEndOfInput::Fail, [&where, rows](std::size_t i) {
    return i < rows ? text::ValueName{"hour mark " + std::to_string(i + 1) + where, "12"}
                    : text::ValueName{"weight " + std::to_string(i - rows + 1) + where, "0.5"};
  });
  const std::span<const float> marks(values.data(), rows);
  const std::span<const float> weights(values.data() + rows, rows);
  refuseUnusableTable(file, marks, weights);
  return engine::userTable(marks, weights, IHR);
}

}  // namespace

engine::NestingTable readParameterValues(text::LineSource& file, engine::SimulationParameters& p,
                                         const engine::NestingTable& previous) {
  readNineValues(file, p);
  stopOnUnusableFile(p);
  refuseUnusableValues(file, p);
  if (p.IHR < engine::kShortestBuiltInArribada) return readUserTable(file, p.IHR, previous);
  return engine::builtInTable(p.IHR);
}

}  // namespace arribada::entry
