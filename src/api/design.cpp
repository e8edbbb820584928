#include "api/design.hpp"

#include <sstream>

#include "api/conversions.hpp"
#include "design/part.hpp"
#include "design/design_file.hpp"
#include "design/outputs.hpp"
#include "text/errors.hpp"

namespace arribada::api {
namespace {

// A refusal of the design-file reader said of the caller's values: its
// heading replaced by "CALLER cannot run:", each fault on its own line
// without the file's name and line number.
[[noreturn]] void refuseValues(const text::RunTimeError& error, const std::string& caller) {
  std::istringstream lines(error.what());
  std::string message = caller + " cannot run:";
  std::string line;
  std::getline(lines, line);  // the file's heading
  while (std::getline(lines, line)) {
    const std::size_t place = line.find(caller);
    if (place != std::string::npos) {
      const std::size_t colon = line.find(": ", place);
      line.erase(place, colon == std::string::npos ? 0 : colon + 2 - place);
    }
    message += "\n" + line;
  }
  throw text::RunTimeError(message);
}

design::SearchSettings settingsOf(const std::string& text, const std::string& name, DesignOrigin origin) {
  std::istringstream in(text);
  try {
    return design::parseDesignFile(in, name);
  } catch (const text::RunTimeError& error) {
    if (origin == DesignOrigin::file) throw;
    refuseValues(error, name);
  }
}

// A task's result read back from its text; it must be of the search whose
// settings text is given.
design::NamedPart partOf(const std::string& text, const std::string& name, const std::string& settingsText) {
  design::NamedPart part{name, design::readPart(text, name)};
  if (part.part.settingsText != settingsText) throw text::RunTimeError(name + " is a part of another search than this one");
  return part;
}

// Every task's result once, in the order of the scenarios.
std::vector<design::ScenarioResult> resultsOf(const std::vector<std::string>& texts, const std::string& settingsText) {
  std::vector<design::NamedPart> parts;
  for (std::size_t k = 0; k < texts.size(); ++k) {
    parts.push_back(partOf(texts[k], "task result " + std::to_string(k + 1), settingsText));
  }
  return design::collectParts(parts).results;
}

}  // namespace

std::string designFileText(const NamedValues& values) {
  std::string text;
  for (const NamedValue& value : values) text += value.name + " = " + detail::joined(value, ", ") + "\n";
  return text;
}

DesignSearch::DesignSearch(std::string text, std::string name, DesignOrigin origin)
    : text_(std::move(text)), name_(std::move(name)), settings_(settingsOf(text_, name_, origin)) {}

std::int32_t DesignSearch::tasks() const { return static_cast<std::int32_t>(design::listScenarios(settings_).size()); }

std::int32_t DesignSearch::designs() const { return static_cast<std::int32_t>(design::listDesigns(settings_).size()); }

std::string DesignSearch::runTask(std::int32_t task, const DesignProgress& progress, const EngineChoice& engine) const {
  if (task < 0 || task >= tasks()) {
    throw text::RunTimeError("task " + std::to_string(task + 1) + " is not one of the search's " +
                             std::to_string(tasks()) + " tasks");
  }
  const design::ProgressCallback report = [&progress](const design::Progress& p) {
    if (progress && !progress(p.replicate, p.replicates)) return design::Continue::stop;
    return design::Continue::yes;
  };
  const std::vector<std::int32_t> scenarioOf = design::taskScenarios(settings_);
  const design::ScenarioResult result = design::runScenario(
      settings_, scenarioOf[static_cast<std::size_t>(task)], report, detail::engineOptions(engine));
  if (result.stopped) {
    throw text::RunTimeError("task " + std::to_string(task + 1) + " was stopped after replicate " +
                             std::to_string(result.replicates) + ": a stopped task has no result");
  }
  return design::partText({text_, task + 1, tasks(), result});
}

Rows DesignSearch::taskRows(const std::string& result) const {
  const design::ScenarioResult scenario = partOf(result, "the task's result", text_).part.result;
  Rows rows;
  for (const design::DesignOutcome& outcome : scenario.designs) {
    rows.push_back(design::designRow(settings_, {&scenario, &outcome, false}));
  }
  return rows;
}

DesignProducts DesignSearch::collect(const std::vector<std::string>& texts) const {
  const std::vector<design::ScenarioResult> results = resultsOf(texts, text_);
  const design::SearchResult search = design::combineResults(settings_, results);
  DesignProducts out;
  for (const design::DesignRow& row : search.rows) out.designs.push_back(design::designRow(settings_, row));
  out.recommendation = search.recommendation.text;
  out.table = design::searchTable(settings_, search);
  out.TARGET_CV = settings_.TARGET_CV;
  out.designsCsv = design::designsCsv(settings_, search);
  out.replicatesCsv = design::designReplicatesCsv(settings_, search);
  out.designsSvg = design::searchPicture(settings_, search, results);
  return out;
}

}  // namespace arribada::api
