#include "api/conversions.hpp"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "engine/fast/instruction_sets.hpp"
#include "text/errors.hpp"

namespace arribada::api {

std::string csvText(const Rows& rows) { return results::csvText(rows); }

std::vector<std::string> instructionSets() {
  std::vector<std::string> names;
  for (engine::InstructionSet set : engine::runnableInstructionSets()) names.emplace_back(engine::nameOf(set));
  return names;
}

namespace detail {

std::string decimalText(double value) {
  char buffer[64];
  if (value == std::trunc(value) && std::fabs(value) < 1e15) {
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer;
  }
  std::string text;
  for (int digits = 15; digits <= 17; ++digits) {
    std::snprintf(buffer, sizeof buffer, "%.*g", digits, value);
    text = buffer;
    for (char& c : text) {
      if (c == ',') c = '.';
    }
    if (std::strtod(buffer, nullptr) == value) break;
  }
  return text;
}

std::string joined(const NamedValue& value, const std::string& separator) {
  std::string text;
  const auto add = [&](const std::string& item) { text += (text.empty() ? "" : separator) + item; };
  if (const auto* numbers = std::get_if<Numbers>(&value.value)) {
    for (double number : *numbers) add(decimalText(number));
  } else {
    for (const std::string& item : std::get<Texts>(value.value)) add(item);
  }
  return text;
}

std::vector<std::string> CollectedWarnings::lines() const {
  constexpr std::string_view kPrefix = "arribada: warning: ";
  std::vector<std::string> lines;
  std::istringstream text(text_.str());
  std::string line;
  while (std::getline(text, line)) {
    if (line.starts_with(kPrefix)) line.erase(0, kPrefix.size());
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

engine::EngineOptions engineOptions(const EngineChoice& choice) {
  if (choice.threads < 1 || choice.threads > 2) {
    throw text::RunTimeError("threads = " + std::to_string(choice.threads) + ": the engine runs 1 or 2 threads");
  }
  engine::EngineOptions options;
  options.threads = choice.threads;
  if (choice.instructionSet.empty()) return options;
  for (engine::InstructionSet set : engine::runnableInstructionSets()) {
    if (choice.instructionSet == engine::nameOf(set)) {
      options.instructionSet = set;
      return options;
    }
  }
  throw text::RunTimeError("the instruction set '" + choice.instructionSet +
                           "' is not one this processor and build run");
}

}  // namespace detail
}  // namespace arribada::api
